// bench_mssql_insert [ROWS]
//
// Sends ROWS (default 100,000) autocommitted single-row INSERT statements
// with ten quoted values through the embedded server's driver, then the
// equivalent statements to raw SQLite with the same durability settings
// (WAL, synchronous=NORMAL), and prints both times and their ratio.

#include <sqlite3.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/mssql/embedded_driver.h"

namespace {

namespace fs = std::filesystem;

std::string Row(int i) {
  std::string n = std::to_string(i);
  return "'" + n + "' , 'name " + n + "' , '" + std::to_string(i % 97) + "' , '20061030 12:00:00' , '" +
         std::to_string(i % 2) + "' , '" + n + ".25' , '说明" + n + "' , 'code-" + n + "' , '" +
         std::to_string(i * 3) + "' , 'x'";
}

const char* kColumns = "[id] , [名称] , [类别] , [时间] , [标志] , [金额] , [说明] , [代码] , [数量] , [备注]";

double Seconds(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double RunEngine(const fs::path& root, int rows) {
  court::mssql::EmbeddedDriver driver(root);
  auto master = driver.Open("master");
  master->Execute(
      "CREATE DATABASE [基准]  ON (NAME = N'基准_Data', FILENAME = N'D:\\基准_Data.MDF' , SIZE = 1, "
      "FILEGROWTH = 10%) LOG ON (NAME = N'基准_Log', FILENAME = N'D:\\基准_log.LDF' , SIZE = 1, "
      "FILEGROWTH = 10%)\r\n");
  auto session = driver.Open("基准");
  session->Execute(
      "CREATE TABLE [dbo].[行] (\r\n[id] [int]  null , \r\n[名称] [varchar]  (50 )   COLLATE "
      "Chinese_PRC_CI_AS  null , \r\n[类别] [smallint]  null , \r\n[时间] [datetime]  null , \r\n"
      "[标志] [bit]  null , \r\n[金额] [money]  null , \r\n[说明] [nvarchar]  (50 )   COLLATE "
      "Chinese_PRC_CI_AS  null , \r\n[代码] [varchar]  (20 )   COLLATE Chinese_PRC_CI_AS  null , \r\n"
      "[数量] [int]  null , \r\n[备注] [ntext]   COLLATE Chinese_PRC_CI_AS  null , \r\n) ON [PRIMARY]");
  auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < rows; ++i)
    session->Execute(std::string("insert into  行 ( ") + kColumns + " ) values ( " + Row(i) + " ) ");
  return Seconds(start);
}

double RunSqlite(const fs::path& file, int rows) {
  sqlite3* db = nullptr;
  sqlite3_open(file.c_str(), &db);
  sqlite3_exec(db, "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL; CREATE TABLE t (id, 名称, 类别, "
                   "时间, 标志, 金额, 说明, 代码, 数量, 备注)",
               nullptr, nullptr, nullptr);
  auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < rows; ++i) {
    std::string sql = std::string("insert into t ( id , 名称 , 类别 , 时间 , 标志 , 金额 , 说明 , 代码 , 数量 , 备注 ) values ( ") +
                      Row(i) + " )";
    sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
  }
  double seconds = Seconds(start);
  sqlite3_close(db);
  return seconds;
}

}  // namespace

int main(int argc, char** argv) {
  int rows = argc > 1 ? std::stoi(argv[1]) : 100000;
  fs::path root = fs::temp_directory_path() / ("court-mssql-bench-" + std::to_string(getpid()));
  fs::remove_all(root);
  fs::create_directories(root);
  double engine = RunEngine(root, rows);
  double raw = RunSqlite(root / "raw.sqlite", rows);
  std::printf("rows %d\nengine %.3f s (%.1f us/insert)\nsqlite %.3f s (%.1f us/insert)\nratio %.2f\n", rows,
              engine, engine * 1e6 / rows, raw, raw * 1e6 / rows, engine / raw);
  fs::remove_all(root);
  return 0;
}
