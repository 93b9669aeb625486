// Recordset: a query result with a cursor.
//
// A static cursor (the default) copies the complete result, so the record
// count is exact at once and MoveFirst goes back. A forward-only cursor holds
// the current row only, for results too large to hold: the record count is
// -1, as in ADO, and MoveFirst is refused. The cursor moves to the first or next row; fields are read by position or
// by name (case-insensitive, as in ADO). When the result comes from one base
// table, rows can be added (AddNew, assign, Update -> one INSERT of the
// assigned fields) and edited (assign, Update -> one UPDATE of the changed
// fields, located by the driver's row identity).
//
// A Recordset remembers its connection; the connection must outlive it.
// Destroying an open Recordset closes it.

#ifndef COURT_PLATFORM_ACCESS_RECORDSET_H_
#define COURT_PLATFORM_ACCESS_RECORDSET_H_

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/access/connection.h"
#include "platform/access/driver.h"
#include "platform/access/value.h"

namespace court::access {

class Recordset;

// One field of the record set's current row.
class Field {
 public:
  const std::string& name() const;
  // Its ordinal, for Recordset::Fields(int) on the rows that follow.
  int index() const { return static_cast<int>(index_); }
  ValueType type() const;
  const Value& value() const;
  // Assigns a value to the current row; it reaches the data source on Update.
  void set_value(Value value);

 private:
  friend class Recordset;
  Field(Recordset* owner, std::size_t index) : owner_(owner), index_(index) {}
  Recordset* owner_;
  std::size_t index_;
};

enum class CursorType { kStatic, kForwardOnly };

class Recordset {
 public:
  Recordset() = default;
  Recordset(Recordset&&) = default;
  Recordset& operator=(Recordset&&) = default;

  // Opens the result of sql on connection.
  void Open(Connection& connection, std::string_view sql, CursorType type = CursorType::kStatic);
  void Close();
  bool is_open() const { return connection_ != nullptr; }

  long RecordCount() const;
  bool Eof() const;
  void MoveFirst();
  void MoveNext();

  int FieldCount() const;
  Field Fields(int index);
  Field Fields(std::string_view name);

  void AddNew();
  void Update();

 private:
  friend class Field;
  enum class Pending { kNone, kEdit, kAddNew };

  const std::vector<ColumnInfo>& columns() const { return cursor_ ? cursor_->columns() : result_.columns; }
  void FetchNext();
  void RequireOpen() const;
  void RequireCurrentRow() const;
  void RequireUpdatable() const;
  std::string ColumnName(std::size_t index) const;
  void CollectChanges(std::vector<std::string>& columns, std::vector<Value>& values) const;
  void InsertPendingRow();
  void UpdatePendingRow();

  Connection* connection_ = nullptr;
  std::unique_ptr<RowCursor> cursor_;  // forward-only: where the rows come from
  ResultSet result_;                   // forward-only: the columns' base table and the current row
  std::size_t position_ = 0;
  Pending pending_ = Pending::kNone;
  std::vector<bool> changed_;
};

// The installer's one way to open a query result: a new record set object in
// target (releasing what it held), on connection.
void OpenRecordset(Connection& connection, Recordset& target, std::string_view sql,
                   CursorType type = CursorType::kStatic);

}  // namespace court::access

#endif  // COURT_PLATFORM_ACCESS_RECORDSET_H_
