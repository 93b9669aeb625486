// Everything one run of the installer works with, made from the options:
// the server, the catalogue reader, the transcript and the run's RunState.
// The fronts (screens and headless) make one and hand run() to the steps.

#ifndef COURT_SCREENS_RUN_CONTEXT_H_
#define COURT_SCREENS_RUN_CONTEXT_H_

#include <memory>
#include <string>
#include <vector>

#include "platform/access/data_sources.h"
#include "platform/access/transcript.h"
#include "provisioning/run_state.h"
#include "screens/options.h"
#include "screens/server_spec.h"

namespace court::screens {

class RunContext {
 public:
  // Throws UsageError for a server SPEC this build cannot serve.
  explicit RunContext(const Options& options);
  RunContext(const RunContext&) = delete;
  RunContext& operator=(const RunContext&) = delete;

  provisioning::RunState& run() { return run_; }
  // The server's drives as "C:", "D:", ...: what the drive list offers.
  std::vector<std::string> Drives() const { return server_.files->Drives(); }
  // The server's computer name, as the main screen tells it to clients.
  const std::string& ComputerName() const { return server_.computer_name; }
  // The server's own driver, and what the run's connections reach the
  // server through instead (a plan puts its recorder in between).
  access::Driver& server_driver() { return *server_.driver; }
  void RouteServerThrough(access::Driver& driver) { sources_.server = &driver; }
  // The drive holding the working directory, when the server is on this
  // machine and it lies on one of the server's drives; else C:.
  std::string CurrentDrive() const;

 private:
  Server server_;
  std::unique_ptr<access::Driver> catalogue_;
  std::unique_ptr<access::Transcript> transcript_;
  access::DataSources sources_;
  provisioning::RunState run_;
};

}  // namespace court::screens

#endif  // COURT_SCREENS_RUN_CONTEXT_H_
