// Writes rows of one base table as the server does: identity values,
// defaults, NOT NULL, key uniqueness and CHECK constraints, each failing
// with SQL Server's error and leaving the table as it was.

#ifndef COURT_PLATFORM_MSSQL_ROW_WRITER_H_
#define COURT_PLATFORM_MSSQL_ROW_WRITER_H_

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/mssql/compiler.h"
#include "platform/mssql/session_state.h"

namespace court::mssql {

// A compile environment with the session's databases and no variables.
CompileEnv SessionEnv(SessionState& session);

class RowWriter {
 public:
  RowWriter(SessionState& session, CompileEnv env, std::shared_ptr<const TableMeta> table);

  // values: one per column of the table in its order, in stored form;
  // nullopt where the statement gave none. Returns the new row's rowid.
  std::int64_t Insert(std::vector<std::optional<access::Value>> values);

  // Sets columns (index, SQLite value expression over alias t0) of the rows
  // matching the condition (over t0, empty for all). Returns rows changed.
  int Update(const std::vector<std::pair<int, std::string>>& assignments, const std::string& where,
             const std::vector<access::Value>& params);

  // The stored value of a column's default.
  access::Value DefaultValue(const ColumnMeta& column);

 private:
  std::int64_t InsertRow(std::vector<std::optional<access::Value>>& values);
  void CheckRows(const std::string& rows, const std::vector<access::Value>& params,
                 const char* statement);
  [[noreturn]] void ThrowKeyViolation(const std::string& failure);
  void Step(SqliteStatement& stmt);

  SessionState& session_;
  CompileEnv env_;
  std::shared_ptr<const TableMeta> table_;
};

}  // namespace court::mssql

#endif  // COURT_PLATFORM_MSSQL_ROW_WRITER_H_
