// One open SQLite database: the connection's lifetime, its statements run
// in one go, and a copy of another database's content.

#ifndef COURT_PLATFORM_SQLITE_DATABASE_H_
#define COURT_PLATFORM_SQLITE_DATABASE_H_

#include <sqlite3.h>

#include <string>

#include "platform/sqlite/failure.h"

namespace court::sqlite {

class Database {
 public:
  // Opens `file` with SQLite's open flags; "" is a private temporary file
  // that goes when the database closes. A file that does not open is a
  // failure with `opening` set, and nothing stays open.
  Database(const std::string& file, int flags, FailurePolicy fail);
  ~Database();
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

  sqlite3* handle() const { return db_; }

  // Runs one or more statements, without their rows.
  void Exec(const std::string& sql);

  // Replaces this database's content with a copy of `source`.
  void CopyFrom(const Database& source);

  // Fails through the policy with what the connection's last call left;
  // `subject` names what was attempted.
  [[noreturn]] void Fail(const std::string& subject) const;
  [[noreturn]] void Fail(const Failure& failure) const;

 private:
  sqlite3* db_ = nullptr;
  FailurePolicy fail_;
};

}  // namespace court::sqlite

#endif  // COURT_PLATFORM_SQLITE_DATABASE_H_
