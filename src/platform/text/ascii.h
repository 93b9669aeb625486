// Letter case of ASCII only: keywords, option, type and property names.
// Other bytes, the UTF-8 of every other letter among them, stay as they are,
// whatever the process locale.

#ifndef COURT_PLATFORM_TEXT_ASCII_H_
#define COURT_PLATFORM_TEXT_ASCII_H_

#include <string>
#include <string_view>

namespace court::text {

inline char LowerChar(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c; }
inline char UpperChar(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - ('a' - 'A')) : c; }

inline std::string Lower(std::string s) {
  for (char& c : s) c = LowerChar(c);
  return s;
}

inline std::string Upper(std::string s) {
  for (char& c : s) c = UpperChar(c);
  return s;
}

inline bool EqualIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (LowerChar(a[i]) != LowerChar(b[i])) return false;
  return true;
}

}  // namespace court::text

#endif  // COURT_PLATFORM_TEXT_ASCII_H_
