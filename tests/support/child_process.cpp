#include "tests/support/child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace court::testing {
namespace {

// An anonymous file: the child writes into it and this process reads it
// back, however much there is, without a pipe that could fill and stall.
int AnonymousFile(const char* name) {
  const int fd = ::memfd_create(name, MFD_CLOEXEC);
  if (fd < 0) throw std::runtime_error(std::string("memfd_create: ") + std::strerror(errno));
  return fd;
}

std::string ReadWhole(int fd) {
  std::string text;
  char buffer[65536];
  for (ssize_t n; (n = ::pread(fd, buffer, sizeof buffer, static_cast<off_t>(text.size()))) > 0;)
    text.append(buffer, static_cast<std::size_t>(n));
  return text;
}

std::vector<std::string> EnvironmentOf(const Environment& changes) {
  std::vector<std::string> entries;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string text = *entry;
    if (!changes.contains(text.substr(0, text.find('=')))) entries.push_back(text);
  }
  for (const auto& [name, value] : changes)
    if (value) entries.push_back(name + "=" + *value);
  return entries;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  for (std::string& text : texts) pointers.push_back(text.data());
  pointers.push_back(nullptr);
  return pointers;
}

int ExitCode(int status) {
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : -1;
}

}  // namespace

ChildProcess::ChildProcess(const Command& command) {
  if (command.argv.empty()) throw std::runtime_error("no program to run");
  out_ = AnonymousFile("stdout");
  err_ = command.err_into_out ? -1 : AnonymousFile("stderr");
  int in = -1;
  if (command.input) {
    in = AnonymousFile("stdin");
    if (::write(in, command.input->data(), command.input->size()) != static_cast<ssize_t>(command.input->size()))
      throw std::runtime_error("cannot write the input of " + command.argv[0]);
    ::lseek(in, 0, SEEK_SET);
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (in >= 0) posix_spawn_file_actions_adddup2(&actions, in, STDIN_FILENO);
  else posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, out_, STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, command.err_into_out ? out_ : err_, STDERR_FILENO);
  std::vector<std::string> argv = command.argv, env = EnvironmentOf(command.env);
  const int failed = ::posix_spawnp(&pid_, argv[0].c_str(), &actions, nullptr, Pointers(argv).data(),
                                    Pointers(env).data());
  posix_spawn_file_actions_destroy(&actions);
  if (in >= 0) ::close(in);
  if (failed != 0) {
    pid_ = -1;
    throw std::runtime_error("cannot run " + command.argv[0] + ": " + std::strerror(failed));
  }
  has_deadline_ = command.timeout.count() > 0;
  deadline_ = std::chrono::steady_clock::now() + command.timeout;
}

ChildProcess::~ChildProcess() {
  if (pid_ > 0 && !reaped_) {
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, &status_, 0);
  }
  if (out_ >= 0) ::close(out_);
  if (err_ >= 0) ::close(err_);
}

bool ChildProcess::Running() {
  if (!reaped_ && ::waitpid(pid_, &status_, WNOHANG) == pid_) reaped_ = true;
  return !reaped_;
}

std::string ChildProcess::OutputSoFar() const { return ReadWhole(out_); }

void ChildProcess::Signal(int signal) {
  if (!reaped_) ::kill(pid_, signal);
}

ProgramResult ChildProcess::Wait() {
  ProgramResult result;
  if (has_deadline_) {
    // Short naps: most programs the tests run end within milliseconds.
    auto nap = std::chrono::milliseconds(1);
    while (Running() && std::chrono::steady_clock::now() < deadline_) {
      std::this_thread::sleep_for(nap);
      nap = std::min(nap * 2, std::chrono::milliseconds(50));
    }
    if (Running()) {
      ::kill(pid_, SIGKILL);
      result.timed_out = true;
    }
  }
  if (!reaped_) {
    ::waitpid(pid_, &status_, 0);
    reaped_ = true;
  }
  result.exit_code = ExitCode(status_);
  result.out = ReadWhole(out_);
  if (err_ >= 0) result.err = ReadWhole(err_);
  return result;
}

ProgramResult RunProgram(const Command& command) { return ChildProcess(command).Wait(); }

}  // namespace court::testing
