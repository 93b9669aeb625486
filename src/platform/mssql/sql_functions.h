// The built-in functions that compiled T-SQL calls inside SQLite: getdate,
// len, charindex, datalength, LIKE, and the engine's own conversions
// (court_convert, court_divisor), with the collation "CI" registered
// beside them on every connection the engine opens.

#ifndef COURT_PLATFORM_MSSQL_SQL_FUNCTIONS_H_
#define COURT_PLATFORM_MSSQL_SQL_FUNCTIONS_H_

#include <sqlite3.h>

#include <optional>

#include "platform/access/error.h"
#include "platform/mssql/datetime_text.h"

namespace court::mssql {

// State the SQL functions share with the engine on one connection.
struct FunctionContext {
  DateOrder date_order = DateOrder::kMdy;
  // A T-SQL error raised inside a function; rethrown once SQLite returns.
  std::optional<access::Error> pending;
};

void RegisterServerFunctions(sqlite3* db, FunctionContext* context);

}  // namespace court::mssql

#endif  // COURT_PLATFORM_MSSQL_SQL_FUNCTIONS_H_
