#include "platform/jet/table.h"

#include <array>
#include <charconv>
#include <utility>

namespace court::jet {
namespace {

constexpr std::array<std::pair<ColumnType, std::string_view>, 11> kTypeNames = {{
    {ColumnType::kBoolean, "boolean"},
    {ColumnType::kByte, "byte"},
    {ColumnType::kInteger, "integer"},
    {ColumnType::kLong, "long"},
    {ColumnType::kCurrency, "currency"},
    {ColumnType::kSingle, "single"},
    {ColumnType::kDouble, "double"},
    {ColumnType::kDateTime, "datetime"},
    {ColumnType::kText, "text"},
    {ColumnType::kMemo, "memo"},
    {ColumnType::kOle, "ole"},
}};

}  // namespace

std::string_view TypeName(ColumnType type) {
  for (const auto& [t, name] : kTypeNames)
    if (t == type) return name;
  return "unknown";
}

std::optional<ColumnType> ParseTypeName(std::string_view name) {
  for (const auto& [t, n] : kTypeNames)
    if (n == name) return t;
  return std::nullopt;
}

access::ValueType ValueTypeOf(ColumnType type) {
  using access::ValueType;
  switch (type) {
    case ColumnType::kBoolean: return ValueType::kBoolean;
    case ColumnType::kByte:
    case ColumnType::kInteger:
    case ColumnType::kLong: return ValueType::kInteger;
    case ColumnType::kCurrency: return ValueType::kCurrency;
    case ColumnType::kSingle:
    case ColumnType::kDouble: return ValueType::kFloat;
    case ColumnType::kDateTime: return ValueType::kDateTime;
    case ColumnType::kText:
    case ColumnType::kMemo: return ValueType::kText;
    case ColumnType::kOle: return ValueType::kBinary;
  }
  return ValueType::kNull;
}

double SingleAsDecimal(float value) {
  char text[32];
  auto end = std::to_chars(text, text + sizeof text, value).ptr;
  double decimal = 0;
  std::from_chars(text, end, decimal);
  return decimal;
}

}  // namespace court::jet
