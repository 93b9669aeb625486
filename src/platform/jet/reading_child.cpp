#include "platform/jet/reading_child.h"

#include <fcntl.h>
#include <malloc.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <utility>

#include "platform/access/error.h"
#include "platform/jet/mdb_file.h"

#if defined(__SANITIZE_ADDRESS__)
#define COURT_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define COURT_ADDRESS_SANITIZER 1
#endif
#endif

namespace court::jet {
namespace {

// The channel's own messages; the reader's use other kinds.
constexpr char kFailed = '\x01';    // an error number, then its description
constexpr char kFinished = '\x02';  // the last message of a read that went well

constexpr std::size_t kHeaderSize = 1 + sizeof(std::uint32_t);  // kind, length
constexpr std::size_t kSendSize = std::size_t{1} << 16;
constexpr std::size_t kPipeBytes = std::size_t{1} << 20;

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

std::string Failure(int number, const std::string& description) {
  return std::string(reinterpret_cast<const char*>(&number), sizeof number) + description;
}

bool ReadAll(int fd, void* data, std::size_t size) {
  auto* bytes = static_cast<char*>(data);
  while (size > 0) {
    const ssize_t n = ::read(fd, bytes, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

// Runs in the child: answers requests until the parent closes its end.
// Never returns.
[[noreturn]] void ServeInChild(const std::filesystem::path& file, std::uintmax_t file_size,
                               const ReadLimits& limits, const ReadingChild::Serve& serve, int requests,
                               int answers) {
#ifndef COURT_ADDRESS_SANITIZER
  // The sanitizers reserve terabytes of shadow memory; elsewhere a ceiling
  // turns runaway allocation into a failed read.
  const rlimit memory{limits.memory_bytes + 16 * file_size, RLIM_INFINITY};
  ::setrlimit(RLIMIT_AS, &memory);
#endif
  // A document's row is built and freed whole, one after another; were the
  // heap given back each time, it would be asked for again for the next.
  ::mallopt(M_TRIM_THRESHOLD, 64 << 20);
  // libmdb talks on standard error about pages it cannot make sense of,
  // without end on some damaged files; the parent's error says it instead.
  const int quiet = ::open("/dev/null", O_WRONLY);
  if (quiet >= 0) ::dup2(quiet, STDERR_FILENO);
  MessageSender sender(answers);
  std::uint32_t request = 0;
  while (ReadAll(requests, &request, sizeof request)) {
    try {
      serve(request, sender);
      sender.Send(kFinished, {});
    } catch (const access::Error& error) {
      sender.Send(kFailed, Failure(error.number(), error.description()));
    } catch (const std::exception& error) {
      sender.Send(kFailed, Failure(kDamagedFile, DamagedFileText(file, error.what())));
    }
    if (!sender.Flush()) _exit(1);
  }
  _exit(0);
}

std::string ChildFailure(int status) {
  if (WIFSIGNALED(status))
    return WTERMSIG(status) == SIGKILL ? "the reader ran out of memory or was stopped"
                                       : std::string("the reader failed (") + strsignal(WTERMSIG(status)) + ")";
  return "the reader failed (exit status " + std::to_string(WEXITSTATUS(status)) + ")";
}

int WaitFor(pid_t pid) {
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return status;
}

// The parent's end of the pipe: the child's messages as they complete.
class MessageReader {
 public:
  MessageReader(int fd, std::chrono::steady_clock::time_point deadline) : fd_(fd), deadline_(deadline) {}

  enum class Outcome { kMessage, kEnd, kLate };

  // The next whole message, the end of the pipe, or the deadline passed.
  Outcome Next(char& kind, std::string_view& bytes) {
    for (;;) {
      if (Complete(kind, bytes)) return Outcome::kMessage;
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline_ - std::chrono::steady_clock::now());
      if (left.count() <= 0) return Outcome::kLate;
      pollfd ready{fd_, POLLIN, 0};
      const int polled = ::poll(&ready, 1, static_cast<int>(std::min<long long>(left.count(), 1000)));
      if (polled < 0 && errno != EINTR) return Outcome::kEnd;
      if (polled <= 0) continue;
      if (!Fill()) return Outcome::kEnd;
    }
  }

 private:
  bool Complete(char& kind, std::string_view& bytes) {
    const std::size_t available = buffer_.size() - start_;
    if (available < kHeaderSize) return false;
    std::uint32_t size = 0;
    std::memcpy(&size, buffer_.data() + start_ + 1, sizeof size);
    if (available < kHeaderSize + size) return false;
    kind = buffer_[start_];
    bytes = std::string_view(buffer_).substr(start_ + kHeaderSize, size);
    start_ += kHeaderSize + size;
    return true;
  }

  // False at the end of the pipe.
  bool Fill() {
    if (start_ > 0) {  // what was handed out has been used by now
      buffer_.erase(0, start_);
      start_ = 0;
    }
    char chunk[kSendSize];
    for (;;) {
      const ssize_t n = ::read(fd_, chunk, sizeof chunk);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false;
      buffer_.append(chunk, static_cast<std::size_t>(n));
      return true;
    }
  }

  int fd_;
  std::chrono::steady_clock::time_point deadline_;
  std::string buffer_;
  std::size_t start_ = 0;
};

}  // namespace

void MessageSender::Send(char kind, std::string_view bytes) {
  const auto size = static_cast<std::uint32_t>(bytes.size());
  pending_.push_back(kind);
  pending_.append(reinterpret_cast<const char*>(&size), sizeof size);
  pending_.append(bytes);
  if (pending_.size() >= kSendSize && !Flush()) throw std::runtime_error("the reading process lost its parent");
}

bool MessageSender::Flush() {
  const bool written = WriteAll(fd_, pending_);
  pending_.clear();
  return written;
}

ReadingChild::ReadingChild(std::filesystem::path file, std::uintmax_t file_size, ReadLimits limits, Serve serve)
    : file_(std::move(file)), file_size_(file_size), limits_(limits), serve_(std::move(serve)) {}

ReadingChild::~ReadingChild() { Stop(); }

void ReadingChild::Start() {
  // Requests go through a socket, which a write to a child that has died
  // fails without a signal.
  int requests[2] = {-1, -1}, answers[2] = {-1, -1};
  if (::socketpair(AF_UNIX, SOCK_STREAM, 0, requests) != 0 || ::pipe(answers) != 0) {
    for (int fd : {requests[0], requests[1], answers[0], answers[1]})
      if (fd >= 0) ::close(fd);
    throw access::Error(kDamagedFile, "cannot create a pipe to read '" + file_.string() + "'");
  }
  // A larger pipe lets the child read on while the parent stores (the
  // system may refuse; the default then serves, only slower).
  ::fcntl(answers[1], F_SETPIPE_SZ, static_cast<int>(kPipeBytes));
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::close(requests[1]);
    ::close(answers[0]);
    ServeInChild(file_, file_size_, limits_, serve_, requests[0], answers[1]);
  }
  ::close(requests[0]);
  ::close(answers[1]);
  if (pid < 0) {
    ::close(requests[1]);
    ::close(answers[0]);
    throw access::Error(kDamagedFile, "cannot start a process to read '" + file_.string() + "'");
  }
  pid_ = pid;
  requests_ = requests[1];
  answers_ = answers[0];
}

int ReadingChild::End(bool kill) {
  if (kill) ::kill(pid_, SIGKILL);
  const int status = WaitFor(std::exchange(pid_, -1));
  ::close(requests_);
  ::close(answers_);
  return status;
}

void ReadingChild::Stop() {
  if (pid_ >= 0) End(true);
}

void ReadingChild::Failed(const std::string& why) {
  End(true);
  throw access::Error(kDamagedFile, DamagedFileText(file_, why));
}

void ReadingChild::Died() { throw access::Error(kDamagedFile, DamagedFileText(file_, ChildFailure(End(false)))); }

void ReadingChild::Ask(std::uint32_t request, const MessageHandler& handle) {
  if (pid_ < 0) Start();
  // A child that died since its last answer shows here or in its answer.
  if (::send(requests_, &request, sizeof request, MSG_NOSIGNAL) != static_cast<ssize_t>(sizeof request)) Died();
  MessageReader messages(answers_, std::chrono::steady_clock::now() + limits_.time);
  char kind = 0;
  std::string_view bytes;
  MessageReader::Outcome outcome;
  try {
    while ((outcome = messages.Next(kind, bytes)) == MessageReader::Outcome::kMessage && kind != kFailed &&
           kind != kFinished)
      handle(kind, bytes);
  } catch (...) {
    Stop();  // it is half-way through an answer no one will read
    throw;
  }
  if (outcome == MessageReader::Outcome::kLate)
    Failed("reading it did not finish within " + std::to_string(limits_.time.count()) + " seconds");
  if (outcome == MessageReader::Outcome::kEnd) Died();
  if (kind == kFailed) {
    int number = 0;
    if (bytes.size() < sizeof number) Failed("the reader sent a failure it did not describe");
    std::memcpy(&number, bytes.data(), sizeof number);
    throw access::Error(number, std::string(bytes.substr(sizeof number)));
  }
}

}  // namespace court::jet
