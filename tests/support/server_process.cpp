#include "tests/support/server_process.h"

#include <signal.h>

#include <chrono>
#include <stdexcept>
#include <thread>

namespace court::testing {
namespace {

Command ServerCommand(const std::filesystem::path& root, const std::vector<std::string>& arguments) {
  Command command{.argv = {COURT_BUILD_DIR "/court-server", "-S", root.string(), "--listen", "127.0.0.1:0"},
                  .env = {{"COURT_SERVER_SA_PASSWORD", kSaPassword}}};
  command.argv.insert(command.argv.end(), arguments.begin(), arguments.end());
  return command;
}

}  // namespace

ServerProcess::ServerProcess(const std::filesystem::path& root, const std::vector<std::string>& arguments)
    : process_(ServerCommand(root, arguments)) {
  // "court-server: listening on 127.0.0.1:PORT, serving DIR"
  std::string out;
  while ((out = process_.OutputSoFar()).find('\n') == std::string::npos && process_.Running())
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  const std::string line = out.substr(0, out.find('\n'));
  const std::size_t colon = line.find("127.0.0.1:");
  if (colon == std::string::npos) {
    process_.Signal(SIGTERM);
    const ProgramResult ended = process_.Wait();
    stopped_ = true;
    throw std::runtime_error("court-server did not start: " + ended.out + ended.err);
  }
  port_ = std::stoi(line.substr(colon + 10));
}

ServerProcess::~ServerProcess() { Stop(); }

bool ServerProcess::running() { return !stopped_ && process_.Running(); }

int ServerProcess::Stop() {
  if (stopped_) return -1;
  stopped_ = true;
  process_.Signal(SIGTERM);
  return process_.Wait().exit_code;
}

void ServerProcess::Kill() {
  process_.Signal(SIGKILL);
  Stop();  // reaps it
}

}  // namespace court::testing
