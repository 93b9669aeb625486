#include "platform/odbc/parameters.h"

#include <sqlext.h>

#include <cstring>

#include "platform/access/number_text.h"
#include "platform/odbc/diagnostics.h"
#include "platform/text/utf8.h"

namespace court::odbc {
namespace {

using access::Value;
using access::ValueType;

constexpr SQLULEN kLongerThanVarying = 8000;

struct Binding {
  SQLSMALLINT c_type;
  SQLSMALLINT sql_type;
  SQLULEN size;
  SQLSMALLINT digits;
};

template <typename T>
std::string BytesOf(T v) {
  return std::string(reinterpret_cast<const char*>(&v), sizeof v);
}

Binding Describe(const Value& v, const ColumnShape* column, std::string& bytes, SQL_TIMESTAMP_STRUCT& t) {
  switch (v.type()) {
    case ValueType::kNull:
      return column ? Binding{SQL_C_CHAR, column->sql_type, column->size ? column->size : 1, 0}
                    : Binding{SQL_C_CHAR, SQL_VARCHAR, 1, 0};
    case ValueType::kInteger:
      bytes = BytesOf<SQLBIGINT>(v.integer());
      return {SQL_C_SBIGINT, SQL_BIGINT, 19, 0};
    case ValueType::kFloat:
      bytes = BytesOf<double>(v.floating());
      return {SQL_C_DOUBLE, SQL_DOUBLE, 15, 0};
    case ValueType::kBoolean:
      bytes = BytesOf<unsigned char>(v.boolean() ? 1 : 0);
      return {SQL_C_BIT, SQL_BIT, 1, 0};
    case ValueType::kCurrency:
      bytes = access::CurrencyText(v.money());
      return {SQL_C_CHAR, SQL_DECIMAL, 19, 4};
    case ValueType::kDecimal:
      bytes = access::DecimalText(v.decimal());
      return {SQL_C_CHAR, SQL_DECIMAL, 38, static_cast<SQLSMALLINT>(v.decimal().scale)};
    case ValueType::kDateTime: {
      const access::DateTime d = v.date();
      t = {static_cast<SQLSMALLINT>(d.year), static_cast<SQLUSMALLINT>(d.month), static_cast<SQLUSMALLINT>(d.day),
           static_cast<SQLUSMALLINT>(d.hour), static_cast<SQLUSMALLINT>(d.minute),
           static_cast<SQLUSMALLINT>(d.second), static_cast<SQLUINTEGER>(d.millisecond) * 1000000};
      return {SQL_C_TYPE_TIMESTAMP, SQL_TYPE_TIMESTAMP, 23, 3};
    }
    case ValueType::kBinary: {
      bytes.assign(v.binary().begin(), v.binary().end());
      const bool long_value = bytes.size() > kLongerThanVarying || (column && column->IsLong());
      return {SQL_C_BINARY, static_cast<SQLSMALLINT>(long_value ? SQL_LONGVARBINARY : SQL_VARBINARY),
              std::max<SQLULEN>(bytes.size(), 1), 0};
    }
    case ValueType::kText: {
      const std::u16string wide = text::ToUtf16(v.text());
      bytes.assign(reinterpret_cast<const char*>(wide.data()), wide.size() * sizeof(char16_t));
      const bool long_value = wide.size() > kLongerThanVarying / 2 || (column && column->IsLong());
      return {SQL_C_WCHAR, static_cast<SQLSMALLINT>(long_value ? SQL_WLONGVARCHAR : SQL_WVARCHAR), std::max<SQLULEN>(wide.size(), 1), 0};
    }
  }
  return {SQL_C_CHAR, SQL_VARCHAR, 1, 0};
}

}  // namespace

void BoundValues::Bind(SQLHSTMT statement, const std::vector<Value>& values,
                       const std::vector<const ColumnShape*>& columns, const std::string& server) {
  for (std::size_t i = 0; i < values.size(); ++i) {
    Slot& slot = slots_.emplace_back();
    const Binding b = Describe(values[i], columns[i], slot.bytes, slot.timestamp);
    void* data = b.c_type == SQL_C_TYPE_TIMESTAMP ? static_cast<void*>(&slot.timestamp) : slot.bytes.data();
    slot.indicator = values[i].is_null() ? SQL_NULL_DATA
                     : b.c_type == SQL_C_TYPE_TIMESTAMP ? static_cast<SQLLEN>(sizeof slot.timestamp)
                                                        : static_cast<SQLLEN>(slot.bytes.size());
    Check(SQLBindParameter(statement, static_cast<SQLUSMALLINT>(i + 1), SQL_PARAM_INPUT, b.c_type, b.sql_type,
                           b.size, b.digits, data, static_cast<SQLLEN>(slot.bytes.size()), &slot.indicator),
          SQL_HANDLE_STMT, statement, server);
  }
}

}  // namespace court::odbc
