// Small text helpers shared by the engine's parts.

#ifndef COURT_PLATFORM_MSSQL_TEXT_H_
#define COURT_PLATFORM_MSSQL_TEXT_H_

#include <cctype>
#include <cstdint>
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
  for (char c : text)
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++n;
  return n;
}

// FNV-1a over the text's bytes: a stable 64-bit hash, the same in every
// program and on every machine. Lock files use the standard offset basis;
// logins' sids and legacy password digests were made with a shortened one
// and keep it, so that what is stored still matches.
inline constexpr std::uint64_t kFnvOffsetBasis = 14695981039346656037ull;
inline constexpr std::uint64_t kShortFnvOffsetBasis = 1469598103934665603ull;
inline std::uint64_t Fnv1a(std::string_view text, std::uint64_t basis = kFnvOffsetBasis) {
  std::uint64_t hash = basis;
  for (char c : text) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
  return hash;
}

}  // namespace court::mssql

#endif  // COURT_PLATFORM_MSSQL_TEXT_H_
