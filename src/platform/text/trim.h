// Blanks around a text. Blanks are spaces only unless a function says
// otherwise: SQL Server and Jet pad and compare with spaces.

#ifndef COURT_PLATFORM_TEXT_TRIM_H_
#define COURT_PLATFORM_TEXT_TRIM_H_

#include <string_view>

#include "platform/text/ascii.h"

namespace court::text {

// The text without the spaces that close it.
inline std::string_view TrimRight(std::string_view text) {
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

// The text without the spaces that open and close it.
inline std::string_view Trim(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  return TrimRight(text);
}

// The text without the white space (blanks, tabs, line ends) around it.
inline std::string_view TrimWhiteSpace(std::string_view text) {
  while (!text.empty() && IsAsciiSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsAsciiSpace(text.back())) text.remove_suffix(1);
  return text;
}

}  // namespace court::text

#endif  // COURT_PLATFORM_TEXT_TRIM_H_
