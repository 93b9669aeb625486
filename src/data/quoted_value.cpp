#include "data/quoted_value.h"

namespace court::data {

void AppendQuoted(std::string& text, std::string_view value) {
  text += '\'';
  for (std::size_t quote; (quote = value.find('\'')) != std::string_view::npos; value.remove_prefix(quote + 1)) {
    text += value.substr(0, quote + 1);
    text += '\'';
  }
  text += value;
  text += '\'';
}

std::string QuotedValue(std::string_view value) {
  std::string text;
  text.reserve(value.size() + 2);
  AppendQuoted(text, value);
  return text;
}

}  // namespace court::data
