// One installation at a time: court-setup runs started together on one
// embedded server, and a run killed while it holds the lock. The lock is
// sp_getapplock's, so the engine's procedures are tried too.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>

#include "platform/access/error.h"
#include "platform/mssql/embedded_driver.h"
#include "tests/support/court_setup_process.h"
#include "tests/support/temp_dir.h"

namespace court::testing {
namespace {

namespace fs = std::filesystem;

const std::string kRelease1 = std::string(COURT_BUILD_DIR) + "/table.mdb";
const std::string kRelease2 = std::string(COURT_BUILD_DIR) + "/table-release2.mdb";

std::string Server(const TempDir& dir) { return "embedded:" + (dir.path() / "server").string(); }

const std::string kGet =
    "declare @s int exec @s = sp_getapplock @Resource = N'court-setup', @LockMode = N'Exclusive', "
    "@LockOwner = N'Session', @LockTimeout = 0 select @s";

// Another installation: a session of this process holding the run lock.
std::unique_ptr<access::Session> HoldRunLock(mssql::EmbeddedDriver& driver) {
  auto session = driver.Connect("master");
  EXPECT_EQ(session->Query(kGet).rows.at(0).at(0).integer(), 0);
  return session;
}

TEST(RunLockTest, RunWaitsForAnotherThenReportsAndChangesNothing) {
  TempDir dir;
  mssql::EmbeddedDriver driver(dir.path() / "server");
  auto holder = HoldRunLock(driver);
  const auto start = std::chrono::steady_clock::now();
  const SetupOutcome waited =
      RunCourtSetup(dir.path(), "waited", {Server(dir), {"--drive", "D:", "--catalogue", kRelease1, "--lock-wait", "1"}});
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
  EXPECT_EQ(waited.exit_code, 1);
  EXPECT_EQ(waited.err,
            "error 1222: Another installation is running on this server; waited 1 seconds for it to finish. Run "
            "again when it has finished.\n");
  EXPECT_TRUE(waited.out.empty());
  // It asked for the lock and sent nothing else.
  ASSERT_EQ(waited.transcript.size(), 1u);
  EXPECT_NE(waited.transcript[0].find("\"kind\":\"lock\""), std::string::npos);
  EXPECT_FALSE(fs::exists(dir.path() / "server" / "drives" / "D" / "法院_SQL数据"));

  // The other installation ends while the next run waits: it goes ahead.
  CourtSetupProcess next(dir.path(), "next", {Server(dir), {"--drive", "D:", "--catalogue", kRelease1}});
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  holder.reset();
  const SetupOutcome done = next.Wait();
  EXPECT_EQ(done.exit_code, 0) << done.err;
  EXPECT_NE(done.out.find("服务器安装完成。"), std::string::npos) << done.out;
}

TEST(RunLockTest, TwoRunsStartedTogetherBothComplete) {
  TempDir dir;
  RunCourtSetup(dir.path(), "fresh", {Server(dir), {"--drive", "D:", "--catalogue", kRelease1}});
  CourtSetupProcess first(dir.path(), "first", {Server(dir), {"--catalogue", kRelease2}});
  CourtSetupProcess second(dir.path(), "second", {Server(dir), {"--catalogue", kRelease2}});
  const SetupOutcome a = first.Wait(), b = second.Wait();
  EXPECT_EQ(a.exit_code, 0) << a.err;
  EXPECT_EQ(b.exit_code, 0) << b.err;
  // One upgraded, the other then found nothing to do.
  EXPECT_NE((a.out + b.out).find("升级程序完成。"), std::string::npos) << a.out << b.out;
  EXPECT_NE((a.out + b.out).find("服务器已经完成安装或更新。"), std::string::npos) << a.out << b.out;
}

TEST(RunLockTest, KilledRunLeavesTheLockFree) {
  TempDir dir;
  const SetupOutcome killed =
      RunCourtSetup(dir.path(), "killed", {Server(dir), {"--catalogue", kRelease1, "--drive", "D:"}, "",
                                          UnderCrashPreload({{"COURT_KILL_AFTER_STATEMENT", "100"}})});
  ASSERT_EQ(killed.exit_code, kKilled);
  const SetupOutcome next =
      RunCourtSetup(dir.path(), "next", {Server(dir), {"--drive", "D:", "--catalogue", kRelease1, "--lock-wait", "0"}});
  EXPECT_EQ(next.exit_code, 0) << next.err;
}

// Two sessions of one process exclude each other as processes do; a lock
// goes with its session.
TEST(RunLockTest, ApplicationLocksOfTheEngine) {
  TempDir dir;
  mssql::EmbeddedDriver driver(dir.path() / "server");
  auto a = driver.Connect("master");
  auto b = driver.Connect("master");
  const std::string get =
      "declare @s int exec @s = sp_getapplock @Resource = N'r', @LockMode = N'Exclusive', @LockOwner = N'Session', "
      "@LockTimeout = 0 select @s";
  auto status = [&](access::Session& session, const std::string& sql) {
    return session.Query(sql).rows.at(0).at(0).integer();
  };
  EXPECT_EQ(status(*a, get), 0);
  EXPECT_EQ(status(*a, get), 0);  // held again by its owner
  EXPECT_EQ(status(*b, get), -1);
  const std::string release =
      "declare @s int exec @s = sp_releaseapplock @Resource = N'r', @LockOwner = N'Session' select @s";
  EXPECT_EQ(status(*a, release), 0);
  EXPECT_EQ(status(*b, get), -1);  // still held once
  EXPECT_EQ(status(*a, release), 0);
  EXPECT_EQ(status(*b, get), 0);
  EXPECT_THROW(status(*a, release), access::Error);  // 1223: not a's any more
  b.reset();
  EXPECT_EQ(status(*a, get), 0);  // b's session ended, its lock with it
}

}  // namespace
}  // namespace court::testing
