// The provisioning step and the mail access step end to end: the release's
// tables, the service login and its rights, on a real embedded server.

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "provisioning/service_login.h"
#include "upgrade/provisioning_steps.h"
#include "tests/support/release_catalogue.h"
#include "tests/provisioning/service_login_checks.h"
#include "tests/support/installation.h"

namespace court::provisioning {
namespace {

using court::testing::Installation;
using court::testing::Sent;
using namespace court::provisioning::testing;

nlohmann::json ReleaseWithMailTables() {
  court::testing::ReleaseCatalogue release;
  release.DefineTable("邮箱", {{"id", "int", 4, true}, {"主题", "varchar", 100}, {"收件人", "varchar", 50}});
  release.DefineTable("邮箱附件", {{"id", "int", 4, true}, {"邮件_id", "int"}, {"附件", "image"}});
  release.rows("升级版本") = nlohmann::json::array({nlohmann::json::array({3})});
  return release.ToJson();
}

class ProvisioningStepTest : public ::testing::Test {
 protected:
  ProvisioningStepTest() : installation_(ReleaseWithMailTables()) {
    installation_.CreateDatabase("法院");
    installation_.CreateDatabase("内部邮件");
  }

  std::set<std::string> Tables(const std::string& database) {
    std::vector<std::string> rows =
        installation_.Rows(database, "SELECT name FROM sysobjects WHERE xtype = 'U'");
    return {rows.begin(), rows.end()};
  }

  // Index of the first sent statement with that text, or the count if none.
  static std::size_t IndexOf(const std::vector<Sent>& sent, const std::string& sql) {
    return static_cast<std::size_t>(
        std::find_if(sent.begin(), sent.end(), [&](const Sent& s) { return s.sql == sql; }) - sent.begin());
  }

  Installation installation_;
};

TEST_F(ProvisioningStepTest, NewCourtDatabaseIsUpgradedAndGranted) {
  ProvisioningStep(installation_.run());

  EXPECT_EQ(VekLogins(installation_),
            std::vector<std::string>{"vek\tmaster\t简体中文\t1\t1\t1\t1\t1\t1\t0\t0"});
  EXPECT_TRUE(VekIsUserBoundToLogin(installation_, "法院"));
  EXPECT_TRUE(Tables("法院").count("常用数据"));
  EXPECT_EQ(installation_.Rows("法院", "SELECT 升级版本号 FROM 升级版本"), std::vector<std::string>{"3"});
  EXPECT_EQ(RightsVekLacks(installation_, "法院"), std::set<std::string>{});
  EXPECT_TRUE(installation_.run().court_updated);

  // Login first, then the upgrade, then the grants that cover its tables.
  std::vector<Sent> sent = installation_.Transcript();
  std::vector<std::string> login = LoginStatements();
  ASSERT_GE(sent.size(), login.size());
  EXPECT_EQ(SqlOf({sent.begin(), sent.begin() + static_cast<std::ptrdiff_t>(login.size())}), login);
  std::size_t stamp = IndexOf(sent, "insert into  升级版本 ( 升级版本号 ) values ( 3 )");
  std::size_t revoke = IndexOf(sent, "dbo.sp_revokedbaccess   'vek'");
  ASSERT_LT(stamp, sent.size());
  ASSERT_LT(revoke, sent.size());
  EXPECT_LT(stamp, revoke);
  EXPECT_EQ(sent[revoke].target, "法院");
  EXPECT_EQ(sent.back().target, "法院");
  EXPECT_FALSE(installation_.run().shared_connection.is_open());
}

TEST_F(ProvisioningStepTest, SecondRunChangesNothingAndRaisesNothing) {
  ProvisioningStep(installation_.run());
  std::set<std::string> rights = VekRights(installation_, "法院");
  installation_.NewRun();
  installation_.ClearTranscript();

  ProvisioningStep(installation_.run());

  EXPECT_EQ(VekLogins(installation_).size(), 1u);
  EXPECT_TRUE(VekIsUserBoundToLogin(installation_, "法院"));
  EXPECT_EQ(VekRights(installation_, "法院"), rights);
  EXPECT_FALSE(installation_.run().court_updated) << "the release is installed already";
  // The login's statements and the grants; the upgrade's own are its business.
  std::vector<Sent> sent = installation_.Transcript();
  std::size_t grants = IndexOf(sent, "dbo.sp_revokedbaccess   'vek'");
  ASSERT_LT(grants, sent.size());
  for (std::size_t i = 0; i < sent.size(); ++i) {
    if (sent[i].target == "master" || i >= grants) {
      EXPECT_TRUE(sent[i].ok) << sent[i].sql << ": " << sent[i].error;
    }
  }
}

TEST_F(ProvisioningStepTest, DatabaseNamedLikeTheLoginSuppressesTheLoginStatements) {
  EnsureServiceLogin(installation_.run());
  installation_.CreateDatabase("vek");
  installation_.ClearTranscript();

  ProvisioningStep(installation_.run());

  std::vector<std::string> sql = SqlOf(installation_.Transcript());
  for (const std::string& login_statement : LoginStatements()) {
    bool is_the_query = login_statement == LoginStatements().front();
    EXPECT_EQ(std::count(sql.begin(), sql.end(), login_statement), is_the_query ? 1 : 0) << login_statement;
  }
  EXPECT_EQ(RightsVekLacks(installation_, "法院"), std::set<std::string>{});
}

TEST_F(ProvisioningStepTest, MailAccessStepMakesTheMailTablesAndGrants) {
  EnsureServiceLogin(installation_.run());
  MailAccessStep(installation_.run());

  EXPECT_EQ(Tables("内部邮件"), (std::set<std::string>{"邮箱", "邮箱附件"}));
  EXPECT_TRUE(VekIsUserBoundToLogin(installation_, "内部邮件"));
  EXPECT_EQ(RightsVekLacks(installation_, "内部邮件"), std::set<std::string>{});
  EXPECT_EQ(installation_.Transcript().back().target, "内部邮件");
  EXPECT_FALSE(installation_.run().shared_connection.is_open());

  // Again: the tables are there, the user is made afresh, nothing fails.
  installation_.ClearTranscript();
  MailAccessStep(installation_.run());
  EXPECT_TRUE(VekIsUserBoundToLogin(installation_, "内部邮件"));
  for (const Sent& s : installation_.Transcript()) EXPECT_TRUE(s.ok) << s.sql << ": " << s.error;
}

}  // namespace
}  // namespace court::provisioning
