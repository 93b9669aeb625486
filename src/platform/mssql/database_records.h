// The rows that record databases and their files, and the only code that
// writes them after a file is set up (database_setup.cpp seeds a new
// master): master's sysdatabases and sysaltfiles, and each database's own
// sysfiles.
//
// Every table name is qualified by its SQLite schema, so that a user table
// of the same name in the current database never receives these rows.

#ifndef COURT_PLATFORM_MSSQL_DATABASE_RECORDS_H_
#define COURT_PLATFORM_MSSQL_DATABASE_RECORDS_H_

#include <optional>
#include <string>

#include "platform/access/value.h"
#include "platform/mssql/sqlite_db.h"

namespace court::mssql {

// A data or log file as sysfiles and sysaltfiles list it; sizes in 8 KB
// pages, growth in pages or in percent (status 0x100000).
struct DatabaseFile {
  long long fileid = 0;
  long long groupid = 0;  // 1 for data, 0 for log
  long long size = 0;
  long long maxsize = -1;  // -1: unlimited
  long long growth = 0;
  long long status = 0;
  std::string name;      // padded as the server pads it
  std::string filename;  // likewise
};

// master: master's SQLite schema on db ("main" on master's own connection,
// "master" where it is attached to a user database's).
//
// Records a new database in master's sysdatabases, owned by the login of
// that sid; returns its dbid, the next one free.
long long AddDatabase(SqliteDb& db, const std::string& master, const std::string& name, const access::Value& owner,
                      const std::string& primary_file);

// A file of a database: without dbid in the database's own sysfiles
// (schema: the database's SQLite schema), with it in master's sysaltfiles
// (schema: master's).
void AddDatabaseFile(SqliteDb& db, const std::string& schema, const DatabaseFile& file,
                     std::optional<long long> dbid);

// Sets or clears an option bit of a database; column: "status" or
// "status2", the sysdatabases column that keeps the option.
void SetDatabaseOption(SqliteDb& db, const std::string& master, const std::string& database,
                       const std::string& column, long long bit, bool on);

}  // namespace court::mssql

#endif  // COURT_PLATFORM_MSSQL_DATABASE_RECORDS_H_
