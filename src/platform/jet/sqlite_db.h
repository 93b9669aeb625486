// The driver's in-memory SQLite database and its prepared statements, with
// SQLite failures turned into access::Errors that read like Jet's.

#ifndef COURT_PLATFORM_JET_SQLITE_DB_H_
#define COURT_PLATFORM_JET_SQLITE_DB_H_

#include <sqlite3.h>

#include <string>
#include <string_view>

namespace court::jet {

// Jet's error numbers as its OLE DB provider reports them.
inline constexpr int kNoSuchTable = -2147217865;   // cannot find the input table or query
inline constexpr int kMissingParameter = -2147217904;  // unknown name: "No value given ..."
inline constexpr int kSyntaxError = -2147217900;

class SqliteDb {
 public:
  SqliteDb();  // an empty in-memory database that compares text like Jet
  ~SqliteDb();
  SqliteDb(const SqliteDb&) = delete;
  SqliteDb& operator=(const SqliteDb&) = delete;

  sqlite3* handle() const { return db_; }
  void Execute(const std::string& sql);
  // Replaces this database's content with a copy of `source`.
  void CopyFrom(const SqliteDb& source);

 private:
  sqlite3* db_ = nullptr;
};

class Statement {
 public:
  Statement(const SqliteDb& db, std::string_view sql);
  ~Statement();
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  sqlite3_stmt* get() const { return statement_; }
  // True while there is a row to read.
  bool Step();
  void Reset();

 private:
  sqlite3* db_;
  sqlite3_stmt* statement_ = nullptr;
  std::string sql_;
};

}  // namespace court::jet

#endif  // COURT_PLATFORM_JET_SQLITE_DB_H_
