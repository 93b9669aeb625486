#include "platform/mssql/server_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

#include "platform/mssql/sqlite_db.h"
#include "platform/mssql/storage_error.h"

namespace court::mssql {

namespace {

// As long as a busy SQLite file is waited for.
constexpr auto kLockWait = std::chrono::seconds(30);

}  // namespace

ServerLock::ServerLock(const std::filesystem::path& root) {
  const std::filesystem::path file = root / "server.lock";
  fd_ = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd_ < 0) throw StorageError(SQLITE_CANTOPEN, "cannot open " + file.string(), errno);
  const auto deadline = std::chrono::steady_clock::now() + kLockWait;
  while (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
    if (errno != EWOULDBLOCK && errno != EINTR) {
      const int error = errno;
      ::close(fd_);
      throw StorageError(SQLITE_IOERR, "cannot lock " + file.string(), error);
    }
    if (std::chrono::steady_clock::now() > deadline) {
      ::close(fd_);
      throw StorageError(SQLITE_BUSY, file.string());
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

ServerLock::~ServerLock() { ::close(fd_); }

}  // namespace court::mssql
