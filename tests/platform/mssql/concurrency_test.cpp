// Several processes and sessions on one server root at once: the first use
// of a root, logins, CREATE DATABASE, identity values and writes that meet
// another writer's lock. Processes are real court-sqlcmd runs; sessions are
// connections of separate Server objects in threads, as separate programs
// would hold them.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/mssql/embedded_driver.h"
#include "tests/support/child_process.h"
#include "tests/support/temp_dir.h"

namespace court::mssql {
namespace {

namespace fs = std::filesystem;

constexpr char kCreateCourt[] =
    "CREATE DATABASE [法院]  ON (NAME = N'法院_Data', FILENAME = N'D:\\法院_Data.MDF' , SIZE = 1, "
    "FILEGROWTH = 10%) LOG ON (NAME = N'法院_Log', FILENAME = N'D:\\法院_log.LDF' , SIZE = 1, "
    "FILEGROWTH = 10%)\r\n";

class ConcurrencyTest : public ::testing::Test {
 protected:
  // Runs count court-sqlcmd processes at once, process i on batch(i); their
  // exit codes, and their standard error joined.
  std::vector<int> AtOnce(int count, const std::function<std::string(int)>& batch, const std::string& database,
                          std::string* errors) {
    std::vector<testing::ProgramResult> runs(static_cast<std::size_t>(count));
    std::vector<std::thread> threads;
    for (int i = 0; i < count; ++i)
      threads.emplace_back([&, i] {
        runs[static_cast<std::size_t>(i)] = testing::RunProgram(
            {.argv = {COURT_BUILD_DIR "/court-sqlcmd", "-S", root_.string(), "-d", database, "-Q", batch(i)}});
      });
    for (std::thread& thread : threads) thread.join();
    std::vector<int> codes;
    for (const testing::ProgramResult& run : runs) {
      codes.push_back(run.exit_code);
      *errors += run.err;
    }
    return codes;
  }

  std::string Scalar(const std::string& database, const std::string& sql) {
    auto rows = EmbeddedDriver(root_).Connect(database)->Query(sql).rows;
    return rows.empty() ? "" : rows[0][0].ToText();
  }

  testing::TempDir folder_;
  const fs::path root_ = folder_.path() / "server";
};

TEST_F(ConcurrencyTest, FirstUseLoginsAndDatabaseCreationByManyProcesses) {
  std::string errors;
  // Every process meets a root without master; one builds it.
  std::vector<int> codes = AtOnce(
      6,
      [](int) {
        return std::string("if not exists (select * from master.dbo.syslogins where loginname = N'vek')\r\n"
                           "BEGIN\r\n exec sp_addlogin N'vek', 'pw', N'master'\r\nEND");
      },
      "master", &errors);
  for (int code : codes) EXPECT_EQ(code, 0) << errors;
  EXPECT_EQ(Scalar("master", "SELECT COUNT(*) FROM syslogins WHERE name = 'vek'"), "1");

  errors.clear();
  codes = AtOnce(4, [](int) { return std::string(kCreateCourt); }, "master", &errors);
  EXPECT_EQ(std::count(codes.begin(), codes.end(), 0), 1) << errors;
  EXPECT_EQ(Scalar("master", "SELECT COUNT(*) FROM sysdatabases WHERE name = N'法院'"), "1");
  EXPECT_NE(errors.find("Database '法院' already exists."), std::string::npos) << errors;
  EXPECT_EQ(Scalar("法院", "SELECT COUNT(*) FROM sysobjects WHERE name = 'sysobjects'"), "1");
}

TEST_F(ConcurrencyTest, IdentityValuesDrawnByProcessesAndSessionsAtOnce) {
  EmbeddedDriver(root_).Connect("master")->Execute(kCreateCourt);
  EmbeddedDriver(root_).Connect("法院")->Execute("CREATE TABLE 号 (id int IDENTITY(1,1) NOT NULL, who int NULL)");
  constexpr int kProcesses = 4, kSessions = 4, kRows = 100;
  std::vector<std::thread> sessions;
  for (int s = 0; s < kSessions; ++s)
    sessions.emplace_back([&, s] {
      EmbeddedDriver server(root_);
      auto session = server.Connect("法院");
      for (int i = 0; i < kRows; ++i) session->Execute("INSERT INTO 号 (who) VALUES (" + std::to_string(s) + ")");
    });
  std::string errors;
  std::vector<int> codes = AtOnce(
      kProcesses,
      [](int p) {
        std::string batch;
        for (int i = 0; i < kRows; ++i) batch += "INSERT INTO 号 (who) VALUES (" + std::to_string(100 + p) + ")\n";
        return batch;
      },
      "法院", &errors);
  for (std::thread& session : sessions) session.join();
  for (int code : codes) EXPECT_EQ(code, 0) << errors;
  const std::string all = std::to_string((kProcesses + kSessions) * kRows);
  EXPECT_EQ(Scalar("法院", "SELECT COUNT(*) FROM 号"), all);
  EXPECT_EQ(Scalar("法院", "SELECT COUNT(DISTINCT id) FROM 号"), all);
  EXPECT_EQ(Scalar("法院", "SELECT MAX(id) FROM 号"), all);
}

TEST_F(ConcurrencyTest, WriterWaitsForAnOpenTransactionThenGoesOn) {
  EmbeddedDriver(root_).Connect("master")->Execute(kCreateCourt);
  EmbeddedDriver holder_server(root_);
  auto holder = holder_server.Connect("法院");
  holder->Execute("CREATE TABLE t (v int NULL)");
  holder->Execute("BEGIN TRANSACTION");
  holder->Execute("INSERT INTO t (v) VALUES (1)");
  std::thread writer([&] {
    EmbeddedDriver server(root_);
    server.Connect("法院")->Execute("INSERT INTO t (v) VALUES (2)");
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  holder->Execute("COMMIT TRANSACTION");
  writer.join();
  EXPECT_EQ(Scalar("法院", "SELECT COUNT(*) FROM t"), "2");
}

}  // namespace
}  // namespace court::mssql
