// Runs every conformance script twice, through court-sqlcmd and through the
// driver, each on a fresh server, and compares both with the expected text.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>

#include "platform/mssql/embedded_driver.h"
#include "platform/mssql/result_text.h"
#include "tests/platform/mssql/conformance_script.h"
#include "tests/support/child_process.h"
#include "tests/support/temp_dir.h"

namespace court::mssql {
namespace {

namespace fs = std::filesystem;

fs::path ScriptDir() { return fs::path(COURT_SOURCE_DIR) / "tests/platform/mssql/conformance"; }

// A fresh server root in folder, with the data folder the scripts create databases in.
fs::path FreshRoot(const testing::TempDir& folder) {
  fs::path root = folder.path() / "server";
  fs::create_directories(root / "drives" / "D" / "法院_SQL数据");
  return root;
}

// The expected text of a script whose batches print what run returns.
std::string ExpectedText(const std::string& script, const std::function<std::string(const ScriptBatch&)>& run) {
  std::string text;
  for (const ScriptBatch& batch : ReadScript(ScriptDir() / (script + ".sql")))
    text += (text.empty() ? "" : "\n") + ExpectedBlock(batch, run(batch));
  return text;
}

// What court-sqlcmd prints for a batch: stdout, stderr and the exit code.
std::string RunSqlcmd(const fs::path& root, const ScriptBatch& batch) {
  const testing::ProgramResult run = testing::RunProgram(
      {.argv = {COURT_BUILD_DIR "/court-sqlcmd", "-S", root.string(), "-d", batch.database, "-Q", batch.text}});
  return run.out + run.err + "(exit " + std::to_string(run.exit_code) + ")\n";
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
  testing::TempDir folder;
  const fs::path root = FreshRoot(folder);
  const std::string actual = ExpectedText(GetParam(), [&](const ScriptBatch& batch) { return RunSqlcmd(root, batch); });
  EXPECT_EQ(actual, ReadFile(ScriptDir() / (GetParam() + ".expected")));
}

// COURT_CONFORMANCE_DUMP=DIR writes the text of this run to DIR/NAME.actual,
// to be looked over and copied to NAME.expected.
TEST_P(Conformance, ThroughDriver) {
  testing::TempDir folder;
  std::string actual;
  {
    EmbeddedDriver driver(FreshRoot(folder));
    actual = ExpectedText(GetParam(), [&](const ScriptBatch& batch) { return RunDriver(driver, batch); });
  }
  if (const char* dump = std::getenv("COURT_CONFORMANCE_DUMP"))
    std::ofstream(fs::path(dump) / (GetParam() + ".actual"), std::ios::binary) << actual;
  EXPECT_EQ(actual, ReadFile(ScriptDir() / (GetParam() + ".expected")));
}

INSTANTIATE_TEST_SUITE_P(Scripts, Conformance, ::testing::ValuesIn(Scripts()),
                         [](const auto& test) {
                           std::string name;
                           for (char c : test.param) name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                           return name;
                         });

}  // namespace
}  // namespace court::mssql
