// A child process that reads a file on the parent's behalf and answers in
// messages through a pipe, as it goes.
//
// The child runs with a memory ceiling and under a deadline. Its messages
// reach the parent's handler while it is still reading, so neither side
// holds more than a message at a time. An access::Error thrown in the child
// is thrown again in the parent; a crash, a deadline passed or any other
// failure becomes kDamagedFile naming the file.

#ifndef COURT_PLATFORM_JET_READING_CHILD_H_
#define COURT_PLATFORM_JET_READING_CHILD_H_

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

// Runs `read` in a child and hands each message it sends to `handle` as it
// arrives; returns when the child has finished. `file` is the file the
// child reads, as messages name it; its size raises the memory ceiling.
// When `handle` throws, the child is stopped and the exception goes on.
void RunReadingChild(const std::filesystem::path& file, std::uintmax_t file_size, const ReadLimits& limits,
                     const std::function<void(MessageSender&)>& read, const MessageHandler& handle);

}  // namespace court::jet

#endif  // COURT_PLATFORM_JET_READING_CHILD_H_
