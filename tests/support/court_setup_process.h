// The real build/court-setup --headless as a child process, as an
// administrator runs it: run to its end, or started and watched (its
// transcript grows as it works) while a test does something to the server
// under it; optionally under the crash preload (kill_shim.cpp) that kills
// it or fails its writes at a chosen point.

#ifndef COURT_TESTS_SUPPORT_COURT_SETUP_PROCESS_H_
#define COURT_TESTS_SUPPORT_COURT_SETUP_PROCESS_H_

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/child_process.h"

namespace court::testing {

struct SetupOutcome {
  int exit_code = -1;
  std::string out, err;
  std::vector<std::string> transcript;  // its lines, as written
};

// court-setup --headless [--quiet] --server SERVER --transcript
// <folder>/NAME.jsonl ARGUMENTS, with COURT_SETUP_PASSWORD set to password,
// HOME set to folder (this machine's own drives go there) and env.
struct SetupOptions {
  std::string server;
  std::vector<std::string> arguments;
  std::string password = "";
  Environment env = {};
  bool quiet = true;  // no progress lines on standard error
};

class CourtSetupProcess {
 public:
  // Starts court-setup; its output is collected.
  CourtSetupProcess(const std::filesystem::path& folder, const std::string& name, const SetupOptions& options);

  // Lines of the transcript so far.
  std::size_t TranscriptLines() const;
  SetupOutcome Wait();

 private:
  std::filesystem::path transcript_;
  ChildProcess process_;
};

// Runs court-setup to its end.
SetupOutcome RunCourtSetup(const std::filesystem::path& folder, const std::string& name, const SetupOptions& options);

// The exit code of a run the crash preload killed (SIGKILL).
inline constexpr int kKilled = 128 + 9;

// settings (COURT_KILL_AFTER_STATEMENT, COURT_KILL_AFTER_WRITE,
// COURT_FAIL_WRITE_AFTER, COURT_FAIL_ERRNO: see kill_shim.cpp) with the
// crash preload that acts on them.
Environment UnderCrashPreload(Environment settings);

// Statements and page writes of a run of court-setup to its end.
struct RunCounts {
  long statements = 0, page_writes = 0;
};
RunCounts CountRun(const std::filesystem::path& folder, SetupOptions options);

}  // namespace court::testing

#endif  // COURT_TESTS_SUPPORT_COURT_SETUP_PROCESS_H_
