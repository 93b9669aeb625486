// Times the real court-setup --headless on a large release: 300 tables of 20
// columns, 100,000 reference rows and 1,000 binary values of 64 KiB. Three
// runs on one new embedded server: a fresh installation, an upgrade to a
// release that adds a column to every table, and a run with nothing to do.
// Reports each run's seconds and peak memory (the installer process alone).
// Targets: under 15 s, 15 s and 2 s; under 200 MB. Then the same three runs
// over TDS (unixODBC and FreeTDS's driver against court-server on loopback)
// and each one's time against the in-process run's. Target: at most 2x.

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "tests/support/court_server_process.h"
#include "tests/support/release_catalogue.h"

namespace {

namespace fs = std::filesystem;
using nlohmann::json;

constexpr int kTables = 300;
constexpr int kColumns = 20;
constexpr int kCausesOfAction = 50000;
constexpr int kProvisions = 30000;
constexpr int kListRows = 19000;
constexpr int kBlobs = 1000;
constexpr std::size_t kBlobBytes = 64 * 1024;

json& Table(json& release, const std::string& name) {
  for (json& table : release["tables"])
    if (table["name"] == name) return table;
  throw std::runtime_error("no table " + name);
}

// One synthetic court table's catalogue columns: an identity key, then a mix
// of the types a court table holds; release 2 adds one more.
void AddTable(json& release, int id, const std::string& name, int release_number) {
  Table(release, "表名")["rows"].push_back({id, name});
  json& fields = Table(release, "字段")["rows"];
  fields.push_back({id, "id", "int", 56, 4, 0, nullptr, true});
  const json kinds[] = {{"varchar", 167, 50, nullptr}, {"int", 56, 4, "(0)"},
                        {"datetime", 61, 8, nullptr},  {"money", 60, 8, nullptr},
                        {"text", 35, 16, nullptr},     {"bit", 104, 1, nullptr}};
  for (int c = 1; c < kColumns; ++c) {
    const json& kind = kinds[c % 6];
    fields.push_back({id, "列" + std::to_string(c), kind[0], kind[1], kind[2], 1, kind[3], false});
  }
  if (release_number > 1) fields.push_back({id, "新列", "varchar", 167, 20, 1, nullptr, false});
}

json LargeRelease(int release_number) {
  std::ifstream in(fs::path(COURT_SOURCE_DIR) / "catalogue" / "release1.json");
  json release = json::parse(in);
  const int listed = static_cast<int>(Table(release, "表名")["rows"].size());
  // Named so that no table is called like another one's primary key (its name + "1").
  for (int id = listed + 1; id <= kTables; ++id)
    AddTable(release, id, "档案" + std::to_string(id) + "号", release_number);
  Table(release, "升级版本")["rows"] = {{release_number}};
  json& causes = Table(release, "案由")["rows"];
  for (int i = 1; i <= kCausesOfAction; ++i)
    causes.push_back({1000 + i, "案由" + std::to_string(i), "民事", "合同纠纷", nullptr, nullptr, nullptr});
  json& provisions = Table(release, "法律条文")["rows"];
  for (int i = 1; i <= kProvisions; ++i)
    provisions.push_back({1000 + i, "法律" + std::to_string(i % 50), "第" + std::to_string(i) + "条",
                          "条文内容", "2020-01-01 00:00:00"});
  json& lists = Table(release, "常用数据")["rows"];
  for (int i = 1; i <= kListRows; ++i)
    lists.push_back(
        {1000 + i, i % 2 ? "案件性质" : "字段名", "内容" + std::to_string(i), nullptr, nullptr, nullptr, i});
  json& templates = Table(release, "文书样本库")["rows"];
  json& files = Table(release, "运行库文件")["rows"];
  using court::testing::Pattern;
  for (int i = 1; i <= kBlobs / 2; ++i) {
    templates.push_back({1000 + i, "样本" + std::to_string(i), "通用", "(系统文书)",
                         court::access::EncodeBase64(Pattern(kBlobBytes, static_cast<unsigned>(i))), "2026-01-05 09:00:00"});
    files.push_back({1000 + i, 1, "file" + std::to_string(i) + ".dll", nullptr,
                     court::access::EncodeBase64(Pattern(kBlobBytes, static_cast<unsigned>(i + kBlobs)))});
  }
  return release;
}

void Build(const json& release, const fs::path& mdb) {
  const fs::path json_file = mdb.string() + ".json";
  std::ofstream(json_file, std::ios::binary) << release.dump();
  const std::string command = std::string(COURT_BUILD_DIR) + "/court-catalogue build '" + json_file.string() +
                              "' '" + mdb.string() + "'";
  if (std::system(command.c_str()) != 0) throw std::runtime_error("court-catalogue failed");
  fs::remove(json_file);
}

// Runs court-setup --headless and reports its seconds and peak memory;
// returns the seconds, or a negative number when the run failed.
double Run(const char* what, const std::string& server_spec, const fs::path& catalogue, bool fresh) {
  const std::string setup = std::string(COURT_BUILD_DIR) + "/court-setup";
  std::vector<std::string> arguments = {setup,       "--headless",  "--server",
                                        server_spec, "--catalogue", catalogue.string()};
  if (fresh) arguments.insert(arguments.end(), {"--drive", "D:"});
  std::fflush(stdout);
  const auto start = std::chrono::steady_clock::now();
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
  rusage usage{};
  wait4(child, &status, 0, &usage);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("%-8s %7.2f s  %7.1f MiB peak  exit %d\n", what, seconds, usage.ru_maxrss / 1024.0,
              WIFEXITED(status) ? WEXITSTATUS(status) : -1);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? seconds : -1;
}

// Fresh, upgrade and nothing to do on one server; false when a run failed.
bool RunAll(const std::string& server_spec, const fs::path& folder, double seconds[3]) {
  seconds[0] = Run("fresh", server_spec, folder / "release1.mdb", true);
  seconds[1] = seconds[0] < 0 ? -1 : Run("upgrade", server_spec, folder / "release2.mdb", false);
  seconds[2] = seconds[1] < 0 ? -1 : Run("nothing", server_spec, folder / "release2.mdb", false);
  return seconds[2] >= 0;
}

}  // namespace

int main() {
  const fs::path folder = fs::temp_directory_path() / ("court-bench-install-" + std::to_string(getpid()));
  fs::create_directories(folder);
  Build(LargeRelease(1), folder / "release1.mdb");
  Build(LargeRelease(2), folder / "release2.mdb");
  std::printf("%d tables x %d columns, %d reference rows, %d blobs of %zu KiB\n", kTables, kColumns,
              kCausesOfAction + kProvisions + kListRows + kBlobs, kBlobs, kBlobBytes / 1024);
  double in_process[3], over_tds[3];
  std::printf("in-process (embedded:)\n");
  bool ok = RunAll("embedded:" + (folder / "server").string(), folder, in_process);
  if (ok) {
    court::testing::CourtServerProcess server(folder / "served");
    std::printf("over TDS (odbc: through FreeTDS to court-server on loopback)\n");
    ok = RunAll("odbc:" + server.Connection(), folder, over_tds);
  }
  if (ok) {
    const char* names[] = {"fresh", "upgrade", "nothing"};
    for (int i = 0; i < 3; ++i)
      std::printf("%-8s TDS / in-process = %.2f\n", names[i], over_tds[i] / in_process[i]);
  }
  fs::remove_all(folder);
  return ok ? 0 : 1;
}
