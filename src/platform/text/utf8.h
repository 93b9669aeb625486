// UTF-8, the form every text takes inside the programs, and its conversion
// to and from UTF-16, the form of the wire, ODBC's wide calls and Jet files.
//
// Malformed input never stops a conversion: a sequence that breaks off or
// spells no code point reads as U+FFFD, and the byte it broke off at is
// read afresh.

#ifndef COURT_PLATFORM_TEXT_UTF8_H_
#define COURT_PLATFORM_TEXT_UTF8_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace court::text {

inline constexpr char32_t kReplacement = 0xFFFD;

// True for the bytes that continue a sequence rather than start a character.
inline bool IsContinuation(char byte) { return (static_cast<unsigned char>(byte) & 0xC0) == 0x80; }

// The code point at text[i], advancing i past it; past the bytes that were
// read when it is malformed.
char32_t NextCodePoint(std::string_view text, std::size_t& i);

void AppendUtf8(char32_t code, std::string& out);

// The code points of a UTF-8 text.
std::u32string DecodeUtf8(std::string_view utf8);

// Characters of a UTF-8 text: the bytes that start one.
std::size_t CharCount(std::string_view utf8);

// The longest start of the text that holds at most `characters` characters.
std::string_view FirstChars(std::string_view utf8, std::size_t characters);

// The longest start of the text of at most `bytes` bytes that ends on a
// character boundary.
std::string_view CutAtBoundary(std::string_view utf8, std::size_t bytes);

// UTF-16 code units of a UTF-8 text: two for a character beyond the Basic
// Multilingual Plane.
std::size_t Utf16Length(std::string_view utf8);

std::u16string ToUtf16(std::string_view utf8);

// An unpaired surrogate reads as U+FFFD.
std::string FromUtf16(std::u16string_view utf16);

}  // namespace court::text

#endif  // COURT_PLATFORM_TEXT_UTF8_H_
