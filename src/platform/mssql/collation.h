// Chinese_PRC_CI_AS on SQLite: the collation, LIKE, and the built-in
// functions that T-SQL statements call (getdate, rtrim, len, isnull, ...).
//
// Comparisons ignore letter case and trailing blanks, as the server's
// default collation does; they are registered as collation "CI" on every
// connection the engine opens.

#ifndef COURT_PLATFORM_MSSQL_COLLATION_H_
#define COURT_PLATFORM_MSSQL_COLLATION_H_

#include <sqlite3.h>

#include <optional>
#include <string_view>

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

// The collation's three-way comparison.
int CompareCi(std::string_view a, std::string_view b);

// T-SQL LIKE under the collation: %, _, [set], [^set], [a-z], with an
// optional escape character.
bool LikeMatch(std::string_view pattern, std::string_view value, int escape = -1);

}  // namespace court::mssql

#endif  // COURT_PLATFORM_MSSQL_COLLATION_H_
