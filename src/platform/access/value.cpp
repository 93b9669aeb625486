#include "platform/access/value.h"

#include <charconv>
#include <cstdio>

namespace court::access {

std::string ShortestText(double v) {
  char buffer[64];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, v);
  return std::string(buffer, result.ptr);
}

std::string CurrencyText(Currency v) {
  std::int64_t units = v.ten_thousandths / 10000;
  std::int64_t fraction = v.ten_thousandths % 10000;
  bool negative = v.ten_thousandths < 0;
  if (negative) fraction = -fraction;
  std::string text = (negative && units == 0 ? "-" : "") + std::to_string(units);
  if (fraction != 0) {
    char digits[8];
    std::snprintf(digits, sizeof digits, "%04lld", static_cast<long long>(fraction));
    std::string decimals(digits);
    decimals.erase(decimals.find_last_not_of('0') + 1);
    text += "." + decimals;
  }
  return text;
}

static std::string DateText(const DateTime& d) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%04d%02d%02d %02d:%02d:%02d", d.year, d.month, d.day,
                d.hour, d.minute, d.second);
  return buffer;
}

std::string Value::ToText() const {
  switch (type()) {
    case ValueType::kNull: return "";
    case ValueType::kInteger: return std::to_string(integer());
    case ValueType::kFloat: return ShortestText(floating());
    case ValueType::kCurrency: return CurrencyText(money());
    case ValueType::kText: return text();
    case ValueType::kDateTime: return DateText(date());
    case ValueType::kBoolean: return boolean() ? "1" : "0";
    case ValueType::kBinary: return std::string(binary().begin(), binary().end());
  }
  return "";
}

std::string_view TypeName(ValueType type) {
  switch (type) {
    case ValueType::kNull: return "null";
    case ValueType::kInteger: return "integer";
    case ValueType::kFloat: return "floating";
    case ValueType::kCurrency: return "currency";
    case ValueType::kText: return "text";
    case ValueType::kDateTime: return "datetime";
    case ValueType::kBoolean: return "boolean";
    case ValueType::kBinary: return "binary";
  }
  return "unknown";
}

}  // namespace court::access
