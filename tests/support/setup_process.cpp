#include "tests/support/setup_process.h"

#include <cstdlib>
#include <fstream>
#include <iterator>

namespace court::testing {

std::string SetupCommand(const std::filesystem::path& server, const std::string& catalogue,
                         const std::filesystem::path& transcript, const std::string& env) {
  return env + (env.empty() ? "" : " ") + std::string(COURT_BUILD_DIR) +
         "/court-setup --headless --server 'embedded:" + server.string() + "' --catalogue '" + catalogue +
         "' --drive D: --transcript '" + transcript.string() + "'";
}

SetupRun RunCommand(const std::string& command, const std::filesystem::path& err_file) {
  const std::string full = command + " >/dev/null 2>'" + err_file.string() + "'";
  const int status = std::system(full.c_str());
  SetupRun run;
  run.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  std::ifstream in(err_file, std::ios::binary);
  run.err.assign(std::istreambuf_iterator<char>(in), {});
  return run;
}

std::string Preload() { return "LD_PRELOAD='" + std::string(COURT_BUILD_DIR) + "/tests/support/libcourt_kill_shim.so'"; }

RunCounts CountRun(const std::string& command_without_env, const std::filesystem::path& scratch) {
  const std::filesystem::path counts = scratch / "counts";
  RunCommand(Preload() + " COURT_COUNT_FILE='" + counts.string() + "' " + command_without_env, scratch / "err");
  RunCounts result;
  std::ifstream(counts) >> result.statements >> result.page_writes;
  return result;
}

}  // namespace court::testing
