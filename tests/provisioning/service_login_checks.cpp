#include "tests/provisioning/service_login_checks.h"

namespace court::provisioning::testing {

using court::testing::Installation;
using court::testing::Sent;

std::vector<std::string> LoginStatements() {
  return {
      "SELECT name FROM master.dbo.sysdatabases WHERE name = N'vek'",
      "if not exists (select * from master.dbo.syslogins where loginname = N'vek')\r\n"
      "BEGIN\r\n"
      "   declare @logindb nvarchar(132), @loginlang nvarchar(132) select @logindb = N'master', @loginlang = "
      "N'简体中文'\r\n"
      "    if @logindb is null or not exists (select * from master.dbo.sysdatabases where name = "
      "@logindb)\r\n"
      "       select @logindb = N'master'\r\n"
      "   if @loginlang is null or (not exists (select * from master.dbo.syslanguages where name = "
      "@loginlang) "
      "and @loginlang <> N'us_english')\r\n"
      "     select @loginlang = @@language\r\n"
      "    exec sp_addlogin N'vek', 'pobtrew47', @logindb, @loginlang\r\n"
      "END",
      "exec sp_addsrvrolemember N'vek', serveradmin",
      "exec sp_addsrvrolemember N'vek', setupadmin",
      "exec sp_addsrvrolemember N'vek', processadmin",
      "exec sp_addsrvrolemember N'vek', diskadmin",
      "exec sp_addsrvrolemember N'vek', dbcreator",
      "exec sp_addsrvrolemember N'vek', bulkadmin"};
}

std::vector<std::string> SqlOf(const std::vector<Sent>& sent) {
  std::vector<std::string> sql;
  for (const Sent& s : sent) sql.push_back(s.sql);
  return sql;
}

std::vector<std::string> VekLogins(Installation& installation) {
  return installation.Rows(
      "master",
      "SELECT name, dbname, language, serveradmin, setupadmin, processadmin, diskadmin, dbcreator, "
      "bulkadmin, sysadmin, securityadmin FROM master.dbo.syslogins WHERE name = N'vek'");
}

bool VekIsUserBoundToLogin(Installation& installation, const std::string& database) {
  std::vector<std::string> login =
      installation.Rows("master", "SELECT sid FROM master.dbo.syslogins WHERE name = N'vek'");
  std::vector<std::string> user = installation.Rows(database, "SELECT sid FROM sysusers WHERE name = N'vek'");
  return login.size() == 1 && user == login;
}

std::set<std::string> VekRights(Installation& installation, const std::string& database) {
  std::vector<std::string> rights = installation.Rows(
      database,
      "SELECT o.name, p.action FROM sysprotects p INNER JOIN sysusers u ON u.uid = p.uid LEFT OUTER JOIN "
      "sysobjects o ON o.id = p.id WHERE u.name = N'vek' AND p.protecttype = 205");
  return {rights.begin(), rights.end()};
}

std::set<std::string> RightsVekLacks(Installation& installation, const std::string& database) {
  // sysprotects action codes: the statement permissions of GRANT ALL outside
  // master, then SELECT, INSERT, DELETE, UPDATE, REFERENCES and EXECUTE.
  std::set<std::string> rights;
  for (const char* action : {"178", "198", "207", "222", "228", "233", "235", "236"})
    rights.insert(std::string("NULL\t") + action);
  for (const std::string& object : installation.Rows(
           database, "SELECT name, RTRIM(xtype) FROM sysobjects WHERE xtype IN ('U', 'V', 'S', 'P')")) {
    std::string name = object.substr(0, object.find('\t'));
    std::string xtype = object.substr(object.find('\t') + 1);
    std::vector<std::string> actions = {"193", "195", "196", "197", "26"};
    if (xtype == "V") actions.pop_back();
    if (xtype == "P") actions = {"224"};
    for (const std::string& action : actions) rights.insert(name + "\t" + action);
  }
  for (const std::string& held : VekRights(installation, database)) rights.erase(held);
  return rights;
}

}  // namespace court::provisioning::testing
