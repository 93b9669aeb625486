#include "tests/support/server_process.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <stdexcept>

namespace court::testing {

ServerProcess::ServerProcess(const std::filesystem::path& root, const std::vector<std::string>& arguments) {
  int out[2];
  if (::pipe(out) != 0) throw std::runtime_error("pipe failed");
  pid_ = ::fork();
  if (pid_ == 0) {
    ::dup2(out[1], STDOUT_FILENO);
    ::close(out[0]);
    ::close(out[1]);
    ::setenv("COURT_SERVER_SA_PASSWORD", kSaPassword, 1);
    const std::string program = COURT_BUILD_DIR "/court-server";
    std::vector<const char*> argv = {program.c_str(), "-S", root.c_str(), "--listen", "127.0.0.1:0"};
    for (const std::string& argument : arguments) argv.push_back(argument.c_str());
    argv.push_back(nullptr);
    ::execv(program.c_str(), const_cast<char* const*>(argv.data()));
    ::_exit(127);
  }
  ::close(out[1]);
  std::string line;
  char c;
  while (::read(out[0], &c, 1) == 1 && c != '\n') line += c;
  ::close(out[0]);
  // "court-server: listening on 127.0.0.1:PORT, serving DIR"
  const std::size_t colon = line.find("127.0.0.1:");
  if (colon == std::string::npos) {
    Stop();
    throw std::runtime_error("court-server did not start: " + line);
  }
  port_ = std::stoi(line.substr(colon + 10));
}

ServerProcess::~ServerProcess() {
  if (pid_ > 0) Stop();
}

bool ServerProcess::running() {
  int status;
  return pid_ > 0 && ::waitpid(pid_, &status, WNOHANG) == 0;
}

int ServerProcess::Stop() {
  if (pid_ <= 0) return -1;
  ::kill(pid_, SIGTERM);
  int status = 0;
  ::waitpid(pid_, &status, 0);
  pid_ = -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string RunCommand(const std::string& command, int* status) {
  std::string output;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) throw std::runtime_error("cannot run " + command);
  char buffer[4096];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
  int rc = ::pclose(pipe);
  if (status != nullptr) *status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
  return output;
}

}  // namespace court::testing
