#include "platform/jet/text_fold.h"

#include "platform/text/trim.h"
#include "platform/text/utf8.h"

namespace court::jet {
namespace {

char32_t Fold(char32_t c) {
  if (c >= U'A' && c <= U'Z') return c + 32;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 32;  // À..Þ except ×
  if (c >= 0xFF21 && c <= 0xFF3A) return c + 32;           // full-width Ａ..Ｚ
  return c;
}

}  // namespace

std::u32string FoldCase(std::string_view utf8) {
  std::u32string folded = text::DecodeUtf8(utf8);
  for (char32_t& c : folded) c = Fold(c);
  return folded;
}

int CompareAsJet(std::string_view a, std::string_view b) {
  return FoldCase(text::TrimRight(a)).compare(FoldCase(text::TrimRight(b)));
}

}  // namespace court::jet
