// Letter case and character classes of ASCII only: keywords, option, type
// and property names, the lexers' digits and blanks. Other bytes, the UTF-8
// of every other letter among them, stay as they are and belong to no class,
// whatever the process locale (the C library's classes ask it for every byte).

#ifndef COURT_PLATFORM_TEXT_ASCII_H_
#define COURT_PLATFORM_TEXT_ASCII_H_

#include <string>
#include <string_view>

namespace court::text {

inline bool IsAsciiDigit(char c) { return c >= '0' && c <= '9'; }
inline bool IsAsciiUpper(char c) { return c >= 'A' && c <= 'Z'; }
inline bool IsAsciiLower(char c) { return c >= 'a' && c <= 'z'; }
inline bool IsAsciiLetter(char c) { return IsAsciiLower(c) || IsAsciiUpper(c); }
inline bool IsAsciiAlnum(char c) { return IsAsciiLetter(c) || IsAsciiDigit(c); }
inline bool IsAsciiHexDigit(char c) { return IsAsciiDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
// A space, \t, \n, \v, \f or \r.
inline bool IsAsciiSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

inline char LowerChar(char c) { return IsAsciiUpper(c) ? static_cast<char>(c + ('a' - 'A')) : c; }
inline char UpperChar(char c) { return IsAsciiLower(c) ? static_cast<char>(c - ('a' - 'A')) : c; }

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
