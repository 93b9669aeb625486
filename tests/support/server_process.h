// A real court-server for network tests: started on a fresh server root
// and a free port, stopped (SIGTERM, then waited for) on destruction.

#ifndef COURT_TESTS_SUPPORT_SERVER_PROCESS_H_
#define COURT_TESTS_SUPPORT_SERVER_PROCESS_H_

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/child_process.h"

namespace court::testing {

inline constexpr const char* kSaPassword = "Court#Test1";

class ServerProcess {
 public:
  // Starts build/court-server -S root --listen 127.0.0.1:0 [arguments] with
  // sa's password in its environment, and waits until it says which port it
  // listens on; throws std::runtime_error, with what it printed, when it ends
  // instead.
  explicit ServerProcess(const std::filesystem::path& root, const std::vector<std::string>& arguments = {});
  ~ServerProcess();
  ServerProcess(const ServerProcess&) = delete;
  ServerProcess& operator=(const ServerProcess&) = delete;

  int port() const { return port_; }
  pid_t pid() const { return process_.pid(); }
  // Sends SIGTERM and returns its exit code (128 + N after signal N); -1
  // when it was stopped before.
  int Stop();
  // SIGKILL: the server is gone in the middle of whatever it did.
  void Kill();
  bool running();

 private:
  ChildProcess process_;
  int port_ = 0;
  bool stopped_ = false;
};

}  // namespace court::testing

#endif  // COURT_TESTS_SUPPORT_SERVER_PROCESS_H_
