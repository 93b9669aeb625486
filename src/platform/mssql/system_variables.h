// The server's system variables (@@ROWCOUNT, @@ERROR, @@VERSION, ...), in
// one table of names and what each reads from the session.

#ifndef COURT_PLATFORM_MSSQL_SYSTEM_VARIABLES_H_
#define COURT_PLATFORM_MSSQL_SYSTEM_VARIABLES_H_

#include <optional>
#include <string_view>

#include "platform/access/value.h"
#include "platform/mssql/session_state.h"

namespace court::mssql {

// @@name's value in the session (name without the @@, any case), or
// nullopt when the server has no such variable.
std::optional<access::Value> SystemVariableValue(SessionState& session, std::string_view name);

}  // namespace court::mssql

#endif  // COURT_PLATFORM_MSSQL_SYSTEM_VARIABLES_H_
