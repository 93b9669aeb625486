// Small text helpers shared by the engine's parts. Letter case and
// character counts follow the platform's rules (platform/text); the engine
// names them here as its own.

#ifndef COURT_PLATFORM_MSSQL_TEXT_H_
#define COURT_PLATFORM_MSSQL_TEXT_H_

#include <string>
#include <string_view>

#include "platform/text/ascii.h"
#include "platform/text/utf8.h"

namespace court::mssql {

using text::CharCount;
using text::Lower;
using text::Upper;

// 'text' with embedded quotes doubled, as T-SQL and SQLite write strings.
inline std::string QuoteString(std::string_view s) {
  std::string out = "'";
  for (char c : s) {
    if (c == '\'') out += '\'';
    out += c;
  }
  return out + "'";
}

}  // namespace court::mssql

#endif  // COURT_PLATFORM_MSSQL_TEXT_H_
