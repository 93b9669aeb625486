#include "platform/access/value.h"

#include "platform/access/calendar.h"
#include "platform/access/number_text.h"

namespace court::access {

std::string Value::ToText() const {
  switch (type()) {
    case ValueType::kNull: return "";
    case ValueType::kInteger: return std::to_string(integer());
    case ValueType::kFloat: return ShortestText(floating());
    case ValueType::kCurrency: return CurrencyText(money());
    case ValueType::kText: return text();
    case ValueType::kDateTime: return CompactDateTimeText(date());
    case ValueType::kBoolean: return boolean() ? "1" : "0";
    case ValueType::kBinary: return std::string(binary().begin(), binary().end());
    case ValueType::kDecimal: return DecimalText(decimal());
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
    case ValueType::kDecimal: return "decimal";
  }
  return "unknown";
}

}  // namespace court::access
