// Jet SQL, as the installer sends it to the catalogue, turned into SQLite SQL
// with the same meaning.
//
// The text is rewritten token by token, so quoted values and names are never
// touched by accident. What changes:
//   - a bare column standing as a condition (`where 名称 and ...`) is true
//     for a text that is neither null nor empty (blanks are not empty), and
//     for a number other than 0;
//   - "double-quoted" values are Jet text literals;
//   - a plain single-table SELECT also returns each row's identity, so the
//     rows can be written back.
// Letter case and trailing blanks in comparisons are left to the columns'
// collation.

#ifndef COURT_PLATFORM_JET_JET_SQL_H_
#define COURT_PLATFORM_JET_JET_SQL_H_

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace court::jet {

enum class TokenKind { kSpace, kWord, kBracketed, kString, kQuoted, kNumber, kSymbol };

struct Token {
  TokenKind kind;
  std::string text;  // exactly as written, quotes and brackets included
};

std::vector<Token> Tokenize(std::string_view sql);

struct TranslatedQuery {
  std::string sql;
  // Set when every row comes from this one table; the first result column
  // is then the row's identity.
  std::optional<std::string> base_table;
};

// `is_text_column` says whether a column of that name holds text (the truth
// of a bare column depends on it).
TranslatedQuery TranslateQuery(std::string_view jet_sql,
                               const std::function<bool(std::string_view)>& is_text_column);

}  // namespace court::jet

#endif  // COURT_PLATFORM_JET_JET_SQL_H_
