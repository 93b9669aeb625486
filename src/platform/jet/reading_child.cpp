#include "platform/jet/reading_child.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>

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

// Runs in the child; never returns.
[[noreturn]] void ReadInChild(const std::filesystem::path& file, std::uintmax_t file_size, const ReadLimits& limits,
                              const std::function<void(MessageSender&)>& read, int out) {
#ifndef COURT_ADDRESS_SANITIZER
  // The sanitizers reserve terabytes of shadow memory; elsewhere a ceiling
  // turns runaway allocation into a failed read.
  const rlimit memory{limits.memory_bytes + 16 * file_size, RLIM_INFINITY};
  ::setrlimit(RLIMIT_AS, &memory);
#endif
  // libmdb talks on standard error about pages it cannot make sense of,
  // without end on some damaged files; the parent's error says it instead.
  const int quiet = ::open("/dev/null", O_WRONLY);
  if (quiet >= 0) ::dup2(quiet, STDERR_FILENO);
  MessageSender sender(out);
  try {
    read(sender);
    sender.Send(kFinished, {});
  } catch (const access::Error& error) {
    sender.Send(kFailed, Failure(error.number(), error.description()));
  } catch (const std::exception& error) {
    sender.Send(kFailed, Failure(kDamagedFile, DamagedFileText(file, error.what())));
  }
  _exit(sender.Flush() ? 0 : 1);
}

std::string ChildFailure(int status) {
  if (WIFSIGNALED(status))
    return WTERMSIG(status) == SIGKILL ? "the reader ran out of memory or was stopped"
                                       : std::string("the reader failed (") + strsignal(WTERMSIG(status)) + ")";
  return "the reader failed (exit status " + std::to_string(WEXITSTATUS(status)) + ")";
}

// The child process, stopped and waited for however the parent leaves.
class Child {
 public:
  explicit Child(pid_t pid) : pid_(pid) {}
  ~Child() {
    if (pid_ < 0) return;
    ::kill(pid_, SIGKILL);
    Wait();
  }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  int Wait() {
    int status = 0;
    while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    pid_ = -1;
    return status;
  }

 private:
  pid_t pid_;
};

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

void RunReadingChild(const std::filesystem::path& file, std::uintmax_t file_size, const ReadLimits& limits,
                     const std::function<void(MessageSender&)>& read, const MessageHandler& handle) {
  int pipe_ends[2];
  if (::pipe(pipe_ends) != 0)
    throw access::Error(kDamagedFile, "cannot create a pipe to read '" + file.string() + "'");
  // A larger pipe lets the child read on while the parent stores (the
  // system may refuse; the default then serves, only slower).
  ::fcntl(pipe_ends[1], F_SETPIPE_SZ, static_cast<int>(kPipeBytes));
  const pid_t pid = ::fork();
  if (pid < 0) {
    ::close(pipe_ends[0]);
    ::close(pipe_ends[1]);
    throw access::Error(kDamagedFile, "cannot start a process to read '" + file.string() + "'");
  }
  if (pid == 0) {
    ::close(pipe_ends[0]);
    ReadInChild(file, file_size, limits, read, pipe_ends[1]);
  }
  ::close(pipe_ends[1]);
  Child child(pid);
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } in{pipe_ends[0]};
  MessageReader messages(in.fd, std::chrono::steady_clock::now() + limits.time);
  char kind = 0;
  std::string_view bytes;
  MessageReader::Outcome outcome;
  while ((outcome = messages.Next(kind, bytes)) == MessageReader::Outcome::kMessage &&
         kind != kFailed && kind != kFinished)
    handle(kind, bytes);
  if (outcome == MessageReader::Outcome::kLate)
    throw access::Error(kDamagedFile, DamagedFileText(file, "reading it did not finish within " +
                                                                std::to_string(limits.time.count()) + " seconds"));
  if (outcome == MessageReader::Outcome::kMessage && kind == kFailed && bytes.size() >= sizeof(int)) {
    int number = 0;
    std::memcpy(&number, bytes.data(), sizeof number);
    throw access::Error(number, std::string(bytes.substr(sizeof number)));
  }
  const int status = child.Wait();
  if (outcome != MessageReader::Outcome::kMessage || kind != kFinished)
    throw access::Error(kDamagedFile, DamagedFileText(file, ChildFailure(status)));
}

}  // namespace court::jet
