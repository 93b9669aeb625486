// A database file as the engine keeps it: SQLite (platform/sqlite) with the
// server's pragmas, collation and functions, failures raised as SQL Server
// errors, a cache of prepared statements and of table descriptions, and
// the transactions and savepoints statements run in.

#ifndef COURT_PLATFORM_MSSQL_SQLITE_DB_H_
#define COURT_PLATFORM_MSSQL_SQLITE_DB_H_

#include <sqlite3.h>

#include <filesystem>
#include <list>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/access/value.h"
#include "platform/mssql/sql_functions.h"
#include "platform/mssql/storage_error.h"
#include "platform/sqlite/database.h"
#include "platform/sqlite/statement.h"

namespace court::mssql {

class SqliteDb;
struct TableMeta;  // catalog.h

// The table descriptions one schema's catalog has read through a connection,
// and the catalog version (the file's user_version) they were read at. They
// live with the connection, so every session that borrows it finds them, and
// go when it rolls back (SqliteDb::ForgetTables).
struct TableCache {
  long long version = -1;
  // The file's data version (SqliteDb::DataVersion) when the version was
  // last read, if a transaction was open then.
  std::optional<unsigned> data_version;
  std::map<std::string, std::shared_ptr<const TableMeta>> tables;  // by lower-case name
  // sysobjects' count(*) and max(id), from which a new object's id is drawn.
  std::optional<std::pair<long long, long long>> objects;
  // The last value each keyed identity column drew (by table id) in the
  // write transaction now open, and its increment. While the transaction
  // holds the file's write lock no other connection draws, so the next
  // value follows without reading the counter. Forgotten when any
  // transaction of the connection ends (SqliteDb::ForgetDrawnIdentities).
  struct Drawn {
    long long last, increment;
  };
  std::map<int, Drawn> drawn_identities;
};

// The engine's values cross a statement in their stored forms.
using SqliteStatement = sqlite::Statement;

// A statement lent by its connection's cache. It is reset when the lease
// ends, so that it never keeps a read transaction open past its use.
class CachedStatement {
 public:
  explicit CachedStatement(std::shared_ptr<SqliteStatement> stmt) : stmt_(std::move(stmt)) {}
  ~CachedStatement() {
    if (stmt_) stmt_->Reset();
  }
  CachedStatement(CachedStatement&&) = default;
  CachedStatement& operator=(CachedStatement&&) = delete;
  SqliteStatement& operator*() const { return *stmt_; }
  SqliteStatement* operator->() const { return stmt_.get(); }

 private:
  std::shared_ptr<SqliteStatement> stmt_;
};

class SqliteDb {
 public:
  // Opens (creating when asked) the file and registers the server's
  // collation and functions on the connection.
  SqliteDb(const std::filesystem::path& file, bool create);
  SqliteDb(const SqliteDb&) = delete;
  SqliteDb& operator=(const SqliteDb&) = delete;

  void Exec(const std::string& sql);
  // Runs a statement with parameters and returns all rows.
  std::vector<std::vector<access::Value>> Rows(const std::string& sql,
                                               const std::vector<access::Value>& params = {});
  // The first column of the first row, or null.
  access::Value Scalar(const std::string& sql, const std::vector<access::Value>& params = {});
  // The statement of that text, prepared once per connection while it is
  // among the most recently used; a fresh one while the cached one is lent.
  // The server's generated SQL repeats, and preparing it costs more than
  // running it.
  CachedStatement Prepare(const std::string& sql);
  std::int64_t LastRowId() const;
  // While a transaction is open on the schema, a number that changes
  // whenever the file's content as this connection sees it changes other
  // than by the transaction's own uncommitted writes: another connection's
  // commit seen at the transaction's start, or a commit of this one's.
  // Nothing outside a transaction, where another's commit is not seen yet.
  std::optional<unsigned> DataVersion(const std::string& schema) const;
  int Changes() const;
  sqlite3* handle() const { return db_.handle(); }
  FunctionContext& functions() { return functions_; }
  // Throws the T-SQL error a function raised during the last call, if any.
  void ThrowPending();
  // The table descriptions kept for one schema ("main", "master").
  TableCache& table_cache(const std::string& schema) { return table_caches_[schema]; }
  // Drops every table description: what was undone may have been read, and
  // the change count it had reached may next be reached by another change.
  // A rolled-back transaction does this by itself.
  void ForgetTables();
  // What TableCache::drawn_identities holds, at the end of every transaction.
  void ForgetDrawnIdentities();

 private:
  void KeepIndexesInCollationOrder();
  std::shared_ptr<SqliteStatement> NewStatement(const std::string& sql);
  // Raises a failed call as the SQL Server error it stands for.
  void Fail(const sqlite::Failure& failure);

  // In this order, so that the statements are finalized before the
  // connection closes, and what closing calls back into (the functions, the
  // rollback hook's table caches) is still there.
  FunctionContext functions_;
  std::map<std::string, TableCache> table_caches_;
  sqlite::Database db_;
  // Prepared statements, the most recently used first, and by their text.
  struct Prepared {
    std::string sql;
    std::shared_ptr<SqliteStatement> stmt;
  };
  std::list<Prepared> prepared_;
  std::unordered_map<std::string_view, std::list<Prepared>::iterator> prepared_by_sql_;
};

// A savepoint that undoes everything since it was set unless committed:
// a statement either takes full effect or none.
class Savepoint {
 public:
  Savepoint(SqliteDb& db, std::string name);
  ~Savepoint();
  Savepoint(const Savepoint&) = delete;
  Savepoint& operator=(const Savepoint&) = delete;
  void Commit();

 private:
  SqliteDb& db_;
  std::string name_;
  bool done_ = false;
};

// Begins a transaction that holds the write lock of the file, and with
// with_master of the master attached to it, from its start: it waits for
// another writer a bounded time instead of failing when it reaches its first
// write after reading.
void BeginWriteTransaction(SqliteDb& db, bool with_master);

// A write transaction around one statement run outside an explicit
// transaction, begun as above, so that a statement's reads and the writes that depend on
// them (check-then-insert, identity read-and-bump) are one atomic step.
// Inside an explicit transaction it does nothing. Rolled back unless
// committed.
class WriteTransaction {
 public:
  explicit WriteTransaction(SqliteDb& db, bool with_master = false);
  ~WriteTransaction();
  WriteTransaction(const WriteTransaction&) = delete;
  WriteTransaction& operator=(const WriteTransaction&) = delete;
  void Commit();

 private:
  SqliteDb& db_;
  bool open_ = false;
};

// "name" with embedded quotes doubled: an SQLite identifier.
std::string QuoteIdentifier(const std::string& name);
// "schema"."name": a table that no table of another schema can stand for.
std::string QualifiedName(const std::string& schema, const std::string& name);

}  // namespace court::mssql

#endif  // COURT_PLATFORM_MSSQL_SQLITE_DB_H_
