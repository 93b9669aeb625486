#include "tests/support/court_setup_process.h"

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

fs::path TranscriptFile(const fs::path& folder, const std::string& name) {
  const fs::path file = folder / (name + ".jsonl");
  fs::remove(file);  // a run before under the same name left its own
  return file;
}

Command SetupCommand(const fs::path& folder, const fs::path& transcript, const SetupOptions& options) {
  Command command{.argv = {COURT_BUILD_DIR "/court-setup", "--headless"}, .env = options.env};
  if (options.quiet) command.argv.push_back("--quiet");
  command.argv.insert(command.argv.end(), {"--server", options.server, "--transcript", transcript.string()});
  command.argv.insert(command.argv.end(), options.arguments.begin(), options.arguments.end());
  command.env["COURT_SETUP_PASSWORD"] = options.password;
  command.env["HOME"] = folder.string();
  return command;
}

}  // namespace

CourtSetupProcess::CourtSetupProcess(const fs::path& folder, const std::string& name, const SetupOptions& options)
    : transcript_(TranscriptFile(folder, name)), process_(SetupCommand(folder, transcript_, options)) {}

std::size_t CourtSetupProcess::TranscriptLines() const {
  const std::string text = ReadAll(transcript_);
  return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

SetupOutcome CourtSetupProcess::Wait() {
  ProgramResult result = process_.Wait();
  SetupOutcome outcome{result.exit_code, std::move(result.out), std::move(result.err), {}};
  std::istringstream lines(ReadAll(transcript_));
  for (std::string line; std::getline(lines, line);) outcome.transcript.push_back(line);
  return outcome;
}

SetupOutcome RunCourtSetup(const fs::path& folder, const std::string& name, const SetupOptions& options) {
  return CourtSetupProcess(folder, name, options).Wait();
}

Environment UnderCrashPreload(Environment settings) {
  settings["LD_PRELOAD"] = COURT_BUILD_DIR "/tests/support/libcourt_kill_shim.so";
  return settings;
}

RunCounts CountRun(const fs::path& folder, SetupOptions options) {
  const fs::path counts = folder / "counts";
  options.env = UnderCrashPreload({{"COURT_COUNT_FILE", counts.string()}});
  RunCourtSetup(folder, "counted", options);
  RunCounts result;
  std::ifstream(counts) >> result.statements >> result.page_writes;
  return result;
}

}  // namespace court::testing
