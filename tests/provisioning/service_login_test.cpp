// The service login and its rights, on a real embedded server.

#include "provisioning/service_login.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "platform/access/error.h"
#include "tests/provisioning/service_login_checks.h"
#include "tests/support/installation.h"

namespace court::provisioning {
namespace {

using court::testing::Installation;
using court::testing::Sent;
using namespace court::provisioning::testing;

class ServiceLoginTest : public ::testing::Test {
 protected:
  ServiceLoginTest() : installation_(nlohmann::json{{"tables", nlohmann::json::array()}}) {}

  // A court database with something of every kind the grants cover.
  void CreateCourtDatabase() {
    installation_.CreateDatabase("法院");
    installation_.Execute("法院", "CREATE TABLE 案件 (id int NOT NULL, 案号 nvarchar(20) NULL)");
    installation_.Execute("法院", "CREATE VIEW dbo.案件号 AS SELECT 案号 FROM dbo.案件");
  }

  Installation installation_;
};

TEST_F(ServiceLoginTest, CreatesTheLoginOnceWithSixRoles) {
  EnsureServiceLogin(installation_.run());
  EnsureServiceLogin(installation_.run());

  EXPECT_EQ(VekLogins(installation_),
            std::vector<std::string>{"vek\tmaster\t简体中文\t1\t1\t1\t1\t1\t1\t0\t0"});
  std::vector<std::string> twice = LoginStatements();
  std::vector<std::string> again = LoginStatements();
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

  EXPECT_TRUE(VekLogins(installation_).empty());
  EXPECT_EQ(SqlOf(installation_.Transcript()), std::vector<std::string>{LoginStatements().front()});
}

TEST_F(ServiceLoginTest, GrantPassMakesTheUserAndGrantsEverything) {
  CreateCourtDatabase();
  EnsureServiceLogin(installation_.run());
  installation_.ClearTranscript();
  GrantPass(installation_.run(), "法院");

  EXPECT_TRUE(VekIsUserBoundToLogin(installation_, "法院"));
  EXPECT_EQ(RightsVekLacks(installation_, "法院"), std::set<std::string>{});

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
  std::set<std::string> rights_before = VekRights(installation_, "法院");
  installation_.ClearTranscript();

  EnsureServiceLogin(installation_.run());
  GrantPass(installation_.run(), "法院");

  EXPECT_EQ(VekLogins(installation_).size(), 1u);
  EXPECT_TRUE(VekIsUserBoundToLogin(installation_, "法院"));
  EXPECT_EQ(VekRights(installation_, "法院"), rights_before);
  for (const Sent& s : installation_.Transcript()) EXPECT_TRUE(s.ok) << s.sql << ": " << s.error;
}

TEST_F(ServiceLoginTest, UserOfAnotherLoginIsRebound) {
  CreateCourtDatabase();
  // A database brought from another server: its user vek belongs to another login.
  installation_.Execute("master", "exec sp_addlogin N'old_vek', 'other'");
  installation_.Execute("法院", "exec sp_grantdbaccess N'old_vek', N'vek'");
  EnsureServiceLogin(installation_.run());
  GrantPass(installation_.run(), "法院");

  EXPECT_TRUE(VekIsUserBoundToLogin(installation_, "法院"));
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
