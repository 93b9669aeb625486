#include "tests/support/court_setup_process.h"

#include <sys/wait.h>
#include <csignal>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>

namespace court::testing {
namespace fs = std::filesystem;
namespace {

std::string ReadAll(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

CourtSetupProcess::CourtSetupProcess(const fs::path& folder, const std::string& name, const std::string& server,
                                     const std::vector<std::string>& arguments, const std::string& password)
    : out_(folder / (name + ".out")), err_(folder / (name + ".err")), transcript_(folder / (name + ".jsonl")) {
  fs::remove(transcript_);
  std::vector<std::string> argv = {std::string(COURT_BUILD_DIR) + "/court-setup", "--headless", "--quiet", "--server", server,
                                   "--transcript", transcript_.string()};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  std::fflush(nullptr);  // the child must not write out what this process buffered
  pid_ = fork();
  if (pid_ != 0) return;
  if (!freopen(out_.c_str(), "w", stdout) || !freopen(err_.c_str(), "w", stderr)) _exit(127);
  setenv("COURT_SETUP_PASSWORD", password.c_str(), 1);
  setenv("HOME", folder.c_str(), 1);  // this machine's own drives go there
  std::vector<char*> pointers;
  for (std::string& a : argv) pointers.push_back(a.data());
  pointers.push_back(nullptr);
  execv(pointers[0], pointers.data());
  _exit(127);
}

std::size_t CourtSetupProcess::TranscriptLines() const {
  const std::string text = ReadAll(transcript_);
  return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

SetupOutcome CourtSetupProcess::Wait() {
  int status = 0;
  waitpid(pid_, &status, 0);
  SetupOutcome outcome{WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadAll(out_), ReadAll(err_), {}};
  std::istringstream lines(ReadAll(transcript_));
  for (std::string line; std::getline(lines, line);) outcome.transcript.push_back(line);
  return outcome;
}

void CourtSetupProcess::Kill() { kill(pid_, SIGKILL); }

SetupOutcome RunCourtSetup(const fs::path& folder, const std::string& name, const std::string& server,
                           const std::vector<std::string>& arguments, const std::string& password) {
  return CourtSetupProcess(folder, name, server, arguments, password).Wait();
}

}  // namespace court::testing
