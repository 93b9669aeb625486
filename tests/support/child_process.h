// Programs run by the tests: the project's own (court-setup, court-sqlcmd,
// court-server, court-catalogue) and the clients and tools it is checked
// against. A program gets its arguments as a list, never through a shell,
// so no argument needs quoting; its standard output and standard error are
// collected whole.
//
//   ProgramResult r = RunProgram({.argv = {"court-sqlcmd", "-S", root, "-Q", sql},
//                                 .env = {{"LC_ALL", "C.UTF-8"}}, .timeout = std::chrono::seconds(60)});
//   EXPECT_EQ(r.exit_code, 0) << r.err;

#ifndef COURT_TESTS_SUPPORT_CHILD_PROCESS_H_
#define COURT_TESTS_SUPPORT_CHILD_PROCESS_H_

#include <sys/types.h>

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace court::testing {

// Variables set on top of this process's environment; one mapped to nothing is removed.
using Environment = std::map<std::string, std::optional<std::string>>;

struct Command {
  // The program (a path, or a name looked up on PATH) and its arguments.
  std::vector<std::string> argv;
  Environment env = {};
  // Its standard input; without it, the program reads an empty input.
  std::optional<std::string> input = {};
  // Past this it is killed (SIGKILL) and the result says so; zero: no limit.
  std::chrono::seconds timeout{0};
  // Standard error goes into standard output, interleaved as written.
  bool err_into_out = false;
};

struct ProgramResult {
  int exit_code = -1;  // 128 + N when signal N ended it, as a shell reports it
  std::string out, err;
  bool timed_out = false;
};

// A program started and left running while the test works beside it.
class ChildProcess {
 public:
  // Starts it; throws std::runtime_error when it cannot be started.
  explicit ChildProcess(const Command& command);
  // Kills (SIGKILL) and reaps it when still running.
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  pid_t pid() const { return pid_; }
  bool Running();
  // What it has written to standard output so far.
  std::string OutputSoFar() const;
  // Sends it a signal (SIGTERM to stop it as an administrator does, SIGKILL
  // as a power cut does) without waiting.
  void Signal(int signal);
  // Waits for its end (within the command's timeout) and returns what it left.
  ProgramResult Wait();

 private:
  pid_t pid_ = -1;
  int out_ = -1, err_ = -1;
  std::chrono::steady_clock::time_point deadline_;
  bool has_deadline_ = false;
  bool reaped_ = false;
  int status_ = 0;
};

// Runs a program to its end.
ProgramResult RunProgram(const Command& command);

}  // namespace court::testing

#endif  // COURT_TESTS_SUPPORT_CHILD_PROCESS_H_
