// The lock of a server root for changes that span more than one file:
// making master, and creating a database (its files and master's rows).
//
// An exclusive flock on DIR/server.lock. The kernel lets it go when the
// holder ends, however it ends, so a killed process never leaves it held.
// Waiting for another process is bounded; then 1222 as SQL Server's lock
// timeout.

#ifndef COURT_PLATFORM_MSSQL_SERVER_LOCK_H_
#define COURT_PLATFORM_MSSQL_SERVER_LOCK_H_

#include <filesystem>

namespace court::mssql {

class ServerLock {
 public:
  explicit ServerLock(const std::filesystem::path& root);
  ~ServerLock();
  ServerLock(const ServerLock&) = delete;
  ServerLock& operator=(const ServerLock&) = delete;

 private:
  int fd_ = -1;
};

}  // namespace court::mssql

#endif  // COURT_PLATFORM_MSSQL_SERVER_LOCK_H_
