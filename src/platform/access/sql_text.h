// Names and texts as a T-SQL statement writes them, for the statements
// that clients of any driver compose themselves.

#ifndef COURT_PLATFORM_ACCESS_SQL_TEXT_H_
#define COURT_PLATFORM_ACCESS_SQL_TEXT_H_

#include <string>
#include <string_view>

namespace court::access {

// A name in brackets, a ']' inside doubled: [a]]b].
std::string Bracketed(std::string_view name);

// A Unicode string literal, a quote inside doubled: N'it''s'.
std::string UnicodeLiteral(std::string_view text);

}  // namespace court::access

#endif  // COURT_PLATFORM_ACCESS_SQL_TEXT_H_
