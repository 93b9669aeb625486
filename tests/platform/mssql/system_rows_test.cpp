// The system tables that procedures and statements change: what a user's
// removal or an object's takes along, and that master's rows reach master
// even from a database holding user tables of the same names.

#include <gtest/gtest.h>

#include <string>

#include "tests/platform/mssql/court_database_fixture.h"

namespace court::mssql {
namespace {

using access::Value;

class SystemRowsTest : public CourtDatabaseTest {
 protected:
  SystemRowsTest() { driver_->Connect("master")->Execute("exec sp_addlogin 'clerk', 'Secret#1'"); }

  Value One(access::Session& session, const std::string& sql) { return session.Query(sql).rows.at(0).at(0); }
  long long Count(access::Session& session, const std::string& sql) { return One(session, sql).integer(); }

  // The rows of a table, each as text, in order of its first column.
  static std::string Rows(access::Session& session, const std::string& table) {
    std::string text;
    for (const auto& row : session.Query("SELECT * FROM " + table + " ORDER BY 1").rows) {
      for (const Value& value : row) text += (value.is_null() ? "NULL" : value.ToText()) + "|";
      text += "\n";
    }
    return text;
  }
};

TEST_F(SystemRowsTest, RevokedAccessTakesTheUsersMembershipsAndRightsAlong) {
  court_->Execute("CREATE TABLE 案卷 (a int NULL, b int NULL)");
  court_->Execute("exec sp_grantdbaccess 'clerk'");
  court_->Execute("exec sp_addrolemember 'db_datareader', 'clerk'");
  court_->Execute("GRANT SELECT ON 案卷 TO clerk");
  court_->Execute("GRANT UPDATE ON 案卷 (b) TO clerk");
  court_->Execute("DENY INSERT ON 案卷 TO clerk");
  court_->Execute("GRANT CREATE TABLE TO clerk");
  court_->Execute("GRANT SELECT ON 案卷 TO public");
  const long long uid = Count(*court_, "SELECT uid FROM sysusers WHERE name = 'clerk'");
  const std::string of_clerk = " WHERE uid = " + std::to_string(uid);
  EXPECT_EQ(Count(*court_, "SELECT count(*) FROM sysprotects" + of_clerk), 4);
  EXPECT_EQ(Count(*court_, "SELECT count(*) FROM sysmembers WHERE memberuid = " + std::to_string(uid)), 1);

  court_->Execute("exec sp_revokedbaccess 'clerk'");
  EXPECT_EQ(Count(*court_, "SELECT count(*) FROM sysusers WHERE name = 'clerk'"), 0);
  EXPECT_EQ(Count(*court_, "SELECT count(*) FROM sysprotects" + of_clerk), 0);
  EXPECT_EQ(Count(*court_, "SELECT count(*) FROM sysmembers WHERE memberuid = " + std::to_string(uid)), 0);
  EXPECT_EQ(Count(*court_, "SELECT count(*) FROM sysprotects WHERE uid = 0"), 1) << "public keeps its right";

  // Access granted again starts with nothing of the old user's.
  court_->Execute("exec sp_grantdbaccess 'clerk'");
  EXPECT_EQ(Count(*court_, "SELECT count(*) FROM sysprotects p INNER JOIN sysusers u ON u.uid = p.uid "
                           "WHERE u.name = 'clerk'"),
            0);
  EXPECT_EQ(Count(*court_, "SELECT count(*) FROM sysmembers m INNER JOIN sysusers u ON u.uid = m.memberuid "
                           "WHERE u.name = 'clerk'"),
            0);
}

TEST_F(SystemRowsTest, ObjectsKeepTheirOwnerAndOptionsAndTakeTheirRightsAlong) {
  court_->Execute("SET QUOTED_IDENTIFIER OFF");
  court_->Execute("CREATE VIEW 视图 AS SELECT 1 AS one");
  court_->Execute("SET QUOTED_IDENTIFIER ON");
  EXPECT_EQ(Count(*court_, "SELECT status FROM sysobjects WHERE name = '视图'"), 0x20000000);

  court_->Execute("CREATE TABLE 案卷 (a int NULL)");
  court_->Execute("exec sp_grantdbaccess 'clerk'");
  court_->Execute("GRANT SELECT, INSERT ON 案卷 TO clerk");
  court_->Execute("GRANT SELECT ON 视图 TO clerk");
  const long long id = Count(*court_, "SELECT id FROM sysobjects WHERE name = '案卷'");
  EXPECT_EQ(Count(*court_, "SELECT uid FROM sysobjects WHERE name = '案卷'"), 1);
  court_->Execute("DROP TABLE 案卷");
  EXPECT_EQ(Count(*court_, "SELECT count(*) FROM sysprotects WHERE id = " + std::to_string(id)), 0);
  EXPECT_EQ(Count(*court_, "SELECT count(*) FROM sysprotects WHERE uid > 1"), 1) << "the view's right stays";
}

TEST_F(SystemRowsTest, MasterRowsReachMasterPastUserTablesOfTheSameNames) {
  court_->Execute("CREATE TABLE syslogins (name varchar(30) NULL, password varchar(80) NULL, denylogin int NULL, "
                  "hasaccess int NULL, serveradmin int NULL)");
  court_->Execute("INSERT INTO syslogins VALUES ('clerk', 'mine', 0, 1, 0)");
  court_->Execute("CREATE TABLE sysdatabases (name nvarchar(30) NULL, dbid int NULL, status int NULL, "
                  "status2 int NULL)");
  court_->Execute("INSERT INTO sysdatabases VALUES (N'法院', 99, 0, 0)");
  court_->Execute("CREATE TABLE sysaltfiles (dbid int NULL, name varchar(30) NULL)");
  court_->Execute("INSERT INTO sysaltfiles VALUES (99, 'mine')");
  const std::string before = Rows(*court_, "syslogins") + Rows(*court_, "sysdatabases") + Rows(*court_, "sysaltfiles");

  court_->Execute("exec sp_addlogin 'usher', 'Secret#2'");
  court_->Execute("exec sp_password NULL, 'Secret#3', 'clerk'");
  court_->Execute("exec sp_denylogin 'clerk'");
  court_->Execute("exec sp_addsrvrolemember 'clerk', 'serveradmin'");
  court_->Execute("exec sp_dboption N'法院', 'select into/bulkcopy', 'true'");
  court_->Execute("CREATE DATABASE 档案");
  court_->Execute("exec sp_droplogin 'usher'");

  EXPECT_EQ(Rows(*court_, "syslogins") + Rows(*court_, "sysdatabases") + Rows(*court_, "sysaltfiles"), before);
  auto master = driver_->Connect("master");
  EXPECT_EQ(Count(*master, "SELECT count(*) FROM syslogins WHERE name = 'usher'"), 0);
  EXPECT_EQ(Count(*master, "SELECT denylogin + 2 * hasaccess + 4 * serveradmin FROM syslogins WHERE name = 'clerk'"),
            1 + 4);
  EXPECT_NE(One(*master, "SELECT password FROM syslogins WHERE name = 'clerk'").ToText(), "mine");
  EXPECT_EQ(Count(*master, "SELECT status & 4 FROM sysdatabases WHERE name = N'法院'"), 4);
  EXPECT_EQ(Count(*master, "SELECT count(*) FROM sysaltfiles f INNER JOIN sysdatabases d ON d.dbid = f.dbid "
                           "WHERE d.name = N'档案'"),
            2);
}

}  // namespace
}  // namespace court::mssql
