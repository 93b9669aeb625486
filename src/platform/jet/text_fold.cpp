#include "platform/jet/text_fold.h"

namespace court::jet {
namespace {

// Decodes one UTF-8 sequence at `i`.
char32_t NextCodePoint(std::string_view s, std::size_t& i) {
  const auto lead = static_cast<unsigned char>(s[i++]);
  int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
  if (extra == 0 || i + static_cast<std::size_t>(extra) > s.size()) return lead;
  char32_t cp = lead & (0x3F >> extra);
  for (int k = 0; k < extra; ++k) cp = (cp << 6) | (static_cast<unsigned char>(s[i++]) & 0x3F);
  return cp;
}

char32_t Fold(char32_t c) {
  if (c >= U'A' && c <= U'Z') return c + 32;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 32;  // À..Þ except ×
  if (c >= 0xFF21 && c <= 0xFF3A) return c + 32;           // full-width Ａ..Ｚ
  return c;
}

}  // namespace

std::u32string DecodeUtf8(std::string_view utf8) {
  std::u32string code_points;
  code_points.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) code_points.push_back(NextCodePoint(utf8, i));
  return code_points;
}

std::u32string FoldCase(std::string_view utf8) {
  std::u32string folded = DecodeUtf8(utf8);
  for (char32_t& c : folded) c = Fold(c);
  return folded;
}

int CompareAsJet(std::string_view a, std::string_view b) {
  auto without_trailing_blanks = [](std::string_view s) { return s.substr(0, s.find_last_not_of(' ') + 1); };
  return FoldCase(without_trailing_blanks(a)).compare(FoldCase(without_trailing_blanks(b)));
}

}  // namespace court::jet
