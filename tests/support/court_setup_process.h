// The real build/court-setup --headless as a child process: run to its end,
// or started and watched (its transcript grows as it works) while a test
// does something to the server under it.

#ifndef COURT_TESTS_SUPPORT_COURT_SETUP_PROCESS_H_
#define COURT_TESTS_SUPPORT_COURT_SETUP_PROCESS_H_

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

namespace court::testing {

struct SetupOutcome {
  int exit_code = -1;
  std::string out, err;
  std::vector<std::string> transcript;  // its lines, as written
};

class CourtSetupProcess {
 public:
  // Starts court-setup --headless --quiet --server SERVER --transcript <folder>/NAME.jsonl
  // ARGUMENTS, with COURT_SETUP_PASSWORD set to password; output goes to files in folder.
  CourtSetupProcess(const std::filesystem::path& folder, const std::string& name, const std::string& server,
                    const std::vector<std::string>& arguments, const std::string& password = "");

  // Lines of the transcript so far.
  std::size_t TranscriptLines() const;
  SetupOutcome Wait();
  // Ends it at once (SIGKILL), as a power cut or kill -9 does.
  void Kill();

 private:
  std::filesystem::path out_, err_, transcript_;
  pid_t pid_ = -1;
};

// Runs court-setup to its end.
SetupOutcome RunCourtSetup(const std::filesystem::path& folder, const std::string& name, const std::string& server,
                           const std::vector<std::string>& arguments, const std::string& password = "");

}  // namespace court::testing

#endif  // COURT_TESTS_SUPPORT_COURT_SETUP_PROCESS_H_
