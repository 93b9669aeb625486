// Both databases brought to a catalogue written by court-catalogue, on the
// embedded server: first install, a repeat with nothing to do, an upgrade
// with a changed catalogue, and a sync that fails half-way.

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "platform/access/error.h"
#include "schema/sync.h"
#include "tests/support/catalogue_json.h"
#include "tests/support/installation.h"

namespace court::schema {
namespace {

using court::testing::Installation;
using court::testing::Sent;
using testing::Catalogue;
using testing::CatalogueTable;
using testing::Column;
using testing::IdentityColumn;
using Rows = std::vector<std::string>;

// The release first installed: two court tables (one listed with trailing
// blanks), the two mail tables and a 表名 row without a name.
std::vector<CatalogueTable> FirstRelease() {
  return {{"案件",
           {IdentityColumn("序号", "int", 56, 4), Column("案号", "varchar", 167, 20, 0),
            Column("收案日期", "datetime", 61, 8, 1, "(getdate())"), Column("标的", "money", 60, 8, 1, "(0)"),
            Column("备注", "ntext", 99, 16, 1)}},
          {"当事人  ",
           {Column("案号", "varchar", 167, 20, 0), Column("姓名", "varchar", 167, 50, 1),
            Column("金额", "decimal", 106, 9, 1), Column("照片", "image", 34, 16, 1)}},
          {"邮箱",
           {IdentityColumn("编号", "int", 56, 4), Column("标题", "varchar", 167, 200, 1),
            Column("时间", "datetime", 61, 8, 1, "(getdate())")}},
          {nullptr, {Column("孤列", "int", 56, 4, 1)}},
          {"邮箱附件", {Column("邮件编号", "int", 56, 4, 0), Column("内容", "image", 34, 16, 1)}}};
}

// The next release: a new column, a longer varchar, a default for an
// existing column, a new (getdate()) column and an identity column added.
std::vector<CatalogueTable> SecondRelease() {
  std::vector<CatalogueTable> tables = FirstRelease();
  tables[0].columns[1] = Column("案号", "varchar", 167, 40, 0);
  tables[0].columns.push_back(Column("承办人", "varchar", 167, 30, 1));
  tables[1].columns[1] = Column("姓名", "varchar", 167, 50, 1, "('无名')");
  tables[1].columns.push_back(Column("登记时间", "datetime", 61, 8, 1, "(getdate())"));
  tables[1].columns.push_back(IdentityColumn("序号", "int", 56, 4));
  return tables;
}

class SyncTest : public ::testing::Test {
 protected:
  SyncTest() : installation_(Catalogue(FirstRelease())) {
    installation_.CreateDatabase("法院");
    installation_.CreateDatabase("内部邮件");
  }

  void SyncBoth() {
    SyncCourtTables(installation_.run());
    SyncMailTables(installation_.run());
  }

  Rows Query(const std::string& database, const std::string& sql) { return installation_.Rows(database, sql); }

  // Sorted here: the server's order of Chinese names is not what this test is about.
  Rows Sorted(Rows rows) {
    std::sort(rows.begin(), rows.end());
    return rows;
  }

  Rows ObjectsOfKind(const std::string& database, const std::string& xtype) {
    return Sorted(Query(database, "SELECT name FROM sysobjects WHERE xtype = '" + xtype + "'"));
  }

  // name, type code, length, nulls allowed, whether a default is bound.
  Rows ColumnsOf(const std::string& database, const std::string& table) {
    return Query(database,
                 "SELECT name, xtype, length, isnullable, CASE WHEN cdefault > 0 THEN 'default' ELSE '-' END "
                 "FROM syscolumns WHERE id IN (SELECT id FROM sysobjects WHERE name = '" + table +
                     "') ORDER BY colid");
  }

  Rows StatementsSent() {
    Rows statements;
    for (const Sent& s : installation_.Transcript())
      if (s.kind != "query") statements.push_back(s.target + ": " + s.sql);
    return statements;
  }

  Installation installation_;
};

TEST_F(SyncTest, BringsEmptyDatabasesToTheCatalogue) {
  SyncBoth();

  EXPECT_EQ(ObjectsOfKind("法院", "U"), Sorted({"案件", "当事人"}));
  EXPECT_EQ(ObjectsOfKind("内部邮件", "U"), (Rows{"邮箱", "邮箱附件"}));
  EXPECT_EQ(ColumnsOf("法院", "案件"), (Rows{"序号\t56\t4\t0\t-", "案号\t167\t20\t0\t-",
                                            "收案日期\t61\t8\t1\tdefault", "标的\t60\t8\t1\tdefault",
                                            "备注\t99\t16\t1\t-"}));
  EXPECT_EQ(ColumnsOf("法院", "当事人"), (Rows{"案号\t167\t20\t0\t-", "姓名\t167\t50\t1\t-",
                                              "金额\t106\t9\t1\t-", "照片\t34\t16\t1\t-"}));
  EXPECT_EQ(ColumnsOf("内部邮件", "邮箱附件"), (Rows{"邮件编号\t56\t4\t0\t-", "内容\t34\t16\t1\t-"}));
  EXPECT_EQ(ObjectsOfKind("法院", "PK"), (Rows{"案件1"}));
  EXPECT_EQ(ObjectsOfKind("内部邮件", "PK"), (Rows{"邮箱1"}));
  EXPECT_EQ(ObjectsOfKind("法院", "D"), Sorted({"DF_案件_标的", "DF_案件_收案日期"}));
  EXPECT_EQ(ObjectsOfKind("内部邮件", "D"), (Rows{"DF_邮箱_时间"}));

  installation_.Execute("法院", "INSERT INTO 案件 (案号) VALUES ('A1')");
  EXPECT_EQ(Query("法院", "SELECT 序号, 标的, CASE WHEN 收案日期 IS NULL THEN 0 ELSE 1 END FROM 案件"),
            (Rows{"1\t0\t1"}));
}

TEST_F(SyncTest, SecondSyncSendsNothing) {
  SyncBoth();
  installation_.ClearTranscript();
  SyncBoth();
  EXPECT_EQ(StatementsSent(), Rows{});
}

TEST_F(SyncTest, AppliesAChangedCatalogueAndKeepsTheRows) {
  SyncBoth();
  installation_.Execute("法院", "INSERT INTO 案件 (案号, 标的) VALUES ('A1', 12.5)");
  installation_.Execute("法院", "INSERT INTO 当事人 (案号, 姓名) VALUES ('A1', '张三')");
  installation_.Execute("法院", "INSERT INTO 当事人 (案号, 姓名) VALUES ('A1', '李四')");

  installation_.UseCatalogue(Catalogue(SecondRelease()));
  SyncBoth();

  EXPECT_EQ(ColumnsOf("法院", "案件"), (Rows{"序号\t56\t4\t0\t-", "案号\t167\t40\t0\t-",
                                            "收案日期\t61\t8\t1\tdefault", "标的\t60\t8\t1\tdefault",
                                            "备注\t99\t16\t1\t-", "承办人\t167\t30\t1\t-"}));
  EXPECT_EQ(ColumnsOf("法院", "当事人"),
            (Rows{"案号\t167\t20\t0\t-", "姓名\t167\t50\t1\tdefault", "金额\t106\t9\t1\t-", "照片\t34\t16\t1\t-",
                  "登记时间\t61\t8\t1\tdefault", "序号\t56\t4\t0\t-"}));
  EXPECT_EQ(ObjectsOfKind("法院", "D"),
            Sorted({"DF_案件_标的", "DF_案件_收案日期", "DF_当事人_姓名", "当前日时"}));

  EXPECT_EQ(Query("法院", "SELECT 序号, 案号, 标的, 承办人 FROM 案件"), (Rows{"1\tA1\t12.5\tNULL"}));
  EXPECT_EQ(Sorted(Query("法院", "SELECT 案号, 姓名 FROM 当事人")), Sorted({"A1\t李四", "A1\t张三"}));
  EXPECT_EQ(Query("法院", "SELECT COUNT(*), MIN(序号), MAX(序号) FROM 当事人"), (Rows{"2\t1\t2"}));
  installation_.Execute("法院", "INSERT INTO 当事人 (案号) VALUES ('A2')");
  EXPECT_EQ(Query("法院", "SELECT 姓名, 序号, CASE WHEN 登记时间 IS NULL THEN 0 ELSE 1 END FROM 当事人 "
                          "WHERE 案号 = 'A2'"),
            (Rows{"无名\t3\t1"}));

  installation_.ClearTranscript();
  SyncBoth();
  EXPECT_EQ(StatementsSent(), Rows{});
}

TEST_F(SyncTest, TableWithoutCatalogueColumnsIsSkippedWithAWarning) {
  installation_.UseCatalogue(Catalogue({{"空表", {}}}));
  SyncCourtTables(installation_.run());

  EXPECT_EQ(StatementsSent(), Rows{});
  EXPECT_EQ(ObjectsOfKind("法院", "U"), Rows{});
  EXPECT_EQ(installation_.run().warnings, std::vector<std::string>{"catalogue table 空表 has no columns; not created"});
}

TEST_F(SyncTest, UnknownTypeStopsTheSyncWithTheServersErrorAndARerunCompletes) {
  std::vector<CatalogueTable> tables = {{"甲", {Column("a", "int", 56, 4, 1)}},
                                        {"乙", {Column("b", "int", 56, 4, 1), Column("c", "nosuchtype", 0, 4, 1)}},
                                        {"丙", {Column("d", "int", 56, 4, 1)}}};
  installation_.UseCatalogue(Catalogue(tables));
  try {
    SyncCourtTables(installation_.run());
    FAIL() << "the sync went through";
  } catch (const access::Error& e) {
    EXPECT_EQ(e.number(), 2715);
    const Sent failed = installation_.Transcript().back();
    EXPECT_FALSE(failed.ok);
    EXPECT_EQ(failed.error, e.description());
    EXPECT_EQ(failed.sql.rfind("CREATE TABLE [dbo].[乙]", 0), 0u) << failed.sql;
  }
  EXPECT_EQ(ObjectsOfKind("法院", "U"), (Rows{"甲"}));

  tables[1].columns[1] = Column("c", "varchar", 167, 4, 1);
  installation_.UseCatalogue(Catalogue(tables));
  SyncCourtTables(installation_.run());
  EXPECT_EQ(ObjectsOfKind("法院", "U"), Sorted({"丙", "甲", "乙"}));
}

TEST_F(SyncTest, UnknownTypeStopsAnAlterationAfterTheColumnsBeforeIt) {
  std::vector<CatalogueTable> tables = {{"甲",
                                         {Column("a", "int", 56, 4, 1), Column("x", "int", 56, 4, 1),
                                          Column("y", "nosuchtype", 0, 4, 1), Column("z", "int", 56, 4, 1)}}};
  installation_.Execute("法院", "CREATE TABLE 甲 (a int NULL)");
  installation_.UseCatalogue(Catalogue(tables));
  EXPECT_THROW(SyncCourtTables(installation_.run()), access::Error);
  EXPECT_EQ(ColumnsOf("法院", "甲"), (Rows{"a\t56\t4\t1\t-", "x\t56\t4\t1\t-"}));

  tables[0].columns[2] = Column("y", "int", 56, 4, 1);
  installation_.UseCatalogue(Catalogue(tables));
  SyncCourtTables(installation_.run());
  EXPECT_EQ(ColumnsOf("法院", "甲"), (Rows{"a\t56\t4\t1\t-", "x\t56\t4\t1\t-", "y\t56\t4\t1\t-", "z\t56\t4\t1\t-"}));
}

TEST_F(SyncTest, ViewNamedLikeACatalogueTableIsAlteredNotReplaced) {
  installation_.Execute("法院", "CREATE TABLE 底表 (a int NULL)");
  installation_.Execute("法院", "CREATE VIEW 视图 AS SELECT a FROM 底表");
  installation_.UseCatalogue(Catalogue({{"视图", {Column("b", "int", 56, 4, 1)}}}));

  EXPECT_THROW(SyncCourtTables(installation_.run()), access::Error);
  EXPECT_EQ(StatementsSent(), (Rows{"法院: alter table 视图\r\n add b [int]  null"}));
  EXPECT_EQ(ObjectsOfKind("法院", "U"), (Rows{"底表"}));
}

}  // namespace
}  // namespace court::schema
