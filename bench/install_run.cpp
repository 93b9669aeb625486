// bench_install_run [--scale N] [--rounds N] [--in-process] [--programs DIR] [--keep]
//
// Times the real court-setup --headless on a large release (see
// install_run_release.h; --scale multiplies every count of it). Three runs
// on one new embedded server: a fresh installation, an upgrade to a
// release that adds a column to every table, and a run with nothing to do.
// Reports each run's seconds, CPU seconds and peak memory (the installer
// and the processes it waited for). Targets: nothing to do under 0.3 s of
// CPU; under 100 MB for every run, whatever the scale.
//
// Then the floor the runs are compared with (install_run_floor.h): libmdb
// reading the catalogue into raw SQLite, one transaction per row and one
// transaction in all. The runs and the floor make a round; --rounds (3)
// rounds are taken, each on a new server, and each run's CPU seconds
// against the floor of its own round, the median over the rounds printed:
// a machine whose speed drifts moves both sides of a round alike. Targets:
// fresh and upgrade at most 1.5x the per-row floor and 2x the
// one-transaction floor.
//
// Last (unless --in-process) the same three runs over TDS (unixODBC and
// FreeTDS's driver against court-server on loopback) and each one's time
// against the median in-process run's. Target: at most 2x.
//
// --programs runs the court-setup found in DIR instead of this build's, to
// compare with another build on the same release. --keep leaves the
// releases and the in-process servers in their temporary folder, to
// profile a run by hand.

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/count_argument.h"
#include "bench/install_run_floor.h"
#include "bench/install_run_release.h"
#include "tests/support/court_server_process.h"

namespace {

namespace fs = std::filesystem;
using court::bench::Cost;

constexpr const char* kRunNames[] = {"fresh", "upgrade", "nothing"};

// Runs court-setup --headless under /usr/bin/time and reports its seconds,
// its backups (taken before an upgrade changes the databases, as an
// administrator's run takes them) going to D:\backups on either server,
// CPU seconds and peak memory (its own and its reading children's). The
// measure is taken by time, a small process: a process forked from this
// one would count this one's memory in its peak. Returns the cost, or a
// negative wall time when the run failed.
Cost Run(const fs::path& programs, const char* what, const std::string& server_spec, const fs::path& catalogue,
         bool fresh) {
  const fs::path measured = fs::temp_directory_path() / ("court-bench-time-" + std::to_string(getpid()));
  std::vector<std::string> arguments = {"/usr/bin/time", "-f", "%e %U %S %M", "-o", measured.string(),
                                        (programs / "court-setup").string(), "--headless", "--quiet", "--server",
                                        server_spec, "--catalogue", catalogue.string(), "--backup-dir",
                                        "D:\\backups"};
  if (fresh) arguments.insert(arguments.end(), {"--drive", "D:"});
  std::fflush(stdout);
  const pid_t child = fork();
  if (child == 0) {
    std::vector<char*> argv;
    for (std::string& a : arguments) argv.push_back(a.data());
    argv.push_back(nullptr);
    freopen("/dev/null", "w", stdout);
    setenv("COURT_SETUP_PASSWORD", court::testing::CourtServerProcess::kPassword, 1);
    execv(argv[0], argv.data());
    _exit(127);
  }
  int status = 0;
  waitpid(child, &status, 0);
  // The figures are time's last line; a failed command's status comes before.
  std::ifstream in(measured);
  std::string line, last;
  while (std::getline(in, line)) last = line;
  fs::remove(measured);
  double wall = -1, user = 0, system = 0, kib = 0;
  std::sscanf(last.c_str(), "%lf %lf %lf %lf", &wall, &user, &system, &kib);
  const int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  std::printf("%-8s %7.2f s  %7.2f s CPU  %7.1f MiB peak  exit %d\n", what, wall, user + system, kib / 1024, code);
  return {code == 0 ? wall : -1, user + system};
}

// Fresh, upgrade and nothing to do on one server; false when a run failed.
bool RunAll(const fs::path& programs, const std::string& server_spec, const fs::path& folder, Cost costs[3]) {
  const fs::path releases[] = {folder / "release1.mdb", folder / "release2.mdb", folder / "release2.mdb"};
  for (int i = 0; i < 3; ++i) {
    costs[i] = Run(programs, kRunNames[i], server_spec, releases[i], i == 0);
    if (costs[i].wall < 0) return false;
  }
  return true;
}

void PrintFloor(const court::bench::Floor& floor) {
  std::printf("floor: libmdb reading release 1 into raw SQLite (WAL, synchronous=NORMAL)\n");
  std::printf("per-row transactions %7.2f s  %7.2f s CPU\n", floor.per_row.wall, floor.per_row.cpu);
  std::printf("one transaction      %7.2f s  %7.2f s CPU\n", floor.one_transaction.wall, floor.one_transaction.cpu);
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// A round: the three runs on a new server, then the floor, each run's CPU
// seconds against the floor measured beside it.
struct Round {
  Cost runs[3];
  court::bench::Floor floor;
};

// The median over the rounds of each ratio, and of each run's wall time.
void PrintMedians(const std::vector<Round>& rounds) {
  std::printf("median of %zu rounds\n", rounds.size());
  for (int i = 0; i < 2; ++i) {
    std::vector<double> per_row, one_transaction;
    for (const Round& r : rounds) {
      per_row.push_back(r.runs[i].cpu / r.floor.per_row.cpu);
      one_transaction.push_back(r.runs[i].cpu / r.floor.one_transaction.cpu);
    }
    std::printf("%-8s CPU / per-row floor = %.2f, / one-transaction floor = %.2f\n", kRunNames[i], Median(per_row),
                Median(one_transaction));
  }
}

}  // namespace

int main(int argc, char** argv) {
  int scale = 1;
  int round_count = 3;
  bool over_tds = true;
  fs::path programs = COURT_BUILD_DIR;
  bool keep = false;
  const char* usage = "bench_install_run [--scale N] [--rounds N] [--in-process] [--programs DIR] [--keep]";
  for (int i = 1; i < argc; ++i) {
    const bool valued = i + 1 < argc;
    if (std::strcmp(argv[i], "--scale") == 0 && valued) scale = court::bench::CountArgument(argv[++i], usage);
    else if (std::strcmp(argv[i], "--rounds") == 0 && valued) round_count = court::bench::CountArgument(argv[++i], usage);
    else if (std::strcmp(argv[i], "--programs") == 0 && valued) programs = argv[++i];
    else if (std::strcmp(argv[i], "--in-process") == 0) over_tds = false;
    else if (std::strcmp(argv[i], "--keep") == 0) keep = true;
    else court::bench::Usage(usage);
  }
  const fs::path folder = fs::temp_directory_path() / ("court-bench-install-" + std::to_string(getpid()));
  fs::create_directories(folder);
  const court::bench::ReleaseSize size = court::bench::SizeAtScale(scale);
  court::bench::WriteRelease(size, 1, folder / "release1.mdb");
  court::bench::WriteRelease(size, 2, folder / "release2.mdb");
  std::printf("%s (table.mdb %.0f MiB)\n", size.Describe().c_str(), static_cast<double>(fs::file_size(folder / "release1.mdb")) / 1048576.0);
  std::vector<Round> rounds(static_cast<std::size_t>(round_count));
  bool ok = true;
  for (std::size_t k = 0; ok && k < rounds.size(); ++k) {
    std::printf("round %zu, in-process (embedded:)\n", k + 1);
    const fs::path server = folder / ("server" + std::to_string(k + 1));
    ok = RunAll(programs, "embedded:" + server.string(), folder, rounds[k].runs);
    if (!ok) break;
    rounds[k].floor = court::bench::MeasureFloor(folder / "release1.mdb", folder / "floor");
    PrintFloor(rounds[k].floor);
    if (!keep) fs::remove_all(server);
  }
  if (ok) PrintMedians(rounds);
  if (ok && over_tds) {
    court::testing::CourtServerProcess server(folder / "served");
    std::printf("over TDS (odbc: through FreeTDS to court-server on loopback)\n");
    Cost tds[3];
    ok = RunAll(programs, "odbc:" + server.Connection(), folder, tds);
    for (int i = 0; ok && i < 3; ++i) {
      std::vector<double> walls;
      for (const Round& r : rounds) walls.push_back(r.runs[i].wall);
      std::printf("%-8s TDS / in-process (median) = %.2f\n", kRunNames[i], tds[i].wall / Median(walls));
    }
  }
  if (keep) std::printf("kept in %s\n", folder.c_str());
  else fs::remove_all(folder);
  return ok ? 0 : 1;
}
