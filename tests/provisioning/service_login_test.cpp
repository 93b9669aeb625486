// The service login and its rights, on a real embedded server.

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "platform/access/error.h"
#include "provisioning/service_login.h"
#include "tests/support/installation.h"

namespace court::provisioning {
namespace {

using testing::Installation;
using testing::Sent;
using Rows = std::vector<std::string>;

const std::string kLoginQuery = "SELECT name FROM master.dbo.sysdatabases WHERE name = N'vek'";

const std::string kExpectedBatch =
    "if not exists (select * from master.dbo.syslogins where loginname = N'vek')\r\n"
    "BEGIN\r\n"
    "   declare @logindb nvarchar(132), @loginlang nvarchar(132) select @logindb = N'master', @loginlang = "
    "N'简体中文'\r\n"
    "    if @logindb is null or not exists (select * from master.dbo.sysdatabases where name = @logindb)\r\n"
    "       select @logindb = N'master'\r\n"
    "   if @loginlang is null or (not exists (select * from master.dbo.syslanguages where name = @loginlang) "
    "and @loginlang <> N'us_english')\r\n"
    "     select @loginlang = @@language\r\n"
    "    exec sp_addlogin N'vek', 'pobtrew47', @logindb, @loginlang\r\n"
    "END";

const std::vector<std::string> kExpectedRoleStatements = {
    "exec sp_addsrvrolemember N'vek', serveradmin", "exec sp_addsrvrolemember N'vek', setupadmin",
    "exec sp_addsrvrolemember N'vek', processadmin", "exec sp_addsrvrolemember N'vek', diskadmin",
    "exec sp_addsrvrolemember N'vek', dbcreator",   "exec sp_addsrvrolemember N'vek', bulkadmin"};

std::vector<std::string> SqlOf(const std::vector<Sent>& sent) {
  std::vector<std::string> sql;
  for (const Sent& s : sent) sql.push_back(s.sql);
  return sql;
}

std::vector<std::string> LoginStatementsSent() {
  std::vector<std::string> sql = {kLoginQuery, kExpectedBatch};
  sql.insert(sql.end(), kExpectedRoleStatements.begin(), kExpectedRoleStatements.end());
  return sql;
}

class ServiceLoginTest : public ::testing::Test {
 protected:
  ServiceLoginTest() : installation_(nlohmann::json{{"tables", nlohmann::json::array()}}) {}

  // A court database with something of every kind the grants cover.
  void CreateCourtDatabase() {
    installation_.CreateDatabase("法院");
    installation_.Execute("法院", "CREATE TABLE 案件 (id int NOT NULL, 案号 nvarchar(20) NULL)");
    installation_.Execute("法院", "CREATE VIEW dbo.案件号 AS SELECT 案号 FROM dbo.案件");
  }

  // One row per login named vek: its default database, language and the
  // eight fixed server roles it does or does not hold.
  std::vector<std::string> VekLogins() {
    return installation_.Rows(
        "master",
        "SELECT name, dbname, language, serveradmin, setupadmin, processadmin, diskadmin, dbcreator, "
        "bulkadmin, sysadmin, securityadmin FROM master.dbo.syslogins WHERE name = N'vek'");
  }

  // Whether the database has a user vek bound to this server's login vek.
  bool VekIsUserBoundToLogin(const std::string& database) {
    std::vector<std::string> login = installation_.Rows("master", "SELECT sid FROM master.dbo.syslogins WHERE name = N'vek'");
    std::vector<std::string> user = installation_.Rows(database, "SELECT sid FROM sysusers WHERE name = N'vek'");
    return login.size() == 1 && user == login;
  }

  // What vek holds in a database, one "object<TAB>action" each; statement
  // permissions have the object NULL.
  std::set<std::string> VekRights(const std::string& database) {
    Rows rights = installation_.Rows(
        database,
        "SELECT o.name, p.action FROM sysprotects p INNER JOIN sysusers u ON u.uid = p.uid LEFT OUTER JOIN "
        "sysobjects o ON o.id = p.id WHERE u.name = N'vek' AND p.protecttype = 205");
    return {rights.begin(), rights.end()};
  }

  // The rights of a user database that vek does not hold: its statement
  // permissions, and per view, table, system table and procedure all that fits it.
  std::set<std::string> RightsVekLacks(const std::string& database) {
    std::set<std::string> rights;
    for (const char* action : {"178", "198", "207", "222", "228", "233", "235", "236"})
      rights.insert(std::string("NULL\t") + action);
    for (const std::string& object :
         installation_.Rows(database, "SELECT name, RTRIM(xtype) FROM sysobjects WHERE xtype IN ('U', 'V', 'S', 'P')")) {
      std::string name = object.substr(0, object.find('\t'));
      std::string xtype = object.substr(object.find('\t') + 1);
      std::vector<std::string> actions = {"193", "195", "196", "197", "26"};  // tables
      if (xtype == "V") actions.pop_back();                                    // no REFERENCES
      if (xtype == "P") actions = {"224"};                                     // EXECUTE
      for (const std::string& action : actions) rights.insert(name + "\t" + action);
    }
    for (const std::string& held : VekRights(database)) rights.erase(held);
    return rights;
  }

  Installation installation_;
};

TEST_F(ServiceLoginTest, CreatesTheLoginOnceWithSixRoles) {
  EnsureServiceLogin(installation_.run());
  EnsureServiceLogin(installation_.run());

  EXPECT_EQ(VekLogins(), std::vector<std::string>{"vek\tmaster\t简体中文\t1\t1\t1\t1\t1\t1\t0\t0"});
  std::vector<std::string> twice = LoginStatementsSent();
  std::vector<std::string> again = LoginStatementsSent();
  twice.insert(twice.end(), again.begin(), again.end());
  std::vector<Sent> sent = installation_.Transcript();
  EXPECT_EQ(SqlOf(sent), twice);
  for (const Sent& s : sent) {
    EXPECT_EQ(s.target, "master");
    EXPECT_TRUE(s.ok) << s.sql << ": " << s.error;
  }
  EXPECT_FALSE(installation_.run().shared_connection.is_open());
  EXPECT_FALSE(installation_.run().shared_recordset.is_open());
}

TEST_F(ServiceLoginTest, DatabaseNamedLikeTheLoginSuppressesIt) {
  installation_.CreateDatabase("vek");
  EnsureServiceLogin(installation_.run());

  EXPECT_TRUE(VekLogins().empty());
  EXPECT_EQ(SqlOf(installation_.Transcript()), std::vector<std::string>{kLoginQuery});
}

TEST_F(ServiceLoginTest, GrantPassMakesTheUserAndGrantsEverything) {
  CreateCourtDatabase();
  EnsureServiceLogin(installation_.run());
  installation_.ClearTranscript();
  GrantPass(installation_.run(), "法院");

  EXPECT_TRUE(VekIsUserBoundToLogin("法院"));
  EXPECT_EQ(RightsVekLacks("法院"), std::set<std::string>{});

  std::vector<Sent> sent = installation_.Transcript();
  ASSERT_GE(sent.size(), 6u);
  EXPECT_EQ(sent[0].sql, "dbo.sp_revokedbaccess   'vek'");
  EXPECT_FALSE(sent[0].ok) << "a fresh database has no user vek to drop";
  EXPECT_EQ(sent[1].sql, "dbo.sp_grantdbaccess   'vek' , 'vek'");
  EXPECT_TRUE(sent[1].ok) << sent[1].error;
  EXPECT_EQ(sent[2].sql,
            "SELECT name FROM sysobjects WHERE (NOT (name IS NULL)) AND (xtype IN ('v', 'u', 's', 'p'))");
  EXPECT_EQ(sent[3].sql, "GRANT all to  vek");
  std::set<std::string> granted;
  for (std::size_t i = 4; i < sent.size(); ++i) {
    EXPECT_EQ(sent[i].target, "法院");
    EXPECT_TRUE(sent[i].ok) << sent[i].sql << ": " << sent[i].error;
    granted.insert(sent[i].sql);
  }
  EXPECT_TRUE(granted.count("GRANT all on 案件   to vek"));
  EXPECT_TRUE(granted.count("GRANT all on 案件号   to vek"));
  EXPECT_TRUE(granted.count("GRANT all on sysobjects   to vek"));
}

TEST_F(ServiceLoginTest, SecondGrantPassChangesNothingAndRaisesNothing) {
  CreateCourtDatabase();
  EnsureServiceLogin(installation_.run());
  GrantPass(installation_.run(), "法院");
  std::set<std::string> rights_before = VekRights("法院");
  installation_.ClearTranscript();

  EnsureServiceLogin(installation_.run());
  GrantPass(installation_.run(), "法院");

  EXPECT_EQ(VekLogins().size(), 1u);
  EXPECT_TRUE(VekIsUserBoundToLogin("法院"));
  EXPECT_EQ(VekRights("法院"), rights_before);
  for (const Sent& s : installation_.Transcript()) EXPECT_TRUE(s.ok) << s.sql << ": " << s.error;
}

TEST_F(ServiceLoginTest, UserOfAnotherLoginIsRebound) {
  CreateCourtDatabase();
  // A database brought from another server: its user vek belongs to another login.
  installation_.Execute("master", "exec sp_addlogin N'old_vek', 'other'");
  installation_.Execute("法院", "exec sp_grantdbaccess N'old_vek', N'vek'");
  EnsureServiceLogin(installation_.run());
  GrantPass(installation_.run(), "法院");

  EXPECT_TRUE(VekIsUserBoundToLogin("法院"));
}

TEST_F(ServiceLoginTest, OnlyDatabaseAccessFailuresAreIgnored) {
  CreateCourtDatabase();
  // Without the login neither access statement can succeed, and then the
  // first GRANT has no grantee: that failure must reach the caller.
  try {
    GrantPass(installation_.run(), "法院");
    FAIL() << "GRANT to a missing user succeeded";
  } catch (const access::Error& e) {
    EXPECT_EQ(e.number(), 4604);
  }
  std::vector<Sent> sent = installation_.Transcript();
  ASSERT_EQ(sent.size(), 4u);
  EXPECT_FALSE(sent[0].ok);
  EXPECT_FALSE(sent[1].ok);
  EXPECT_EQ(sent[3].sql, "GRANT all to  vek");
}

}  // namespace
}  // namespace court::provisioning
