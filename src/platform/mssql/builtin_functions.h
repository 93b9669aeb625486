// The built-in functions T-SQL may call, in one table: for each its name,
// how many arguments it takes, the type of its result, the SQLite SQL it
// compiles to and the SQLite function (if any) that SQL needs registered.
//
// The binder (binder.cpp) checks calls against the table, the emitter
// (sql_emitter.cpp) writes them from its templates, the
// aggregate checks ask it, and RegisterServerFunctions (sql_functions.h)
// registers what it names on every connection; no other place lists
// function names.
//
// A function's SQL is a template: $0, $1, $2 stand for its arguments'
// SQL, $* for all of them separated by commas (or * in count(*)), $d for
// "DISTINCT " when the call says DISTINCT, and $u for 1 when the first
// argument is Unicode text, else 0.

#ifndef COURT_PLATFORM_MSSQL_BUILTIN_FUNCTIONS_H_
#define COURT_PLATFORM_MSSQL_BUILTIN_FUNCTIONS_H_

#include <sqlite3.h>

#include <span>
#include <string_view>

namespace court::mssql {

// How many arguments a function takes when it has no upper limit.
constexpr int kAnyArguments = -1;

enum class ResultType {
  kInt,
  kDatetime,
  kName,           // nvarchar(128): database, user and login names
  kFirstArgument,  // the type of the first argument, in whose form all arguments are taken
  kText,           // the first argument's type if text, else varchar: a number is taken as its text
};

// How the arguments after the first are compiled.
enum class ArgumentRule {
  kAsWritten,
  kLikeFirst,    // converted as if compared with the first (isnull, coalesce)
  kAsDatetime,   // the first, converted as if compared with a datetime
};

// Calls the template alone cannot express.
enum class FunctionForm {
  kTemplate,
  kAverage,         // avg over integers stays an integer, over decimals keeps six decimals
  kRound,           // round of money or a decimal keeps its scale
  kObjectId,        // resolved while compiling: the name is a constant
  kObjectProperty,  // the property, a constant, picks a test of sysobjects
  kDatabaseName,    // the session's current database
};

using SqliteImplementation = void (*)(sqlite3_context*, int, sqlite3_value**);

// A function registered with SQLite for the compiled SQL to call.
struct SqliteFunction {
  const char* name = nullptr;  // null: SQLite's own function serves
  int min_args = 0;
  int max_args = 0;            // registered once for each count in between
  SqliteImplementation implementation = nullptr;
  bool deterministic = true;
  bool needs_context = false;  // its user data is the connection's FunctionContext
};

struct BuiltinFunction {
  std::string_view name;  // T-SQL's, in lower case
  int min_args;
  int max_args;           // or kAnyArguments
  ResultType result;
  std::string_view sql;   // the template; empty for the forms that build their own
  bool aggregate = false;
  ArgumentRule arguments = ArgumentRule::kAsWritten;
  FunctionForm form = FunctionForm::kTemplate;
  SqliteFunction sqlite = {};
};

// The function called name (any case), or null when T-SQL has none such.
const BuiltinFunction* FindBuiltinFunction(std::string_view name);

bool IsAggregateFunction(std::string_view name);

// Every SQLite function the compiled SQL may call: those the table names
// and the engine's own helpers (LIKE, conversions, divisors).
std::span<const SqliteFunction> EngineHelperFunctions();
std::span<const BuiltinFunction> BuiltinFunctions();

}  // namespace court::mssql

#endif  // COURT_PLATFORM_MSSQL_BUILTIN_FUNCTIONS_H_
