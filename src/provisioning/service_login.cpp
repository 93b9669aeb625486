#include "provisioning/service_login.h"

#include "platform/access/recordset.h"
#include "provisioning/connections.h"

namespace court::provisioning {
namespace {

// sysadmin and securityadmin are withheld on purpose.
constexpr std::string_view kServerRoles[] = {"serveradmin", "setupadmin", "processadmin",
                                             "diskadmin",   "dbcreator",  "bulkadmin"};

}  // namespace

std::string LoginBatch() {
  const std::string login(kLoginName);
  // Creates the login only where it is missing; the language falls back to
  // the server's own when 简体中文 is not installed.
  const std::string lines[] = {
      "if not exists (select * from master.dbo.syslogins where loginname = N'" + login + "')",
      "BEGIN",
      "   declare @logindb nvarchar(132), @loginlang nvarchar(132) select @logindb = N'master', "
      "@loginlang = N'简体中文'",
      "    if @logindb is null or not exists (select * from master.dbo.sysdatabases where name = @logindb)",
      "       select @logindb = N'master'",
      "   if @loginlang is null or (not exists (select * from master.dbo.syslanguages where name = "
      "@loginlang) and @loginlang <> N'us_english')",
      "     select @loginlang = @@language",
      "    exec sp_addlogin N'" + login + "', '" + std::string(kLoginPassword) + "', @logindb, @loginlang",
      "END"};
  std::string batch;
  for (const std::string& line : lines) batch += (batch.empty() ? "" : "\r\n") + line;
  return batch;
}

std::vector<std::string> ServerRoleStatements() {
  std::vector<std::string> statements;
  for (std::string_view role : kServerRoles)
    statements.push_back("exec sp_addsrvrolemember N'" + std::string(kLoginName) + "', " + std::string(role));
  return statements;
}

void EnsureServiceLogin(RunState& run) {
  OpenMasterConnection(run, run.shared_connection);
  // A database named like the login means the server is not ours to set up.
  access::OpenRecordset(
      run.shared_connection, run.shared_recordset,
      "SELECT name FROM master.dbo.sysdatabases WHERE name = N'" + std::string(kLoginName) + "'");
  if (run.shared_recordset.RecordCount() == 0) {
    run.shared_connection.Execute(LoginBatch());
    for (const std::string& statement : ServerRoleStatements()) run.shared_connection.Execute(statement);
  }
  run.shared_recordset.Close();
  run.shared_connection.Close();
}

}  // namespace court::provisioning
