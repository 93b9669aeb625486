#include "platform/mssql/app_locks.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <thread>

#include "platform/mssql/storage_error.h"
#include "platform/text/fnv.h"

namespace court::mssql {
namespace {

// A resource name may hold any character and 255 of them: its file is named
// by a hash (FNV-1a, the same in every program on the root).
std::string FileName(const std::string& resource) {
  const std::uint64_t hash = text::Fnv1a(resource);
  char name[32];
  std::snprintf(name, sizeof name, "%016llx.lock", static_cast<unsigned long long>(hash));
  return name;
}

}  // namespace

AppLocks::~AppLocks() {
  for (auto& [resource, held] : held_) ::close(held.fd);
}

int AppLocks::Acquire(const std::filesystem::path& root, const std::string& resource, bool exclusive,
                      long timeout_ms) {
  if (auto it = held_.find(resource); it != held_.end()) {
    ++it->second.count;
    return 0;
  }
  const std::filesystem::path folder = root / "applocks";
  std::error_code ignored;
  std::filesystem::create_directories(folder, ignored);
  const std::filesystem::path file = folder / FileName(resource);
  const int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) throw StorageError(SQLITE_CANTOPEN, "cannot open " + file.string(), errno);
  const auto start = std::chrono::steady_clock::now();
  bool waited = false;
  while (::flock(fd, (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0) {
    if (errno != EWOULDBLOCK && errno != EINTR) {
      const int error = errno;
      ::close(fd);
      throw StorageError(SQLITE_IOERR, "cannot lock " + file.string(), error);
    }
    if (timeout_ms >= 0 && std::chrono::steady_clock::now() - start >= std::chrono::milliseconds(timeout_ms)) {
      ::close(fd);
      return -1;
    }
    waited = true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  held_[resource] = {fd, 1};
  return waited ? 1 : 0;
}

bool AppLocks::Release(const std::string& resource) {
  auto it = held_.find(resource);
  if (it == held_.end()) return false;
  if (--it->second.count == 0) {
    ::close(it->second.fd);
    held_.erase(it);
  }
  return true;
}

}  // namespace court::mssql
