// court-setup --headless over TDS: the real program through unixODBC and
// FreeTDS's driver against the real court-server on loopback, beside the same
// runs in-process. Every run must send exactly the statements the
// in-process run sends and leave the same databases behind; a server that
// is not there, a wrong password and a server killed in the middle of a run
// end the run with the driver's message, and a rerun completes.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <nlohmann/json.hpp>

#include "tests/support/court_server_process.h"
#include "tests/support/court_setup_process.h"
#include "tests/support/installation.h"
#include "tests/support/server_dump.h"

namespace court::screens {
namespace {

namespace fs = std::filesystem;
using testing::CanonicalDump;
using testing::CourtServerProcess;
using testing::RunCourtSetup;
using testing::SetupOutcome;

const std::string kBuild = COURT_BUILD_DIR;

// Compares two canonical dumps and shows only the lines that differ.
void ExpectSameDatabases(const fs::path& actual, const fs::path& expected) {
  std::istringstream a(CanonicalDump(actual)), e(CanonicalDump(expected));
  std::set<std::string> actual_lines, expected_lines;
  for (std::string line; std::getline(a, line);) actual_lines.insert(line.substr(0, 300));
  for (std::string line; std::getline(e, line);) expected_lines.insert(line.substr(0, 300));
  for (const std::string& line : expected_lines)
    EXPECT_TRUE(actual_lines.count(line)) << "missing over TDS: " << line;
  for (const std::string& line : actual_lines)
    EXPECT_TRUE(expected_lines.count(line)) << "only over TDS: " << line;
}
const std::string kRelease1 = kBuild + "/table.mdb";
const std::string kRelease2 = kBuild + "/table-release2.mdb";

class OdbcRunTest : public ::testing::Test {
 protected:
  fs::path in_process() const { return folder() / "in-process"; }
  fs::path served() const { return folder() / "served"; }
  const fs::path& folder() const { return temp_.path(); }

  std::string Odbc() const { return "odbc:" + server_.Connection(); }

  // Both ways without backups, which are named by the time they are made.
  SetupOutcome InProcess(const std::string& name, std::vector<std::string> arguments) {
    arguments.push_back("--no-backup");
    return RunCourtSetup(folder(), name + "-in-process", {"embedded:" + in_process().string(), arguments});
  }
  SetupOutcome OverTds(const std::string& name, std::vector<std::string> arguments,
                       const std::string& password = CourtServerProcess::kPassword) {
    if (std::find(arguments.begin(), arguments.end(), "--backup-dir") == arguments.end())
      arguments.push_back("--no-backup");
    return RunCourtSetup(folder(), name + "-tds", {Odbc(), arguments, password});
  }

  // The same run both ways: same output, same statements, same databases.
  void ExpectSameRun(const std::string& name, const std::vector<std::string>& arguments) {
    SCOPED_TRACE(name);
    const SetupOutcome expected = InProcess(name, arguments);
    const SetupOutcome actual = OverTds(name, arguments);
    ASSERT_EQ(expected.exit_code, 0) << expected.err;
    ASSERT_EQ(actual.exit_code, 0) << actual.err;
    EXPECT_EQ(actual.out, expected.out);
    ASSERT_EQ(actual.transcript.size(), expected.transcript.size());
    for (std::size_t i = 0; i < expected.transcript.size(); ++i)
      ASSERT_EQ(actual.transcript[i], expected.transcript[i]) << "statement " << i + 1;
    ExpectSameDatabases(served(), in_process());
  }

  testing::TempDir temp_;
  CourtServerProcess server_{served()};
};

TEST_F(OdbcRunTest, FreshUpgradeAndNothingToDoSendTheSameStatementsAndLeaveTheSameDatabases) {
  ExpectSameRun("fresh", {"--catalogue", kRelease1, "--drive", "D:"});
  ExpectSameRun("upgrade", {"--catalogue", kRelease2});
  ExpectSameRun("nothing", {"--catalogue", kRelease2});
}

// A server elsewhere has no folder of ours for backups: the administrator
// names one on the server, and the run backs up into it through the server.
TEST_F(OdbcRunTest, BackupsGoToTheFolderTheAdministratorNamesOnTheServer) {
  ASSERT_EQ(OverTds("fresh", {"--catalogue", kRelease1, "--drive", "D:"}).exit_code, 0);
  const SetupOutcome unnamed = RunCourtSetup(folder(), "unnamed", {Odbc(), {"--catalogue", kRelease2}, CourtServerProcess::kPassword});
  EXPECT_EQ(unnamed.exit_code, 2);
  EXPECT_NE(unnamed.err.find("needs --backup-dir PATH"), std::string::npos) << unnamed.err;
  EXPECT_TRUE(unnamed.transcript.empty());

  const SetupOutcome upgrade = OverTds("upgrade", {"--catalogue", kRelease2, "--backup-dir", "D:\\备份"});
  ASSERT_EQ(upgrade.exit_code, 0) << upgrade.err;
  std::vector<fs::path> folders;
  for (const auto& entry : fs::directory_iterator(served() / "drives/D/备份")) folders.push_back(entry.path());
  ASSERT_EQ(folders.size(), 1u);
  const std::string name = folders[0].filename().string();
  EXPECT_TRUE(std::regex_match(name, std::regex("[0-9]{8}-[0-9]{6}"))) << name;
  EXPECT_TRUE(fs::is_regular_file(folders[0] / "法院.bak"));
  EXPECT_TRUE(fs::is_regular_file(folders[0] / "内部邮件.bak"));
  std::vector<std::string> backups;
  for (const std::string& line : upgrade.transcript) {
    const nlohmann::json sent = nlohmann::json::parse(line);
    if (sent["kind"] == "backup" && sent["sql"].get<std::string>().starts_with("BACKUP")) backups.push_back(sent["sql"]);
  }
  EXPECT_EQ(backups, (std::vector<std::string>{
                         "BACKUP DATABASE [法院] TO DISK = N'D:\\备份\\" + name + "\\法院.bak' WITH INIT",
                         "BACKUP DATABASE [内部邮件] TO DISK = N'D:\\备份\\" + name + "\\内部邮件.bak' WITH INIT"}));
}

TEST_F(OdbcRunTest, NoServerAtTheAddressNamesTheServer) {
  const std::string connection = server_.Connection();
  server_.Stop();
  const SetupOutcome run = OverTds("absent", {"--catalogue", kRelease1, "--drive", "D:"});
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_TRUE(run.err.starts_with("error 17: SQL Server does not exist or access denied")) << run.err;
  EXPECT_NE(run.err.find("(server: " + connection + ")"), std::string::npos) << run.err;
  EXPECT_TRUE(run.transcript.empty());
}

TEST_F(OdbcRunTest, WrongPasswordIsTheServersLoginFailure) {
  const SetupOutcome run = OverTds("password", {"--catalogue", kRelease1, "--drive", "D:"}, "not-the-password");
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_EQ(run.err, "error 18456: Login failed for user 'sa'.\n");
  EXPECT_EQ(run.err.find("not-the-password"), std::string::npos);
}

TEST_F(OdbcRunTest, ServerKilledMidRunFailsTheRunAndARerunCompletes) {
  testing::CourtSetupProcess run(
      folder(), "killed-tds",
      {Odbc(), {"--catalogue", kRelease1, "--drive", "D:", "--no-backup"}, CourtServerProcess::kPassword});
  // Once the release is recorded, while the mail database and the grants are
  // still to come: a rerun then finds nothing to upgrade and completes the rest.
  while (run.TranscriptLines() < 700) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  server_.Kill();
  const SetupOutcome killed = run.Wait();
  EXPECT_EQ(killed.exit_code, 1);
  // 11 when a statement's link broke, 17 when the next login found no server.
  EXPECT_TRUE(std::regex_search(killed.err, std::regex("^error (11: General network error|17: SQL Server does "
                                                       "not exist or access denied): .* \\(server: Driver=FreeTDS;")))
      << killed.err;
  ASSERT_LT(killed.transcript.size(), 843u);

  server_.Start();
  const SetupOutcome rerun = OverTds("rerun", {"--catalogue", kRelease1, "--drive", "D:"});
  ASSERT_EQ(rerun.exit_code, 0) << rerun.err;
  ASSERT_EQ(InProcess("clean", {"--catalogue", kRelease1, "--drive", "D:"}).exit_code, 0);
  ExpectSameDatabases(served(), in_process());
}

}  // namespace
}  // namespace court::screens
