// A prepared statement of one database: parameters bound by their 1-based
// index, rows stepped through, columns read by their 0-based index. A
// failure goes to the database's policy.
//
// Values cross by SQLite's storage classes: integers (booleans among them)
// as INTEGER, floating and currency amounts as REAL, bytes as BLOB, the rest
// as the text Value::ToText gives; a layer that stores dates in another
// text binds that text itself.

#ifndef COURT_PLATFORM_SQLITE_STATEMENT_H_
#define COURT_PLATFORM_SQLITE_STATEMENT_H_

#include <sqlite3.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/access/value.h"
#include "platform/sqlite/database.h"

namespace court::sqlite {

class Statement {
 public:
  Statement(const Database& db, std::string_view sql);
  ~Statement();
  Statement(Statement&& other) noexcept;
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;
  Statement& operator=(Statement&&) = delete;

  sqlite3_stmt* handle() const { return stmt_; }

  void BindNull(int index);
  void BindInt64(int index, std::int64_t value);
  void BindDouble(int index, double value);
  void BindText(int index, std::string_view value);  // copied
  void BindBlob(int index, const std::vector<unsigned char>& value);  // copied
  void Bind(int index, const access::Value& value);
  void BindAll(const std::vector<access::Value>& values);  // from index 1 on

  // True while there is a row to read. A failed step resets the statement,
  // so that it holds no transaction open, before it fails.
  bool Step();
  // Back to before the first step, with every parameter unbound.
  void Reset();

  int ColumnCount() const;
  std::string ColumnName(int column) const;  // "" when SQLite has none
  int ColumnType(int column) const;          // SQLITE_INTEGER, ... SQLITE_NULL
  std::int64_t ColumnInt64(int column) const;
  double ColumnDouble(int column) const;
  std::string ColumnText(int column) const;
  std::vector<unsigned char> ColumnBlob(int column) const;
  // The column's value by its storage class: INTEGER an integer, REAL
  // a floating, TEXT a text, BLOB bytes, NULL null.
  access::Value Column(int column) const;

 private:
  void Check(int rc) const;

  const Database* db_;
  sqlite3_stmt* stmt_ = nullptr;
  std::string sql_;
};

}  // namespace court::sqlite

#endif  // COURT_PLATFORM_SQLITE_STATEMENT_H_
