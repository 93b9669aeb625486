// A child process that reads a file on the parent's behalf, one request at
// a time, and answers each in messages through a pipe as it goes.
//
// The child runs with a memory ceiling and each answer under a deadline.
// Its messages reach the parent's handler while it is still reading, so
// neither side holds more than a message at a time. An access::Error thrown
// in the child is thrown again in the parent; a crash, a deadline passed or
// any other failure becomes kDamagedFile naming the file.
//
// One child serves every request: a process started for each one would
// share the parent's memory copy-on-write while the parent stores what it
// sends, and the parent would pay a page copy for every page it writes.

#ifndef COURT_PLATFORM_JET_READING_CHILD_H_
#define COURT_PLATFORM_JET_READING_CHILD_H_

#include <sys/types.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace court::jet {

struct ReadLimits {
  std::chrono::seconds time{120};
  std::size_t memory_bytes = std::size_t{4} << 30;  // beyond what the file's own size needs
};

// The child's end of the pipe. Messages are gathered and written in large
// pieces; a message is a kind (any byte but the channel's own) and bytes.
class MessageSender {
 public:
  explicit MessageSender(int fd) : fd_(fd) {}
  void Send(char kind, std::string_view bytes);
  // False when the parent is gone.
  bool Flush();

 private:
  int fd_;
  std::string pending_;
};

using MessageHandler = std::function<void(char kind, std::string_view bytes)>;

class ReadingChild {
 public:
  // What the child does for a request: reads and sends its messages.
  using Serve = std::function<void(std::uint32_t request, MessageSender&)>;

  // `file` is the file the child reads, as messages name it; its size
  // raises the memory ceiling. No child runs until the first request.
  ReadingChild(std::filesystem::path file, std::uintmax_t file_size, ReadLimits limits, Serve serve);
  ~ReadingChild();  // stops the child
  ReadingChild(const ReadingChild&) = delete;
  ReadingChild& operator=(const ReadingChild&) = delete;

  // Asks for `request` and hands each message of the answer to `handle`;
  // returns when the answer is complete. A child is started when none
  // runs: for the first request, and after one failed. When `handle`
  // throws, the child is stopped and the exception goes on.
  void Ask(std::uint32_t request, const MessageHandler& handle);

 private:
  void Start();
  // Waits for the child, killed first when `kill`, closes the pipes and
  // returns how it ended.
  int End(bool kill);
  void Stop();  // ends the child, if one runs
  // Stops the child and throws kDamagedFile saying why it failed.
  [[noreturn]] void Failed(const std::string& why);
  // The child ended on its own: waits for it and throws kDamagedFile
  // saying how.
  [[noreturn]] void Died();

  std::filesystem::path file_;
  std::uintmax_t file_size_;
  ReadLimits limits_;
  Serve serve_;
  pid_t pid_ = -1;
  int requests_ = -1;  // the parent's ends of the two pipes
  int answers_ = -1;
};

}  // namespace court::jet

#endif  // COURT_PLATFORM_JET_READING_CHILD_H_
