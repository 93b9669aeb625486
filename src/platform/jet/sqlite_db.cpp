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

void FailAsJet(const sqlite::Failure& failure) {
  const std::string& message = failure.message;
  const std::string& sql = failure.opening ? "open" : failure.subject;
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

// Notes the tables of the statements prepared while it lives.
class TableNotes {
 public:
  TableNotes(sqlite3* db, std::vector<std::string>* tables) : db_(tables ? db : nullptr) {
    if (db_) sqlite3_set_authorizer(db_, NoteTable, tables);
  }
  ~TableNotes() {
    if (db_) sqlite3_set_authorizer(db_, nullptr, nullptr);
  }
  TableNotes(const TableNotes&) = delete;
  TableNotes& operator=(const TableNotes&) = delete;

 private:
  sqlite3* db_;
};

}  // namespace

// An empty name asks SQLite for a private file that goes when the database closes.
SqliteDb::SqliteDb() : db_("", SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, FailAsJet) {
  Execute("PRAGMA page_size = " + std::to_string(kPageBytes));
  Execute("PRAGMA cache_size = -" + std::to_string(kCacheKib));
  sqlite3_create_collation(db_.handle(), std::string(kJetCollation).c_str(), SQLITE_UTF8, nullptr,
                           CompareJetText);
}

Statement Prepare(const SqliteDb& db, std::string_view sql, std::vector<std::string>* tables) {
  TableNotes notes(db.database().handle(), tables);
  return Statement(db.database(), sql);
}

}  // namespace court::jet
