#include "platform/jet/jet_sql.h"

#include <algorithm>
#include <initializer_list>

#include "platform/text/ascii.h"

namespace court::jet {
namespace {

bool IsWordByte(char c) {
  auto u = static_cast<unsigned char>(c);
  return text::IsAsciiAlnum(c) || c == '_' || u >= 0x80;  // UTF-8 letters, CJK included
}

std::size_t QuotedEnd(std::string_view sql, std::size_t start, char quote) {
  std::size_t i = start + 1;
  while (i < sql.size()) {
    if (sql[i] != quote) { ++i; continue; }
    if (i + 1 < sql.size() && sql[i + 1] == quote) { i += 2; continue; }  // doubled quote
    return i + 1;
  }
  return sql.size();
}

Token NextToken(std::string_view sql, std::size_t i) {
  auto take = [&](TokenKind kind, std::size_t end) {
    return Token{kind, std::string(sql.substr(i, end - i))};
  };
  auto run_while = [&](auto predicate) {
    std::size_t end = i;
    while (end < sql.size() && predicate(sql[end])) ++end;
    return end;
  };
  const char c = sql[i];
  if (text::IsAsciiSpace(c))
    return take(TokenKind::kSpace, run_while(text::IsAsciiSpace));
  if (c == '[') {
    std::size_t close = sql.find(']', i);
    return take(TokenKind::kBracketed, close == std::string_view::npos ? sql.size() : close + 1);
  }
  if (c == '\'') return take(TokenKind::kString, QuotedEnd(sql, i, '\''));
  if (c == '"') return take(TokenKind::kQuoted, QuotedEnd(sql, i, '"'));
  if (text::IsAsciiDigit(c))
    return take(TokenKind::kNumber, run_while([](char x) { return text::IsAsciiAlnum(x) || x == '.'; }));
  if (IsWordByte(c)) return take(TokenKind::kWord, run_while(IsWordByte));
  for (std::string_view pair : {"<>", "<=", ">=", "!="})
    if (sql.substr(i, 2) == pair) return take(TokenKind::kSymbol, i + 2);
  return take(TokenKind::kSymbol, i + 1);
}

bool Is(const Token* token, std::initializer_list<std::string_view> words) {
  if (token == nullptr) return false;
  return std::any_of(words.begin(), words.end(), [&](std::string_view word) {
    return text::EqualIgnoringCase(token->text, word);
  });
}

bool IsName(const Token* token) {
  if (token == nullptr) return false;
  if (token->kind == TokenKind::kBracketed) return true;
  return token->kind == TokenKind::kWord &&
         !Is(token, {"NULL", "TRUE", "FALSE", "NOT", "EXISTS", "SELECT"});
}

std::string Unbracketed(const std::string& name) {
  if (name.size() >= 2 && name.front() == '[') return name.substr(1, name.size() - 2);
  return name;
}

// The statement without its blanks, for looking at neighbours.
class Significant {
 public:
  explicit Significant(std::vector<Token>& tokens) {
    for (Token& token : tokens)
      if (token.kind != TokenKind::kSpace) tokens_.push_back(&token);
  }
  // Positions are signed, so that the tokens before the first can be
  // asked for (and are null).
  std::ptrdiff_t size() const { return static_cast<std::ptrdiff_t>(tokens_.size()); }
  Token* at(std::ptrdiff_t k) const { return k >= 0 && k < size() ? tokens_[static_cast<std::size_t>(k)] : nullptr; }

 private:
  std::vector<Token*> tokens_;
};

// A column standing alone between logical operators, as in "where 名称 and".
bool IsTruthTerm(const Significant& s, std::ptrdiff_t k) {
  const Token* token = s.at(k);
  if (!IsName(token) || (k + 1 < s.size() && s.at(k + 1)->text == ".")) return false;
  const std::initializer_list<std::string_view> before = {"WHERE", "AND", "OR", "NOT", "HAVING", "ON"};
  const Token* previous = s.at(k - 1);
  bool opens_condition = Is(previous, before) ||
                         (previous != nullptr && previous->text == "(" &&
                          (Is(s.at(k - 2), before) || (s.at(k - 2) && s.at(k - 2)->text == "(")));
  const Token* next = s.at(k + 1);
  bool closes_condition = next == nullptr || next->text == ")" || Is(next, {"AND", "OR", "ORDER", "GROUP"});
  return opens_condition && closes_condition;
}

std::string TruthTest(const std::string& name, bool is_text) {
  // length(), not <> '': a text of blanks is not empty, although Jet's "=" would call it ''.
  return is_text ? "(" + name + " IS NOT NULL AND length(" + name + ") > 0)" : "(" + name + " <> 0)";
}

// "a ""b"" 'c'" -> 'a "b" ''c'''
std::string AsSqlString(const std::string& quoted) {
  std::string out = "'";
  for (std::size_t i = 1; i + 1 < quoted.size(); ++i) {
    if (quoted[i] == '"' && quoted[i + 1] == '"') ++i;
    if (quoted[i] == '\'') out += '\'';
    out += quoted[i];
  }
  return out + "'";
}

// The table of "SELECT <columns> FROM <table> [WHERE ...] [ORDER BY ...]"
// when no grouping, aggregate, join or DISTINCT mixes rows; ordered says
// whether the query has an ORDER BY of its own.
std::optional<std::string> SingleBaseTable(const Significant& s, bool& ordered) {
  if (!Is(s.at(0), {"SELECT"}) || Is(s.at(1), {"DISTINCT", "TOP", "ALL"})) return std::nullopt;
  int depth = 0;
  std::optional<std::ptrdiff_t> from;
  for (std::ptrdiff_t k = 1; k < s.size(); ++k) {
    const Token* token = s.at(k);
    if (token->text == "(") ++depth;
    if (token->text == ")") --depth;
    if (depth != 0) continue;
    if (!from && Is(token, {"COUNT", "SUM", "AVG", "MIN", "MAX", "FIRST", "LAST"})) return std::nullopt;
    if (Is(token, {"GROUP", "HAVING", "UNION", "JOIN"})) return std::nullopt;
    if (!from && Is(token, {"FROM"})) from = k;
    if (Is(token, {"ORDER"})) ordered = true;
  }
  if (!from || !IsName(s.at(*from + 1))) return std::nullopt;
  const Token* after = s.at(*from + 2);
  if (after != nullptr && !Is(after, {"WHERE", "ORDER"})) return std::nullopt;
  return Unbracketed(s.at(*from + 1)->text);
}

}  // namespace

std::vector<Token> Tokenize(std::string_view sql) {
  std::vector<Token> tokens;
  for (std::size_t i = 0; i < sql.size(); i += tokens.back().text.size())
    tokens.push_back(NextToken(sql, i));
  return tokens;
}

TranslatedQuery TranslateQuery(std::string_view jet_sql,
                               const std::function<bool(std::string_view)>& is_text_column) {
  std::vector<Token> tokens = Tokenize(jet_sql);
  Significant s(tokens);
  TranslatedQuery result;
  bool ordered = false;
  result.base_table = SingleBaseTable(s, ordered);
  for (std::ptrdiff_t k = 0; k < s.size(); ++k) {
    Token* token = s.at(k);
    if (token->kind == TokenKind::kQuoted) token->text = AsSqlString(token->text);
    else if (IsTruthTerm(s, k))
      token->text = TruthTest(token->text, is_text_column(Unbracketed(token->text)));
  }
  if (result.base_table) s.at(0)->text += " _rowid_,";
  for (const Token& token : tokens) result.sql += token.text;
  // Jet reads one table's rows in the order the file holds them; SQLite
  // might follow an index instead.
  if (result.base_table && !ordered) result.sql += " ORDER BY _rowid_";
  return result;
}

}  // namespace court::jet
