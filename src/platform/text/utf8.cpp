#include "platform/text/utf8.h"

namespace court::text {

namespace {

bool IsHighSurrogate(char32_t unit) { return unit >= 0xD800 && unit < 0xDC00; }
bool IsLowSurrogate(char32_t unit) { return unit >= 0xDC00 && unit < 0xE000; }

}  // namespace

char32_t NextCodePoint(std::string_view text, std::size_t& i) {
  const auto lead = static_cast<unsigned char>(text[i++]);
  if (lead < 0x80) return lead;
  const int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : -1;
  if (extra < 0 || i + static_cast<std::size_t>(extra) > text.size()) return kReplacement;
  char32_t code = lead & (0x3F >> extra);
  for (int k = 0; k < extra; ++k) {
    if (!IsContinuation(text[i])) return kReplacement;
    code = code << 6 | (static_cast<unsigned char>(text[i++]) & 0x3F);
  }
  return code > 0x10FFFF ? kReplacement : code;
}

void AppendUtf8(char32_t code, std::string& out) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | code >> 6);
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | code >> 12);
    out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | code >> 18);
    out += static_cast<char>(0x80 | (code >> 12 & 0x3F));
    out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

std::u32string DecodeUtf8(std::string_view utf8) {
  std::u32string code_points;
  code_points.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) code_points.push_back(NextCodePoint(utf8, i));
  return code_points;
}

std::size_t CharCount(std::string_view utf8) {
  std::size_t n = 0;
  for (char c : utf8)
    if (!IsContinuation(c)) ++n;
  return n;
}

std::string_view FirstChars(std::string_view utf8, std::size_t characters) {
  std::size_t seen = 0;
  for (std::size_t i = 0; i < utf8.size(); ++i)
    if (!IsContinuation(utf8[i]) && seen++ == characters) return utf8.substr(0, i);
  return utf8;
}

std::string_view CutAtBoundary(std::string_view utf8, std::size_t bytes) {
  if (bytes >= utf8.size()) return utf8;
  while (bytes > 0 && IsContinuation(utf8[bytes])) --bytes;
  return utf8.substr(0, bytes);
}

std::size_t Utf16Length(std::string_view utf8) {
  std::size_t n = 0;
  for (char c : utf8) {
    if (!IsContinuation(c)) ++n;
    if (static_cast<unsigned char>(c) >= 0xF0) ++n;  // a surrogate pair
  }
  return n;
}

std::u16string ToUtf16(std::string_view utf8) {
  std::u16string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    char32_t code = NextCodePoint(utf8, i);
    if (code >= 0x10000) {
      code -= 0x10000;
      out += static_cast<char16_t>(0xD800 | code >> 10);
      out += static_cast<char16_t>(0xDC00 | (code & 0x3FF));
    } else {
      out += static_cast<char16_t>(code);
    }
  }
  return out;
}

std::string FromUtf16(std::u16string_view utf16) {
  std::string out;
  out.reserve(utf16.size() * 3);
  for (std::size_t i = 0; i < utf16.size(); ++i) {
    char32_t code = utf16[i];
    if (IsHighSurrogate(code) && i + 1 < utf16.size() && IsLowSurrogate(utf16[i + 1]))
      code = 0x10000 + ((code - 0xD800) << 10) + (utf16[++i] - 0xDC00);
    else if (IsHighSurrogate(code) || IsLowSurrogate(code))
      code = kReplacement;
    AppendUtf8(code, out);
  }
  return out;
}

}  // namespace court::text
