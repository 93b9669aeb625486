#include "platform/sqlite/statement.h"

#include <cstdlib>
#include <utility>

namespace court::sqlite {

Statement::Statement(const Database& db, std::string_view sql) : db_(&db), sql_(sql) {
  Check(sqlite3_prepare_v2(db.handle(), sql_.c_str(), static_cast<int>(sql_.size()), &stmt_, nullptr));
}

Statement::~Statement() { sqlite3_finalize(stmt_); }

Statement::Statement(Statement&& other) noexcept
    : db_(other.db_), stmt_(std::exchange(other.stmt_, nullptr)), sql_(std::move(other.sql_)) {}

void Statement::Check(int rc) const {
  if (rc != SQLITE_OK) db_->Fail(sql_);
}

void Statement::BindNull(int index) { Check(sqlite3_bind_null(stmt_, index)); }

void Statement::BindInt64(int index, std::int64_t value) { Check(sqlite3_bind_int64(stmt_, index, value)); }

void Statement::BindDouble(int index, double value) { Check(sqlite3_bind_double(stmt_, index, value)); }

void Statement::BindText(int index, std::string_view value) {
  Check(sqlite3_bind_text(stmt_, index, value.data(), static_cast<int>(value.size()), SQLITE_TRANSIENT));
}

void Statement::BindBlob(int index, const std::vector<unsigned char>& value) {
  Check(sqlite3_bind_blob(stmt_, index, value.data(), static_cast<int>(value.size()), SQLITE_TRANSIENT));
}

void Statement::Bind(int index, const access::Value& value) {
  switch (value.type()) {
    case access::ValueType::kNull: return BindNull(index);
    case access::ValueType::kInteger: return BindInt64(index, value.integer());
    case access::ValueType::kBoolean: return BindInt64(index, value.boolean());
    case access::ValueType::kFloat: return BindDouble(index, value.floating());
    case access::ValueType::kCurrency:
      return BindDouble(index, static_cast<double>(value.money().ten_thousandths) / 10000);
    // The nearest double, as a currency value is bound.
    case access::ValueType::kDecimal: return BindDouble(index, std::strtod(value.ToText().c_str(), nullptr));
    case access::ValueType::kBinary: return BindBlob(index, value.binary());
    case access::ValueType::kText: return BindText(index, value.text());
    case access::ValueType::kDateTime: return BindText(index, value.ToText());
  }
}

void Statement::BindAll(const std::vector<access::Value>& values) {
  for (std::size_t i = 0; i < values.size(); ++i) Bind(static_cast<int>(i + 1), values[i]);
}

bool Statement::Step() {
  const int rc = sqlite3_step(stmt_);
  if (rc == SQLITE_ROW) return true;
  if (rc == SQLITE_DONE) return false;
  sqlite3* db = db_->handle();
  Failure failure{sqlite3_extended_errcode(db), sqlite3_errmsg(db), sqlite3_system_errno(db), false, sql_};
  sqlite3_reset(stmt_);
  db_->Fail(failure);
}

void Statement::Reset() {
  sqlite3_reset(stmt_);
  sqlite3_clear_bindings(stmt_);
}

int Statement::ColumnCount() const { return sqlite3_column_count(stmt_); }

std::string Statement::ColumnName(int column) const {
  const char* name = sqlite3_column_name(stmt_, column);
  return name ? name : "";
}

int Statement::ColumnType(int column) const { return sqlite3_column_type(stmt_, column); }

std::int64_t Statement::ColumnInt64(int column) const { return sqlite3_column_int64(stmt_, column); }

double Statement::ColumnDouble(int column) const { return sqlite3_column_double(stmt_, column); }

std::string Statement::ColumnText(int column) const {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
  return text ? std::string(text, static_cast<std::size_t>(sqlite3_column_bytes(stmt_, column))) : std::string();
}

std::vector<unsigned char> Statement::ColumnBlob(int column) const {
  const auto* bytes = static_cast<const unsigned char*>(sqlite3_column_blob(stmt_, column));
  return bytes ? std::vector<unsigned char>(bytes, bytes + sqlite3_column_bytes(stmt_, column))
               : std::vector<unsigned char>();
}

access::Value Statement::Column(int column) const {
  switch (ColumnType(column)) {
    case SQLITE_INTEGER: return access::Value::Integer(ColumnInt64(column));
    case SQLITE_FLOAT: return access::Value::Float(ColumnDouble(column));
    case SQLITE_TEXT: return access::Value::Text(ColumnText(column));
    case SQLITE_BLOB: return access::Value::Binary(ColumnBlob(column));
    default: return access::Value();
  }
}

}  // namespace court::sqlite
