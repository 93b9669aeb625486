// An embedded server: a root directory holding master and the folders that
// stand for the server's drives.
//
// Every database other than master is one SQLite file at the mapped path
// of its primary data file, as master.dbo.sysdatabases records it.

#ifndef COURT_PLATFORM_MSSQL_SERVER_H_
#define COURT_PLATFORM_MSSQL_SERVER_H_

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/mssql/sqlite_db.h"
#include "platform/system/drive_map.h"

namespace court::mssql {

struct DatabaseEntry {
  std::string name;  // as recorded
  int dbid = 0;
  std::filesystem::path file;  // local file of the primary data file
};

class Server {
 public:
  // Creates master and the drives C and D when the root is used first.
  explicit Server(std::filesystem::path root);

  const std::filesystem::path& root() const { return root_; }
  const system::DriveMap& drives() const { return drives_; }
  std::filesystem::path MasterFile() const { return root_ / "master.mdf"; }

  // The database of that name (case-insensitive) from master's
  // sysdatabases on the given master connection (schema "main" or "master").
  std::optional<DatabaseEntry> FindDatabase(SqliteDb& master, const std::string& schema,
                                            const std::string& name) const;

  // Idle SQLite connections by database file. A new connection reads the
  // whole schema before its first statement, and the installer opens a
  // connection for nearly every table it looks at; reusing one keeps that
  // cost (and the prepared statements) to the first. Borrow gives null when
  // none is idle; only connections outside a transaction are given back,
  // and a connection whose file was since replaced is never lent again.
  // Sessions on several threads may borrow and give back at once.
  std::unique_ptr<SqliteDb> Borrow(const std::filesystem::path& file) { return Borrow(file, FileId(file)); }
  // file_id: FileId(file), taken by the caller just now.
  std::unique_ptr<SqliteDb> Borrow(const std::filesystem::path& file, std::uintmax_t file_id);
  // file_id: FileId(file) when the connection was opened or borrowed.
  // Returns the lease under which the connection waits, or 0 when it was
  // closed instead.
  std::uint64_t GiveBack(const std::filesystem::path& file, std::uintmax_t file_id, std::unique_ptr<SqliteDb> db);
  // The connection given back under that lease, when no other session has
  // borrowed it since; null otherwise. A session takes its own connection
  // back this way at its next batch without asking the file system for the
  // file's identity: the engine never replaces a database file it has
  // recorded, and a session's next batch is no different from its next
  // statement in that.
  std::unique_ptr<SqliteDb> TakeBack(const std::filesystem::path& file, std::uint64_t lease);

  // What tells one file from another that replaced it at the same path (its
  // inode); 0 when there is no file.
  static std::uintmax_t FileId(const std::filesystem::path& file);

 private:
  std::filesystem::path root_;
  system::DriveMap drives_;
  struct Idle {
    std::uintmax_t file_id;  // inode of the file the connection has open
    std::uint64_t lease;
    std::unique_ptr<SqliteDb> db;
  };
  std::mutex idle_mutex_;  // guards idle_ and last_lease_
  std::map<std::filesystem::path, std::vector<Idle>> idle_;
  std::uint64_t last_lease_ = 0;
};

}  // namespace court::mssql

#endif  // COURT_PLATFORM_MSSQL_SERVER_H_
