// Small text helpers shared by the engine's parts.

#ifndef COURT_PLATFORM_MSSQL_TEXT_H_
#define COURT_PLATFORM_MSSQL_TEXT_H_

#include <cctype>
#include <string>
#include <string_view>

namespace court::mssql {

// ASCII lower case: keywords, option and type names.
inline std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

inline std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

// 'text' with embedded quotes doubled, as T-SQL and SQLite write strings.
inline std::string QuoteString(std::string_view text) {
  std::string out = "'";
  for (char c : text) {
    if (c == '\'') out += '\'';
    out += c;
  }
  return out + "'";
}

// The text without the blanks that close it, which the server's
// comparisons and LEN ignore.
inline std::string_view WithoutTrailingBlanks(std::string_view text) {
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

// Characters (code points) of a UTF-8 text.
inline std::size_t CharCount(std::string_view text) {
  std::size_t n = 0;
  for (unsigned char c : text)
    if ((c & 0xC0) != 0x80) ++n;
  return n;
}

}  // namespace court::mssql

#endif  // COURT_PLATFORM_MSSQL_TEXT_H_
