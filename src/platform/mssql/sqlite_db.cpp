#include "platform/mssql/sqlite_db.h"

#include <cerrno>

#include "platform/access/error.h"
#include "platform/mssql/collation.h"
#include "platform/mssql/messages.h"
#include "platform/mssql/storage_error.h"

namespace court::mssql {

void BeginWriteTransaction(SqliteDb& db, bool with_master) {
  db.Prepare("BEGIN")->Step();
  // An empty write takes a file's write lock now, waiting for another
  // writer, before anything is read. BEGIN IMMEDIATE would lock master along
  // with every database it is attached to, and so make every write on the
  // server wait for every other.
  db.Prepare("UPDATE main.court_identity SET id = id WHERE 0")->Step();
  if (with_master) db.Prepare("UPDATE master.court_identity SET id = id WHERE 0")->Step();
}

WriteTransaction::WriteTransaction(SqliteDb& db, bool with_master) : db_(db) {
  if (!sqlite3_get_autocommit(db_.handle())) return;
  BeginWriteTransaction(db_, with_master);
  open_ = true;
}

WriteTransaction::~WriteTransaction() {
  if (!open_ || sqlite3_get_autocommit(db_.handle())) return;
  try {
    db_.Exec("ROLLBACK");
  } catch (const access::Error&) {
    // SQLite has rolled back already; the error that got us here is what counts.
  }
}

void WriteTransaction::Commit() {
  if (open_ && !sqlite3_get_autocommit(db_.handle())) db_.Prepare("COMMIT")->Step();
  open_ = false;
}

std::string QuoteIdentifier(const std::string& name) {
  std::string out = "\"";
  for (char c : name) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

std::string QualifiedName(const std::string& schema, const std::string& name) {
  return QuoteIdentifier(schema) + "." + QuoteIdentifier(name);
}

Savepoint::Savepoint(SqliteDb& db, std::string name) : db_(db), name_(std::move(name)) {
  db_.Prepare("SAVEPOINT " + name_)->Step();
}

Savepoint::~Savepoint() {
  if (done_) return;
  db_.ForgetTables();
  try {
    db_.Exec("ROLLBACK TO " + name_ + "; RELEASE " + name_);
  } catch (const access::Error&) {
    // Nothing more can be undone; the error that got us here is what counts.
  }
}

void Savepoint::Commit() {
  db_.Prepare("RELEASE " + name_)->Step();
  done_ = true;
}

void SqliteDb::Fail(const sqlite::Failure& failure) {
  if (failure.opening) {
    // A full or read-only disk says what to do; any other file is one SQL
    // Server could not open either.
    const int system_errno = failure.system_errno;
    if (system_errno == ENOSPC || system_errno == EROFS || system_errno == EACCES)
      throw StorageError(failure.code, failure.message + ": " + failure.subject, system_errno);
    throw Message(Msg::kCannotOpenFile, {failure.subject});
  }
  // A function's T-SQL error is what made the call fail.
  ThrowPending();
  throw StorageError(failure.code, failure.message, failure.system_errno);
}

SqliteDb::SqliteDb(const std::filesystem::path& file, bool create)
    : db_(file.string(), SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | (create ? SQLITE_OPEN_CREATE : 0),
          [this](const sqlite::Failure& failure) { Fail(failure); }) {
  // SQLite falls back to reading a file it may not write; the server
  // writes every database it opens, so that is a read-only disk to report.
  if (sqlite3_db_readonly(handle(), "main") == 1)
    throw StorageError(SQLITE_READONLY, "read-only: " + file.string());
  sqlite3_rollback_hook(handle(), [](void* self) { static_cast<SqliteDb*>(self)->ForgetTables(); }, this);
  sqlite3_commit_hook(
      handle(),
      [](void* self) {
        static_cast<SqliteDb*>(self)->ForgetDrawnIdentities();
        return 0;  // let the commit go on
      },
      this);
  sqlite3_busy_timeout(handle(), 30000);
  // A court database's catalog (sysobjects, syscolumns, ...) outgrows
  // SQLite's default 2 MiB of cached pages at a few hundred tables; every
  // lookup past that reads the file again, and a sync's cost grows faster
  // than its table count.
  // Deleted rows are blanked on the pages that are written anyway, not on
  // the pages a deleted document frees: SQLite built to blank those too
  // writes every freed page once more, zeros, which for a table of
  // documents doubles what a delete writes.
  Exec("PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL; PRAGMA cache_size=-16384; PRAGMA secure_delete=FAST;");
  RegisterServerFunctions(handle(), &functions_);
  KeepIndexesInCollationOrder();
}

// A file records in its application id the version of the collator that
// ordered its indexes. Opened under another one (an older engine, a newer
// ICU), every index on text is rebuilt once, under a write lock, before the
// file is used: a stale order would make keys unfindable or let duplicates in.
void SqliteDb::KeepIndexesInCollationOrder() {
  const std::int64_t version = CollationVersion();
  if (Scalar("PRAGMA main.application_id").integer() == version) return;
  Exec("BEGIN IMMEDIATE");
  try {
    if (Scalar("PRAGMA main.application_id").integer() != version) {
      Exec("REINDEX CI");
      Exec("PRAGMA main.application_id = " + std::to_string(version));
    }
    Exec("COMMIT");
  } catch (...) {
    sqlite3_exec(handle(), "ROLLBACK", nullptr, nullptr, nullptr);
    throw;
  }
}

void SqliteDb::ThrowPending() {
  if (!functions_.pending) return;
  access::Error error = *functions_.pending;
  functions_.pending.reset();
  throw error;
}

void SqliteDb::Exec(const std::string& sql) { db_.Exec(sql); }

std::vector<std::vector<access::Value>> SqliteDb::Rows(const std::string& sql,
                                                       const std::vector<access::Value>& params) {
  CachedStatement stmt = Prepare(sql);
  stmt->BindAll(params);
  std::vector<std::vector<access::Value>> rows;
  while (stmt->Step()) {
    std::vector<access::Value> row;
    for (int i = 0; i < stmt->ColumnCount(); ++i) row.push_back(stmt->Column(i));
    rows.push_back(std::move(row));
  }
  return rows;
}

access::Value SqliteDb::Scalar(const std::string& sql, const std::vector<access::Value>& params) {
  auto rows = Rows(sql, params);
  if (rows.empty() || rows[0].empty()) return access::Value();
  return rows[0][0];
}

std::shared_ptr<SqliteStatement> SqliteDb::NewStatement(const std::string& sql) {
  ThrowPending();
  return std::make_shared<SqliteStatement>(db_, sql);
}

CachedStatement SqliteDb::Prepare(const std::string& sql) {
  constexpr std::size_t kKept = 256;
  if (auto found = prepared_by_sql_.find(sql); found != prepared_by_sql_.end()) {
    // Lent already: a statement that runs another of the same text meanwhile.
    if (found->second->stmt.use_count() > 1) return CachedStatement(NewStatement(sql));
    prepared_.splice(prepared_.begin(), prepared_, found->second);
    return CachedStatement(prepared_.front().stmt);
  }
  auto stmt = NewStatement(sql);
  prepared_.push_front({sql, stmt});
  prepared_by_sql_.emplace(prepared_.front().sql, prepared_.begin());
  if (prepared_.size() > kKept) {
    prepared_by_sql_.erase(prepared_.back().sql);
    prepared_.pop_back();
  }
  return CachedStatement(std::move(stmt));
}

std::optional<unsigned> SqliteDb::DataVersion(const std::string& schema) const {
  const int state = sqlite3_txn_state(handle(), schema.c_str());
  if (state != SQLITE_TXN_READ && state != SQLITE_TXN_WRITE) return std::nullopt;
  unsigned version = 0;
  if (sqlite3_file_control(handle(), schema.c_str(), SQLITE_FCNTL_DATA_VERSION, &version) != SQLITE_OK)
    return std::nullopt;
  return version;
}

void SqliteDb::ForgetTables() {
  // Emptied in place: a catalog may hold a reference to its schema's cache.
  for (auto& [schema, cache] : table_caches_) {
    cache.version = -1;
    cache.tables.clear();
    cache.objects.reset();
  }
  ForgetDrawnIdentities();
}

void SqliteDb::ForgetDrawnIdentities() {
  for (auto& [schema, cache] : table_caches_) cache.drawn_identities.clear();
}

std::int64_t SqliteDb::LastRowId() const { return sqlite3_last_insert_rowid(handle()); }

int SqliteDb::Changes() const { return sqlite3_changes(handle()); }

}  // namespace court::mssql
