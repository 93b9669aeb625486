// The generic table copy on a real embedded server and a real table.mdb.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "data/table_copy.h"
#include "platform/access/error.h"
#include "tests/support/release_catalogue.h"

namespace court::data {
namespace {

using access::Bytes;
using nlohmann::json;
using testing::Pattern;
using testing::ReleaseCatalogue;

class TableCopyTest : public ::testing::Test {
 protected:
  void Install() { installation_ = testing::InstallCourt(catalogue_); }

  void Copy(const std::string& table, const std::string& filter, const std::string& key_column) {
    CopyCatalogueTable(installation_->run(), table, filter, key_column);
  }

  std::vector<std::string> Rows(const std::string& sql) { return installation_->Rows("法院", sql); }

  // The statements the copy sent, as target and text.
  std::vector<std::string> Sent() {
    std::vector<std::string> sent;
    for (const auto& s : installation_->Transcript()) sent.push_back(s.target + ": " + s.sql);
    return sent;
  }

  std::filesystem::path TemporaryFile() { return installation_->run().local_files.Map("c:\\temp_sj.temp"); }

  ReleaseCatalogue catalogue_;
  std::unique_ptr<court::testing::Installation> installation_;
};

TEST_F(TableCopyTest, SendsTheStatementsOfOneRowAndLeavesTheKeyToTheCourt) {
  catalogue_.rows("案由") = json::array({{7, "盗窃", 3}});
  Install();
  installation_->Execute("法院", "INSERT INTO 案由 (名称, 级别) VALUES ('旧案由', 1)");

  Copy("案由", "", "案由编号");

  EXPECT_EQ(Sent(), (std::vector<std::string>{
                        "法院: delete from 案由",
                        "catalogue: SELECT id FROM 表名 WHERE (not name is null ) and ((name = '案由'))",
                        "catalogue: SELECT * FROM 案由 ORDER BY 案由编号",
                        "catalogue: SELECT 名称 ,类型 FROM 字段 WHERE id = 2",
                        "法院: insert into  案由 ( [名称] , [级别] ) values ( '盗窃' , '3' ) ",
                    }));
  // The court numbered the row itself: 1 went with the old row.
  EXPECT_EQ(Rows("SELECT 案由编号, 名称, 级别 FROM 案由"), (std::vector<std::string>{"2\t盗窃\t3"}));
}

TEST_F(TableCopyTest, KeyColumnIsExcludedWhateverItsLetterCaseOrTrailingBlanks) {
  catalogue_.rows("法律条文") = json::array({{5, "刑法", nullptr, nullptr, nullptr, true},
                                             {3, "民法", nullptr, nullptr, nullptr, false}});
  Install();

  Copy("法律条文", "", "Id  ");

  // Read in key order, numbered afresh by the court's identity column.
  EXPECT_EQ(Rows("SELECT id, 标题 FROM 法律条文 ORDER BY id"), (std::vector<std::string>{"1\t民法", "2\t刑法"}));
}

TEST_F(TableCopyTest, QuotesSurviveAndBlankValuesAreLeftOut) {
  catalogue_.rows("常用数据") =
      json::array({{1, "案件性质", "O'Brien's", "   ", "  前导空格", "尾随空格   "},
                   // Nothing but the key and blanks: no statement at all.
                   {2, nullptr, "  ", nullptr, "", nullptr}});
  Install();

  Copy("常用数据", " where 名称= '案件性质'", "no");
  Copy("常用数据", "", "no");

  EXPECT_EQ(Rows("SELECT 名称, 内容1, 内容2, 内容3, 内容4 FROM 常用数据"),
            (std::vector<std::string>{"案件性质\tO'Brien's\tNULL\t  前导空格\t尾随空格"}));
  std::vector<std::string> sent = Sent();
  EXPECT_EQ(std::count(sent.begin(), sent.end(),
                       "法院: insert into  常用数据 ( [名称] , [内容1] , [内容3] , [内容4] ) values ( '案件性质' , "
                       "'O''Brien''s' , '  前导空格' , '尾随空格' ) "),
            2);
}

TEST_F(TableCopyTest, NumbersDatesAndTruthValuesKeepTheirValuesThroughText) {
  catalogue_.rows("法律条文") = json::array({
      {1, "甲", "1997-10-01 00:00:00", 0.1, 12.3456, true},
      {2, "乙", "2021-02-28 23:59:58", -2.5e-7, -1234.5, false},
      {3, "丙", "1900-01-01 12:00:00", 123456789.125, 0.5, true},
  });
  Install();

  Copy("法律条文", "", "id");

  EXPECT_EQ(Rows("SELECT 标题, 施行日期, 权重, 罚金, 有效 FROM 法律条文 ORDER BY id"),
            (std::vector<std::string>{"甲\t19971001 00:00:00\t0.1\t12.3456\t1",
                                      "乙\t20210228 23:59:58\t-2.5e-07\t-1234.5\t0",
                                      "丙\t19000101 12:00:00\t123456789.125\t0.5\t1"}));
}

TEST_F(TableCopyTest, BinaryValuesArriveByteExactAndTheTemporaryFileIsGone) {
  Bytes large = Pattern(1536 * 1024, 1);
  Bytes small = Pattern(1000, 2);
  catalogue_.rows("文书样本库") = json::array({{1, "起诉状", "(系统文书)", access::EncodeBase64(large)},
                                               {2, "判决书", "(系统文书)", access::EncodeBase64(small)},
                                               {3, "空白", "(系统文书)", nullptr}});
  Install();
  std::ofstream(TemporaryFile()) << "left over";

  Copy("文书样本库", "", "");

  access::ResultSet result = installation_->Query("法院", "SELECT id, 样本 FROM 文书样本库 ORDER BY id");
  ASSERT_EQ(result.rows.size(), 3u);
  EXPECT_EQ(result.rows[0][1], access::Value::Binary(large));
  EXPECT_EQ(result.rows[1][1], access::Value::Binary(small));
  EXPECT_TRUE(result.rows[2][1].is_null());
  EXPECT_FALSE(std::filesystem::exists(TemporaryFile()));
  std::vector<std::string> sent = Sent();
  EXPECT_NE(std::find(sent.begin(), sent.end(),
                      "法院: SELECT  *  FROM 文书样本库 WHERE [id] = 2 and [名称] = '判决书' and [来源] = '(系统文书)'"),
            sent.end());
}

TEST_F(TableCopyTest, OnlyTheLastImageColumnIsCarried) {
  catalogue_.DefineTable("印章", {{"id", "int"}, {"正面", "image"}, {"背面", "image"}});
  catalogue_.rows("印章") = json::array({{1, access::EncodeBase64(Pattern(10, 3)), access::EncodeBase64(Pattern(20, 4))}});
  Install();

  Copy("印章", "", "");

  access::ResultSet result = installation_->Query("法院", "SELECT 正面, 背面 FROM 印章");
  ASSERT_EQ(result.rows.size(), 1u);
  EXPECT_TRUE(result.rows[0][0].is_null());
  EXPECT_EQ(result.rows[0][1], access::Value::Binary(Pattern(20, 4)));
}

TEST_F(TableCopyTest, ABinaryRowWithOnlyDatesToFindItByFailsNamingTheTable) {
  catalogue_.DefineTable("图章", {{"日期", "datetime"}, {"图片", "image"}});
  catalogue_.rows("图章") = json::array({{"2020-01-01 00:00:00", access::EncodeBase64(Pattern(10, 5))}});
  Install();

  try {
    Copy("图章", "", "");
    FAIL() << "the copy went through";
  } catch (const access::Error& e) {
    EXPECT_NE(std::string(e.description()).find("图章"), std::string::npos) << e.description();
  }
  // A copy is one transaction: a failed one leaves the court's rows as they were.
  EXPECT_TRUE(Rows("SELECT 日期, 图片 FROM 图章").empty());
  EXPECT_FALSE(std::filesystem::exists(TemporaryFile()));
}

TEST_F(TableCopyTest, AnUnlistedTableIsOnlyEmptiedByItsFilter) {
  catalogue_.rows("常用数据") = json::array({{1, "案件性质", "刑事", nullptr, nullptr, nullptr}});
  Install();
  catalogue_.Unlist("常用数据");
  installation_->UseCatalogue(catalogue_.ToJson());
  installation_->Execute("法院", "INSERT INTO 常用数据 (名称, 内容1) VALUES ('案件性质', '旧')");
  installation_->Execute("法院", "INSERT INTO 常用数据 (名称, 内容1) VALUES ('保管期限', '永久')");

  Copy("常用数据", " where 名称= '案件性质'", "no");

  EXPECT_EQ(Rows("SELECT 名称, 内容1 FROM 常用数据"), (std::vector<std::string>{"保管期限\t永久"}));
}

TEST_F(TableCopyTest, ACatalogueColumnMissingFromTheShippedTableStopsTheCopyAndKeepsTheOldRows) {
  Install();
  installation_->Execute("法院", "INSERT INTO 案由 (名称, 级别) VALUES ('旧案由', 1)");
  json shipped = catalogue_.ToJson();
  for (json& table : shipped["tables"])
    if (table["name"] == "案由") {
      table["columns"].erase(2);  // 级别, which 字段 still lists
      table["rows"] = json::array({{1, "盗窃"}});
    }
  installation_->UseCatalogue(shipped);

  EXPECT_THROW(Copy("案由", "", "案由编号"), access::Error);
  EXPECT_EQ(Rows("SELECT 名称 FROM 案由"), (std::vector<std::string>{"旧案由"}));
}

}  // namespace
}  // namespace court::data
