// The system procedures EXEC can call, in one table (procedures.cpp): for
// each its name, the handler that runs it, who may call it and whether it
// runs inside the statement's write transaction.
//
// A handler reports its errors as the server's procedures do (raiserror)
// and lets the batch go on; it checks the finer rights (securityadmin,
// db_owner, ...) itself. What it returns is the procedure's return status.

#ifndef COURT_PLATFORM_MSSQL_SYSTEM_PROCEDURES_H_
#define COURT_PLATFORM_MSSQL_SYSTEM_PROCEDURES_H_

#include <string_view>

#include "platform/mssql/ast.h"

namespace court::mssql {

class StatementContext;

struct SystemProcedure {
  std::string_view name;  // in lower case
  int (*run)(StatementContext& x, const ExecStmt& s);
  // Refused with 229 to any login but a sysadmin.
  bool sysadmin_only = false;
  // Writes nothing stored and may wait for another session (the application
  // locks): a write transaction around it would keep that session from
  // writing meanwhile.
  bool outside_write_transaction = false;
};

// The procedure called name (any case), or null.
const SystemProcedure* FindSystemProcedure(std::string_view name);

}  // namespace court::mssql

#endif  // COURT_PLATFORM_MSSQL_SYSTEM_PROCEDURES_H_
