// The server's text rules: the collation, LIKE, reading dates, implicit
// conversions, and splitting batches into statements.

#include <gtest/gtest.h>

#include <functional>

#include "platform/access/error.h"
#include "platform/mssql/collation.h"
#include "platform/mssql/convert.h"
#include "platform/mssql/datetime_text.h"
#include "platform/mssql/parser.h"

namespace court::mssql {
namespace {

using access::DateTime;
using access::Value;

int ErrorNumber(const std::function<void()>& f) {
  try {
    f();
  } catch (const access::Error& e) {
    return e.number();
  }
  return 0;
}

// Chinese_PRC_CI_AS: case, width, kana and closing blanks do not count,
// accents and leading blanks do, and Chinese sorts by pinyin after Latin;
// = and LIKE agree on all of it.
TEST(Collation, IsCaseWidthAndKanaInsensitiveButAccentSensitive) {
  EXPECT_EQ(CompareCi("Word", "WORD  "), 0);
  EXPECT_EQ(CompareCi("法院", "法院 "), 0);
  EXPECT_EQ(CompareCi("", "   "), 0);
  EXPECT_NE(CompareCi(" a", "a"), 0);
  EXPECT_LT(CompareCi("a", "B"), 0);
  EXPECT_LT(CompareCi("z", "阿"), 0);
  EXPECT_EQ(CompareCi("ａ", "a"), 0);
  EXPECT_EQ(CompareCi("É", "é"), 0);
  EXPECT_NE(CompareCi("e", "é"), 0);
  EXPECT_EQ(CompareCi("か", "カ"), 0);
  EXPECT_LT(CompareCi("阿", "北"), 0);
  EXPECT_LT(CompareCi("北", "中"), 0);
  EXPECT_LT(CompareCi("计算交接", "最后次交接"), 0);
  EXPECT_TRUE(LikeMatch("a", "ａ"));
  EXPECT_TRUE(LikeMatch("É", "é"));
  EXPECT_TRUE(LikeMatch("カ%", "かな"));
  EXPECT_TRUE(LikeMatch("[a-c]", "Ｂ"));
  EXPECT_FALSE(LikeMatch("e", "é"));
  EXPECT_EQ(FindCi("DATA", "法院_data.mdf"), 4);
  EXPECT_EQ(FindCi("ｄ", "abcD"), 4);
  EXPECT_EQ(FindCi("x", "abc"), 0);
  // REPLACE finds under the collation and keeps what it does not replace.
  EXPECT_EQ(ReplaceCi("Hello hELLO ｈello héllo", "hello", "x"), "x x x héllo");
  EXPECT_EQ(ReplaceCi("aaa", "aa", "b"), "ba");
  EXPECT_EQ(ReplaceCi("法院_DATA", "", "z"), "法院_DATA");
}

TEST(Like, FollowsTransactSqlPatterns) {
  EXPECT_TRUE(LikeMatch("%.mdf%", "D:\\法院_SQL数据\\法院_Data.MDF      "));
  EXPECT_TRUE(LikeMatch("99[0-9][0-9]", "9912"));
  EXPECT_FALSE(LikeMatch("99[0-9][0-9]", "99a2"));
  EXPECT_TRUE(LikeMatch("[^a]_", "bc"));
  EXPECT_TRUE(LikeMatch("a[%]", "a%"));
  EXPECT_TRUE(LikeMatch("字_", "字号"));
  // Blanks closing the value do not count; blanks closing the pattern do.
  EXPECT_TRUE(LikeMatch("abc", "abc  "));
  EXPECT_FALSE(LikeMatch("abc ", "abc"));
  EXPECT_TRUE(LikeMatch("a!%", "a%", '!'));
  EXPECT_FALSE(LikeMatch("a!%", "ab", '!'));
}

TEST(Dates, ReadTheFormsTheServerAcceptsInEveryLanguage) {
  EXPECT_EQ(ParseDateTime("20061030 08:15:00", DateOrder::kMdy), (DateTime{2006, 10, 30, 8, 15, 0, 0}));
  EXPECT_EQ(ParseDateTime("2006-10-30T08:15:00.5", DateOrder::kDmy), (DateTime{2006, 10, 30, 8, 15, 0, 500}));
  EXPECT_EQ(ParseDateTime("2006-10-30", DateOrder::kYmd), (DateTime{2006, 10, 30, 0, 0, 0, 0}));
  EXPECT_EQ(ParseDateTime("10/30/2006 2:05 PM", DateOrder::kMdy), (DateTime{2006, 10, 30, 14, 5, 0, 0}));
  EXPECT_EQ(ParseDateTime("30/10/06", DateOrder::kDmy), (DateTime{2006, 10, 30, 0, 0, 0, 0}));
  EXPECT_EQ(ParseDateTime("12:30", DateOrder::kMdy), (DateTime{1900, 1, 1, 12, 30, 0, 0}));
  EXPECT_EQ(ParseDateTime("", DateOrder::kMdy), (DateTime{1900, 1, 1, 0, 0, 0, 0}));
  EXPECT_EQ(ErrorNumber([] { ParseDateTime("2006-02-29", DateOrder::kMdy); }), 242);
  EXPECT_EQ(ErrorNumber([] { ParseDateTime("30 Oct", DateOrder::kMdy); }), 241);
}

TEST(Dates, KeepThreeHundredthsOfASecond) {
  EXPECT_EQ(RoundDateTime({2006, 1, 1, 0, 0, 0, 2}, false).millisecond, 3);
  EXPECT_EQ(RoundDateTime({2006, 1, 1, 0, 0, 0, 5}, false).millisecond, 7);
  EXPECT_EQ(RoundDateTime({2006, 12, 31, 23, 59, 59, 999}, false), (DateTime{2007, 1, 1, 0, 0, 0, 0}));
  EXPECT_EQ(RoundDateTime({2006, 1, 1, 10, 0, 40, 0}, true), (DateTime{2006, 1, 1, 10, 1, 0, 0}));
  EXPECT_EQ(ErrorNumber([] { RoundDateTime({1700, 1, 1, 0, 0, 0, 0}, false); }), 242);
}

TEST(Conversion, QuotedValuesBecomeColumnValuesOrFailAsOnTheServer) {
  auto to = [](const std::string& text, TypeId type, int length = 0) {
    return ToStorage(Value::Text(text), BuiltinType(type, length), DateOrder::kMdy);
  };
  EXPECT_EQ(to(" 12 ", TypeId::kInt), Value::Integer(12));
  EXPECT_EQ(to("", TypeId::kInt), Value::Integer(0));
  EXPECT_EQ(to("$1,234.5", TypeId::kMoney), Value::Integer(12345000));  // ten-thousandths
  EXPECT_EQ(to("1", TypeId::kBit), Value::Integer(1));
  EXPECT_EQ(to("ab", TypeId::kChar, 4), Value::Text("ab  "));
  EXPECT_EQ(to("法院", TypeId::kVarchar, 4), Value::Text("法院"));
  EXPECT_EQ(ErrorNumber([&] { to("法院", TypeId::kVarchar, 3); }), 8152);
  EXPECT_EQ(to("法院", TypeId::kNvarchar, 2), Value::Text("法院"));
  EXPECT_EQ(ErrorNumber([&] { to("12.5", TypeId::kInt); }), 245);
  EXPECT_EQ(ErrorNumber([&] { to("1,000", TypeId::kInt); }), 245);
  EXPECT_EQ(ErrorNumber([&] { to("3000000000", TypeId::kInt); }), 248);
  EXPECT_EQ(ErrorNumber([&] { to("300", TypeId::kTinyint); }), 220);
  EXPECT_EQ(ErrorNumber([&] { to("", TypeId::kDecimal); }), 8114);
  EXPECT_EQ(ErrorNumber([&] { to("abc", TypeId::kMoney); }), 235);
  EXPECT_EQ(ErrorNumber([&] { to("true", TypeId::kBit); }), 245);
  EXPECT_EQ(ToStorage(Value::Integer(20061030), BuiltinType(TypeId::kInt), DateOrder::kMdy), Value::Integer(20061030));
  EXPECT_EQ(ErrorNumber([] { ToStorage(Value::Integer(20061030), BuiltinType(TypeId::kDatetime), DateOrder::kMdy); }), 8115);
  EXPECT_EQ(FromStorage(Value::Text("2006-10-30 08:00:00.000"), BuiltinType(TypeId::kDatetime)),
            Value::Date({2006, 10, 30, 8, 0, 0, 0}));
}

TEST(Batches, SplitWhereAStatementCanStart) {
  auto statements = ParseBatch(
      "declare @a int, @b nvarchar(10) select @a = 1, @b = N'x' if @a = 1 select @b else select 2 "
      "exec sp_addlogin N'vek', 'pw', @b\r\nupdate T set a = 1 delete from T /* a /* nested */ note */ "
      "-- to the end\r\nselect 1",
      true);
  ASSERT_EQ(statements.size(), 7u);
  EXPECT_TRUE(std::holds_alternative<IfStmt>(statements[2]->node));
  EXPECT_TRUE(std::holds_alternative<ExecStmt>(statements[3]->node));
  EXPECT_TRUE(std::holds_alternative<DeleteStmt>(statements[5]->node));
}

TEST(Batches, ProceduresNeedExecExceptFirst) {
  EXPECT_EQ(ParseBatch("sp_bindefault 当前日时, 'T.c3'", true).size(), 1u);
  EXPECT_EQ(ErrorNumber([] { ParseBatch("select 1 sp_bindefault 当前日时, 'T.c3'", true); }), 170);
  EXPECT_EQ(ErrorNumber([] { ParseBatch("select 1\r\nCREATE VIEW v AS SELECT 1 AS a", true); }), 111);
}

}  // namespace
}  // namespace court::mssql
