// The upgrade driver and the version table on a real embedded server.

#include <gtest/gtest.h>

#include "platform/access/error.h"
#include "upgrade/upgrade_driver.h"
#include "tests/support/release_catalogue.h"

namespace court::provisioning {
namespace {

using nlohmann::json;
using Lines = std::vector<std::string>;

class UpgradeDriverTest : public ::testing::Test {
 protected:
  UpgradeDriverTest() {
    // A trace of the refresh: one shipped list the court never has beforehand.
    catalogue_.rows("常用数据") = json::array({{1, "案件性质", "刑事", nullptr, nullptr, nullptr}});
  }

  // A court whose version table holds installed (in this order).
  void Install(const json& shipped, const json& installed) {
    catalogue_.rows("升级版本") = shipped;
    installation_ = court::testing::InstallCourt(catalogue_);
    for (const json& row : installed)
      Court("INSERT INTO 升级版本 (升级版本号) VALUES (" + row[0].dump() + ")");
  }

  void Upgrade() { UpgradeCourtDatabase(installation_->run()); }
  void Court(const std::string& sql) { installation_->Execute("法院", sql); }
  Lines Rows(const std::string& sql) { return installation_->Rows("法院", sql); }
  Lines Installed() { return Rows("SELECT 升级版本号 FROM 升级版本"); }
  bool Refreshed() { return Rows("SELECT 内容1 FROM 常用数据 WHERE 名称 = '案件性质'") == Lines{"刑事"}; }
  bool Flag() { return installation_->run().court_updated; }

  court::testing::ReleaseCatalogue catalogue_;
  std::unique_ptr<court::testing::Installation> installation_;
};

TEST_F(UpgradeDriverTest, ANewCourtDatabaseGetsItsTablesDataAndTheShippedRelease) {
  catalogue_.rows("升级版本") = json::array({{5}});
  installation_ = std::make_unique<court::testing::Installation>(catalogue_.ToJson());
  installation_->CreateDatabase("法院");

  Upgrade();

  EXPECT_EQ(Installed(), Lines{"5"});
  EXPECT_TRUE(Refreshed());
  EXPECT_TRUE(Flag());
  std::vector<court::testing::Sent> sent = installation_->Transcript();
  ASSERT_GE(sent.size(), 2u);
  EXPECT_EQ(sent[sent.size() - 2].sql, "delete from 升级版本");
  EXPECT_EQ(sent.back().sql, "insert into  升级版本 ( 升级版本号 ) values ( 5 )");
}

TEST_F(UpgradeDriverTest, AShippedReleaseGreaterThanTheInstalledOneIsWritten) {
  Install(json::array({{5}}), json::array({{4}}));
  Upgrade();
  EXPECT_EQ(Installed(), Lines{"5"});
  EXPECT_TRUE(Refreshed());
  EXPECT_TRUE(Flag());
}

TEST_F(UpgradeDriverTest, AnEqualOrLowerShippedReleaseChangesNothing) {
  for (int installed : {5, 9}) {
    Install(json::array({{5}}), json::array({{installed}}));
    Upgrade();
    EXPECT_EQ(Installed(), Lines{std::to_string(installed)});
    EXPECT_FALSE(Refreshed());
    EXPECT_FALSE(Flag());
  }
}

TEST_F(UpgradeDriverTest, NothingShippedAndNothingInstalledRefreshesAndWritesZero) {
  Install(json::array({{0}, {-3}}), json::array({{0}}));
  Upgrade();
  EXPECT_EQ(Installed(), Lines{"0"});
  EXPECT_TRUE(Refreshed());
  EXPECT_TRUE(Flag());
}

TEST_F(UpgradeDriverTest, NothingShippedAgainstAnInstalledReleaseChangesNothing) {
  Install(json::array(), json::array({{3}}));
  Upgrade();
  EXPECT_EQ(Installed(), Lines{"3"});
  EXPECT_FALSE(Refreshed());
  EXPECT_FALSE(Flag());
}

TEST_F(UpgradeDriverTest, AFractionIsComparedAsItIsAndWrittenRoundedToEven) {
  Install(json::array({{7.6}}), json::array({{7.7}}));
  Upgrade();
  EXPECT_EQ(Installed(), Lines{"7.7"});  // 7.6 is not newer, though 8 would be

  Install(json::array({{7.6}}), json::array({{7.5}}));
  Upgrade();
  EXPECT_EQ(Installed(), Lines{"8"});

  Install(json::array({{6.5}}), json::array());
  Upgrade();
  EXPECT_EQ(Installed(), Lines{"6"});
}

TEST_F(UpgradeDriverTest, ReleaseNumbersCompareAsNumbersWhateverTheirKind) {
  catalogue_.DefineTable("升级版本", {{"升级版本号", "int"}});
  Install(json::array({{10}}), json::array({{9}}));  // as texts, "10" < "9"
  Upgrade();
  EXPECT_EQ(Installed(), Lines{"10"});

  catalogue_.DefineTable("升级版本", {{"升级版本号", "money"}});
  Install(json::array({{12.5}}), json::array({{12.25}}));
  Upgrade();
  EXPECT_EQ(Installed(), Lines{"12"});
}

TEST_F(UpgradeDriverTest, OnlyTheFirstInstalledRowCountsAndOneRowRemains) {
  Install(json::array({{5}}), json::array({{3}, {9}}));
  Upgrade();
  EXPECT_EQ(Installed(), Lines{"5"});
}

TEST_F(UpgradeDriverTest, AFailedRefreshLeavesTheReleaseUnwrittenAndARerunCompletes) {
  catalogue_.rows("运行库") = json::array({{10, "   ", nullptr}});
  catalogue_.rows("运行库文件") = json::array({{1, "engine.dll", nullptr, 10, nullptr}});
  Install(json::array({{5}}), json::array({{4}}));

  EXPECT_THROW(Upgrade(), access::Error);
  EXPECT_EQ(Installed(), Lines{"4"});

  catalogue_.rows("运行库") = json::array({{10, "报表", nullptr}});
  installation_->UseCatalogue(catalogue_.ToJson());
  installation_->NewRun();
  Upgrade();
  EXPECT_EQ(Installed(), Lines{"5"});
  EXPECT_EQ(Rows("SELECT 文件名 FROM 运行库文件"), Lines{"engine.dll"});
}

}  // namespace
}  // namespace court::provisioning
