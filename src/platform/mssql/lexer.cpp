#include "platform/mssql/lexer.h"

#include <algorithm>
#include <optional>

#include "platform/mssql/messages.h"
#include "platform/text/ascii.h"
#include "platform/text/utf8.h"

namespace court::mssql {

namespace {

// T-SQL's character classes are ASCII's.
using text::IsAsciiDigit;
using text::IsAsciiLetter;

constexpr std::size_t kMaxIdentifier = 128;  // characters
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// The first 128 characters of a UTF-8 text, or nothing when it is not longer.
std::optional<std::string_view> OverLongName(std::string_view name) {
  std::string_view start = text::FirstChars(name, kMaxIdentifier);
  if (start.size() < name.size()) return start;
  return std::nullopt;
}

void CheckNameLength(std::string_view name) {
  // No character takes less than a byte: a name this short is short enough.
  if (name.size() <= kMaxIdentifier) return;
  if (auto start = OverLongName(name)) throw IdentifierTooLong(*start);
}

bool IsWordStart(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  return u >= 0x80 || IsAsciiLetter(c) || c == '_' || c == '#';
}

}  // namespace

bool IsWordByte(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  return u >= 0x80 || text::IsAsciiAlnum(c) || c == '_' || c == '#' || c == '$' || c == '@';
}

Lexer::Lexer(std::string_view text, bool quoted_identifier)
    : text_(text), quoted_identifier_(quoted_identifier) {
  // Editors may save a batch with a byte-order mark; it is no part of it.
  if (text_.substr(0, kByteOrderMark.size()) == kByteOrderMark) pos_ = kByteOrderMark.size();
}

Token Lexer::Next() {
  SkipBlanksAndComments();
  Token token;
  token.offset = pos_;
  token.line = line_;
  if (pos_ < text_.size()) Scan(token);
  token.end = pos_;
  return token;
}

void Lexer::Advance() {
  if (text_[pos_] == '\n') ++line_;
  ++pos_;
}

void Lexer::SkipBlanksAndComments() {
  for (;;) {
    while (pos_ < text_.size() && text::IsAsciiSpace(Peek())) Advance();
    if (Peek() == '-' && Peek(1) == '-') {
      while (pos_ < text_.size() && Peek() != '\n') Advance();
    } else if (Peek() == '/' && Peek(1) == '*') {
      SkipBlockComment();
    } else {
      return;
    }
  }
}

// Block comments nest in T-SQL.
void Lexer::SkipBlockComment() {
  int depth = 0;
  while (pos_ < text_.size()) {
    if (Peek() == '/' && Peek(1) == '*') {
      ++depth;
      Advance();
      Advance();
    } else if (Peek() == '*' && Peek(1) == '/') {
      Advance();
      Advance();
      if (--depth == 0) return;
    } else {
      Advance();
    }
  }
  throw MissingEndComment();
}

void Lexer::Scan(Token& token) {
  char c = Peek();
  if ((c == 'N' || c == 'n') && Peek(1) == '\'') {
    Advance();
    token.kind = TokenKind::kUnicodeString;
    token.text = Delimited('\'');
  } else if (c == '\'') {
    token.kind = TokenKind::kString;
    token.text = Delimited('\'');
  } else if (c == '[') {
    token.kind = TokenKind::kQuotedName;
    token.text = Delimited(']');
    CheckNameLength(token.text);
  } else if (c == '"') {
    token.kind = quoted_identifier_ ? TokenKind::kQuotedName : TokenKind::kString;
    token.text = Delimited('"');
    if (quoted_identifier_) CheckNameLength(token.text);
  } else if (c == '0' && (Peek(1) == 'x' || Peek(1) == 'X')) {
    Advance();
    Advance();
    token.kind = TokenKind::kBinary;
    while (text::IsAsciiHexDigit(Peek())) token.text += text_[pos_], Advance();
  } else if (IsAsciiDigit(c) || (c == '.' && IsAsciiDigit(Peek(1)))) {
    ScanNumber(token);
  } else if (c == '@') {
    ScanVariable(token);
  } else if (IsWordStart(c)) {
    token.kind = TokenKind::kWord;
    const std::size_t start = pos_;
    while (pos_ < text_.size() && IsWordByte(text_[pos_])) ++pos_;  // no line ends in a word
    token.text.assign(text_.substr(start, pos_ - start));
    CheckNameLength(token.text);
  } else {
    ScanSymbol(token);
  }
}

// Reads text between delimiters; a doubled closing delimiter stands for one.
// The text runs up to each delimiter are taken whole.
std::string Lexer::Delimited(char close) {
  const std::size_t start = pos_;
  Advance();  // opening delimiter
  std::string value;
  for (;;) {
    const std::size_t found = text_.find(close, pos_);
    if (found == std::string_view::npos) throw UnclosedQuote(text_.substr(start + 1));
    const std::string_view run = text_.substr(pos_, found - pos_);
    value += run;
    line_ += static_cast<int>(std::count(run.begin(), run.end(), '\n'));
    pos_ = found + 1;
    if (Peek() != close) return value;
    value += close;
    ++pos_;
  }
}

void Lexer::ScanNumber(Token& token) {
  token.kind = TokenKind::kInteger;
  while (IsAsciiDigit(Peek())) token.text += Peek(), Advance();
  if (Peek() == '.') {
    token.kind = TokenKind::kDecimal;
    token.text += '.';
    Advance();
    while (IsAsciiDigit(Peek())) token.text += Peek(), Advance();
  }
  if ((Peek() == 'e' || Peek() == 'E') &&
      (IsAsciiDigit(Peek(1)) || ((Peek(1) == '+' || Peek(1) == '-') && IsAsciiDigit(Peek(2))))) {
    token.kind = TokenKind::kFloat;
    token.text += Peek();
    Advance();
    if (Peek() == '+' || Peek() == '-') token.text += Peek(), Advance();
    while (IsAsciiDigit(Peek())) token.text += Peek(), Advance();
  }
}

void Lexer::ScanVariable(Token& token) {
  token.kind = TokenKind::kVariable;
  Advance();
  if (Peek() == '@') {
    token.kind = TokenKind::kSystemVariable;
    Advance();
  }
  while (pos_ < text_.size() && IsWordByte(Peek())) token.text += Peek(), Advance();
  CheckNameLength(token.text);
}

void Lexer::ScanSymbol(Token& token) {
  token.kind = TokenKind::kSymbol;
  static constexpr std::string_view kTwoChar[] = {"<>", "<=", ">=", "!=", "!<", "!>"};
  for (std::string_view two : kTwoChar) {
    if (Peek() == two[0] && Peek(1) == two[1]) {
      token.text = std::string(two);
      Advance();
      Advance();
      return;
    }
  }
  token.text = std::string(1, Peek());
  Advance();
}

std::vector<Token> Tokenize(std::string_view text, bool quoted_identifier) {
  Lexer lexer(text, quoted_identifier);
  std::vector<Token> tokens;
  do tokens.push_back(lexer.Next());
  while (tokens.back().kind != TokenKind::kEnd);
  return tokens;
}

bool EqualsKeyword(std::string_view word, std::string_view keyword) {
  return text::EqualIgnoringCase(word, keyword);
}

}  // namespace court::mssql
