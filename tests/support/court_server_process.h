// A court-server (ServerProcess) that a test can also kill without warning
// and start again on the same root (on a new port), with an ODBC connection
// string to it through FreeTDS's driver.

#ifndef COURT_TESTS_SUPPORT_COURT_SERVER_PROCESS_H_
#define COURT_TESTS_SUPPORT_COURT_SERVER_PROCESS_H_

#include <filesystem>
#include <optional>
#include <string>

#include "tests/support/server_process.h"

namespace court::testing {

class CourtServerProcess {
 public:
  static constexpr const char* kPassword = kSaPassword;

  // Starts serving root (created by the server when missing).
  explicit CourtServerProcess(std::filesystem::path root) : root_(std::move(root)) { Start(); }

  void Start() { process_.emplace(root_); }
  void Stop();  // SIGTERM, as an administrator stops it
  void Kill();  // SIGKILL: the server is gone in the middle of whatever it did

  // While stopped, the port it listened on last.
  int port() const { return process_ ? process_->port() : port_of_last_; }
  // The connection string, without the password.
  std::string Connection() const;

 private:
  std::filesystem::path root_;
  std::optional<ServerProcess> process_;
  int port_of_last_ = 0;
};

}  // namespace court::testing

#endif  // COURT_TESTS_SUPPORT_COURT_SERVER_PROCESS_H_
