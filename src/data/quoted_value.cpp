#include "data/quoted_value.h"

namespace court::data {

std::string QuotedValue(std::string_view value) {
  std::string text = "'";
  for (char c : value) {
    text += c;
    if (c == '\'') text += '\'';
  }
  return text + "'";
}

}  // namespace court::data
