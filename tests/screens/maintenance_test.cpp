// The hand-over views and the duplicate cleanup, on a real embedded server.

#include "installation/maintenance.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/access/connection.h"
#include "platform/access/error.h"
#include "provisioning/connections.h"
#include "tests/support/installation.h"

namespace court::screens {
// The run these tests drive through the fronts.
using namespace court::installation;
namespace {

using testing::Installation;
using testing::Sent;
using Rows = std::vector<std::string>;

class MaintenanceTest : public ::testing::Test {
 protected:
  MaintenanceTest() : installation_(nlohmann::json{{"tables", nlohmann::json::array()}}) {
    installation_.CreateDatabase("法院");
  }

  Rows Sorted(Rows rows) {
    std::sort(rows.begin(), rows.end());
    return rows;
  }

  // Runs one maintenance job as the installation run does: on a court
  // connection of its own.
  template <typename Job>
  void OnCourtConnection(Job job) {
    access::Connection court(installation_.sources());
    provisioning::OpenCourtConnection(installation_.run(), court);
    job(court);
    court.Close();
  }

  void InsertEach(const std::string& insert, const Rows& values) {
    for (const std::string& value : values) installation_.Execute("法院", insert + value);
  }

  Rows HandOverViews() {
    return Sorted(installation_.Rows(
        "法院", "SELECT name FROM sysobjects WHERE xtype = 'V' AND name IN (N'计算交接', N'最后次交接')"));
  }

  Rows ExecutedStatements() {
    Rows sql;
    for (const Sent& s : installation_.Transcript())
      if (s.kind == "execute") sql.push_back(s.sql);
    return sql;
  }

  Installation installation_;
};

TEST_F(MaintenanceTest, ViewsGiveEachCasesLatestHandOver) {
  installation_.Execute(
      "法院",
      "CREATE TABLE 交接 (aj_id int NULL, 交接时间 datetime NULL, 案件性质 nvarchar(10) NULL, "
      "接收人 nvarchar(10) NULL, 卷宗数 int NULL, 交接 nvarchar(10) NULL)");
  installation_.Execute("法院",
                        "INSERT INTO 交接 VALUES (1, '20200101 00:00:00', N'民事', N'张三', 2, N'a') "
                        "INSERT INTO 交接 VALUES (1, '20200301 00:00:00', N'民事', N'李四', 3, N'b') "
                        "INSERT INTO 交接 VALUES (1, '20200201 00:00:00', N'刑事', N'王五', 1, N'c') "
                        "INSERT INTO 交接 VALUES (2, '20210101 00:00:00', N'民事', N'赵六', 4, N'd') "
                        "INSERT INTO 交接 VALUES (3, NULL, N'民事', N'孙七', 1, N'e')");

  // Twice: the second run replaces the views the first one made.
  OnCourtConnection(RecreateViews);
  OnCourtConnection(RecreateViews);

  EXPECT_EQ(HandOverViews(), Sorted({"计算交接", "最后次交接"}));
  EXPECT_EQ(Sorted(installation_.Rows("法院", "SELECT 接收人, aj_id, 案件性质, 卷宗数 FROM 最后次交接")),
            Sorted({"李四\t1\t民事\t3", "王五\t1\t刑事\t1", "赵六\t2\t民事\t4"}));
}

TEST_F(MaintenanceTest, ViewsFailWithoutHandOverTable) {
  try {
    OnCourtConnection(RecreateViews);
    FAIL() << "views over a missing table were created";
  } catch (const access::Error& e) {
    EXPECT_EQ(e.number(), 208);
  }
  EXPECT_EQ(HandOverViews(), Rows{});
}

TEST_F(MaintenanceTest, DuplicatesAreReducedToOneRowEach) {
  installation_.Execute("法院",
                        "CREATE TABLE 常用数据 ([no] int IDENTITY (1, 1) NOT NULL, 名称 nvarchar(50) NULL, "
                        "内容1 nvarchar(50) NULL, 内容2 nvarchar(50) NULL, 内容3 nvarchar(50) NULL, 内容4 "
                        "nvarchar(50) NULL)");
  installation_.Execute(
      "法院",
      "CREATE TABLE 案由 (案由编号 int IDENTITY (1, 1) NOT NULL, 案由 nvarchar(50) NULL, 性质 "
      "nvarchar(50) NULL, 归类1 nvarchar(50) NULL, 归类2 nvarchar(50) NULL, 归类3 nvarchar(50) "
      "NULL, 归类4 nvarchar(50) NULL)");
  InsertEach(
      "INSERT INTO 常用数据 (名称, 内容1, 内容2, 内容3, 内容4) VALUES ",
      {"(N'字号', N'民初', N'民事', N'院机关', NULL)", "(N'字号', N'民初', N'民事  ', N'院机关', NULL)",
       "(N'字号', N'民初', N'民事', N'院机关', NULL)", "(N'O''Brien', N'', NULL, NULL, NULL)",
       "(N'O''Brien', N'', NULL, NULL, NULL)", "(N'字号', N'民初', N'民事', N'院机关', N'x')",
       "(N'  前导', N'a', N'b', N'c', N'd')", "(N'前导', N'a', N'b', N'c', N'd')"});
  InsertEach(
      "INSERT INTO 案由 (案由, 性质, 归类1, 归类2, 归类3, 归类4) VALUES ",
      {"(N'离婚纠纷', N'民事', N'婚姻', NULL, NULL, NULL)",
       "(N'离婚纠纷', N'民事', N'婚姻', NULL, NULL, NULL)",
       "(N'离婚纠纷', N'民事', N'婚姻', NULL, NULL, NULL)", "(N'盗窃', N'刑事', N'财产', N'', N'', N'')",
       "(N'盗窃', N'刑事', N'财产', N'', N'', N'')", "(N'盗窃', N'刑事', N'财产', N'', N'', N'x')"});

  OnCourtConnection([this](access::Connection& court) { RemoveDuplicates(installation_.run(), court); });

  EXPECT_EQ(Sorted(installation_.Rows("法院",
                                      "SELECT RTRIM(名称), 内容1, RTRIM(内容2), 内容3, 内容4 FROM 常用数据")),
            Sorted({"字号\t民初\t民事\t院机关\tNULL", "O'Brien\t\tNULL\tNULL\tNULL",
                    "字号\t民初\t民事\t院机关\tx", "  前导\ta\tb\tc\td", "前导\ta\tb\tc\td"}));
  EXPECT_EQ(Sorted(installation_.Rows("法院", "SELECT 案由, 性质, 归类1, 归类2, 归类3, 归类4 FROM 案由")),
            Sorted({"离婚纠纷\t民事\t婚姻\tNULL\tNULL\tNULL", "盗窃\t刑事\t财产\t\t\t",
                    "盗窃\t刑事\t财产\t\t\tx"}));

  Rows deletes = ExecutedStatements();
  EXPECT_EQ(deletes.size(), 6u);
  const std::string common_delete =
      "delete from 常用数据 where [no] in (select top 1 [no] from 常用数据  where ";
  EXPECT_EQ(std::count(deletes.begin(), deletes.end(),
                       common_delete +
                           "名称 = '字号'  and 内容1 = '民初'  and 内容2 = '民事'  and 内容3 = '院机关'  "
                           "and 内容4 is null )"),
            2);
  EXPECT_EQ(
      std::count(deletes.begin(), deletes.end(),
                 common_delete + "名称 = 'O''Brien'  and 内容1 = ''  and 内容2 is null  and 内容3 is null  "
                                 "and 内容4 is null )"),
      1);

  // Nothing left to do: one query per table, nothing deleted.
  installation_.ClearTranscript();
  OnCourtConnection([this](access::Connection& court) { RemoveDuplicates(installation_.run(), court); });
  EXPECT_EQ(installation_.Transcript().size(), 2u);
  EXPECT_EQ(ExecutedStatements(), Rows{});
}

}  // namespace
}  // namespace court::screens
