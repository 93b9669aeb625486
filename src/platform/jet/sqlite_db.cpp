#include "platform/jet/sqlite_db.h"

#include "platform/access/error.h"
#include "platform/jet/stored_value.h"
#include "platform/jet/text_fold.h"

namespace court::jet {
namespace {

int CompareJetText(void*, int size_a, const void* a, int size_b, const void* b) {
  return CompareAsJet(std::string_view(static_cast<const char*>(a), static_cast<std::size_t>(size_a)),
                      std::string_view(static_cast<const char*>(b), static_cast<std::size_t>(size_b)));
}

[[noreturn]] void Fail(sqlite3* db, const std::string& sql) {
  const std::string message = sqlite3_errmsg(db);
  const auto name_after = [&](std::string_view prefix) { return message.substr(prefix.size()); };
  if (message.rfind("no such table: ", 0) == 0)
    throw access::Error(kNoSuchTable, "The Microsoft Jet database engine cannot find the input table or query '" +
                                          name_after("no such table: ") +
                                          "'.  Make sure it exists and that its name is spelled correctly.");
  if (message.rfind("no such column: ", 0) == 0)
    throw access::Error(kMissingParameter, "No value given for one or more required parameters. (" +
                                               name_after("no such column: ") + ")");
  throw access::Error(kSyntaxError, "Syntax error in query: " + message + " (" + sql + ").");
}

// Large pages keep a document's bytes on a few pages, read in a few calls;
// the cache (in KiB) is what this process holds, the rest waits in the file.
constexpr int kPageBytes = 65536;
constexpr int kCacheKib = 4096;

// Collects, while a statement is prepared, the tables it uses.
int NoteTable(void* tables, int action, const char* table, const char*, const char*, const char*) {
  const bool uses_table =
      action == SQLITE_READ || action == SQLITE_INSERT || action == SQLITE_UPDATE || action == SQLITE_DELETE;
  if (uses_table && table != nullptr) static_cast<std::vector<std::string>*>(tables)->emplace_back(table);
  return SQLITE_OK;
}

}  // namespace

SqliteDb::SqliteDb() {
  // An empty name asks SQLite for a private file that goes when the database closes.
  if (sqlite3_open("", &db_) != SQLITE_OK) Fail(db_, "open");
  Execute("PRAGMA page_size = " + std::to_string(kPageBytes));
  Execute("PRAGMA cache_size = -" + std::to_string(kCacheKib));
  sqlite3_create_collation(db_, std::string(kJetCollation).c_str(), SQLITE_UTF8, nullptr,
                           CompareJetText);
}

SqliteDb::~SqliteDb() { sqlite3_close(db_); }

void SqliteDb::Execute(const std::string& sql) {
  if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) Fail(db_, sql);
}

void SqliteDb::CopyFrom(const SqliteDb& source) {
  sqlite3_backup* backup = sqlite3_backup_init(db_, "main", source.db_, "main");
  if (backup == nullptr) Fail(db_, "copy");
  sqlite3_backup_step(backup, -1);
  if (sqlite3_backup_finish(backup) != SQLITE_OK) Fail(db_, "copy");
}

Statement::Statement(const SqliteDb& db, std::string_view sql, std::vector<std::string>* tables)
    : db_(db.handle()), sql_(sql) {
  if (tables != nullptr) sqlite3_set_authorizer(db_, NoteTable, tables);
  const int prepared = sqlite3_prepare_v2(db_, sql_.c_str(), static_cast<int>(sql_.size()), &statement_, nullptr);
  if (tables != nullptr) sqlite3_set_authorizer(db_, nullptr, nullptr);
  if (prepared != SQLITE_OK) Fail(db_, sql_);
}

Statement::~Statement() { sqlite3_finalize(statement_); }

bool Statement::Step() {
  int status = sqlite3_step(statement_);
  if (status == SQLITE_ROW) return true;
  if (status != SQLITE_DONE) Fail(db_, sql_);
  return false;
}

void Statement::Reset() {
  sqlite3_reset(statement_);
  sqlite3_clear_bindings(statement_);
}

}  // namespace court::jet
