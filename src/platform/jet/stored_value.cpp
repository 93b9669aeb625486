#include "platform/jet/stored_value.h"

#include <array>
#include <cmath>
#include <utility>

#include "platform/access/calendar.h"
#include "platform/jet/date_text.h"

namespace court::jet {
namespace {

using access::Value;

// Declared type names: the first word names the Jet type, the second gives
// SQLite its affinity.
constexpr std::array<std::pair<ColumnType, std::string_view>, 11> kDeclarations = {{
    {ColumnType::kBoolean, "YESNO INT"},
    {ColumnType::kByte, "BYTE INT"},
    {ColumnType::kInteger, "SHORT INT"},
    {ColumnType::kLong, "LONG INT"},
    {ColumnType::kCurrency, "CURRENCY REAL"},
    {ColumnType::kSingle, "SINGLE REAL"},
    {ColumnType::kDouble, "DOUBLE REAL"},
    {ColumnType::kDateTime, "DATETIME"},
    {ColumnType::kText, "TEXT"},
    {ColumnType::kMemo, "MEMO TEXT"},
    {ColumnType::kOle, "OLE BLOB"},
}};

}  // namespace

std::string ColumnDefinition(const Column& column) {
  std::string definition = "[" + column.name + "] ";
  for (const auto& [type, declaration] : kDeclarations)
    if (type == column.type) definition += declaration;
  if (column.type == ColumnType::kText || column.type == ColumnType::kMemo)
    definition += " COLLATE " + std::string(kJetCollation);
  return definition;
}

std::optional<ColumnType> DeclaredColumnType(const sqlite::Statement& statement, int column) {
  const char* declared = sqlite3_column_decltype(statement.handle(), column);
  if (declared == nullptr) return std::nullopt;
  for (const auto& [type, declaration] : kDeclarations)
    if (declaration == declared) return type;
  return std::nullopt;
}

void BindValue(sqlite::Statement& statement, int index, const Value& value) {
  if (value.type() == access::ValueType::kDateTime)
    statement.BindText(index, access::DateTimeText(value.date(), access::Milliseconds::kAlways));
  else
    statement.Bind(index, value);
}

Value ReadValue(const sqlite::Statement& statement, int column, std::optional<ColumnType> declared) {
  if (statement.ColumnType(column) == SQLITE_NULL) return Value();
  if (!declared) return statement.Column(column);
  // A value the installer stored through the record set may not fit the
  // column's kind; it then comes back as it was stored.
  switch (*declared) {
    case ColumnType::kBoolean: return Value::Boolean(statement.ColumnInt64(column) != 0);
    case ColumnType::kCurrency:
      return Value::Money({std::llround(statement.ColumnDouble(column) * 10000)});
    case ColumnType::kDateTime:
      if (auto date = ParseDate(statement.ColumnText(column))) return Value::Date(*date);
      break;
    case ColumnType::kText:
    case ColumnType::kMemo: return Value::Text(statement.ColumnText(column));
    default: break;
  }
  return statement.Column(column);
}

}  // namespace court::jet
