// court-setup run as a separate process on an embedded server, as an
// administrator runs it, optionally under the crash preload (kill_shim.cpp)
// that kills it or fails its writes at a chosen point.

#ifndef COURT_TESTS_SUPPORT_SETUP_PROCESS_H_
#define COURT_TESTS_SUPPORT_SETUP_PROCESS_H_

#include <filesystem>
#include <string>

namespace court::testing {

inline constexpr int kKilled = 137;  // the shell's status for a process ended by SIGKILL

struct SetupRun {
  int exit_code = -1;
  std::string err;
};

// The command line of court-setup --headless on server with catalogue (and
// --drive D:), its transcript into transcript, preceded by env (VAR=value
// words, the preload among them when asked).
std::string SetupCommand(const std::filesystem::path& server, const std::string& catalogue,
                         const std::filesystem::path& transcript, const std::string& env = "");

// Runs a shell command; its exit code and standard error.
SetupRun RunCommand(const std::string& command, const std::filesystem::path& err_file);

// "LD_PRELOAD=<the crash preload>"
std::string Preload();

// Statements and page writes of a run of command under the preload.
struct RunCounts {
  long statements = 0, page_writes = 0;
};
RunCounts CountRun(const std::string& command_without_env, const std::filesystem::path& scratch);

}  // namespace court::testing

#endif  // COURT_TESTS_SUPPORT_SETUP_PROCESS_H_
