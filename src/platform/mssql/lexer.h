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

// Letters, digits, _, #, $, @ and every non-ASCII byte (Chinese letters are
// valid in regular identifiers): what continues a word or a variable's name.
bool IsWordByte(char c);

// Reads a batch's tokens one at a time, so that a long batch is never held
// as tokens all at once. quoted_identifier decides what "x" is. Next throws
// access::Error 105 for an unclosed quotation mark.
class Lexer {
 public:
  Lexer(std::string_view text, bool quoted_identifier);
  // The next token; at the end of the text, kEnd every time.
  Token Next();

 private:
  char Peek(std::size_t ahead = 0) const {
    return pos_ + ahead < text_.size() ? text_[pos_ + ahead] : '\0';
  }
  void Advance();
  void SkipBlanksAndComments();
  void SkipBlockComment();
  void Scan(Token& token);
  std::string Delimited(char close);
  void ScanNumber(Token& token);
  void ScanVariable(Token& token);
  void ScanSymbol(Token& token);

  std::string_view text_;
  bool quoted_identifier_;
  std::size_t pos_ = 0;
  int line_ = 1;
};

// All of a short text's tokens, the last one kEnd.
std::vector<Token> Tokenize(std::string_view text, bool quoted_identifier);

// Case-insensitive comparison of ASCII keywords.
bool EqualsKeyword(std::string_view word, std::string_view keyword);

// Whether a symbol's text is that symbol. The parser asks this of nearly
// every token at every level of an expression, and nearly always the first
// character already says no.
inline bool IsSpelled(std::string_view text, std::string_view symbol) {
  return text.size() == symbol.size() && (text.empty() || text[0] == symbol[0]) && text == symbol;
}

}  // namespace court::mssql

#endif  // COURT_PLATFORM_MSSQL_LEXER_H_
