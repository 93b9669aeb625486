// What one connection to the embedded server carries from batch to batch:
// its current database and the SET options, language and counters that
// SQL Server keeps per connection.

#ifndef COURT_PLATFORM_MSSQL_SESSION_STATE_H_
#define COURT_PLATFORM_MSSQL_SESSION_STATE_H_

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/access/driver.h"
#include "platform/mssql/app_locks.h"
#include "platform/mssql/catalog.h"
#include "platform/mssql/datetime_text.h"
#include "platform/mssql/security.h"
#include "platform/mssql/server.h"
#include "platform/mssql/sql_type.h"
#include "platform/mssql/sqlite_db.h"

namespace court::mssql {

// Everything one batch produced: result sets and messages (errors and
// informational messages, in the order the server sent them).
struct BatchResult {
  std::vector<access::ResultSet> results;
  std::vector<access::Error> messages;
  // Per result set, each column's SQL type where the query knows it.
  std::vector<std::vector<std::optional<SqlType>>> column_types;
  // One entry per statement that ran, in order: how many results and
  // messages the batch had when it ended, and the rows it counted (-1 when
  // it counts none). A network server interleaves its replies by these.
  struct StatementEnd {
    enum Verb { kOther, kSelect, kInsert, kUpdate, kDelete };
    std::size_t results = 0;
    std::size_t messages = 0;
    long long rows = -1;
    Verb verb = kOther;
  };
  std::vector<StatementEnd> statements;
  // The first message of severity above 10, or null.
  const access::Error* FirstError() const;
};

class SessionState {
 public:
  // Opens a session on a database; throws 4060 when it does not exist and
  // 916 when the principal has no access to it. Without a principal the
  // session is the local administrator.
  SessionState(Server& server, const std::string& database, std::optional<Principal> principal = std::nullopt);
  ~SessionState();
  SessionState(const SessionState&) = delete;
  SessionState& operator=(const SessionState&) = delete;

  // Makes another database current (USE); throws 911 when it does not
  // exist, 916 (staying where it was) when the principal has no access.
  void Use(const std::string& database);
  bool DatabaseExists(const std::string& database);

  // Outside a transaction a session holds no SQLite connection between
  // batches: it takes one from the server's idle ones when it next needs
  // one and gives it back when the batch is over. The sessions of a process
  // thus take turns on one connection per file, and none of them reads the
  // whole schema again after another's DDL, as a second connection must.
  SqliteDb& db();
  Catalog& catalog();
  Catalog& master();
  // The batch is over: gives the connection back unless a transaction is open.
  void Idle();

  Server& server() { return server_; }
  const std::string& database() const { return database_; }
  bool in_master() const { return !master_catalog_; }
  const Principal* principal() const { return principal_ ? &*principal_ : nullptr; }
  const DatabaseUser& user() const { return user_; }

  // Asked now and then while a statement runs; when it answers true the
  // statement stops with an error (a client cancelled the batch).
  void SetInterruptCheck(std::function<bool()> check);

  bool quoted_identifier = true;
  bool ansi_nulls = true;
  std::string language = "us_english";
  DateOrder date_order = DateOrder::kMdy;
  std::string identity_insert_table;
  long long last_identity = 0;
  long long row_count = 0;
  int last_error = 0;
  AppLocks app_locks;  // sp_getapplock's locks owned by the session

 private:
  void Open(const DatabaseEntry& entry);
  void Acquire();
  void Release();
  void InstallInterruptCheck();

  Server& server_;
  std::optional<Principal> principal_;
  DatabaseUser user_;
  DatabaseEntry entry_;
  std::string database_;
  std::filesystem::path file_;
  std::uintmax_t file_id_ = 0;  // the file's identity when db_ was taken
  std::unique_ptr<SqliteDb> db_;  // null while idle
  std::uint64_t lease_ = 0;       // under which db_ was last given back, or 0
  // The current database's catalogs, kept while idle; bound to db_ while it is held.
  std::unique_ptr<Catalog> catalog_;
  std::unique_ptr<Catalog> master_catalog_;  // null when master is current
  std::function<bool()> interrupt_check_;
};

}  // namespace court::mssql

#endif  // COURT_PLATFORM_MSSQL_SESSION_STATE_H_
