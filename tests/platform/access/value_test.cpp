// The text forms the installer puts into statements, and the trimming rule
// every value read from a record set goes through.

#include "platform/access/value.h"

#include <gtest/gtest.h>

#include <string>

namespace court::access {
namespace {

TEST(ValueText, NumbersReadBackAsTheSameValue) {
  EXPECT_EQ(Value::Integer(-42).ToText(), "-42");
  EXPECT_EQ(Value::Float(0.1).ToText(), "0.1");
  EXPECT_EQ(Value::Float(7.6).ToText(), "7.6");
  EXPECT_EQ(Value::Float(1e21).ToText(), "1e+21");
  EXPECT_EQ(std::stod(Value::Float(1.0 / 3).ToText()), 1.0 / 3);
  EXPECT_EQ(Value::Money({123456789}).ToText(), "12345.6789");
  EXPECT_EQ(Value::Money({-5000}).ToText(), "-0.5");
  EXPECT_EQ(Value::Money({30000}).ToText(), "3");
}

TEST(ValueText, DatesBooleansAndNull) {
  EXPECT_EQ(Value::Date({2006, 10, 30, 8, 5, 9, 997}).ToText(), "20061030 08:05:09");
  EXPECT_EQ(Value::Date({1899, 12, 30}).ToText(), "18991230 00:00:00");
  EXPECT_EQ(Value::Boolean(true).ToText(), "1");
  EXPECT_EQ(Value::Boolean(false).ToText(), "0");
  EXPECT_EQ(Value().ToText(), "");
}

TEST(Trimming, RemovesOnlyTrailingBlanks) {
  EXPECT_EQ(Trimmed(Value::Text("  案由  ")), "  案由");
  EXPECT_EQ(Trimmed(Value::Text("   ")), "");
  EXPECT_EQ(Trimmed(Value::Text("a\t ")), "a\t");
  EXPECT_EQ(Trimmed(Value()), "");
  EXPECT_EQ(Trimmed(Value::Integer(50)), "50");
}

}  // namespace
}  // namespace court::access
