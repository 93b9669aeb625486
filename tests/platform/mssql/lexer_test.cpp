// The lexer takes words and quoted text in runs; these cases hold it to the
// byte-by-byte rules: doubled delimiters, line ends inside quotes, and the
// 128-character limit on names counted in characters, not bytes.

#include "platform/mssql/lexer.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/access/error.h"

namespace court::mssql {
namespace {

TEST(LexerTest, QuotedTextNamesAndLines) {
  const std::string batch =
      "insert into [a]]b] values ( N'it''s' , 'two\r\nlines''\nhere' , \"q\"\"x\" )\r\nselect 名称_1 from t";
  const std::vector<Token> tokens = Tokenize(batch, true);
  ASSERT_EQ(tokens.size(), 16u);
  EXPECT_EQ(tokens[2].kind, TokenKind::kQuotedName);
  EXPECT_EQ(tokens[2].text, "a]b");
  EXPECT_EQ(tokens[5].kind, TokenKind::kUnicodeString);
  EXPECT_EQ(tokens[5].text, "it's");
  EXPECT_EQ(tokens[7].text, "two\r\nlines'\nhere");
  EXPECT_EQ(tokens[7].line, 1);
  EXPECT_EQ(tokens[9].kind, TokenKind::kQuotedName);
  EXPECT_EQ(tokens[9].text, "q\"x");
  EXPECT_EQ(tokens[9].line, 3);  // after the two line ends inside the string
  EXPECT_EQ(tokens[11].text, "select");
  EXPECT_EQ(tokens[11].line, 4);
  EXPECT_EQ(tokens[12].kind, TokenKind::kWord);
  EXPECT_EQ(tokens[12].text, "名称_1");
  EXPECT_EQ(batch.substr(tokens[12].offset, tokens[12].end - tokens[12].offset), "名称_1");
  EXPECT_EQ(tokens[15].kind, TokenKind::kEnd);
}

TEST(LexerTest, NameLengthIsCountedInCharacters) {
  std::string chinese;
  for (int i = 0; i < 128; ++i) chinese += "名";  // 384 bytes, 128 characters: allowed
  EXPECT_EQ(Tokenize(chinese, true)[0].text, chinese);
  EXPECT_EQ(Tokenize("[" + chinese + "]", true)[0].text, chinese);
  try {
    Tokenize(chinese + "x", true);
    FAIL() << "a 129-character name was taken";
  } catch (const access::Error& e) {
    EXPECT_EQ(e.number(), 103);
  }
  try {
    Tokenize("'never closed", true);
    FAIL() << "an unclosed string was taken";
  } catch (const access::Error& e) {
    EXPECT_EQ(e.number(), 105);
  }
}

}  // namespace
}  // namespace court::mssql
