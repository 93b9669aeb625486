// The statement texts of table creation, column addition, column alteration
// and default binding, exactly as a real sync sends them to the server.

#include <gtest/gtest.h>

#include <algorithm>
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
using testing::ColumnRow;
using testing::Column;
using testing::IdentityColumn;

const std::string kCourtTableList =
    "SELECT  name FROM 表名 where not ( name = '邮箱' or  name = '邮箱附件')  ";
const std::string kExistenceOfT = "SELECT name FROM sysobjects where  name = 'T'";
const std::string kCreationColumnsOfT =
    "select * from 字段 where 名称 and  id in ( select id from 表名 where name = 'T' )";
const std::string kAlterationColumnsOfT =
    "select 类型id, 长度,  允许空 ,默认, 名称 ,类型 ,自动编号 from 字段 where 名称 and  id in ( select id "
    "from 表名 where name = 'T' )";

std::string ServerColumnOfT(const std::string& column) {
  return "SELECT xtype, length,  isnullable,cdefault FROM syscolumns WHERE name ='" + column +
         "' and  id in (SELECT id FROM sysobjects WHERE (xtype = 'u') AND (name = 'T'))";
}

std::string Lines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += (text.empty() ? "" : "\r\n") + line;
  return text;
}

// Every call as "target|kind|sql", failures marked, for whole-run comparison.
std::vector<std::string> Calls(const std::vector<Sent>& sent) {
  std::vector<std::string> calls;
  for (const Sent& s : sent) calls.push_back(s.target + "|" + s.kind + "|" + s.sql + (s.ok ? "" : "|failed"));
  return calls;
}

class WorkedExamplesTest : public ::testing::Test {
 protected:
  WorkedExamplesTest() : installation_(Catalogue({})) { installation_.CreateDatabase("法院"); }

  void SyncCourtWith(const nlohmann::json& catalogue) {
    installation_.UseCatalogue(catalogue);
    installation_.ClearTranscript();
    SyncCourtTables(installation_.run());
  }

  std::vector<std::string> LastCalls(std::size_t count) {
    std::vector<std::string> calls = Calls(installation_.Transcript());
    return {calls.end() - static_cast<long>(std::min(count, calls.size())), calls.end()};
  }

  std::vector<std::string> ColumnsOfT() {
    return installation_.Rows("法院",
                              "SELECT name, xtype, length, isnullable, CASE WHEN cdefault > 0 THEN 'default' "
                              "ELSE '-' END FROM syscolumns WHERE id IN (SELECT id FROM sysobjects WHERE name "
                              "= 'T') ORDER BY colid");
  }

  Installation installation_;
};

TEST_F(WorkedExamplesTest, CreatesTableWithKeyAndDefaultsInTwoStatements) {
  SyncCourtWith(Catalogue({{"T",
                            {IdentityColumn("c1", "int", 56, 4), Column("c2", "varchar", 167, 50, 0),
                             Column("c3", "datetime", 61, 8, 1, "(getdate())"), Column("c4", "ntext", 99, 16, 1),
                             Column("c5", "numeric", 108, 9, 1, "(0)")}}}));

  const std::string create = Lines({"CREATE TABLE [dbo].[T] (", "[c1] [int]  IDENTITY (1, 1) NOT NULL  , ",
                                    "[c2] [varchar]  (50 )   COLLATE Chinese_PRC_CI_AS  not  null , ",
                                    "[c3] [datetime]  null , ",
                                    "[c4] [ntext]   COLLATE Chinese_PRC_CI_AS  null , ",
                                    "[c5] [numeric]  (9 )  null , ", ") ON [PRIMARY]"});
  const std::string constraints =
      Lines({"ALTER TABLE [dbo].[T] WITH NOCHECK ADD ",
             "CONSTRAINT [T1] PRIMARY KEY  CLUSTERED ( [c1]) ON [PRIMARY] ", "", "", " ,",
             "CONSTRAINT [DF_T_c3] DEFAULT (getdate()) FOR [c3]", "", " ,",
             "CONSTRAINT [DF_T_c5] DEFAULT (0) FOR [c5]"});
  EXPECT_EQ(Calls(installation_.Transcript()),
            (std::vector<std::string>{"catalogue|query|" + kCourtTableList, "法院|query|" + kExistenceOfT,
                                      "catalogue|query|" + kCreationColumnsOfT, "法院|execute|" + create,
                                      "法院|execute|" + constraints}));
  EXPECT_EQ(ColumnsOfT(), (std::vector<std::string>{"c1\t56\t4\t0\t-", "c2\t167\t50\t0\t-",
                                                     "c3\t61\t8\t1\tdefault", "c4\t99\t16\t1\t-",
                                                     "c5\t108\t5\t1\tdefault"}));
  EXPECT_EQ(installation_.Rows("法院", "SELECT name FROM sysobjects WHERE xtype = 'PK'"),
            std::vector<std::string>{"T1"});
}

TEST_F(WorkedExamplesTest, TableWithoutKeyOrDefaultGetsOnlyTheCreateStatement) {
  SyncCourtWith(Catalogue({{"T", {Column("c2", "varchar", 167, 50, 0)}}}));

  std::vector<Sent> sent = installation_.Transcript();
  ASSERT_EQ(sent.size(), 4u);
  EXPECT_EQ(sent[3].sql, Lines({"CREATE TABLE [dbo].[T] (",
                                "[c2] [varchar]  (50 )   COLLATE Chinese_PRC_CI_AS  not  null , ",
                                ") ON [PRIMARY]"}));
}

TEST_F(WorkedExamplesTest, AddsMissingColumnsAndBindsTheirDefaults) {
  installation_.Execute("法院", "CREATE TABLE T (x int NULL)");
  SyncCourtWith(Catalogue({{"T",
                            {Column("x", "int", 56, 4, 1), Column("c2", "varchar", 167, 50, 0),
                             IdentityColumn("c1", "int", 56, 4), Column("c4", "datetime", 61, 8, 1),
                             Column("c3", "datetime", 61, 8, 1, "(getdate())"),
                             Column("c5", "numeric", 108, 9, 1, "(0)")}}}));

  EXPECT_EQ(
      Calls(installation_.Transcript()),
      (std::vector<std::string>{
          "catalogue|query|" + kCourtTableList, "法院|query|" + kExistenceOfT,
          "catalogue|query|" + kAlterationColumnsOfT, "法院|query|" + ServerColumnOfT("x"),
          "法院|query|" + ServerColumnOfT("c2"),
          "法院|execute|alter table T\r\n add c2 [varchar]  (50 )   COLLATE Chinese_PRC_CI_AS  not  null",
          "法院|query|" + ServerColumnOfT("c1"), "法院|execute|alter table T\r\n add c1 [int]  IDENTITY (1, 1) NOT NULL ",
          "法院|query|" + ServerColumnOfT("c4"), "法院|execute|alter table T\r\n add c4 [datetime]  null",
          "法院|query|" + ServerColumnOfT("c3"), "法院|execute|alter table T\r\n add c3 [datetime]  null",
          "法院|query|SELECT name FROM sysobjects WHERE name = '当前日时'",
          "法院|execute|CREATE DEFAULT 当前日时 AS getdate()", "法院|execute|sp_bindefault 当前日时, 'T.c3'",
          "法院|query|" + ServerColumnOfT("c5"), "法院|execute|alter table T\r\n add c5 [numeric]  (9 )  null",
          "法院|execute|CREATE DEFAULT [DF_T_c5]  AS (0)", "法院|execute|sp_bindefault [DF_T_c5] , 'T.c5'"}));
  EXPECT_EQ(ColumnsOfT(), (std::vector<std::string>{"x\t56\t4\t1\t-", "c2\t167\t50\t0\t-", "c1\t56\t4\t0\t-",
                                                     "c4\t61\t8\t1\t-", "c3\t61\t8\t1\tdefault",
                                                     "c5\t108\t5\t1\tdefault"}));
  // An added identity column carries no key.
  EXPECT_TRUE(installation_.Rows("法院", "SELECT name FROM sysobjects WHERE xtype = 'PK'").empty());
}

TEST_F(WorkedExamplesTest, AltersChangedColumnsOfACourtTableAndGoesOn) {
  installation_.Execute("法院", "CREATE TABLE T (c2 varchar(50) NOT NULL, c1 int NULL)");
  // c1 is flagged identity in the catalogue, but altering never makes one.
  SyncCourtWith(Catalogue({{"T",
                            {Column("c2", "varchar", 167, 60, 1), IdentityColumn("c1", "int", 56, 4),
                             Column("c6", "int", 56, 4, 1)}}}));

  std::vector<std::string> executed;
  for (const Sent& s : installation_.Transcript())
    if (s.kind == "execute") executed.push_back(s.sql);
  EXPECT_EQ(executed, (std::vector<std::string>{
                          "alter table T\r\nalter column c2 [varchar]  (60 )   COLLATE Chinese_PRC_CI_AS  null",
                          "alter table T\r\nalter column c1 [int]  not  null", "alter table T\r\n add c6 [int]  null"}));
  EXPECT_EQ(ColumnsOfT(), (std::vector<std::string>{"c2\t167\t60\t1\t-", "c1\t56\t4\t0\t-", "c6\t56\t4\t1\t-"}));
}

TEST_F(WorkedExamplesTest, ExistingColumnGetsItsDefaultBoundOnlyOnce) {
  installation_.Execute("法院", "CREATE TABLE T (c3 datetime NULL, c7 datetime NULL, c8 int NULL)");
  installation_.Execute("法院", "CREATE DEFAULT 当前日时 AS getdate()");
  nlohmann::json catalogue = Catalogue({{"T",
                                         {Column("c3", "datetime", 61, 8, 1, "(getdate())"),
                                          Column("c7", "datetime", 61, 8, 1, "(GETDATE())"),
                                          Column("c8", "int", 56, 4, 1, "(0)")}}});
  SyncCourtWith(catalogue);

  std::vector<std::string> executed;
  for (const Sent& s : installation_.Transcript())
    if (s.kind == "execute") executed.push_back(s.sql);
  // 当前日时 exists already; a differently spelt getdate() gets an object of its own.
  EXPECT_EQ(executed, (std::vector<std::string>{"sp_bindefault 当前日时, 'T.c3'",
                                                "CREATE DEFAULT [DF_T_c7]  AS (GETDATE())",
                                                "sp_bindefault [DF_T_c7] , 'T.c7'",
                                                "CREATE DEFAULT [DF_T_c8]  AS (0)",
                                                "sp_bindefault [DF_T_c8] , 'T.c8'"}));

  // With defaults bound, a changed catalogue default is left alone.
  catalogue["tables"][1]["rows"][2][6] = "(1)";
  SyncCourtWith(catalogue);
  for (const Sent& s : installation_.Transcript()) EXPECT_EQ(s.kind, "query") << s.sql;
}

TEST_F(WorkedExamplesTest, FlagsStoredAsWordsOrNumbersReadLikeJetFlags) {
  auto flagged = [](const char* identity, nlohmann::json nulls_allowed) {
    return ColumnRow{"c", "int", 56, 4, std::move(nulls_allowed), nullptr, identity};
  };
  SyncCourtWith(Catalogue({{"T1", {flagged("True", "1")}},
                           {"T2", {flagged("-1", "1")}},
                           {"T3", {flagged("yes", "1")}},
                           {"T4", {flagged("no", "0 "), ColumnRow{"d", "int", 56, 4, "2", nullptr, nullptr},
                                   ColumnRow{"e", "int", 56, 4, nullptr, nullptr, "0"}}}},
                          {"text", "text"}));

  std::vector<std::string> created;
  for (const Sent& s : installation_.Transcript())
    if (s.kind == "execute" && s.sql.rfind("CREATE", 0) == 0) created.push_back(s.sql);
  auto table = [](const std::string& name, const std::vector<std::string>& columns) {
    std::vector<std::string> lines = {"CREATE TABLE [dbo].[" + name + "] ("};
    for (const std::string& column : columns) lines.push_back(column + " , ");
    lines.push_back(") ON [PRIMARY]");
    return Lines(lines);
  };
  const std::string identity = "[c] [int]  IDENTITY (1, 1) NOT NULL ";
  EXPECT_EQ(created, (std::vector<std::string>{
                         table("T1", {identity}), table("T2", {identity}), table("T3", {identity}),
                         table("T4", {"[c] [int]  not  null", "[d] [int]  null", "[e] [int]  null"})}));
}

TEST_F(WorkedExamplesTest, DefaultObjectLeftByAnEarlierRunIsBoundWithoutComplaint) {
  installation_.Execute("法院", "CREATE TABLE T (c8 int NULL)");
  installation_.Execute("法院", "CREATE DEFAULT [DF_T_c8]  AS (0)");
  SyncCourtWith(Catalogue({{"T", {Column("c8", "int", 56, 4, 1, "(0)")}}}));

  EXPECT_EQ(LastCalls(2), (std::vector<std::string>{"法院|execute|CREATE DEFAULT [DF_T_c8]  AS (0)|failed",
                                                     "法院|execute|sp_bindefault [DF_T_c8] , 'T.c8'"}));
  EXPECT_EQ(ColumnsOfT(), std::vector<std::string>{"c8\t56\t4\t1\tdefault"});
}

TEST_F(WorkedExamplesTest, DefaultOfBlanksIsNoClauseWhenCreatingButStopsABinding) {
  SyncCourtWith(Catalogue({{"T", {Column("c9", "int", 56, 4, 1, "   ")}}}));
  EXPECT_EQ(installation_.Transcript().back().sql,
            Lines({"CREATE TABLE [dbo].[T] (", "[c9] [int]  null , ", ") ON [PRIMARY]"}));

  installation_.Execute("法院", "CREATE TABLE U (x int NULL)");
  installation_.UseCatalogue(Catalogue({{"U", {Column("c9", "int", 56, 4, 1, "   ")}}}));
  installation_.ClearTranscript();
  EXPECT_THROW(SyncCourtTables(installation_.run()), access::Error);
  EXPECT_EQ(LastCalls(3), (std::vector<std::string>{"法院|execute|alter table U\r\n add c9 [int]  null",
                                                     "法院|execute|CREATE DEFAULT [DF_U_c9]  AS |failed",
                                                     "法院|execute|sp_bindefault [DF_U_c9] , 'U.c9'|failed"}));
}

}  // namespace
}  // namespace court::schema
