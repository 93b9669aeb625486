#include "platform/mssql/system_variables.h"

#include <sqlite3.h>

#include "platform/mssql/name_table.h"

namespace court::mssql {

namespace {

using access::Value;

struct Variable {
  std::string_view name;  // lower case, without the @@
  Value (*value)(SessionState& session);
};

// Sorted by name, which SystemVariableValue relies on.
constexpr Variable kVariables[] = {
    {"error", [](SessionState& s) { return Value::Integer(s.last_error); }},
    {"identity", [](SessionState& s) { return s.last_identity ? Value::Integer(s.last_identity) : Value(); }},
    {"language", [](SessionState& s) { return Value::Text(s.language); }},
    {"max_precision", [](SessionState&) { return Value::Integer(38); }},
    {"rowcount", [](SessionState& s) { return Value::Integer(s.row_count); }},
    {"servername", [](SessionState&) { return Value::Text("(local)"); }},
    // Every session answers as the first user connection of SQL Server.
    {"spid", [](SessionState&) { return Value::Integer(51); }},
    // The server's transactions do not nest: one is open or none.
    {"trancount",
     [](SessionState& s) { return Value::Integer(sqlite3_get_autocommit(s.db().handle()) ? 0 : 1); }},
    {"version",
     [](SessionState&) {
       return Value::Text("Microsoft SQL Server  2000 - 8.00.2039 (Embedded court-setup engine)");
     }},
};

static_assert(SortedByName(kVariables));

}  // namespace

std::optional<Value> SystemVariableValue(SessionState& session, std::string_view name) {
  const Variable* variable = FindByName(kVariables, name);
  if (variable == nullptr) return std::nullopt;
  return variable->value(session);
}

}  // namespace court::mssql
