// Runs that stop half-way and the runs that repair them: court-setup on the
// sample release, killed after a statement or in the middle of one (after a
// page write), or failing on a full or read-only disk, then run again with
// the same command. The repaired server must equal a clean run's, compared
// by the canonical dump. Then doubled runs: two installers at once, and
// court-sqlcmd writing while court-setup runs.
//
// make test tries a spread of the kill points and a few pairs;
// COURT_CRASH_SWEEP=full tries every statement boundary and 20 pairs of
// each kind (tests/crash_sweep.sh).

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <thread>
#include <iostream>
#include <string>
#include <vector>

#include "tests/support/child_process.h"
#include "tests/support/court_setup_process.h"
#include "tests/support/server_dump.h"
#include "tests/support/temp_dir.h"

namespace court::testing {
namespace {

namespace fs = std::filesystem;

const std::string kRelease1 = std::string(COURT_BUILD_DIR) + "/table.mdb";
const std::string kRelease2 = std::string(COURT_BUILD_DIR) + "/table-release2.mdb";

bool FullSweep() {
  const char* sweep = std::getenv("COURT_CRASH_SWEEP");
  return sweep && std::string(sweep) == "full";
}

// Points 1..last: all of them in a full sweep, else about count spread evenly
// (always with the first and the last).
std::vector<long> Points(long last, long count) {
  std::vector<long> points;
  const long step = FullSweep() ? 1 : std::max(1L, last / count);
  for (long k = 1; k <= last; k += step) points.push_back(k);
  if (points.back() != last) points.push_back(last);
  return points;
}

// One kind of run (fresh or upgrade): the server it starts from, its
// catalogue, its clean outcome and its size.
struct Scenario {
  std::string name;
  fs::path start;  // empty folder for a fresh install
  std::string catalogue;
  std::string clean_dump;
  RunCounts counts;
};

// court-setup on server with catalogue (drive D:), its output and
// transcript NAME.jsonl in folder, under env.
SetupOutcome RunSetup(const fs::path& folder, const std::string& name, const fs::path& server,
                   const std::string& catalogue, const Environment& env = {}) {
  return RunCourtSetup(folder, name,
                       {"embedded:" + server.string(), {"--catalogue", catalogue, "--drive", "D:"}, "", env});
}

// court-sqlcmd on server, in database.
ProgramResult Sqlcmd(const fs::path& server, const std::string& database, const std::string& batch) {
  return RunProgram(
      {.argv = {COURT_BUILD_DIR "/court-sqlcmd", "-S", server.string(), "-d", database, "-Q", batch}});
}

class CrashSafetyTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = new TempDir();
    const fs::path release1 = folder_->path() / "release1";
    fs::create_directories(release1);
    fresh_ = new Scenario{"fresh", folder_->path() / "empty", kRelease1, "", {}};
    fs::create_directories(fresh_->start);
    upgrade_ = new Scenario{"upgrade", release1, kRelease2, "", {}};
    ASSERT_EQ(RunSetup(folder_->path(), "t", release1, kRelease1).exit_code, 0);
    for (Scenario* scenario : {fresh_, upgrade_}) {
      const fs::path server = folder_->path() / ("clean-" + scenario->name);
      fs::copy(scenario->start, server, fs::copy_options::recursive);
      scenario->counts =
          CountRun(folder_->path(), {"embedded:" + server.string(), {"--catalogue", scenario->catalogue, "--drive", "D:"}});
      scenario->clean_dump = CanonicalDump(server);
    }
  }
  static void TearDownTestSuite() {
    delete fresh_;
    delete upgrade_;
    delete folder_;
  }

  // Starts the scenario's run under the crash preload with settings, then
  // reruns the same command without it; true when the rerun ends with 0 and
  // the clean server. first_exit: the exit code of the interrupted run.
  bool Repaired(const Scenario& scenario, const Environment& settings, int* first_exit, std::string* why) {
    const fs::path server = folder_->path() / "server";
    fs::remove_all(server);
    fs::copy(scenario.start, server, fs::copy_options::recursive);
    *first_exit =
        RunSetup(folder_->path(), "transcript", server, scenario.catalogue, UnderCrashPreload(settings)).exit_code;
    const SetupOutcome rerun = RunSetup(folder_->path(), "transcript", server, scenario.catalogue);
    if (rerun.exit_code != 0) {
      *why = "rerun exit " + std::to_string(rerun.exit_code) + ": " + rerun.err;
      return false;
    }
    const std::string dump = CanonicalDump(server);
    if (dump == scenario.clean_dump) return true;
    std::size_t at = 0;
    while (at < dump.size() && at < scenario.clean_dump.size() && dump[at] == scenario.clean_dump[at]) ++at;
    const std::size_t from = dump.rfind('\n', at) == std::string::npos ? 0 : dump.rfind('\n', at) + 1;
    *why = "differs from a clean run at: " + dump.substr(from, 300) + "\nclean: " +
           scenario.clean_dump.substr(from, 300);
    return false;
  }

  // Tries every point; reports the figure and the points that failed.
  void Sweep(const Scenario& scenario, const std::string& variable, const std::vector<long>& points,
             const char* what, const Environment& extra_settings = {}) {
    long equal = 0;
    std::vector<std::string> failures;
    for (long point : points) {
      int first_exit = 0;
      std::string why;
      Environment settings = extra_settings;
      settings[variable] = std::to_string(point);
      if (Repaired(scenario, settings, &first_exit, &why))
        ++equal;
      else
        failures.push_back(variable + "=" + std::to_string(point) + " (first exit " +
                           std::to_string(first_exit) + "): " + why);
    }
    std::cout << "[figure] " << scenario.name << " " << what << ": " << points.size() << " tried, " << equal
              << " equal to a clean run\n";
    EXPECT_TRUE(failures.empty()) << failures.size() << " failed; first: " << failures.front();
  }

  // Runs the scenario's command twice at once on one server (the second with
  // other_catalogue), then once more alone. True when the server then equals
  // a clean run; both_done counts pairs where both ended with 0.
  bool PairRepaired(const Scenario& scenario, const std::string& other_catalogue, int* both_done,
                    std::string* why) {
    const fs::path server = folder_->path() / "server";
    fs::remove_all(server);
    fs::copy(scenario.start, server, fs::copy_options::recursive);
    SetupOutcome first, second;
    std::thread other([&] { second = RunSetup(folder_->path(), "t2", server, other_catalogue); });
    first = RunSetup(folder_->path(), "t1", server, scenario.catalogue);
    other.join();
    if (first.exit_code == 0 && second.exit_code == 0) ++*both_done;
    const SetupOutcome last = RunSetup(folder_->path(), "t", server, scenario.catalogue);
    *why = "exits " + std::to_string(first.exit_code) + " " + first.err + " / " + std::to_string(second.exit_code) +
           " " + second.err + " / rerun " + std::to_string(last.exit_code) + " " + last.err;
    return last.exit_code == 0 && CanonicalDump(server) == scenario.clean_dump;
  }

  void Pairs(const Scenario& scenario, const std::string& other_catalogue, const char* what) {
    const int pairs = FullSweep() ? 20 : 3;
    int equal = 0, both_done = 0;
    std::string failure;
    for (int i = 0; i < pairs; ++i) {
      std::string why;
      if (PairRepaired(scenario, other_catalogue, &both_done, &why)) ++equal;
      else if (failure.empty()) failure = why;
    }
    std::cout << "[figure] " << what << ": " << pairs << " pairs, both ended with 0 in " << both_done
              << ", server equal to a clean run after one more run in " << equal << "\n";
    EXPECT_EQ(equal, pairs) << failure;
  }

  static TempDir* folder_;
  static Scenario* fresh_;
  static Scenario* upgrade_;
};

TempDir* CrashSafetyTest::folder_ = nullptr;
Scenario* CrashSafetyTest::fresh_ = nullptr;
Scenario* CrashSafetyTest::upgrade_ = nullptr;

TEST_F(CrashSafetyTest, FreshInstallKilledAfterAnyStatement) {
  Sweep(*fresh_, "COURT_KILL_AFTER_STATEMENT", Points(fresh_->counts.statements, 40), "statement boundaries");
}

TEST_F(CrashSafetyTest, UpgradeKilledAfterAnyStatement) {
  Sweep(*upgrade_, "COURT_KILL_AFTER_STATEMENT", Points(upgrade_->counts.statements, 40), "statement boundaries");
}

TEST_F(CrashSafetyTest, KilledInsideStatements) {
  for (const Scenario* scenario : {fresh_, upgrade_})
    Sweep(*scenario, "COURT_KILL_AFTER_WRITE", Points(scenario->counts.page_writes, FullSweep() ? 200 : 15),
          "in-statement points");
}

TEST_F(CrashSafetyTest, FullDiskThenSpaceFreed) {
  for (const Scenario* scenario : {fresh_, upgrade_})
    Sweep(*scenario, "COURT_FAIL_WRITE_AFTER", Points(scenario->counts.page_writes, FullSweep() ? 100 : 6),
          "full-disk points");
}

TEST_F(CrashSafetyTest, ReadOnlyDiskThenWritable) {
  for (const Scenario* scenario : {fresh_, upgrade_})
    Sweep(*scenario, "COURT_FAIL_WRITE_AFTER", Points(scenario->counts.page_writes, FullSweep() ? 100 : 6),
          "read-only points", {{"COURT_FAIL_ERRNO", "30"}});
}

// A small tmpfs standing for the server's drive D:, where the databases go.
class TmpfsDrive {
 public:
  explicit TmpfsDrive(const fs::path& mount_point) : mount_point_(mount_point) {
    fs::create_directories(mount_point_);
    mounted_ = Mount("size=64m");
  }
  ~TmpfsDrive() {
    if (mounted_) RunProgram({.argv = {"umount", mount_point_.string()}});
  }
  bool mounted() const { return mounted_; }
  // Options for a remount: "size=256k", "ro", "rw,size=64m".
  bool Remount(const std::string& options) { return Mount("remount," + options); }

 private:
  bool Mount(const std::string& options) {
    return RunProgram({.argv = {"mount", "-t", "tmpfs", "-o", options, "tmpfs", mount_point_.string()}}).exit_code == 0;
  }
  fs::path mount_point_;
  bool mounted_ = false;
};

// Runs the scenario with drive D: on a tmpfs that options (a remount) makes
// full or read-only; the run must fail with expected_error; then the drive is
// repaired and the same command run again.
void RunOnBrokenDrive(const Scenario& scenario, TempDir& folder, const std::string& options,
                      const std::string& expected_error, int* equal) {
  const fs::path server = folder.path() / "tmpfs-server";
  fs::remove_all(server);
  fs::copy(scenario.start, server, fs::copy_options::recursive);
  const fs::path drive = server / "drives" / "D";
  const fs::path kept = folder.path() / "drive-d";
  fs::remove_all(kept);
  if (fs::exists(drive)) fs::rename(drive, kept);
  TmpfsDrive tmpfs(drive);
  if (!tmpfs.mounted()) GTEST_SKIP() << "no tmpfs can be mounted here";
  if (fs::exists(kept)) fs::copy(kept, drive, fs::copy_options::recursive);
  ASSERT_TRUE(tmpfs.Remount(options));
  const SetupOutcome broken = RunSetup(folder.path(), "t", server, scenario.catalogue);
  EXPECT_NE(broken.err.find(expected_error), std::string::npos) << options << ": " << broken.err;
  ASSERT_TRUE(tmpfs.Remount("rw,size=64m"));
  const SetupOutcome rerun = RunSetup(folder.path(), "t", server, scenario.catalogue);
  EXPECT_EQ(rerun.exit_code, 0) << options << ": " << rerun.err;
  const bool same = CanonicalDump(server) == scenario.clean_dump;
  EXPECT_TRUE(same) << options;
  *equal += same;
}

TEST_F(CrashSafetyTest, RealFullAndReadOnlyDriveThenRepaired) {
  int equal = 0, tried = 0;
  for (const char* size : {"size=48k", "size=96k", "size=160k", "size=256k", "size=320k"}) {
    RunOnBrokenDrive(*fresh_, *folder_, size, "error 1105", &equal);
    ++tried;
  }
  // A fresh install stops making its data directory; an upgrade at its
  // first write to a database.
  RunOnBrokenDrive(*fresh_, *folder_, "ro", "error 75", &equal);
  RunOnBrokenDrive(*upgrade_, *folder_, "ro", "error 3906", &equal);
  tried += 2;
  std::cout << "[figure] tmpfs full or read-only drive: " << tried << " tried, " << equal
            << " equal to a clean run after repair\n";
}

TEST_F(CrashSafetyTest, TwoInstallersAtOnce) {
  Pairs(*fresh_, kRelease1, "fresh+fresh");
  Pairs(*upgrade_, kRelease2, "upgrade+upgrade");
  Pairs(*upgrade_, kRelease1, "upgrade+current");
}

TEST_F(CrashSafetyTest, SqlcmdWritesWhileSetupRuns) {
  const fs::path server = folder_->path() / "server";
  fs::remove_all(server);
  ASSERT_EQ(Sqlcmd(server, "master", "CREATE DATABASE 草稿").exit_code, 0);
  ASSERT_EQ(Sqlcmd(server, "草稿", "CREATE TABLE t (id int IDENTITY(1,1) NOT NULL, v int NULL)").exit_code, 0);
  SetupOutcome setup;
  std::thread installer([&] { setup = RunSetup(folder_->path(), "t", server, kRelease1); });
  constexpr int kWrites = 40;
  int written = 0;
  std::string errors;
  for (int i = 0; i < kWrites; ++i) {
    const ProgramResult insert = Sqlcmd(server, "草稿", "INSERT INTO t (v) VALUES (" + std::to_string(i) + ")");
    if (insert.exit_code == 0) ++written;
    else errors += insert.err;
  }
  installer.join();
  EXPECT_EQ(setup.exit_code, 0) << setup.err;
  EXPECT_EQ(written, kWrites) << errors;
  EXPECT_EQ(CanonicalDump(server), fresh_->clean_dump);
}

}  // namespace
}  // namespace court::testing
