// Runs every conformance script twice, through court-sqlcmd and through the
// driver, each on a fresh server, and compares both with the expected text.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "platform/mssql/embedded_driver.h"
#include "platform/mssql/result_text.h"
#include "tests/platform/mssql/conformance_script.h"

namespace court::mssql {
namespace {

namespace fs = std::filesystem;

fs::path ScriptDir() { return fs::path(COURT_SOURCE_DIR) / "tests/platform/mssql/conformance"; }

fs::path FreshRoot(const std::string& name) {
  fs::path root = fs::temp_directory_path() / ("court-mssql-" + name + "-" + std::to_string(getpid()));
  fs::remove_all(root);
  fs::create_directories(root / "drives" / "D" / "法院_SQL数据");
  return root;
}

// Runs court-sqlcmd with the arguments and returns stdout, stderr and the exit code as one text.
std::string RunSqlcmd(const fs::path& root, const ScriptBatch& batch) {
  fs::path out = root / "stdout.txt", err = root / "stderr.txt";
  pid_t pid = fork();
  if (pid == 0) {
    FILE* o = std::freopen(out.c_str(), "w", stdout);
    FILE* e = std::freopen(err.c_str(), "w", stderr);
    (void)o;
    (void)e;
    std::string program = std::string(COURT_BUILD_DIR) + "/court-sqlcmd";
    execl(program.c_str(), program.c_str(), "-S", root.c_str(), "-d", batch.database.c_str(), "-Q",
          batch.text.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return ReadFile(out) + ReadFile(err) + "(exit " + std::to_string(WEXITSTATUS(status)) + ")\n";
}

std::string RunDriver(EmbeddedDriver& driver, const ScriptBatch& batch) {
  std::string out, err;
  bool failed = false;
  try {
    BatchResult result = driver.Open(batch.database)->Run(batch.text);
    for (std::size_t i = 0; i < result.results.size(); ++i) out += (i ? "\n" : "") + ResultText(result.results[i]);
    for (const access::Error& e : result.messages) {
      if (e.severity() <= 10) continue;
      err += ErrorText(e);
      failed = true;
    }
  } catch (const access::Error& e) {
    err += ErrorText(e);
    failed = true;
  }
  return out + err + "(exit " + std::string(failed ? "1" : "0") + ")\n";
}

std::vector<std::string> Scripts() {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(ScriptDir()))
    if (entry.path().extension() == ".sql") names.push_back(entry.path().stem().string());
  std::sort(names.begin(), names.end());
  return names;
}

class Conformance : public ::testing::TestWithParam<std::string> {};

TEST_P(Conformance, ThroughSqlcmd) {
  fs::path root = FreshRoot(GetParam() + "-sqlcmd");
  std::string actual;
  for (const ScriptBatch& batch : ReadScript(ScriptDir() / (GetParam() + ".sql"))) actual += RunSqlcmd(root, batch);
  EXPECT_EQ(actual, ReadFile(ScriptDir() / (GetParam() + ".expected")));
  fs::remove_all(root);
}

TEST_P(Conformance, ThroughDriver) {
  fs::path root = FreshRoot(GetParam() + "-driver");
  std::string actual;
  {
    EmbeddedDriver driver(root);
    for (const ScriptBatch& batch : ReadScript(ScriptDir() / (GetParam() + ".sql"))) actual += RunDriver(driver, batch);
  }
  if (const char* dump = std::getenv("COURT_CONFORMANCE_DUMP")) std::ofstream(fs::path(dump) / (GetParam() + ".actual")) << actual;
  EXPECT_EQ(actual, ReadFile(ScriptDir() / (GetParam() + ".expected")));
  fs::remove_all(root);
}

INSTANTIATE_TEST_SUITE_P(Scripts, Conformance, ::testing::ValuesIn(Scripts()),
                         [](const auto& test) {
                           std::string name;
                           for (char c : test.param) name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                           return name;
                         });

}  // namespace
}  // namespace court::mssql
