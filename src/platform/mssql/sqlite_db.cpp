#include "platform/mssql/sqlite_db.h"

#include <cerrno>

#include "platform/access/error.h"
#include "platform/mssql/collation.h"
#include "platform/mssql/messages.h"
#include "platform/mssql/storage_error.h"

namespace court::mssql {

void CheckSqlite(sqlite3* db, int rc) {
  if (rc == SQLITE_OK || rc == SQLITE_ROW || rc == SQLITE_DONE) return;
  throw StorageError(sqlite3_extended_errcode(db), sqlite3_errmsg(db), sqlite3_system_errno(db));
}

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

SqliteStatement::SqliteStatement(SqliteDb& db, const std::string& sql) : db_(db) {
  db.ThrowPending();
  CheckSqlite(db.handle(), sqlite3_prepare_v2(db.handle(), sql.c_str(), static_cast<int>(sql.size()), &stmt_, nullptr));
}

SqliteStatement::~SqliteStatement() { sqlite3_finalize(stmt_); }

void SqliteStatement::Bind(int index, const access::Value& v) {
  int rc = SQLITE_OK;
  switch (v.type()) {
    case access::ValueType::kNull: rc = sqlite3_bind_null(stmt_, index); break;
    case access::ValueType::kInteger: rc = sqlite3_bind_int64(stmt_, index, v.integer()); break;
    case access::ValueType::kBoolean: rc = sqlite3_bind_int64(stmt_, index, v.boolean()); break;
    case access::ValueType::kFloat: rc = sqlite3_bind_double(stmt_, index, v.floating()); break;
    case access::ValueType::kCurrency:
      rc = sqlite3_bind_double(stmt_, index, static_cast<double>(v.money().ten_thousandths) / 10000);
      break;
    case access::ValueType::kBinary:
      rc = sqlite3_bind_blob(stmt_, index, v.binary().data(), static_cast<int>(v.binary().size()),
                             SQLITE_TRANSIENT);
      break;
    default: {
      std::string text = v.ToText();
      rc = sqlite3_bind_text(stmt_, index, text.data(), static_cast<int>(text.size()),
                             SQLITE_TRANSIENT);
    }
  }
  CheckSqlite(db_.handle(), rc);
}

void SqliteStatement::BindAll(const std::vector<access::Value>& values) {
  for (std::size_t i = 0; i < values.size(); ++i) Bind(static_cast<int>(i + 1), values[i]);
}

bool SqliteStatement::Step() {
  int rc = sqlite3_step(stmt_);
  if (rc == SQLITE_ROW) return true;
  if (rc == SQLITE_DONE) return false;
  int code = sqlite3_extended_errcode(db_.handle());
  std::string message = sqlite3_errmsg(db_.handle());
  sqlite3_reset(stmt_);
  db_.ThrowPending();
  throw StorageError(code, message, sqlite3_system_errno(db_.handle()));
}

void SqliteStatement::Reset() {
  sqlite3_reset(stmt_);
  sqlite3_clear_bindings(stmt_);
}

int SqliteStatement::ColumnCount() const { return sqlite3_column_count(stmt_); }

std::string SqliteStatement::ColumnName(int i) const {
  const char* name = sqlite3_column_name(stmt_, i);
  return name ? name : "";
}

access::Value SqliteStatement::Column(int i) const {
  switch (sqlite3_column_type(stmt_, i)) {
    case SQLITE_INTEGER: return access::Value::Integer(sqlite3_column_int64(stmt_, i));
    case SQLITE_FLOAT: return access::Value::Float(sqlite3_column_double(stmt_, i));
    case SQLITE_TEXT: {
      const char* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, i));
      return access::Value::Text(std::string(p, static_cast<std::size_t>(sqlite3_column_bytes(stmt_, i))));
    }
    case SQLITE_BLOB: {
      const auto* p = static_cast<const unsigned char*>(sqlite3_column_blob(stmt_, i));
      return access::Value::Binary(access::Bytes(p, p + sqlite3_column_bytes(stmt_, i)));
    }
    default: return access::Value();
  }
}

SqliteDb::SqliteDb(const std::filesystem::path& file, bool create) {
  int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | (create ? SQLITE_OPEN_CREATE : 0);
  int rc = sqlite3_open_v2(file.c_str(), &db_, flags, nullptr);
  if (rc != SQLITE_OK) {
    std::string message = db_ ? sqlite3_errmsg(db_) : "out of memory";
    const int system_errno = db_ ? sqlite3_system_errno(db_) : 0;
    sqlite3_close(db_);
    db_ = nullptr;
    // A full or read-only disk says what to do; any other file is one SQL
    // Server could not open either.
    if (system_errno == ENOSPC || system_errno == EROFS || system_errno == EACCES)
      throw StorageError(rc, message + ": " + file.string(), system_errno);
    throw Message(Msg::kCannotOpenFile, {file.string()});
  }
  // SQLite falls back to reading a file it may not write; the server
  // writes every database it opens, so that is a read-only disk to report.
  if (sqlite3_db_readonly(db_, "main") == 1) {
    sqlite3_close(db_);
    db_ = nullptr;
    throw StorageError(SQLITE_READONLY, "read-only: " + file.string());
  }
  sqlite3_rollback_hook(db_, [](void* self) { static_cast<SqliteDb*>(self)->ForgetTables(); }, this);
  sqlite3_busy_timeout(db_, 30000);
  // A court database's catalog (sysobjects, syscolumns, ...) outgrows
  // SQLite's default 2 MiB of cached pages at a few hundred tables; every
  // lookup past that reads the file again, and a sync's cost grows faster
  // than its table count.
  Exec("PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL; PRAGMA cache_size=-16384;");
  RegisterServerFunctions(db_, &functions_);
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
    sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    throw;
  }
}

void SqliteDb::ThrowPending() {
  if (!functions_.pending) return;
  access::Error error = *functions_.pending;
  functions_.pending.reset();
  throw error;
}

SqliteDb::~SqliteDb() {
  prepared_by_sql_.clear();
  prepared_.clear();
  sqlite3_close(db_);
}

void SqliteDb::Exec(const std::string& sql) {
  char* error = nullptr;
  int rc = sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &error);
  if (rc != SQLITE_OK) {
    std::string message = error ? error : "";
    sqlite3_free(error);
    ThrowPending();
    throw StorageError(sqlite3_extended_errcode(db_), message, sqlite3_system_errno(db_));
  }
}

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

CachedStatement SqliteDb::Prepare(const std::string& sql) {
  constexpr std::size_t kKept = 256;
  if (auto found = prepared_by_sql_.find(sql); found != prepared_by_sql_.end()) {
    // Lent already: a statement that runs another of the same text meanwhile.
    if (found->second->stmt.use_count() > 1) return CachedStatement(std::make_shared<SqliteStatement>(*this, sql));
    prepared_.splice(prepared_.begin(), prepared_, found->second);
    return CachedStatement(prepared_.front().stmt);
  }
  auto stmt = std::make_shared<SqliteStatement>(*this, sql);
  prepared_.push_front({sql, stmt});
  prepared_by_sql_.emplace(prepared_.front().sql, prepared_.begin());
  if (prepared_.size() > kKept) {
    prepared_by_sql_.erase(prepared_.back().sql);
    prepared_.pop_back();
  }
  return CachedStatement(std::move(stmt));
}

void SqliteDb::ForgetTables() {
  // Emptied in place: a catalog may hold a reference to its schema's cache.
  for (auto& [schema, cache] : table_caches_) {
    cache.version = -1;
    cache.tables.clear();
    cache.objects.reset();
  }
}

std::int64_t SqliteDb::LastRowId() const { return sqlite3_last_insert_rowid(db_); }

int SqliteDb::Changes() const { return sqlite3_changes(db_); }

}  // namespace court::mssql
