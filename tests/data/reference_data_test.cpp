// The reference data refresh on a real embedded server and a real table.mdb.

#include <gtest/gtest.h>

#include <filesystem>

#include "data/reference_data.h"
#include "platform/access/error.h"
#include "tests/support/release_catalogue.h"

namespace court::data {
namespace {

using access::Bytes;
using nlohmann::json;
using testing::Pattern;
using Lines = std::vector<std::string>;

class ReferenceDataTest : public ::testing::Test {
 protected:
  void Install() { installation_ = testing::InstallCourt(catalogue_); }
  void Refresh() { RefreshReferenceData(installation_->run()); }
  void Court(const std::string& sql) { installation_->Execute("法院", sql); }
  Lines Rows(const std::string& sql) { return installation_->Rows("法院", sql); }

  // 内容 of the one runtime library file that condition finds.
  access::Value Content(const std::string& condition) {
    access::ResultSet found = installation_->Query("法院", "SELECT 内容 FROM 运行库文件 WHERE " + condition);
    EXPECT_EQ(found.rows.size(), 1u) << condition;
    return found.rows.empty() ? access::Value() : found.rows[0][0];
  }

  Lines Category(const std::string& name) {
    return Rows("SELECT 内容1, 内容2 FROM 常用数据 WHERE 名称 = '" + name + "' ORDER BY no");
  }

  void ShipCommonData(const std::string& category, const Lines& contents) {
    for (const std::string& content : contents)
      catalogue_.rows("常用数据").push_back({next_no_++, category, content, "发行", nullptr, nullptr});
  }

  testing::ReleaseCatalogue catalogue_;
  std::unique_ptr<court::testing::Installation> installation_;
  int next_no_ = 1;
};

TEST_F(ReferenceDataTest, SendsItsStepsInOrder) {
  catalogue_.rows("文书样本库") = json::array({{3, "起诉状", "(系统文书)", nullptr}});
  catalogue_.rows("文书资料") = json::array({{8, "法规", "(系统文书)", nullptr}});
  Install();

  Refresh();

  // The statements sent to the court but the seed rows, and the catalogue
  // reads that are not part of a table copy.
  Lines sent;
  for (const auto& s : installation_->Transcript()) {
    if (s.kind == "update") continue;
    bool copy_read = s.sql.rfind("SELECT id FROM 表名", 0) == 0 || s.sql.rfind("SELECT * FROM", 0) == 0 ||
                     s.sql.rfind("SELECT 名称 ,类型", 0) == 0;
    bool seed = s.sql.rfind("insert into", 0) == 0;
    if ((s.target == "法院" && !seed) || (s.target == "catalogue" && !copy_read)) sent.push_back(s.sql);
  }
  EXPECT_EQ(sent, (Lines{
                      "delete from 常用数据 where 名称= '案件性质'",
                      "SELECT top 10 名称 FROM 常用数据 WHERE (名称 = '案款项目')",
                      "delete from 常用数据 where 名称= '案款项目' ",
                      "SELECT top 10 名称 FROM 常用数据 WHERE (名称 = '再执行依据分类')",
                      "delete from 常用数据 where 名称= '再执行依据分类' ",
                      "SELECT top 10 名称 FROM 常用数据 WHERE (名称 = '归档方式')",
                      "delete from 常用数据 where 名称= '归档方式' ",
                      "SELECT top 10 名称 FROM 常用数据 WHERE (名称 = '送达备注')",
                      "delete from 常用数据 where 名称= '送达备注' ",
                      "SELECT top 10 名称 FROM 常用数据 WHERE (名称 = '信息功能')",
                      "delete from 常用数据 where 名称= '信息功能' ",
                      "delete from 常用数据 where 名称= '保管期限'",
                      "delete from 常用数据 where 名称= '字段名'",
                      "delete from 案由",
                      "delete from 法律条文",
                      "delete from 日历",
                      "select id from 文书样本库 where 来源 = '(系统文书)'",
                      "delete from 文书样本库 where id = '3'",
                      "delete from 文书样本库 where 来源 = '(系统文书)' ",
                      "SELECT  *  FROM 文书样本库 WHERE [id] = 3 and [名称] = '起诉状' and [来源] = '(系统文书)'",
                      "select ws_id from 文书资料 where 所有人 = '(系统文书)'",
                      "delete from 文书资料 where ws_id = '8'",
                      "delete from 文书资料 where 所有人 = '(系统文书)' ",
                      "SELECT  *  FROM 文书资料 WHERE [ws_id] = 8 and [名称] = '法规' and [所有人] = '(系统文书)'",
                      "delete from 运行库",
                      "delete from 运行库文件",
                      "SELECT 运行库.使用名称, 运行库文件.文件名, 运行库文件.运行库_id, 运行库文件.内容, 运行库文件.运行 FROM "
                      "运行库 INNER JOIN  运行库文件 ON 运行库.id = 运行库文件.运行库_id",
                      "select * from 运行库文件",
                      "SELECT COUNT(*) AS Expr1 FROM 常用数据 GROUP BY 名称 HAVING (名称 = '字号')",
                      "SELECT COUNT(*) AS Expr1 FROM 法庭概况",
                  }));
}

TEST_F(ReferenceDataTest, ReplacedListsAndTablesEqualTheShippedRows) {
  ShipCommonData("案件性质", {"刑事", "民事"});
  ShipCommonData("保管期限", {"永久"});
  ShipCommonData("字段名", {"案号", "当事人"});
  catalogue_.rows("案由") = json::array({{1, "盗窃", 1}, {2, "抢劫", 2}});
  catalogue_.rows("法律条文") = json::array({{1, "刑法第264条", "1997-10-01 00:00:00", 1.5, 1000, true}});
  catalogue_.rows("日历") = json::array({{1, "2024-10-01 00:00:00", false, "国庆"}});
  Install();
  Court("INSERT INTO 常用数据 (名称, 内容1) VALUES ('案件性质', '法院自改')");
  Court("INSERT INTO 常用数据 (名称, 内容1) VALUES ('保管期限', '三十年')");
  Court("INSERT INTO 常用数据 (名称, 内容1) VALUES ('审判组织', '合议庭')");
  Court("INSERT INTO 案由 (名称, 级别) VALUES ('法院自加', 9)");
  Court("INSERT INTO 日历 (日期, 工作日, 说明) VALUES ('20240101', 0, '元旦')");

  Refresh();

  EXPECT_EQ(Category("案件性质"), (Lines{"刑事\t发行", "民事\t发行"}));
  EXPECT_EQ(Category("保管期限"), (Lines{"永久\t发行"}));
  EXPECT_EQ(Category("字段名"), (Lines{"案号\t发行", "当事人\t发行"}));
  EXPECT_EQ(Category("审判组织"), (Lines{"合议庭\tNULL"}));  // no release ships it
  EXPECT_EQ(Rows("SELECT 名称, 级别 FROM 案由 ORDER BY 案由编号"), (Lines{"盗窃\t1", "抢劫\t2"}));
  EXPECT_EQ(Rows("SELECT 标题, 施行日期, 权重, 罚金, 有效 FROM 法律条文"),
            (Lines{"刑法第264条\t19971001 00:00:00\t1.5\t1000\t1"}));
  EXPECT_EQ(Rows("SELECT 日期, 工作日, 说明 FROM 日历"), (Lines{"20241001 00:00:00\t0\t国庆"}));
}

TEST_F(ReferenceDataTest, AdaptableListsAreShippedOnlyToACourtWithoutThem) {
  ShipCommonData("案款项目", {"诉讼费", "执行款", "保全费"});
  ShipCommonData("归档方式", {"正卷", "副卷"});
  ShipCommonData("信息功能", {"短信"});
  Install();
  Court("INSERT INTO 常用数据 (名称, 内容1, 内容2) VALUES ('案款项目', '本院自定', '自有')");

  Refresh();

  EXPECT_EQ(Category("案款项目"), (Lines{"本院自定\t自有"}));
  EXPECT_EQ(Category("归档方式"), (Lines{"正卷\t发行", "副卷\t发行"}));
  EXPECT_EQ(Category("信息功能"), (Lines{"短信\t发行"}));
}

TEST_F(ReferenceDataTest, UserTemplatesSurviveUnlessTheirIdIsAShippedSystemTemplates) {
  catalogue_.rows("文书样本库") = json::array({{1, "起诉状", "(系统文书)", access::EncodeBase64(Pattern(100, 1))},
                                               {2, "判决书", "(系统文书)", access::EncodeBase64(Pattern(200, 2))},
                                               {9, "发行方私用", "编辑部", nullptr}});
  catalogue_.rows("文书资料") = json::array({{4, "法规汇编", "(系统文书)", access::EncodeBase64(Pattern(300, 3))}});
  Install();
  Court("INSERT INTO 文书样本库 (id, 名称, 来源) VALUES (2, '李四的判决书', '李四')");
  Court("INSERT INTO 文书样本库 (id, 名称, 来源) VALUES (5, '张三的模板', '张三')");
  Court("INSERT INTO 文书样本库 (id, 名称, 来源) VALUES (7, '旧系统文书', '(系统文书)')");
  Court("INSERT INTO 文书资料 (ws_id, 名称, 所有人) VALUES (4, '张三的资料', '张三')");
  Court("INSERT INTO 文书资料 (ws_id, 名称, 所有人) VALUES (6, '王五的资料', '王五')");

  Refresh();

  EXPECT_EQ(Rows("SELECT id, 名称, 来源 FROM 文书样本库 ORDER BY id"),
            (Lines{"1\t起诉状\t(系统文书)", "2\t判决书\t(系统文书)", "5\t张三的模板\t张三"}));
  EXPECT_EQ(Rows("SELECT ws_id, 名称, 所有人 FROM 文书资料 ORDER BY ws_id"),
            (Lines{"4\t法规汇编\t(系统文书)", "6\t王五的资料\t王五"}));
  access::ResultSet contents = installation_->Query("法院", "SELECT 内容 FROM 文书资料 WHERE ws_id = 4");
  ASSERT_EQ(contents.rows.size(), 1u);
  EXPECT_EQ(contents.rows[0][0], access::Value::Binary(Pattern(300, 3)));
}

TEST_F(ReferenceDataTest, RuntimeLibraryFilesAreLinkedByNameAndArriveByteExact) {
  Bytes engine = Pattern(1100 * 1024, 7);
  Bytes report = Pattern(4096, 8);
  catalogue_.rows("运行库") = json::array({{10, "报表", "2.0"}, {20, "打印", "1.1"}});
  catalogue_.rows("运行库文件") = json::array({
      {1, "engine.dll", "regsvr32", 20, access::EncodeBase64(engine)},
      {2, "report.ocx", "  ", 10, access::EncodeBase64(report)},
      {3, nullptr, "readme", 10, nullptr},
  });
  Install();
  // Libraries the court had before: the shipped ones get new ids after them.
  Court("INSERT INTO 运行库 (使用名称) VALUES ('旧库')");
  Court("INSERT INTO 运行库 (使用名称) VALUES ('更旧库')");
  Court("INSERT INTO 运行库文件 (文件名, 运行库_id) VALUES ('old.dll', 1)");

  Refresh();

  EXPECT_EQ(Rows("SELECT id, 使用名称, 版本 FROM 运行库 ORDER BY id"), (Lines{"3\t报表\t2.0", "4\t打印\t1.1"}));
  // The files come in the order the catalogue joins them, which is not asked for.
  EXPECT_EQ(Rows("SELECT f.文件名, f.运行, k.使用名称 FROM 运行库文件 f INNER JOIN 运行库 k ON k.id = f.运行库_id "
                 "ORDER BY f.运行"),
            (Lines{"report.ocx\tNULL\t报表", "NULL\treadme\t报表", "engine.dll\tregsvr32\t打印"}));
  EXPECT_EQ(Content("文件名 = 'engine.dll'"), access::Value::Binary(engine));
  EXPECT_EQ(Content("文件名 = 'report.ocx'"), access::Value::Binary(report));
  EXPECT_TRUE(Content("文件名 IS NULL").is_null());
  EXPECT_FALSE(std::filesystem::exists(installation_->run().local_files.Map("c:\\temp_sj.temp")));
}

TEST_F(ReferenceDataTest, DefaultListsAreSeededExactlyOnceIntoAnEmptyCourt) {
  Install();

  Refresh();
  Refresh();

  EXPECT_EQ(Rows("SELECT 内容1, 内容2, 内容3, 内容4 FROM 常用数据 WHERE 名称 = '字号' ORDER BY no"),
            (Lines{"民初\t民事\t院机关\tNULL",     "民重\t民事\t院机关\tNULL",     "民再\t民事再审\t院机关\tNULL",
                   "刑初\t刑事\t院机关\tNULL",     "刑重\t刑事\t院机关\tNULL",     "少刑初\t刑事\t院机关\tNULL",
                   "刑自初\t刑事\t院机关\tNULL",   "民保\t特别程序\t院机关\tNULL", "民督\t特别程序\t院机关\tNULL",
                   "民特\t特别程序\t院机关\tNULL", "民催\t特别程序\t院机关\tNULL", "行初\t行政\t院机关\tNULL",
                   "行赔初\t行政\t院机关\tNULL",   "行重\t行政\t院机关\tNULL",     "执\t执行\t院机关\tNULL",
                   "刑再\t刑事再审\t院机关\tNULL", "行再\t行政再审\t院机关\tNULL"}));
  EXPECT_EQ(Rows("SELECT 排列, 法庭名称 FROM 法庭概况 ORDER BY id"),
            (Lines{"1\t院长室", "2\t办公室", "3\t政治处", "4\t纪检监察室", "5\t审判监督庭", "6\t司法行政科",
                   "7\t刑庭", "8\t少年庭", "9\t行政庭", "10\t民一庭", "11\t民二庭", "12\t法警队", "13\t执行局"}));
  Lines sent;
  for (const auto& s : installation_->Transcript())
    if (s.kind == "execute" && s.sql.find("insert into") == 0) sent.push_back(s.sql);
  ASSERT_EQ(sent.size(), 30u);
  EXPECT_EQ(sent[0], "insert into  常用数据 (名称, 内容1, 内容2, 内容3) values ( '字号', '民初' ,'民事','院机关')");
  EXPECT_EQ(sent[29], "insert into 法庭概况(法庭名称, 排列) values ('执行局',13)");
}

TEST_F(ReferenceDataTest, OneExistingRowOfADefaultListPreventsItsSeed) {
  Install();
  Court("INSERT INTO 常用数据 (名称, 内容1) VALUES ('字号', '本院字号')");
  Court("INSERT INTO 法庭概况 (法庭名称, 排列) VALUES ('立案庭', 1)");

  Refresh();

  EXPECT_EQ(Category("字号"), (Lines{"本院字号\tNULL"}));
  EXPECT_EQ(Rows("SELECT 法庭名称 FROM 法庭概况"), (Lines{"立案庭"}));
}

TEST_F(ReferenceDataTest, AFileOfAnUnnamedLibraryStopsTheRefreshBeforeTheSeeds) {
  // The library ships without a name, so the court cannot link its file.
  catalogue_.rows("运行库") = json::array({{10, "   ", nullptr}});
  catalogue_.rows("运行库文件") = json::array({{1, "engine.dll", nullptr, 10, nullptr}});
  Install();

  try {
    Refresh();
    FAIL() << "the refresh went through";
  } catch (const access::Error& e) {
    EXPECT_NE(e.description().find("engine.dll"), std::string::npos) << e.description();
  }
  EXPECT_TRUE(Rows("SELECT 文件名 FROM 运行库文件").empty());
  EXPECT_TRUE(Category("字号").empty());
}

}  // namespace
}  // namespace court::data
