// Tokens of Transact-SQL text.
//
// The lexer keeps each token's byte offset so that a statement's own text
// (a view, a default object, a default constraint) can be stored exactly as
// it was sent. Identifiers keep their spelling; keywords are recognised by
// the parser, case-insensitively, because T-SQL keywords are not reserved
// everywhere.

#ifndef COURT_PLATFORM_MSSQL_LEXER_H_
#define COURT_PLATFORM_MSSQL_LEXER_H_

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace court::mssql {

enum class TokenKind {
  kWord,          // regular identifier or keyword: abc, 法院, sp_addlogin
  kQuotedName,    // [name] or "name" under QUOTED_IDENTIFIER ON
  kString,        // 'text' (text holds the value, quotes undoubled)
  kUnicodeString, // N'text'
  kInteger,       // 123
  kDecimal,       // 1.5
  kFloat,         // 1e5
  kBinary,        // 0x1F (text holds the hex digits)
  kVariable,      // @name
  kSystemVariable,// @@name
  kSymbol,        // ( ) , . = <> <= >= != < > + - * / % ; 
  kEnd,
};

struct Token {
  TokenKind kind = TokenKind::kEnd;
  std::string text;
  std::size_t offset = 0;  // byte offset of the token's first character
  std::size_t end = 0;     // byte offset just past the token
  int line = 1;
};

// Splits a batch into tokens. quoted_identifier decides what "x" is.
// Throws access::Error 105 for an unclosed quotation mark.
std::vector<Token> Tokenize(std::string_view text, bool quoted_identifier);

// Case-insensitive comparison of ASCII keywords.
bool EqualsKeyword(std::string_view word, std::string_view keyword);

}  // namespace court::mssql

#endif  // COURT_PLATFORM_MSSQL_LEXER_H_
