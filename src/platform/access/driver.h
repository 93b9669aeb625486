// What a data source must provide to the data-access layer.
//
// A Driver opens Sessions; a Session is one live connection to one database.
// The embedded SQL Server engine, the table.mdb reader and (later) ODBC each
// implement these two interfaces; Connection and Recordset build ADO's
// behaviour on top of them and never know which driver is behind them.
// Every method reports failure by throwing access::Error.

#ifndef COURT_PLATFORM_ACCESS_DRIVER_H_
#define COURT_PLATFORM_ACCESS_DRIVER_H_

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/access/value.h"

namespace court::access {

struct ColumnInfo {
  std::string name;  // as the data source reports it (alias if one was given)
  ValueType type = ValueType::kText;
  // The base-table column this result column reads, when the result is updatable.
  std::string base_column;
};

using Row = std::vector<Value>;

// The complete result of a query: what a client-side cursor keeps.
struct ResultSet {
  std::vector<ColumnInfo> columns;
  std::vector<Row> rows;
  // Set when every row comes from one base table and can be written back:
  // the table's name and, per row, the driver's identity of that row.
  std::optional<std::string> base_table;
  std::vector<std::int64_t> row_ids;
};

// A query's rows one at a time, for results too large to hold whole. The
// columns and the base table are known when the cursor opens; a column
// whose kind no declaration gives takes the kind of the first non-null
// value read so far.
class RowCursor {
 public:
  virtual ~RowCursor() = default;
  virtual const std::vector<ColumnInfo>& columns() const = 0;
  virtual const std::optional<std::string>& base_table() const = 0;
  // Reads the next row into row (and, for a base-table result, the row's
  // identity into row_id); false at the end.
  virtual bool Next(Row& row, std::int64_t& row_id) = 0;
};

class Session {
 public:
  virtual ~Session() = default;

  // Runs a statement or batch that returns no rows the caller wants.
  virtual void Execute(std::string_view sql) = 0;

  // Runs a query and returns its first result set, complete.
  virtual ResultSet Query(std::string_view sql) = 0;

  // Runs a query whose first result set is read row by row. A driver that
  // cannot stream hands out its complete result one row at a time.
  virtual std::unique_ptr<RowCursor> OpenCursor(std::string_view sql);

  // Adds one row to a base table: the named columns get the values (binary
  // values travel as bound parameters). Returns the new row's identity.
  virtual std::int64_t InsertRow(const std::string& table, const std::vector<std::string>& columns,
                                 const std::vector<Value>& values) = 0;

  // Changes the named columns of the row with that identity.
  virtual void UpdateRow(const std::string& table, std::int64_t row_id,
                         const std::vector<std::string>& columns,
                         const std::vector<Value>& values) = 0;
};

class Driver {
 public:
  virtual ~Driver() = default;
  // Opens a session on a database: for a server, the database named by the
  // connection string's Initial Catalog; for the catalogue, the file's path.
  virtual std::unique_ptr<Session> Connect(const std::string& database) = 0;
};

}  // namespace court::access

#endif  // COURT_PLATFORM_ACCESS_DRIVER_H_
