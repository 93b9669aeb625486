#include "platform/sqlite/database.h"

#include <stdexcept>
#include <utility>

namespace court::sqlite {

Database::Database(const std::string& file, int flags, FailurePolicy fail) : fail_(std::move(fail)) {
  const int rc = sqlite3_open_v2(file.c_str(), &db_, flags, nullptr);
  if (rc == SQLITE_OK) return;
  Failure failure{rc, db_ ? sqlite3_errmsg(db_) : "out of memory", db_ ? sqlite3_system_errno(db_) : 0, true, file};
  sqlite3_close(db_);
  db_ = nullptr;
  Fail(failure);
}

Database::~Database() { sqlite3_close(db_); }

void Database::Exec(const std::string& sql) {
  if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) Fail(sql);
}

void Database::CopyFrom(const Database& source) {
  sqlite3_backup* backup = sqlite3_backup_init(db_, "main", source.db_, "main");
  if (backup == nullptr) Fail("copy");
  sqlite3_backup_step(backup, -1);
  if (sqlite3_backup_finish(backup) != SQLITE_OK) Fail("copy");
}

void Database::Fail(const std::string& subject) const {
  Fail(Failure{sqlite3_extended_errcode(db_), sqlite3_errmsg(db_), sqlite3_system_errno(db_), false, subject});
}

void Database::Fail(const Failure& failure) const {
  fail_(failure);
  throw std::logic_error("an SQLite failure policy returned: " + failure.message);
}

}  // namespace court::sqlite
