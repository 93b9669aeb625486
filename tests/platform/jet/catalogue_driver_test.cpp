// The installer's catalogue queries, exactly as it sends them, on a
// catalogue file written by the writer.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>

#include "platform/access/error.h"
#include "platform/jet/catalogue_driver.h"
#include "platform/jet/database_writer.h"
#include "platform/jet/mdb_file.h"
#include "platform/jet/sqlite_db.h"
#include "tests/support/temp_dir.h"

namespace court::jet {
namespace {

using access::Value;
using access::ValueType;

Value I(std::int64_t v) { return Value::Integer(v); }
Value T(const std::string& v) { return Value::Text(v); }

std::vector<Table> Catalogue() {
  Table names{"表名", {{"id", ColumnType::kLong}, {"name", ColumnType::kText, 50}},
              {{I(1), T("案由")}, {I(2), T("邮箱")}, {I(3), T("邮箱附件")}, {I(4), Value()},
               {I(5), T("日历 ")}, {I(6), T("Calendar")}, {I(7), T("无列")}, {I(8), T("calendar")}}};
  Table columns{"字段",
                {{"id", ColumnType::kLong}, {"名称", ColumnType::kText, 50}, {"类型", ColumnType::kText, 20},
                 {"类型id", ColumnType::kInteger}, {"长度", ColumnType::kInteger}, {"允许空", ColumnType::kInteger},
                 {"默认", ColumnType::kText, 100}, {"自动编号", ColumnType::kBoolean}},
                {}};
  auto column = [&](int id, Value name, const char* type, int xtype, int length, int nullable, Value def, bool identity) {
    columns.rows.push_back({I(id), std::move(name), T(type), I(xtype), I(length), I(nullable), std::move(def),
                            Value::Boolean(identity)});
  };
  column(1, T("案由编号"), "int", 56, 4, 0, Value(), true);
  column(2, T("收件人"), "varchar", 167, 50, 1, T(""), false);
  column(1, Value(), "varchar", 167, 10, 1, Value(), false);  // no name: not a column
  column(1, T(""), "varchar", 167, 10, 1, Value(), false);    // empty name: not a column
  column(1, T("案由"), "varchar", 167, 100, 1, T("('')"), false);
  column(1, T("日期"), "datetime", 61, 8, 1, T("(getdate())"), false);
  column(5, T("  "), "int", 56, 4, 1, Value(), false);
  column(6, T("day"), "int", 56, 4, 1, Value(), false);
  column(8, T("month"), "int", 56, 4, 1, Value(), false);
  Table constraints{"约束表", {{"约束名", ColumnType::kText, 50}, {"表名", ColumnType::kText, 50}, {"约束语句", ColumnType::kMemo}},
                    {{T("c1"), T("案由"), T("len(案由)>0")}, {T("c2"), T("案由"), Value()},
                     {T("c3"), T("案由"), T("   ")}, {T("c4"), T("日历"), T("id > 0  ")}}};
  Table release{"升级版本", {{"升级版本号", ColumnType::kDouble}},
                {{Value::Float(0)}, {Value::Float(7.6)}, {Value::Float(-1)}, {Value()}}};
  Table common{"常用数据", {{"no", ColumnType::kLong}, {"名称", ColumnType::kText, 50}, {"内容1", ColumnType::kText, 50}},
               {{I(3), T("案件性质"), T("民事")}, {I(1), T("案件性质"), T("刑事")}, {I(2), T("保管期限"), T("永久")}}};
  Table templates{"文书样本库", {{"id", ColumnType::kLong}, {"来源", ColumnType::kText, 20}, {"内容", ColumnType::kOle}},
                  {{I(10), T("(系统文书)"), Value::Binary({1, 2, 3})}, {I(11), T("用户"), Value()}}};
  Table materials{"文书资料", {{"ws_id", ColumnType::kLong}, {"所有人", ColumnType::kText, 20}},
                  {{I(20), T("张三")}, {I(21), T("(系统文书)")}}};
  Table libraries{"运行库", {{"id", ColumnType::kLong}, {"使用名称", ColumnType::kText, 50}},
                  {{I(1), T("报表")}, {I(2), T("打印")}}};
  Table files{"运行库文件",
              {{"文件名", ColumnType::kText, 50}, {"运行", ColumnType::kText, 50}, {"运行库_id", ColumnType::kLong},
               {"内容", ColumnType::kOle}},
              {{T("a.dll"), Value(), I(2), Value::Binary({0, 255})}, {T("b.dll"), T("1"), I(1), Value()}}};
  return {names, columns, constraints, release, common, templates, materials, libraries, files};
}

class CatalogueQueries : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new court::testing::TempDir;
    WriteDatabase(Catalogue(), dir_->File("table.mdb"));
  }
  static void TearDownTestSuite() { delete dir_; }

  access::ResultSet Query(const std::string& sql) { return session_->Query(sql); }
  static std::vector<std::string> Names(const access::ResultSet& result) {
    std::vector<std::string> names;
    for (const auto& column : result.columns) names.push_back(column.name);
    return names;
  }
  static std::vector<Value> Column(const access::ResultSet& result, std::size_t c) {
    std::vector<Value> values;
    for (const auto& row : result.rows) values.push_back(row[c]);
    return values;
  }

  static court::testing::TempDir* dir_;
  CatalogueDriver driver_;
  std::unique_ptr<access::Session> session_ = driver_.Connect(dir_->File("table.mdb"));
};

court::testing::TempDir* CatalogueQueries::dir_ = nullptr;

TEST_F(CatalogueQueries, CourtAndMailTableLists) {
  auto court = Query("SELECT  name FROM 表名 where not ( name = '邮箱' or  name = '邮箱附件')  ");
  EXPECT_EQ(Column(court, 0), (std::vector<Value>{T("案由"), T("日历 "), T("Calendar"), T("无列"), T("calendar")}));
  EXPECT_EQ(court.columns[0].name, "name");
  auto mail = Query("SELECT  name FROM 表名 where  ( name = '邮箱' or  name = '邮箱附件')  ");
  EXPECT_EQ(Column(mail, 0), (std::vector<Value>{T("邮箱"), T("邮箱附件")}));
}

TEST_F(CatalogueQueries, CreationColumnsKeepOnlyNamedColumnsInStoredOrder) {
  auto result = Query("select * from 字段 where 名称 and  id in ( select id from 表名 where name = '案由' )");
  ASSERT_EQ(result.columns.size(), 8u);
  EXPECT_EQ(result.columns[1].name, "名称");
  EXPECT_EQ(result.columns[7].type, ValueType::kBoolean);
  EXPECT_EQ(Column(result, 1), (std::vector<Value>{T("案由编号"), T("案由"), T("日期")}));
  EXPECT_EQ(result.rows[0][7], Value::Boolean(true));
  EXPECT_EQ(Query("select * from 字段 where 名称 and  id in ( select id from 表名 where name = '无列' )").rows.size(), 0u);
}

TEST_F(CatalogueQueries, AlterationColumnsComeInTheAskedOrder) {
  auto result = Query(
      "select 类型id, 长度,  允许空 ,默认, 名称 ,类型 ,自动编号 from 字段 where 名称 and  id in ( select id from 表名 where "
      "name = 'calendar' )");
  EXPECT_EQ(Names(result), (std::vector<std::string>{"类型id", "长度", "允许空", "默认", "名称", "类型", "自动编号"}));
  // Text compares without regard to case: both tables of that name answer.
  ASSERT_EQ(result.rows.size(), 2u);
  EXPECT_EQ(result.rows[0], (access::Row{I(56), I(4), I(1), Value(), T("day"), T("int"), Value::Boolean(false)}));
  EXPECT_EQ(result.rows[1][4], T("month"));
}

// Jet's "=" ignores trailing blanks on either side.
TEST_F(CatalogueQueries, TrailingBlanksDoNotCountInComparisons) {
  EXPECT_EQ(Column(Query("SELECT id FROM 表名 WHERE (not name is null ) and ((name = '日历'))"), 0),
            std::vector<Value>{I(5)});
  EXPECT_EQ(Column(Query("SELECT id FROM 表名 WHERE name = '案由  '"), 0), std::vector<Value>{I(1)});
  auto columns = Query("select * from 字段 where 名称 and  id in ( select id from 表名 where name = '日历' )");
  EXPECT_EQ(Column(columns, 1), std::vector<Value>{T("  ")});  // a blank name is still a name
}

TEST_F(CatalogueQueries, TableCopyReadsNumberColumnsAndOrderedRows) {
  EXPECT_EQ(Column(Query("SELECT id FROM 表名 WHERE (not name is null ) and ((name = '案由'))"), 0),
            std::vector<Value>{I(1)});
  EXPECT_EQ(Query("SELECT ID FROM 表名 WHERE id = 1").columns[0].name, "id");  // as the file spells it
  auto columns = Query("SELECT 名称 ,类型 FROM 字段 WHERE id = 1");
  EXPECT_EQ(columns.rows.size(), 5u);  // unnamed rows too: this query has no name test
  auto rows = Query("SELECT * FROM 常用数据 where 名称= '案件性质' ORDER BY no");
  EXPECT_EQ(Column(rows, 2), (std::vector<Value>{T("刑事"), T("民事")}));
  auto system = Query("SELECT * FROM 文书样本库 where 来源 = '(系统文书)' ");
  ASSERT_EQ(system.rows.size(), 1u);
  EXPECT_EQ(system.columns[2].type, ValueType::kBinary);
  EXPECT_EQ(system.rows[0][2], Value::Binary({1, 2, 3}));
  EXPECT_EQ(Column(Query("select id from 文书样本库 where 来源 = '(系统文书)'"), 0), std::vector<Value>{I(10)});
  EXPECT_EQ(Column(Query("select ws_id from 文书资料 where 所有人 = '(系统文书)'"), 0), std::vector<Value>{I(21)});
  EXPECT_EQ(Column(Query("SELECT * FROM 运行库 ORDER BY id"), 1), (std::vector<Value>{T("报表"), T("打印")}));
}

TEST_F(CatalogueQueries, ReleaseNumberCountsOnlyAboveZero) {
  auto result = Query("SELECT 升级版本号 FROM 升级版本 where 升级版本号>0");
  EXPECT_EQ(Column(result, 0), std::vector<Value>{Value::Float(7.6)});
  EXPECT_EQ(result.columns[0].type, ValueType::kFloat);
}

TEST_F(CatalogueQueries, ConstraintsSkipNullAndBlankConditions) {
  auto result = Query(
      "SELECT [约束名], [表名], [约束语句] FROM 约束表 where ( not  约束语句 is null ) and (not rtrim(约束语句)='' ) ");
  EXPECT_EQ(Column(result, 0), (std::vector<Value>{T("c1"), T("c4")}));
  EXPECT_EQ(result.columns[1].name, "表名");
  EXPECT_EQ(result.rows[1][2], T("id > 0  "));
}

TEST_F(CatalogueQueries, LibraryFilesJoinTheirLibraries) {
  auto result = Query(
      "SELECT 运行库.使用名称, 运行库文件.文件名, 运行库文件.运行库_id, 运行库文件.内容, 运行库文件.运行 FROM 运行库 INNER JOIN  "
      "运行库文件 ON 运行库.id = 运行库文件.运行库_id");
  EXPECT_EQ(Names(result), (std::vector<std::string>{"使用名称", "文件名", "运行库_id", "内容", "运行"}));
  EXPECT_FALSE(result.base_table.has_value());
  ASSERT_EQ(result.rows.size(), 2u);
  for (const auto& row : result.rows) {
    if (row[1] == T("a.dll")) EXPECT_EQ(row, (access::Row{T("打印"), T("a.dll"), I(2), Value::Binary({0, 255}), Value()}));
    else EXPECT_EQ(row, (access::Row{T("报表"), T("b.dll"), I(1), Value(), T("1")}));
  }
}

TEST_F(CatalogueQueries, RowsAddedAndChangedStayInTheSession) {
  auto before = Query("select * from 常用数据");
  ASSERT_EQ(before.base_table, "常用数据");
  ASSERT_EQ(before.row_ids.size(), 3u);
  EXPECT_EQ(before.columns[1].base_column, "名称");
  std::int64_t added = session_->InsertRow("常用数据", {"no", "名称"}, {I(9), T("新")});
  session_->UpdateRow("常用数据", before.row_ids[0], {"内容1"}, {T("改")});
  auto after = Query("select 内容1, no from 常用数据 where 名称 = '新' or no = 3");
  EXPECT_EQ(after.rows, (std::vector<access::Row>{{T("改"), I(3)}, {Value(), I(9)}}));
  EXPECT_EQ(after.row_ids[1], added);

  auto fresh = driver_.Connect(dir_->File("table.mdb"));
  EXPECT_EQ(fresh->Query("select * from 常用数据").rows, before.rows);
}

TEST_F(CatalogueQueries, UnknownTableAndColumnFailLikeJet) {
  try {
    Query("select * from 不存在");
    FAIL();
  } catch (const access::Error& error) {
    EXPECT_EQ(error.number(), kNoSuchTable);
    EXPECT_NE(error.description().find("'不存在'"), std::string::npos);
  }
  EXPECT_THROW(Query("select 不存在 from 表名"), access::Error);
}

TEST(CatalogueDriver, MissingFileNamesIt) {
  CatalogueDriver driver;
  try {
    driver.Connect("/nonexistent/table.mdb");
    FAIL();
  } catch (const access::Error& error) {
    EXPECT_EQ(error.number(), kFileNotFound);
    EXPECT_EQ(error.description(), "Could not find file '/nonexistent/table.mdb'.");
  }
}

TEST(CatalogueDriver, RewrittenFileIsReadAgain) {
  court::testing::TempDir dir;
  const std::string file = dir.File("table.mdb");
  CatalogueDriver driver;
  WriteDatabase({{"升级版本", {{"升级版本号", ColumnType::kLong}}, {{I(1)}}}}, file);
  EXPECT_EQ(driver.Connect(file)->Query("SELECT 升级版本号 FROM 升级版本").rows[0][0], I(1));
  WriteDatabase({{"升级版本", {{"升级版本号", ColumnType::kLong}}, {{I(2)}, {I(3)}}}}, file);
  EXPECT_EQ(driver.Connect(file)->Query("SELECT 升级版本号 FROM 升级版本").rows[0][0], I(2));
}

// Tables are read when first asked for: from the file the connection
// opened, even when another has been put in its place since.
TEST(CatalogueDriver, AConnectionKeepsReadingTheFileItOpened) {
  court::testing::TempDir dir;
  const std::string file = dir.File("table.mdb");
  auto release = [](int number) {
    return std::vector<Table>{{"升级版本", {{"升级版本号", ColumnType::kLong}}, {{I(number)}}},
                              {"常用数据", {{"no", ColumnType::kLong}}, {{I(number)}}}};
  };
  CatalogueDriver driver;
  WriteDatabase(release(1), file);
  auto session = driver.Connect(file);
  EXPECT_EQ(session->Query("SELECT 升级版本号 FROM 升级版本").rows[0][0], I(1));
  WriteDatabase(release(2), file);
  EXPECT_EQ(session->Query("SELECT no FROM 常用数据").rows[0][0], I(1));
  EXPECT_EQ(driver.Connect(file)->Query("SELECT no FROM 常用数据").rows[0][0], I(2));
}

// Zeroes the page of the file that holds `text` (as Jet 4 stores it, compressed or not).
void ZeroPageHolding(const std::string& file, const std::string& text) {
  std::string bytes;
  {
    std::ifstream in(file, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), {});
  }
  std::string wide;
  for (char c : text) wide += std::string{c, '\0'};
  std::size_t at = bytes.find(text);
  if (at == std::string::npos) at = bytes.find(wide);
  ASSERT_NE(at, std::string::npos);
  constexpr std::size_t kPage = 4096;
  bytes.replace(at / kPage * kPage, kPage, kPage, '\0');
  std::ofstream(file, std::ios::binary) << bytes;
}

// A table that lost a page opens like the others; it fails each time a
// query uses it, naming the file, and the other tables still answer.
TEST(CatalogueDriver, ATableThatLostAPageFailsWhenUsedNamingTheFile) {
  court::testing::TempDir dir;
  const std::string file = dir.File("table.mdb");
  Table causes{"案由", {{"id", ColumnType::kLong}, {"名称", ColumnType::kText, 50}}, {}};
  for (int i = 0; i < 2000; ++i) causes.rows.push_back({I(i), T("cause of action " + std::to_string(i))});
  WriteDatabase({{"升级版本", {{"升级版本号", ColumnType::kLong}}, {{I(3)}}}, causes}, file);
  ZeroPageHolding(file, "cause of action 1000");
  CatalogueDriver driver;
  auto session = driver.Connect(file);
  for (int attempt = 0; attempt < 2; ++attempt) {
    try {
      session->Query("SELECT count(*) FROM 案由");
      FAIL();
    } catch (const access::Error& error) {
      EXPECT_EQ(error.number(), kDamagedFile);
      EXPECT_EQ(error.description().rfind("The file '" + file + "' is damaged: table '案由' holds ", 0), 0u)
          << error.description();
    }
    EXPECT_EQ(session->Query("SELECT 升级版本号 FROM 升级版本").rows[0][0], I(3));
  }
}

}  // namespace
}  // namespace court::jet
