// The SQLite side of the built-in functions that compiled T-SQL calls:
// their implementations, and the registration of those that
// builtin_functions.h names, with the collation "CI" beside them, on every
// connection the engine opens.

#ifndef COURT_PLATFORM_MSSQL_SQL_FUNCTIONS_H_
#define COURT_PLATFORM_MSSQL_SQL_FUNCTIONS_H_

#include <sqlite3.h>

#include <optional>
#include <string_view>

#include "platform/access/error.h"
#include "platform/mssql/datetime_text.h"
#include "platform/mssql/exact_number.h"

namespace court::mssql {

// State the SQL functions share with the engine on one connection.
struct FunctionContext {
  DateOrder date_order = DateOrder::kMdy;
  // A T-SQL error raised inside a function; rethrown once SQLite returns.
  std::optional<access::Error> pending;
};

void RegisterServerFunctions(sqlite3* db, FunctionContext* context);

// What the implementations share: an argument's text, whether any argument
// is NULL, and raising a T-SQL error (for the functions registered with the
// connection's FunctionContext).
std::string_view TextArg(sqlite3_value* v);
bool AnyNull(int argc, sqlite3_value** argv);
void RaiseError(sqlite3_context* ctx, access::Error error);

// The implementations, as sqlite3_create_function takes them.
void SqlGetDate(sqlite3_context* ctx, int argc, sqlite3_value** argv);
void SqlLen(sqlite3_context* ctx, int argc, sqlite3_value** argv);
// datalength(value, unicode): bytes the value takes on the server; text
// counts in code page 936, or two bytes a character for Unicode types.
void SqlDataLength(sqlite3_context* ctx, int argc, sqlite3_value** argv);
// court_convert(value, xtype, length, precision, scale, unicode_source,
// source_xtype, source_scale): the conversion of a value into a column or
// variable of that type. A money or decimal source (its xtype, else 0) is
// units at source_scale; any other is the value as it is.
void SqlConvert(sqlite3_context* ctx, int argc, sqlite3_value** argv);
// court_divisor(x): x itself, unless it is zero, which no division or
// modulo of the server accepts.
void SqlDivisor(sqlite3_context* ctx, int argc, sqlite3_value** argv);
// Exact arithmetic on units of money and decimal values (exact_number.h):
// court_exact(x, from, to): units at scale `from` (or a float or text
// number) as units at `to`; court_natural(x, scale): units as a float;
// court_add, court_subtract, court_multiply, court_divide and court_modulo
// (a, scale_a, b, scale_b, to); court_round(x, scale, places[, truncate]).
// Overflow raises 8115, a zero divisor 8134.
void SqlExact(sqlite3_context* ctx, int argc, sqlite3_value** argv);
void SqlNatural(sqlite3_context* ctx, int argc, sqlite3_value** argv);
template <ExactOp op>
void SqlExactArithmetic(sqlite3_context* ctx, int argc, sqlite3_value** argv);
void SqlExactRound(sqlite3_context* ctx, int argc, sqlite3_value** argv);
// like(pattern, value[, escape]): SQLite passes the pattern first.
void SqlLike(sqlite3_context* ctx, int argc, sqlite3_value** argv);
// replace(text, pattern, replacement), the pattern found under the collation.
void SqlReplace(sqlite3_context* ctx, int argc, sqlite3_value** argv);
// charindex(needle, haystack[, start]): 1-based, 0 when not found.
void SqlCharIndex(sqlite3_context* ctx, int argc, sqlite3_value** argv);

}  // namespace court::mssql

#endif  // COURT_PLATFORM_MSSQL_SQL_FUNCTIONS_H_
