// Application locks: sp_getapplock and sp_releaseapplock with a session as
// the owner.
//
// A lock is an flock on a file of the server root (DIR/applocks/), one file
// per resource name, opened by the session that holds it. flock belongs to
// the open file, so sessions of one process (court-server's clients) exclude
// each other as processes on one root do, and the kernel lets a lock go
// when its holder ends however it ends: a killed installer never leaves one
// held.

#ifndef COURT_PLATFORM_MSSQL_APP_LOCKS_H_
#define COURT_PLATFORM_MSSQL_APP_LOCKS_H_

#include <filesystem>
#include <map>
#include <string>

namespace court::mssql {

class AppLocks {
 public:
  AppLocks() = default;
  ~AppLocks();  // releases what the session still holds
  AppLocks(const AppLocks&) = delete;
  AppLocks& operator=(const AppLocks&) = delete;

  // sp_getapplock's status: 0 granted at once, 1 granted after waiting, -1
  // timed out. timeout_ms < 0 waits without end. A lock already held by the
  // session is granted again and must be released as often.
  int Acquire(const std::filesystem::path& root, const std::string& resource, bool exclusive, long timeout_ms);

  // False when the session does not hold the lock.
  bool Release(const std::string& resource);

 private:
  struct Held {
    int fd = -1;
    int count = 0;
  };
  std::map<std::string, Held> held_;
};

}  // namespace court::mssql

#endif  // COURT_PLATFORM_MSSQL_APP_LOCKS_H_
