#include "platform/jet/isolated_read.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "platform/access/error.h"
#include "platform/jet/mdb_file.h"
#include "platform/jet/table_stream.h"

#if defined(__SANITIZE_ADDRESS__)
#define COURT_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define COURT_ADDRESS_SANITIZER 1
#endif
#endif

namespace court::jet {
namespace {

// The child's answer starts with one of these.
constexpr char kTables = 'T';
constexpr char kError = 'E';

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

std::string ErrorAnswer(int number, const std::string& description) {
  std::string answer(1, kError);
  answer.append(reinterpret_cast<const char*>(&number), sizeof number);
  return answer + description;
}

// Runs in the child; never returns.
[[noreturn]] void ReadInChild(const std::filesystem::path& path, const ReadLimits& limits, int out) {
#ifndef COURT_ADDRESS_SANITIZER
  // The sanitizers reserve terabytes of shadow memory; elsewhere a ceiling
  // turns runaway allocation into a failed read.
  std::error_code ignored;
  const rlimit memory{limits.memory_bytes + 16 * std::filesystem::file_size(path, ignored),
                      RLIM_INFINITY};
  ::setrlimit(RLIMIT_AS, &memory);
#endif
  // libmdb talks on standard error about pages it cannot make sense of,
  // without end on some damaged files; the parent's error says it instead.
  const int quiet = ::open("/dev/null", O_WRONLY);
  if (quiet >= 0) ::dup2(quiet, STDERR_FILENO);
  std::string answer;
  try {
    MdbFile file(path);
    answer.push_back(kTables);
    AppendTables(ReadAllTables(file), answer);
  } catch (const access::Error& error) {
    answer = ErrorAnswer(error.number(), error.description());
  } catch (const std::exception& error) {
    answer = ErrorAnswer(kDamagedFile, DamagedFileText(path, error.what()));
  }
  _exit(WriteAll(out, answer) ? 0 : 1);
}

// Reads the child's whole answer, or stops at the deadline.
bool ReadAnswer(int in, std::chrono::steady_clock::time_point deadline, std::string& answer) {
  char buffer[1 << 16];
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    pollfd ready{in, POLLIN, 0};
    int polled = ::poll(&ready, 1, static_cast<int>(std::min<long long>(left.count(), 1000)));
    if (polled < 0 && errno != EINTR) return true;
    if (polled <= 0) continue;
    ssize_t n = ::read(in, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return true;
    answer.append(buffer, static_cast<std::size_t>(n));
  }
}

std::string ChildFailure(int status) {
  if (WIFSIGNALED(status))
    return WTERMSIG(status) == SIGKILL ? "the reader ran out of memory or was stopped"
                                       : std::string("the reader failed (") + strsignal(WTERMSIG(status)) + ")";
  return "the reader failed (exit status " + std::to_string(WEXITSTATUS(status)) + ")";
}

}  // namespace

std::vector<Table> ReadTablesIsolated(const std::filesystem::path& path, ReadLimits limits) {
  CheckJetFile(path);  // missing or plainly not a Jet file: said without a child
  int pipe_ends[2];
  if (::pipe(pipe_ends) != 0) throw access::Error(kDamagedFile, "cannot create a pipe to read '" + path.string() + "'");
  const pid_t child = ::fork();
  if (child < 0) {
    ::close(pipe_ends[0]);
    ::close(pipe_ends[1]);
    throw access::Error(kDamagedFile, "cannot start a process to read '" + path.string() + "'");
  }
  if (child == 0) {
    ::close(pipe_ends[0]);
    ReadInChild(path, limits, pipe_ends[1]);
  }
  ::close(pipe_ends[1]);
  std::string answer;
  const bool finished = ReadAnswer(pipe_ends[0], std::chrono::steady_clock::now() + limits.time, answer);
  ::close(pipe_ends[0]);
  if (!finished) ::kill(child, SIGKILL);
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  if (!finished)
    throw access::Error(kDamagedFile, DamagedFileText(path, "reading it did not finish within " +
                                                                std::to_string(limits.time.count()) + " seconds"));
  if (answer.empty() || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
    throw access::Error(kDamagedFile, DamagedFileText(path, ChildFailure(status)));
  if (answer[0] == kError && answer.size() >= 1 + sizeof(int)) {
    int number = 0;
    std::memcpy(&number, answer.data() + 1, sizeof number);
    throw access::Error(number, answer.substr(1 + sizeof number));
  }
  try {
    return TablesFromBytes(std::string_view(answer).substr(1));
  } catch (const std::invalid_argument& error) {
    throw access::Error(kDamagedFile, DamagedFileText(path, error.what()));
  }
}

}  // namespace court::jet
