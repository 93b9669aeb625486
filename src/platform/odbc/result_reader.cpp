#include "platform/odbc/result_reader.h"

#include <sqlext.h>

#include <cstdlib>
#include <optional>

#include "platform/access/number_text.h"
#include "platform/odbc/diagnostics.h"
#include "platform/text/trim.h"
#include "platform/text/utf8.h"

namespace court::odbc {
namespace {

using access::Value;
using access::ValueType;

std::u16string WideAttribute(SQLHSTMT statement, SQLUSMALLINT column, SQLUSMALLINT field) {
  std::u16string text(256, u'\0');
  SQLSMALLINT bytes = 0;
  SQLRETURN rc = SQLColAttributeW(statement, column, field, text.data(),
                                  static_cast<SQLSMALLINT>(text.size() * sizeof(char16_t)), &bytes, nullptr);
  if (!SQL_SUCCEEDED(rc)) return u"";
  text.resize(static_cast<std::size_t>(bytes) / sizeof(char16_t));
  return text;
}

ValueType KindOf(SQLSMALLINT sql_type, const std::u16string& type_name) {
  switch (sql_type) {
    case SQL_BIT: return ValueType::kBoolean;
    case SQL_TINYINT: case SQL_SMALLINT: case SQL_INTEGER: case SQL_BIGINT: return ValueType::kInteger;
    case SQL_REAL: case SQL_FLOAT: case SQL_DOUBLE: return ValueType::kFloat;
    case SQL_DECIMAL: case SQL_NUMERIC:
      return type_name.find(u"money") != std::u16string::npos ? ValueType::kCurrency : ValueType::kDecimal;
    case SQL_TYPE_TIMESTAMP: case SQL_TIMESTAMP: case SQL_DATETIME: case SQL_TYPE_DATE:
      return ValueType::kDateTime;
    case SQL_BINARY: case SQL_VARBINARY: case SQL_LONGVARBINARY: return ValueType::kBinary;
    default: return ValueType::kText;
  }
}

// Money and decimals come as text, which keeps every digit; a decimal too
// long for 64 bits becomes the nearest float.
Value ExactValue(const std::string& text, bool money) {
  std::optional<access::Decimal> d = access::ParseDecimal(text::TrimWhiteSpace(text));
  if (!d) return Value::Float(std::strtod(text.c_str(), nullptr));
  if (!money) return Value::Exact(*d);
  std::int64_t units = d->units;
  for (int scale = d->scale; scale < 4; ++scale) units *= 10;
  return Value::Money({units});
}

class ValueReader {
 public:
  ValueReader(SQLHSTMT statement, SQLUSMALLINT column, const std::string& server)
      : statement_(statement), column_(column), server_(server) {}

  template <typename T>
  bool Fixed(SQLSMALLINT c_type, T& out) {
    SQLLEN indicator = 0;
    Check(SQLGetData(statement_, column_, c_type, &out, sizeof out, &indicator), SQL_HANDLE_STMT, statement_,
          server_);
    return indicator != SQL_NULL_DATA;
  }

  // Reads a variable-length value in pieces; terminator is the size of the
  // end mark the driver puts after each piece (2 for wide text, 0 for binary).
  bool Pieces(SQLSMALLINT c_type, std::size_t terminator, std::string& out) {
    char buffer[16384];
    for (;;) {
      SQLLEN indicator = 0;
      SQLRETURN rc = SQLGetData(statement_, column_, c_type, buffer, sizeof buffer, &indicator);
      if (rc == SQL_NO_DATA) return true;
      Check(rc, SQL_HANDLE_STMT, statement_, server_);
      if (indicator == SQL_NULL_DATA) return false;
      const bool more = rc == SQL_SUCCESS_WITH_INFO &&
                        (indicator == SQL_NO_TOTAL || indicator > static_cast<SQLLEN>(sizeof buffer - terminator));
      std::size_t piece = more ? sizeof buffer - terminator : static_cast<std::size_t>(indicator);
      out.append(buffer, piece);
      if (!more) return true;
    }
  }

 private:
  SQLHSTMT statement_;
  SQLUSMALLINT column_;
  const std::string& server_;
};

Value ReadValue(SQLHSTMT statement, SQLUSMALLINT column, ValueType kind, const std::string& server) {
  ValueReader reader(statement, column, server);
  switch (kind) {
    case ValueType::kInteger: {
      SQLBIGINT v = 0;
      return reader.Fixed(SQL_C_SBIGINT, v) ? Value::Integer(v) : Value();
    }
    case ValueType::kFloat: {
      double v = 0;
      return reader.Fixed(SQL_C_DOUBLE, v) ? Value::Float(v) : Value();
    }
    case ValueType::kBoolean: {
      unsigned char v = 0;
      return reader.Fixed(SQL_C_BIT, v) ? Value::Boolean(v != 0) : Value();
    }
    case ValueType::kDateTime: {
      SQL_TIMESTAMP_STRUCT t{};
      if (!reader.Fixed(SQL_C_TYPE_TIMESTAMP, t)) return Value();
      return Value::Date({t.year, t.month, t.day, t.hour, t.minute, t.second,
                          static_cast<int>((t.fraction + 500000) / 1000000)});
    }
    case ValueType::kCurrency:
    case ValueType::kDecimal: {
      std::string text;
      return reader.Pieces(SQL_C_CHAR, 1, text) ? ExactValue(text, kind == ValueType::kCurrency) : Value();
    }
    case ValueType::kBinary: {
      std::string bytes;
      if (!reader.Pieces(SQL_C_BINARY, 0, bytes)) return Value();
      return Value::Binary(access::BytesOf(bytes));
    }
    default: {
      std::string wide;
      if (!reader.Pieces(SQL_C_WCHAR, sizeof(char16_t), wide)) return Value();
      return Value::Text(
          text::FromUtf16(std::u16string_view(reinterpret_cast<const char16_t*>(wide.data()), wide.size() / 2)));
    }
  }
}

}  // namespace

bool ColumnShape::IsLong() const {
  return sql_type == SQL_LONGVARCHAR || sql_type == SQL_WLONGVARCHAR || sql_type == SQL_LONGVARBINARY;
}

std::vector<ColumnShape> DescribeColumns(SQLHSTMT statement, const std::string& server) {
  SQLSMALLINT count = 0;
  Check(SQLNumResultCols(statement, &count), SQL_HANDLE_STMT, statement, server);
  std::vector<ColumnShape> columns(static_cast<std::size_t>(count));
  for (SQLUSMALLINT i = 1; i <= count; ++i) {
    ColumnShape& c = columns[i - 1];
    std::u16string name(256, u'\0');
    SQLSMALLINT name_length = 0, digits = 0, nullable = 0;
    Check(SQLDescribeColW(statement, i, reinterpret_cast<SQLWCHAR*>(name.data()),
                          static_cast<SQLSMALLINT>(name.size()), &name_length, &c.sql_type, &c.size, &digits,
                          &nullable),
          SQL_HANDLE_STMT, statement, server);
    name.resize(static_cast<std::size_t>(name_length));
    c.info.name = text::FromUtf16(name);
    c.info.type = KindOf(c.sql_type, WideAttribute(statement, i, SQL_DESC_TYPE_NAME));
    std::u16string base = WideAttribute(statement, i, SQL_DESC_BASE_COLUMN_NAME);
    c.info.base_column = base.empty() ? c.info.name : text::FromUtf16(base);
  }
  return columns;
}

std::vector<access::Row> ReadRows(SQLHSTMT statement, const std::vector<ColumnShape>& columns,
                                  const std::string& server) {
  std::vector<access::Row> rows;
  for (;;) {
    SQLRETURN rc = SQLFetch(statement);
    if (rc == SQL_NO_DATA) break;
    Check(rc, SQL_HANDLE_STMT, statement, server);
    access::Row row;
    row.reserve(columns.size());
    for (std::size_t i = 0; i < columns.size(); ++i)
      row.push_back(ReadValue(statement, static_cast<SQLUSMALLINT>(i + 1), columns[i].info.type, server));
    rows.push_back(std::move(row));
  }
  return rows;
}

}  // namespace court::odbc
