// The real build/court-server as a child process of a test, serving an
// embedded server root on a free loopback port, with the login sa and a
// known password. It can be stopped, killed without warning and started
// again on the same root (on a new port).

#ifndef COURT_TESTS_SUPPORT_COURT_SERVER_PROCESS_H_
#define COURT_TESTS_SUPPORT_COURT_SERVER_PROCESS_H_

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <string>

namespace court::testing {

class CourtServerProcess {
 public:
  static constexpr const char* kPassword = "Court-Server-2000";

  // Starts serving root (created by the server when missing).
  explicit CourtServerProcess(std::filesystem::path root);
  ~CourtServerProcess();
  CourtServerProcess(const CourtServerProcess&) = delete;
  CourtServerProcess& operator=(const CourtServerProcess&) = delete;

  void Start();
  void Stop();  // SIGTERM, as an administrator stops it
  void Kill();  // SIGKILL: the server is gone in the middle of whatever it did
  bool running() const { return pid_ > 0; }

  std::uint16_t port() const { return port_; }
  // An ODBC connection string to it through FreeTDS's driver, without the password.
  std::string Connection() const;

 private:
  void Wait();

  std::filesystem::path root_, log_;
  pid_t pid_ = -1;
  std::uint16_t port_ = 0;
};

// The state of an embedded server root as sorted text, for comparing two
// servers: per database (master's logins and databases, 法院, 内部邮件) its
// objects, columns, object texts, users and every table's rows. Datetimes
// within a day of now (getdate() defaults) read "<now>".
std::string CanonicalDump(const std::filesystem::path& server_root);

}  // namespace court::testing

#endif  // COURT_TESTS_SUPPORT_COURT_SERVER_PROCESS_H_
