// Rebuilding the court database's CHECK constraints from the catalogue, on a
// real embedded server and a real table.mdb.

#include "integrity/check_constraints.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/access/error.h"
#include "tests/support/installation.h"

namespace court::integrity {
namespace {

using testing::Installation;
using testing::Sent;
using Rows = std::vector<std::string>;

// A catalogue whose 约束表 holds the given rows of 约束名, 表名, 约束语句.
nlohmann::json CatalogueWith(const nlohmann::json& constraint_rows) {
  return {{"tables",
           {{{"name", "约束表"},
             {"columns",
              {{{"name", "约束名"}, {"type", "text"}, {"size", 50}},
               {{"name", "表名"}, {"type", "text"}, {"size", 50}},
               {{"name", "约束语句"}, {"type", "memo"}}}},
             {"rows", constraint_rows}}}}};
}

const nlohmann::json kNoConstraints = nlohmann::json::array();

class CheckConstraintsTest : public ::testing::Test {
 protected:
  CheckConstraintsTest() : installation_(CatalogueWith(kNoConstraints)) {
    installation_.CreateDatabase("法院");
    installation_.Execute("法院",
                          "CREATE TABLE 案件 (id int NOT NULL, 金额 int NULL, 状态 nvarchar(10) NULL)");
    installation_.Execute("法院", "CREATE TABLE 当事人 (id int NOT NULL, 年龄 int NULL)");
    installation_.Execute(
        "法院",
        "INSERT INTO 案件 VALUES (1, 5, N'结案') INSERT INTO 案件 VALUES (2, -1, N'结案') "
        "INSERT INTO 案件 VALUES (3, NULL, N'结案') INSERT INTO 案件 VALUES (4, 7, N'作废')");
    installation_.Execute("法院", "INSERT INTO 当事人 VALUES (1, 30) INSERT INTO 当事人 VALUES (2, 200)");
  }

  // Every CHECK constraint of the court database with the table it guards,
  // in byte order.
  Rows Constraints() {
    Rows constraints = installation_.Rows(
        "法院",
        "SELECT c.name, t.name FROM sysobjects c INNER JOIN sysobjects t ON c.parent_obj = t.id WHERE "
        "c.xtype = 'C'");
    std::sort(constraints.begin(), constraints.end());
    return constraints;
  }

  Rows Ids(const std::string& table) {
    return installation_.Rows("法院", "SELECT id FROM " + table + " ORDER BY id");
  }

  void Rebuild(const nlohmann::json& constraint_rows) {
    installation_.UseCatalogue(CatalogueWith(constraint_rows));
    RebuildCheckConstraints(installation_.run());
  }

  Installation installation_;
};

TEST_F(CheckConstraintsTest, ReplacesConstraintsWithTheCatalogues) {
  installation_.Execute("法院", "ALTER TABLE 案件 WITH NOCHECK ADD CONSTRAINT 旧约束 CHECK (id < 100)");
  installation_.ClearTranscript();
  Rebuild({{"金额", "案件  ", "金额 >= 0  "},
           {"空", "案件", nullptr},
           {"空白", "案件", "   "},
           {"年龄", "当事人", "年龄 < 150"}});

  // Skipped rows use no number; trailing blanks of table and condition go.
  EXPECT_EQ(Constraints(), (Rows{"当事人2_ck\t当事人", "案件1_ck\t案件"}));
  // The violating row goes; the one whose condition is unknown stays.
  EXPECT_EQ(Ids("案件"), (Rows{"1", "3", "4"}));
  EXPECT_EQ(Ids("当事人"), (Rows{"1"}));

  Rows sent;
  for (const Sent& s : installation_.Transcript())
    if (s.kind == "execute") sent.push_back(s.sql);
  EXPECT_EQ(
      sent,
      (Rows{
          "alter table 案件 drop 旧约束", "delete from 案件 where not ( 金额 >= 0)",
          "use 法院\r\nALTER TABLE 案件 WITH NOCHECK \r\nADD CONSTRAINT 案件1_ck CHECK ( 金额 >= 0 )",
          "delete from 当事人 where not ( 年龄 < 150)",
          "use 法院\r\nALTER TABLE 当事人 WITH NOCHECK \r\nADD CONSTRAINT 当事人2_ck CHECK ( 年龄 < 150 )"}));
}

TEST_F(CheckConstraintsTest, AddedConstraintGuardsLaterWrites) {
  Rebuild({{"金额", "案件", "金额 >= 0"}});
  try {
    installation_.Execute("法院", "INSERT INTO 案件 VALUES (9, -5, N'新')");
    FAIL() << "a row violating 案件1_ck was accepted";
  } catch (const access::Error& e) {
    EXPECT_EQ(e.number(), 547);
  }
}

TEST_F(CheckConstraintsTest, SecondRebuildGivesSameNamesAndDeletesNothing) {
  const nlohmann::json rows = {
      {"金额", "案件", "金额 >= 0"}, {"状态", "案件", "状态 <> N'作废'"}, {"年龄", "当事人", "年龄 < 150"}};
  Rebuild(rows);
  Rows constraints = Constraints();
  Rows cases = Ids("案件");
  Rows parties = Ids("当事人");
  EXPECT_EQ(constraints, (Rows{"当事人3_ck\t当事人", "案件1_ck\t案件", "案件2_ck\t案件"}));

  Rebuild(rows);
  EXPECT_EQ(Constraints(), constraints);
  EXPECT_EQ(Ids("案件"), cases);
  EXPECT_EQ(Ids("当事人"), parties);
}

TEST_F(CheckConstraintsTest, EmptyCatalogueLeavesNoConstraints) {
  Rebuild({{"金额", "案件", "金额 >= 0"}, {"年龄", "当事人", "年龄 < 150"}});
  Rebuild(kNoConstraints);
  EXPECT_EQ(Constraints(), Rows{});
}

TEST_F(CheckConstraintsTest, MissingColumnStopsTheRebuildAndKeepsWhatWasDone) {
  installation_.UseCatalogue(CatalogueWith(
      {{"金额", "案件", "金额 >= 0"}, {"坏", "案件", "不存在 > 0"}, {"年龄", "当事人", "年龄 < 150"}}));
  try {
    RebuildCheckConstraints(installation_.run());
    FAIL() << "a condition over a missing column was accepted";
  } catch (const access::Error& e) {
    EXPECT_EQ(e.number(), 207);
    EXPECT_NE(e.description().find("不存在"), std::string::npos) << e.description();
  }
  EXPECT_EQ(Constraints(), (Rows{"案件1_ck\t案件"}));
  EXPECT_EQ(Ids("案件"), (Rows{"1", "3", "4"}));
  EXPECT_EQ(Ids("当事人"), (Rows{"1", "2"}));
}

}  // namespace
}  // namespace court::integrity
