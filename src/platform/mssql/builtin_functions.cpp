#include "platform/mssql/builtin_functions.h"

#include "platform/mssql/name_table.h"
#include "platform/mssql/sql_functions.h"

namespace court::mssql {

namespace {

using enum ResultType;
using enum ArgumentRule;
using enum FunctionForm;

constexpr SqliteFunction kGetDate{"getdate", 0, 0, SqlGetDate, false};
constexpr SqliteFunction kLen{"len", 1, 1, SqlLen};
constexpr SqliteFunction kDataLength{"datalength", 2, 2, SqlDataLength};
constexpr SqliteFunction kCharIndex{"charindex", 2, 3, SqlCharIndex};
constexpr SqliteFunction kReplace{"replace", 3, 3, SqlReplace};

// Sorted by name, which FindBuiltinFunction relies on.
constexpr BuiltinFunction kFunctions[] = {
    {"abs", 1, 1, kFirstArgument, "abs($0)"},
    {"avg", 1, 1, kFirstArgument, "avg($d$0)", true, kAsWritten, kAverage},
    {"charindex", 2, 3, kInt, "charindex($*)", false, kAsWritten, kTemplate, kCharIndex},
    {"coalesce", 2, kAnyArguments, kFirstArgument, "coalesce($*)", false, kLikeFirst},
    {"count", 1, 1, kInt, "count($d$*)", true},
    {"datalength", 1, 1, kInt, "datalength($0, $u)", false, kAsWritten, kTemplate, kDataLength},
    {"day", 1, 1, kInt, "CAST(substr($0, 9, 2) AS INTEGER)", false, kAsDatetime},
    {"db_name", 0, 1, kName, "", false, kAsWritten, kDatabaseName},
    {"getdate", 0, 0, kDatetime, "getdate()", false, kAsWritten, kTemplate, kGetDate},
    {"isnull", 2, 2, kFirstArgument, "coalesce($*)", false, kLikeFirst},
    {"left", 2, 2, kText, "substr($0, 1, $1)"},
    {"len", 1, 1, kInt, "len($0)", false, kAsWritten, kTemplate, kLen},
    {"lower", 1, 1, kText, "lower($0)"},
    {"ltrim", 1, 1, kText, "ltrim($0)"},
    {"max", 1, 1, kFirstArgument, "max($d$0)", true},
    {"min", 1, 1, kFirstArgument, "min($d$0)", true},
    {"month", 1, 1, kInt, "CAST(substr($0, 6, 2) AS INTEGER)", false, kAsDatetime},
    {"object_id", 1, 1, kInt, "", false, kAsWritten, kObjectId},
    {"objectproperty", 2, 2, kInt, "", false, kAsWritten, kObjectProperty},
    {"replace", 3, 3, kText, "replace($*)", false, kAsWritten, kTemplate, kReplace},
    {"right", 2, 2, kText, "substr($0, -($1))"},
    {"round", 2, 3, kFirstArgument, "round($*)", false, kAsWritten, kRound},
    {"rtrim", 1, 1, kText, "rtrim($0)"},
    {"substring", 3, 3, kText, "substr($0, $1, $2)"},
    {"sum", 1, 1, kFirstArgument, "sum($d$0)", true},
    {"suser_sname", 0, 1, kName, "'sa' COLLATE CI"},
    {"upper", 1, 1, kText, "upper($0)"},
    {"user_name", 0, 1, kName, "'dbo' COLLATE CI"},
    {"year", 1, 1, kInt, "CAST(substr($0, 1, 4) AS INTEGER)", false, kAsDatetime},
};

static_assert(SortedByName(kFunctions));

// Called by the SQL the compiler writes, never by name from T-SQL: LIKE
// under the server's collation, conversions into a type, the check of a
// divisor, and exact arithmetic.
constexpr SqliteFunction kHelpers[] = {
    {"like", 2, 3, SqlLike},
    {"court_convert", 8, 8, SqlConvert, true, true},
    {"court_divisor", 1, 1, SqlDivisor, true, true},
    {"court_exact", 3, 3, SqlExact, true, true},
    {"court_natural", 2, 2, SqlNatural},
    {"court_add", 5, 5, SqlExactArithmetic<ExactOp::kAdd>, true, true},
    {"court_subtract", 5, 5, SqlExactArithmetic<ExactOp::kSubtract>, true, true},
    {"court_multiply", 5, 5, SqlExactArithmetic<ExactOp::kMultiply>, true, true},
    {"court_divide", 5, 5, SqlExactArithmetic<ExactOp::kDivide>, true, true},
    {"court_modulo", 5, 5, SqlExactArithmetic<ExactOp::kModulo>, true, true},
    {"court_round", 3, 4, SqlExactRound, true, true},
};

}  // namespace

const BuiltinFunction* FindBuiltinFunction(std::string_view name) {
  return FindByName(kFunctions, name);
}

bool IsAggregateFunction(std::string_view name) {
  const BuiltinFunction* f = FindBuiltinFunction(name);
  return f != nullptr && f->aggregate;
}

std::span<const SqliteFunction> EngineHelperFunctions() { return kHelpers; }
std::span<const BuiltinFunction> BuiltinFunctions() { return kFunctions; }

}  // namespace court::mssql
