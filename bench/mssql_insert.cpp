// bench_mssql_insert [ROWS]
//
// Sends ROWS (default 100,000) autocommitted statements of three kinds
// through the embedded server's driver and the equivalent statements to raw
// SQLite with the same durability settings (WAL, synchronous=NORMAL), each
// as its own sqlite3_exec, the two sides in turns, and prints both times and
// their ratio. The times are the processor time the process spent (user and
// system), which a busy machine disturbs far less than the time on the
// clock. Target: at most 1.3 for each kind.
//   plain     single-row INSERTs of ten quoted values into a heap table;
//   identity  the same into a table whose key is an IDENTITY column, the
//             value left to the server (raw SQLite: an automatic rowid key);
//   point     SELECT * of one row by its key, over the identity table.

#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "bench/count_argument.h"
#include "bench/cpu_time.h"
#include "platform/mssql/embedded_driver.h"

namespace {

using court::bench::CpuSeconds;

namespace fs = std::filesystem;

std::string Row(int i) {
  std::string n = std::to_string(i);
  return "'" + n + "' , 'name " + n + "' , '" + std::to_string(i % 97) + "' , '20061030 12:00:00' , '" +
         std::to_string(i % 2) + "' , '" + n + ".25' , '说明" + n + "' , 'code-" + n + "' , '" +
         std::to_string(i * 3) + "' , 'x'";
}

const char* kColumns = "[编号] , [名称] , [类别] , [时间] , [标志] , [金额] , [说明] , [代码] , [数量] , [备注]";
const char* kRawColumns = "编号 , 名称 , 类别 , 时间 , 标志 , 金额 , 说明 , 代码 , 数量 , 备注";

// The table's columns after its first, as the installer's scripts write them.
const char* kColumnDefinitions =
    "[编号] [int]  null , \r\n[名称] [varchar]  (50 )   COLLATE "
    "Chinese_PRC_CI_AS  null , \r\n[类别] [smallint]  null , \r\n[时间] [datetime]  null , \r\n"
    "[标志] [bit]  null , \r\n[金额] [money]  null , \r\n[说明] [nvarchar]  (50 )   COLLATE "
    "Chinese_PRC_CI_AS  null , \r\n[代码] [varchar]  (20 )   COLLATE Chinese_PRC_CI_AS  null , \r\n"
    "[数量] [int]  null , \r\n[备注] [ntext]   COLLATE Chinese_PRC_CI_AS  null";

// The two sides of the comparison. Each statement kind runs on both in
// turns of kBlock statements, engine and SQLite alternating, so a machine
// whose speed drifts during the run slows both sides alike.
constexpr int kBlock = 500;

class Side {
 public:
  virtual ~Side() = default;
  virtual void Plain(int i) = 0;
  virtual void Identity(int i) = 0;
  virtual void Point(int i, int rows) = 0;
};

class EngineSide : public Side {
 public:
  explicit EngineSide(const fs::path& root) : driver_(root) {
    auto master = driver_.Open("master");
    master->Execute(
        "CREATE DATABASE [基准]  ON (NAME = N'基准_Data', FILENAME = N'D:\\基准_Data.MDF' , SIZE = 1, "
        "FILEGROWTH = 10%) LOG ON (NAME = N'基准_Log', FILENAME = N'D:\\基准_log.LDF' , SIZE = 1, "
        "FILEGROWTH = 10%)\r\n");
    session_ = driver_.Open("基准");
    session_->Execute(std::string("CREATE TABLE [dbo].[行] (\r\n[id] [int]  null , \r\n") + kColumnDefinitions +
                      " , \r\n) ON [PRIMARY]");
    session_->Execute(std::string("CREATE TABLE [dbo].[键] (\r\n[id] [int]  IDENTITY (1, 1) NOT NULL , \r\n") +
                      kColumnDefinitions + " , \r\nCONSTRAINT [PK_键] PRIMARY KEY  CLUSTERED ([id])\r\n) ON [PRIMARY]");
  }
  void Plain(int i) override {
    session_->Execute(std::string("insert into  行 ( [id] , ") + kColumns + " ) values ( '" + std::to_string(i) +
                      "' , " + Row(i) + " ) ");
  }
  void Identity(int i) override {
    session_->Execute(std::string("insert into  键 ( ") + kColumns + " ) values ( " + Row(i) + " ) ");
  }
  void Point(int i, int rows) override {
    session_->Query("SELECT * FROM 键 WHERE id = " + std::to_string(i % rows + 1));
  }

 private:
  court::mssql::EmbeddedDriver driver_;
  std::unique_ptr<court::mssql::EmbeddedSession> session_;
};

// Each statement is its own sqlite3_exec, as the engine's are autocommitted.
class SqliteSide : public Side {
 public:
  explicit SqliteSide(const fs::path& file) {
    sqlite3_open(file.c_str(), &db_);
    Exec(std::string("PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL; CREATE TABLE t (id, ") + kRawColumns +
         "); CREATE TABLE k (id INTEGER PRIMARY KEY, " + kRawColumns + ")");
  }
  ~SqliteSide() override { sqlite3_close(db_); }
  void Plain(int i) override {
    Exec(std::string("insert into t ( id , ") + kRawColumns + " ) values ( '" + std::to_string(i) + "' , " + Row(i) +
         " )");
  }
  void Identity(int i) override {
    Exec(std::string("insert into k ( ") + kRawColumns + " ) values ( " + Row(i) + " )");
  }
  // Reads each row into the values a client gets, as the engine does.
  void Point(int i, int rows) override {
    std::string sql = "SELECT * FROM k WHERE id = " + std::to_string(i % rows + 1);
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db_, sql.c_str(), -1, &stmt, nullptr);
    while (sqlite3_step(stmt) == SQLITE_ROW)
      for (int c = 0; c < sqlite3_column_count(stmt); ++c) sqlite3_column_text(stmt, c);
    sqlite3_finalize(stmt);
  }

 private:
  void Exec(const std::string& sql) { sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr); }
  sqlite3* db_ = nullptr;
};

struct Pair {
  double engine = 0, raw = 0;
};

// Runs statement i = 0..rows-1 on both sides, block by block in turns, and
// adds up each side's processor time.
Pair Alternating(Side& engine, Side& raw, int rows, const std::function<void(Side&, int)>& statement) {
  Pair seconds;
  for (int first = 0; first < rows; first += kBlock) {
    const int last = std::min(rows, first + kBlock);
    for (auto [side, total] : {std::pair{&engine, &seconds.engine}, std::pair{&raw, &seconds.raw}}) {
      const double start = CpuSeconds();
      for (int i = first; i < last; ++i) statement(*side, i);
      *total += CpuSeconds() - start;
    }
  }
  return seconds;
}

void Print(const char* what, int rows, Pair seconds) {
  std::printf("%-9s engine %7.3f s (%5.1f us each)  sqlite %7.3f s (%5.1f us each)  ratio %.2f\n", what,
              seconds.engine, seconds.engine * 1e6 / rows, seconds.raw, seconds.raw * 1e6 / rows,
              seconds.engine / seconds.raw);
}

}  // namespace

int main(int argc, char** argv) {
  const int rows = court::bench::OptionalCount(argc, argv, 100000, "bench_mssql_insert [ROWS]");
  fs::path root = fs::temp_directory_path() / ("court-mssql-bench-" + std::to_string(getpid()));
  fs::remove_all(root);
  fs::create_directories(root);
  {
    EngineSide engine(root);
    SqliteSide raw(root / "raw.sqlite");
    const Pair plain = Alternating(engine, raw, rows, [](Side& side, int i) { side.Plain(i); });
    const Pair identity = Alternating(engine, raw, rows, [](Side& side, int i) { side.Identity(i); });
    const Pair point = Alternating(engine, raw, rows, [rows](Side& side, int i) { side.Point(i, rows); });
    std::printf("rows %d, in turns of %d\n", rows, kBlock);
    Print("plain", rows, plain);
    Print("identity", rows, identity);
    Print("point", rows, point);
  }
  fs::remove_all(root);
  return 0;
}
