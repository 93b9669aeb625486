#include "platform/access/error.h"
#include "platform/access/value.h"
#include "provisioning/connections.h"
#include "provisioning/service_login.h"

namespace court::provisioning {
namespace {

// The user may be missing, present already, or own objects; whichever way
// the statement fails, the grants that follow still have to be tried.
void ExecuteIgnoringFailure(access::Connection& connection, const std::string& sql) {
  try {
    connection.Execute(sql);
  } catch (const access::Error&) {
  }
}

// Dropping first rebinds a user brought over from another server to this
// server's login of the same name.
void RevokeDatabaseAccess(RunState& run) {
  ExecuteIgnoringFailure(run.shared_connection, "dbo.sp_revokedbaccess   '" + std::string(kLoginName) + "'");
}

void GrantDatabaseAccess(RunState& run) {
  const std::string login(kLoginName);
  ExecuteIgnoringFailure(run.shared_connection, "dbo.sp_grantdbaccess   '" + login + "' , '" + login + "'");
}

// On the shared connection as it is open: the user vek, all statement
// permissions, and every right on every view, table and procedure.
void GrantEverything(RunState& run) {
  const std::string login(kLoginName);
  RevokeDatabaseAccess(run);
  GrantDatabaseAccess(run);
  access::Recordset& objects = run.shared_recordset;
  objects.Open(run.shared_connection,
               "SELECT name FROM sysobjects WHERE (NOT (name IS NULL)) AND (xtype IN ('v', 'u', 's', 'p'))");
  run.shared_connection.Execute("GRANT all to  " + login);
  for (; !objects.Eof(); objects.MoveNext())
    run.shared_connection.Execute("GRANT all on " + access::Trimmed(objects.Fields("name").value()) +
                                  "   to " + login);
  objects.Close();
}

}  // namespace

void GrantPass(RunState& run, const std::string& database) {
  run.shared_connection.Open(ServerConnectionString(database));
  GrantEverything(run);
  run.shared_connection.Close();
}

}  // namespace court::provisioning
