#include "platform/jet/stored_value.h"

#include <array>
#include <cmath>
#include <utility>

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

std::string ColumnText(sqlite3_stmt* statement, int column) {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
  return std::string(text, static_cast<std::size_t>(sqlite3_column_bytes(statement, column)));
}

Value ByStorageClass(sqlite3_stmt* statement, int column) {
  switch (sqlite3_column_type(statement, column)) {
    case SQLITE_INTEGER: return Value::Integer(sqlite3_column_int64(statement, column));
    case SQLITE_FLOAT: return Value::Float(sqlite3_column_double(statement, column));
    case SQLITE_TEXT: return Value::Text(ColumnText(statement, column));
    case SQLITE_BLOB: {
      const auto* bytes = static_cast<const unsigned char*>(sqlite3_column_blob(statement, column));
      return Value::Binary(access::Bytes(bytes, bytes + sqlite3_column_bytes(statement, column)));
    }
  }
  return Value();
}

}  // namespace

std::string ColumnDefinition(const Column& column) {
  std::string definition = "[" + column.name + "] ";
  for (const auto& [type, declaration] : kDeclarations)
    if (type == column.type) definition += declaration;
  if (column.type == ColumnType::kText || column.type == ColumnType::kMemo)
    definition += " COLLATE " + std::string(kJetCollation);
  return definition;
}

std::optional<ColumnType> DeclaredColumnType(sqlite3_stmt* statement, int column) {
  const char* declared = sqlite3_column_decltype(statement, column);
  if (declared == nullptr) return std::nullopt;
  for (const auto& [type, declaration] : kDeclarations)
    if (declaration == declared) return type;
  return std::nullopt;
}

void BindValue(sqlite3_stmt* statement, int index, const Value& value) {
  switch (value.type()) {
    case access::ValueType::kNull: sqlite3_bind_null(statement, index); break;
    case access::ValueType::kInteger: sqlite3_bind_int64(statement, index, value.integer()); break;
    case access::ValueType::kFloat: sqlite3_bind_double(statement, index, value.floating()); break;
    case access::ValueType::kCurrency:
      sqlite3_bind_double(statement, index, static_cast<double>(value.money().ten_thousandths) / 10000);
      break;
    case access::ValueType::kText:
      sqlite3_bind_text(statement, index, value.text().data(), static_cast<int>(value.text().size()),
                        SQLITE_TRANSIENT);
      break;
    case access::ValueType::kDateTime: {
      std::string text = FormatDate(value.date(), true);
      sqlite3_bind_text(statement, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
      break;
    }
    case access::ValueType::kBoolean: sqlite3_bind_int(statement, index, value.boolean()); break;
    case access::ValueType::kBinary:
      sqlite3_bind_blob(statement, index, value.binary().data(),
                        static_cast<int>(value.binary().size()), SQLITE_TRANSIENT);
      break;
  }
}

Value ReadValue(sqlite3_stmt* statement, int column, std::optional<ColumnType> declared) {
  const int storage = sqlite3_column_type(statement, column);
  if (storage == SQLITE_NULL) return Value();
  if (!declared) return ByStorageClass(statement, column);
  // A value the installer stored through the record set may not fit the
  // column's kind; it then comes back as it was stored.
  switch (*declared) {
    case ColumnType::kBoolean: return Value::Boolean(sqlite3_column_int64(statement, column) != 0);
    case ColumnType::kCurrency:
      return Value::Money({std::llround(sqlite3_column_double(statement, column) * 10000)});
    case ColumnType::kDateTime:
      if (auto date = ParseDate(ColumnText(statement, column))) return Value::Date(*date);
      break;
    case ColumnType::kText:
    case ColumnType::kMemo: return Value::Text(ColumnText(statement, column));
    default: break;
  }
  return ByStorageClass(statement, column);
}

}  // namespace court::jet
