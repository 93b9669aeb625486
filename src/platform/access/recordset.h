// Recordset: a query result with a client-side cursor.
//
// Opening copies the complete result, so the record count is exact at once.
// The cursor moves to the first or next row; fields are read by position or
// by name (case-insensitive, as in ADO). When the result comes from one base
// table, rows can be added (AddNew, assign, Update -> one INSERT of the
// assigned fields) and edited (assign, Update -> one UPDATE of the changed
// fields, located by the driver's row identity).
//
// A Recordset remembers its connection; the connection must outlive it.
// Destroying an open Recordset closes it.

#ifndef COURT_PLATFORM_ACCESS_RECORDSET_H_
#define COURT_PLATFORM_ACCESS_RECORDSET_H_

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

class Recordset {
 public:
  Recordset() = default;
  Recordset(Recordset&&) = default;
  Recordset& operator=(Recordset&&) = default;

  // Opens a static, client-side copy of the result of sql on connection.
  void Open(Connection& connection, std::string_view sql);
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

  void RequireOpen() const;
  void RequireCurrentRow() const;
  void RequireUpdatable() const;
  std::string ColumnName(std::size_t index) const;
  void CollectChanges(std::vector<std::string>& columns, std::vector<Value>& values) const;
  void InsertPendingRow();
  void UpdatePendingRow();

  Connection* connection_ = nullptr;
  ResultSet result_;
  std::size_t position_ = 0;
  Pending pending_ = Pending::kNone;
  std::vector<bool> changed_;
};

// The installer's one way to open a query result: a new record set object in
// target (releasing what it held), client-side, on connection.
void OpenRecordset(Connection& connection, Recordset& target, std::string_view sql);

}  // namespace court::access

#endif  // COURT_PLATFORM_ACCESS_RECORDSET_H_
