// A real court-server for network tests: started on a fresh server root
// and a free port, stopped (SIGTERM, then waited for) on destruction.

#ifndef COURT_TESTS_SUPPORT_SERVER_PROCESS_H_
#define COURT_TESTS_SUPPORT_SERVER_PROCESS_H_

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

namespace court::testing {

inline constexpr const char* kSaPassword = "Court#Test1";

class ServerProcess {
 public:
  // Starts build/court-server -S root --listen 127.0.0.1:0 [arguments] with
  // sa's password in its environment, and waits until it says which port it
  // listens on.
  explicit ServerProcess(const std::filesystem::path& root, const std::vector<std::string>& arguments = {});
  ~ServerProcess();
  ServerProcess(const ServerProcess&) = delete;
  ServerProcess& operator=(const ServerProcess&) = delete;

  int port() const { return port_; }
  pid_t pid() const { return pid_; }
  // Sends SIGTERM and returns the exit status (-1 when killed by a signal).
  int Stop();
  bool running();

 private:
  pid_t pid_ = -1;
  int port_ = 0;
};

// Standard output of a shell command; `status` receives its exit status.
std::string RunCommand(const std::string& command, int* status = nullptr);

}  // namespace court::testing

#endif  // COURT_TESTS_SUPPORT_SERVER_PROCESS_H_
