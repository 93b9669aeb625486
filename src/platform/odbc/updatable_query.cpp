#include "platform/odbc/updatable_query.h"

#include <vector>

#include "platform/text/ascii.h"

namespace court::odbc {
namespace {

// Splits sql into words at blanks, keeping [bracketed names] and 'quoted
// values' whole; a comma or parenthesis is a word of its own.
std::vector<std::string> Words(std::string_view sql) {
  std::vector<std::string> words;
  std::size_t i = 0;
  while (i < sql.size()) {
    if (text::IsAsciiSpace(sql[i])) {
      ++i;
      continue;
    }
    std::size_t start = i;
    if (sql[i] == ',' || sql[i] == '(' || sql[i] == ')') {
      ++i;
    } else {
      while (i < sql.size() && !text::IsAsciiSpace(sql[i]) && sql[i] != ',' && sql[i] != '(' && sql[i] != ')') {
        const char close = sql[i] == '[' ? ']' : sql[i] == '\'' ? '\'' : '\0';
        ++i;
        if (close != '\0') {
          while (i < sql.size() && sql[i] != close) ++i;
          if (i < sql.size()) ++i;
        }
      }
    }
    words.emplace_back(sql.substr(start, i - start));
  }
  return words;
}

// "[dbo].[表]" or "dbo.表" -> "表".
std::string LastPart(const std::string& name) {
  std::string part;
  bool in_brackets = false;
  for (char c : name) {
    if (c == '[') in_brackets = true;
    else if (c == ']') in_brackets = false;
    else if (c == '.' && !in_brackets) part.clear();
    else part += c;
  }
  return part;
}

}  // namespace

std::optional<std::string> UpdatableTable(std::string_view sql) {
  const std::vector<std::string> words = Words(sql);
  if (words.empty() || text::Upper(words[0]) != "SELECT") return std::nullopt;
  std::size_t from = 0;
  int depth = 0;
  for (std::size_t i = 1; i < words.size() && from == 0; ++i) {
    const std::string w = text::Upper(words[i]);
    depth += w == "(" ? 1 : w == ")" ? -1 : 0;
    if (depth == 0 && (w == "DISTINCT" || w == "TOP" || w == "INTO")) return std::nullopt;
    if (depth == 0 && w == "FROM") from = i;
  }
  if (from == 0 || from + 1 >= words.size()) return std::nullopt;
  const std::string& table = words[from + 1];
  if (table == "(" || table == ",") return std::nullopt;
  if (from + 2 < words.size()) {
    const std::string next = text::Upper(words[from + 2]);
    if (next != "WHERE" && next != "ORDER") return std::nullopt;
    for (std::size_t i = from + 2; i < words.size(); ++i) {
      const std::string w = text::Upper(words[i]);
      if (w == "UNION" || w == "GROUP" || w == "COMPUTE" || w == "FOR") return std::nullopt;
    }
  }
  return LastPart(table);
}

}  // namespace court::odbc
