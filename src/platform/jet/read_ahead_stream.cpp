#include "platform/jet/read_ahead_stream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>

namespace court::jet {
namespace {

// Sixteen 4 KiB pages a window. A few windows, because a reader goes back
// and forth between a table's data pages and the pages its long values and
// usage maps are on.
constexpr std::size_t kWindowBytes = 64 * 1024;
constexpr std::size_t kWindows = 4;

class ReadAheadFile {
 public:
  ReadAheadFile(int fd, off64_t size) : fd_(fd), size_(size) {}
  ~ReadAheadFile() { ::close(fd_); }
  ReadAheadFile(const ReadAheadFile&) = delete;
  ReadAheadFile& operator=(const ReadAheadFile&) = delete;

  // Copies up to `size` bytes from the current position on; 0 at the end,
  // -1 when the file cannot be read.
  ssize_t Read(char* out, std::size_t size) {
    std::size_t done = 0;
    while (done < size && position_ < size_) {
      const Window* window = Holding(position_);
      if (window == nullptr) return done > 0 ? static_cast<ssize_t>(done) : -1;
      const std::size_t offset = static_cast<std::size_t>(position_ - window->start);
      const std::size_t take = std::min(size - done, window->filled - offset);
      std::memcpy(out + done, window->bytes.get() + offset, take);
      done += take;
      position_ += static_cast<off64_t>(take);
    }
    return static_cast<ssize_t>(done);
  }

  int Seek(off64_t* offset, int whence) {
    if (whence != SEEK_SET && whence != SEEK_CUR && whence != SEEK_END) return -1;
    const off64_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? position_ : size_;
    if (base + *offset < 0) return -1;
    position_ = base + *offset;
    *offset = position_;
    return 0;
  }

 private:
  struct Window {
    off64_t start = -1;
    std::size_t filled = 0;
    unsigned long long used = 0;  // when last read from, for replacing the oldest
    // Made when first filled, and not cleared: a file opened to read one
    // table's definition uses one window.
    std::unique_ptr<char[]> bytes;
  };

  // The window holding `position`, read into the oldest one if none does.
  const Window* Holding(off64_t position) {
    Window* oldest = &windows_[0];
    for (Window& window : windows_) {
      if (window.start >= 0 && position >= window.start &&
          position < window.start + static_cast<off64_t>(window.filled)) {
        window.used = ++clock_;
        return &window;
      }
      if (window.used < oldest->used) oldest = &window;
    }
    const off64_t start = position - position % static_cast<off64_t>(kWindowBytes);
    if (!oldest->bytes) oldest->bytes = std::make_unique_for_overwrite<char[]>(kWindowBytes);
    const ssize_t got = ::pread64(fd_, oldest->bytes.get(), kWindowBytes, start);
    if (got <= 0 || start + got <= position) {
      oldest->start = -1;
      return nullptr;
    }
    oldest->start = start;
    oldest->filled = static_cast<std::size_t>(got);
    oldest->used = ++clock_;
    return oldest;
  }

  int fd_;
  off64_t size_;
  off64_t position_ = 0;
  unsigned long long clock_ = 0;
  std::array<Window, kWindows> windows_;
};

}  // namespace

std::FILE* OpenReadAheadStream(int fd) {
  struct stat64 status;
  if (::fstat64(fd, &status) != 0 || !S_ISREG(status.st_mode)) return nullptr;
  const int own = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
  if (own < 0) return nullptr;
  auto* file = new ReadAheadFile(own, status.st_size);
  const cookie_io_functions_t functions = {
      [](void* f, char* out, std::size_t size) { return static_cast<ReadAheadFile*>(f)->Read(out, size); },
      nullptr,
      [](void* f, off64_t* offset, int whence) { return static_cast<ReadAheadFile*>(f)->Seek(offset, whence); },
      [](void* f) {
        delete static_cast<ReadAheadFile*>(f);
        return 0;
      }};
  std::FILE* stream = ::fopencookie(file, "r", functions);
  if (stream == nullptr) {
    delete file;
    return nullptr;
  }
  // A buffer of one page: stdio then hands a page read to the windows whole
  // (an unbuffered stream would ask for it a byte at a time), and has little
  // to throw away when libmdb seeks to the end.
  std::setvbuf(stream, nullptr, _IOFBF, 4096);
  return stream;
}

}  // namespace court::jet
