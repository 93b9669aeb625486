// A SQL Server reached through ODBC (unixODBC, FreeTDS's driver by default)
// as a data-access driver.
//
// Each Connect logs in anew on the configured connection string with the
// session's database. A session behaves as an embedded session does:
// results are complete copies, errors carry the server's numbers and texts,
// and rows are added and changed by one statement each, with their values
// (binary ones included) bound as parameters.
//
// Row identity: a server over ODBC has no row number a client may keep, so
// a row of an updatable result is found again by the values it had when it
// was read, in every column that can be compared (all but text, ntext and
// image). A row's own key columns are among them, so a table with a primary
// key gets exactly that row; in a table without one, rows that agree in all
// those columns cannot be told apart by any client, and the change goes to
// all of them. A change that finds no row fails, as ADO's does.

#ifndef COURT_PLATFORM_ODBC_ODBC_DRIVER_H_
#define COURT_PLATFORM_ODBC_ODBC_DRIVER_H_

#include <map>
#include <optional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/access/driver.h"
#include "platform/odbc/connection_settings.h"
#include "platform/odbc/diagnostics.h"
#include "platform/odbc/result_reader.h"

namespace court::odbc {

// Everything one batch produced: its result sets, every message in order
// (informational ones with severity 10 or less) and the rows it changed.
struct BatchOutcome {
  std::vector<access::ResultSet> results;
  std::vector<access::Error> messages;
  std::vector<std::vector<ColumnShape>> shapes;  // the columns of each result
  std::int64_t rows_affected = 0;
  const access::Error* FirstError() const;
};

// ADO's number when a changed row is no longer there.
inline constexpr int kRowNotLocated = -2147217864;

class OdbcSession : public access::Session {
 public:
  // server names the server in messages.
  OdbcSession(Handle connection, std::string server);

  // Runs a batch and returns everything it produced, errors included.
  BatchOutcome Run(std::string_view batch);

  void Execute(std::string_view sql) override;
  access::ResultSet Query(std::string_view sql) override;
  std::int64_t InsertRow(const std::string& table, const std::vector<std::string>& columns,
                         const std::vector<access::Value>& values) override;
  void UpdateRow(const std::string& table, std::int64_t row_id, const std::vector<std::string>& columns,
                 const std::vector<access::Value>& values) override;

 private:
  // What finds a row again: its comparable columns and their values.
  struct RowKey {
    std::vector<std::string> columns;
    std::vector<access::Value> values;
  };
  using TableShape = std::vector<ColumnShape>;

  BatchOutcome Send(std::string_view sql, const std::vector<access::Value>& parameters,
                    const std::vector<const ColumnShape*>& shapes);
  BatchOutcome SendOrThrow(std::string_view sql, const std::vector<access::Value>& parameters = {},
                           const std::vector<const ColumnShape*>& shapes = {});
  const ColumnShape* Shape(const std::string& table, const std::string& column) const;
  std::vector<const ColumnShape*> Shapes(const std::string& table, const std::vector<std::string>& columns) const;
  std::int64_t Remember(const std::vector<std::string>& columns, const std::vector<access::Value>& values);

  Handle connection_;
  std::optional<Handle> statement_;  // made on first use, freed before the connection
  std::string server_;
  std::map<std::string, TableShape> tables_;  // by lower-case name, from updatable queries
  std::unordered_map<std::int64_t, RowKey> rows_;
  std::int64_t next_row_ = 1;
};

class OdbcDriver : public access::Driver {
 public:
  explicit OdbcDriver(ConnectionSettings settings);

  // Throws the server's error (18456 for a failed login, 4060 for a missing
  // database) or 17 naming the server when none answers.
  std::unique_ptr<access::Session> Connect(const std::string& database) override;
  std::unique_ptr<OdbcSession> Open(const std::string& database);

  // How messages name the server.
  const std::string& server() const { return server_; }

 private:
  Handle environment_;
  ConnectionSettings settings_;
  std::string server_;
};

}  // namespace court::odbc

#endif  // COURT_PLATFORM_ODBC_ODBC_DRIVER_H_
