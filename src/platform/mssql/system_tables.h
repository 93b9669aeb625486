// The system tables of every database and of master, as the server
// defines them: names, object ids and columns with their declared types.
//
// They are real tables in each database file, so a query on sysobjects or
// master.dbo.sysdatabases is compiled like a query on any user table.

#ifndef COURT_PLATFORM_MSSQL_SYSTEM_TABLES_H_
#define COURT_PLATFORM_MSSQL_SYSTEM_TABLES_H_

#include <string>
#include <vector>

namespace court::mssql {

struct SystemColumn {
  std::string name;
  std::string type;  // as declared: "nvarchar(128)", "int"
};

struct SystemTable {
  std::string name;
  int id = 0;
  bool master_only = false;  // sysdatabases, syslogins, ...
  std::vector<SystemColumn> columns;
  std::string view_sql;  // non-empty for the shipped views (sysconstraints)
};

const std::vector<SystemTable>& SystemTables();

// The table of that name (case-insensitive), or null.
const SystemTable* FindSystemTable(const std::string& name, bool in_master);

}  // namespace court::mssql

#endif  // COURT_PLATFORM_MSSQL_SYSTEM_TABLES_H_
