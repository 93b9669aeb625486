// The SQLite side of the built-in functions that compiled T-SQL calls:
// their implementations, and the registration of those that
// builtin_functions.h names, with the collation "CI" beside them, on every
// connection the engine opens.

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

// The implementations, as sqlite3_create_function takes them.
void SqlGetDate(sqlite3_context* ctx, int argc, sqlite3_value** argv);
void SqlLen(sqlite3_context* ctx, int argc, sqlite3_value** argv);
// datalength(value, unicode): bytes the value takes on the server; text
// counts in code page 936, or two bytes a character for Unicode types.
void SqlDataLength(sqlite3_context* ctx, int argc, sqlite3_value** argv);
// court_convert(value, xtype, length, precision, scale, unicode_source):
// the conversion of a value into a column or variable of that type.
void SqlConvert(sqlite3_context* ctx, int argc, sqlite3_value** argv);
// court_divisor(x): x itself, unless it is zero, which no division or
// modulo of the server accepts.
void SqlDivisor(sqlite3_context* ctx, int argc, sqlite3_value** argv);
// like(pattern, value[, escape]): SQLite passes the pattern first.
void SqlLike(sqlite3_context* ctx, int argc, sqlite3_value** argv);
// charindex(needle, haystack[, start]): 1-based, 0 when not found.
void SqlCharIndex(sqlite3_context* ctx, int argc, sqlite3_value** argv);

}  // namespace court::mssql

#endif  // COURT_PLATFORM_MSSQL_SQL_FUNCTIONS_H_
