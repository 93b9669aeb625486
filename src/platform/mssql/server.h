// An embedded server: a root directory holding master and the folders that
// stand for the server's drives.
//
// Every database other than master is one SQLite file at the mapped path
// of its primary data file, as master.dbo.sysdatabases records it.

#ifndef COURT_PLATFORM_MSSQL_SERVER_H_
#define COURT_PLATFORM_MSSQL_SERVER_H_

#include <filesystem>
#include <optional>
#include <string>

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

 private:
  std::filesystem::path root_;
  system::DriveMap drives_;
};

}  // namespace court::mssql

#endif  // COURT_PLATFORM_MSSQL_SERVER_H_
