// The token-by-token translation of Jet SQL: what is rewritten and what
// must be left exactly as written.

#include <gtest/gtest.h>

#include "platform/jet/jet_sql.h"

namespace court::jet {
namespace {

bool IsTextColumn(std::string_view name) { return name == "名称" || name == "名"; }

std::string Sql(std::string_view jet) { return TranslateQuery(jet, IsTextColumn).sql; }

TEST(JetSql, BareColumnBetweenConditionsTestsForAValue) {
  EXPECT_EQ(Sql("select * from 字段 where 名称 and  id in ( select id from 表名 where name = 'a' )"),
            "select _rowid_, * from 字段 where (名称 IS NOT NULL AND length(名称) > 0) and  id in ( select id from 表名 where name = 'a' ) ORDER BY _rowid_");
  EXPECT_EQ(Sql("select a from t where x or (名称)"), "select _rowid_, a from t where (x <> 0) or ((名称 IS NOT NULL AND length(名称) > 0)) ORDER BY _rowid_");
  EXPECT_EQ(Sql("select a from t where not [名称]"), "select _rowid_, a from t where not ([名称] IS NOT NULL AND length([名称]) > 0) ORDER BY _rowid_");
}

TEST(JetSql, ColumnsInComparisonsListsAndQuotesStayAsWritten) {
  for (const char* untouched : {"select * from t where 名称 = 'a' and b is null",
                                "select * from t where id in (名称) and x > 1",
                                "select * from t where name = 'where 名称 and' and 名称 like 'x%'",
                                "select * from t where t.名称 and 1 = 1",
                                "SELECT [约束名], [表名] FROM 约束表 where ( not  约束语句 is null ) and (not rtrim(约束语句)='' ) "}) {
    EXPECT_EQ(Sql(untouched).find("IS NOT NULL"), std::string::npos) << untouched;
  }
  EXPECT_EQ(Sql("select * from t where id in (名称) and x > 1").find("_rowid_"), 7u);
}

TEST(JetSql, DoubleQuotedTextIsAValue) {
  EXPECT_EQ(Sql(R"(select * from t where a = "it's ""x""")"), R"(select _rowid_, * from t where a = 'it''s "x"' ORDER BY _rowid_)");
}

// One table's rows come in the file's order unless the query orders them,
// whatever index SQLite could scan instead.
TEST(JetSql, UnorderedSingleTableSelectsKeepTheFileOrder) {
  EXPECT_EQ(Sql("SELECT  name FROM 表名"), "SELECT _rowid_,  name FROM 表名 ORDER BY _rowid_");
  EXPECT_EQ(Sql("select id from t where (select 1 from u order by x) = 1 order by id"),
            "select _rowid_, id from t where (select 1 from u order by x) = 1 order by id");
  EXPECT_EQ(Sql("SELECT x FROM t GROUP BY x"), "SELECT x FROM t GROUP BY x");
}

TEST(JetSql, OnlyPlainSingleTableSelectsCarryRowIdentity) {
  auto base = [](std::string_view sql) { return TranslateQuery(sql, IsTextColumn).base_table; };
  EXPECT_EQ(base("select * from 运行库文件"), "运行库文件");
  EXPECT_EQ(base("SELECT  *  FROM [文书样本库] WHERE [id] = 3 ORDER BY id"), "文书样本库");
  EXPECT_EQ(base("SELECT COUNT(*) AS Expr1 FROM t"), std::nullopt);
  EXPECT_EQ(base("SELECT a.x FROM a INNER JOIN b ON a.id = b.id"), std::nullopt);
  EXPECT_EQ(base("SELECT DISTINCT x FROM t"), std::nullopt);
  EXPECT_EQ(base("SELECT x FROM t GROUP BY x"), std::nullopt);
  EXPECT_EQ(base("SELECT x FROM t, u"), std::nullopt);
  EXPECT_EQ(base("delete from t"), std::nullopt);
}

}  // namespace
}  // namespace court::jet
