// The driver's SQLite databases, with SQLite failures turned into
// access::Errors that read like Jet's.
//
// A database lives in a temporary file of its own, deleted when it closes,
// behind a small page cache: however large a release's catalogue and its
// documents, the program holds only the pages it is working on.

#ifndef COURT_PLATFORM_JET_SQLITE_DB_H_
#define COURT_PLATFORM_JET_SQLITE_DB_H_

#include <string>
#include <string_view>
#include <vector>

#include "platform/sqlite/database.h"
#include "platform/sqlite/statement.h"

namespace court::jet {

// Jet's error numbers as its OLE DB provider reports them.
inline constexpr int kNoSuchTable = -2147217865;   // cannot find the input table or query
inline constexpr int kMissingParameter = -2147217904;  // unknown name: "No value given ..."
inline constexpr int kSyntaxError = -2147217900;

using Statement = sqlite::Statement;

class SqliteDb {
 public:
  SqliteDb();  // an empty temporary database that compares text like Jet
  SqliteDb(const SqliteDb&) = delete;
  SqliteDb& operator=(const SqliteDb&) = delete;

  const sqlite::Database& database() const { return db_; }
  void Execute(const std::string& sql) { db_.Exec(sql); }
  // Replaces this database's content with a copy of `source`.
  void CopyFrom(const SqliteDb& source) { db_.CopyFrom(source.db_); }

 private:
  sqlite::Database db_;
};

// A statement of `db`. When `tables` is given, it receives the name of
// every table the statement reads or writes, as the table was created.
Statement Prepare(const SqliteDb& db, std::string_view sql, std::vector<std::string>* tables = nullptr);

}  // namespace court::jet

#endif  // COURT_PLATFORM_JET_SQLITE_DB_H_
