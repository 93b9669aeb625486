// BACKUP DATABASE while other connections read and write: the backup holds
// every transaction committed before it began, whether its pages had reached
// the database file or were still in the file's write-ahead log, kept there
// by a reader of an older state.

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <string>

#include "tests/platform/mssql/court_database_fixture.h"

namespace court::mssql {
namespace {

namespace fs = std::filesystem;

using BackupTest = CourtDatabaseTest;

// A plain SQLite connection to a file of the server.
class RawFile {
 public:
  explicit RawFile(const fs::path& file) { sqlite3_open_v2(file.c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr); }
  ~RawFile() { sqlite3_close(db_); }
  RawFile(const RawFile&) = delete;
  RawFile& operator=(const RawFile&) = delete;

  void Exec(const std::string& sql) { ASSERT_EQ(sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK); }
  // The rows of the table and the sum of its column a, as "rows/sum".
  std::string Count(const std::string& table) {
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db_, ("SELECT count(*) || '/' || total(a) FROM \"" + table + "\"").c_str(), -1, &stmt, nullptr);
    std::string result = sqlite3_step(stmt) == SQLITE_ROW ? reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)) : "";
    sqlite3_finalize(stmt);
    return result;
  }

 private:
  sqlite3* db_ = nullptr;
};

void InsertRows(access::Session& session, int from, int to) {
  std::string batch;
  for (int i = from; i <= to; ++i)
    batch += "INSERT INTO 备份 (a, b) VALUES (" + std::to_string(i) + ", '" + std::string(90, 'x') + "')\r\n";
  session.Execute(batch);
}

TEST_F(BackupTest, HoldsEveryCommittedRowWhetherInTheFileOrStillInTheLog) {
  const fs::path drive = root_ / "drives" / "D";
  court_->Execute("CREATE TABLE 备份 (a int NOT NULL, b varchar(100) NULL)");
  InsertRows(*court_, 1, 300);
  court_->Execute("BACKUP DATABASE [法院] TO DISK = N'D:\\一.bak' WITH INIT");
  EXPECT_EQ(RawFile(drive / "一.bak").Count("备份"), "300/45150.0");

  // A reader of the state before the next rows keeps their pages in the log.
  RawFile reader(drive / "法院_Data.MDF");
  reader.Exec("BEGIN");
  EXPECT_EQ(reader.Count("备份"), "300/45150.0");
  InsertRows(*court_, 301, 400);
  court_->Execute("BACKUP DATABASE [法院] TO DISK = N'D:\\二.bak' WITH INIT");
  EXPECT_EQ(RawFile(drive / "二.bak").Count("备份"), "400/80200.0");
  reader.Exec("COMMIT");

  // Rows deleted after a backup stay in it.
  court_->Execute("DELETE FROM 备份 WHERE a > 100");
  court_->Execute("BACKUP DATABASE [法院] TO DISK = N'D:\\一.bak' WITH INIT");
  EXPECT_EQ(RawFile(drive / "一.bak").Count("备份"), "100/5050.0");
  EXPECT_EQ(RawFile(drive / "二.bak").Count("备份"), "400/80200.0");
}

}  // namespace
}  // namespace court::mssql
