// Clients that no one here wrote talk to a real court-server: each runs the
// same scenario (log in, several result sets, every type, NULLs, a 2 MiB
// image both ways, a parameterised insert, an error, USE, a cancelled
// batch) and must see exactly the values in clients/expected.json.

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "tests/platform/tds/client_tools.h"
#include "tests/support/child_process.h"
#include "tests/support/server_process.h"
#include "tests/support/temp_dir.h"

namespace court::testing {
namespace {

const std::string kClients = COURT_SOURCE_DIR "/tests/platform/tds/clients";

nlohmann::json Expected() {
  std::ifstream in(kClients + "/expected.json");
  return nlohmann::json::parse(in);
}

// Merges the JSON lines a scenario printed into one object.
nlohmann::json Outcome(const std::string& output) {
  nlohmann::json merged = nlohmann::json::object();
  std::istringstream lines(output);
  std::string line;
  while (std::getline(lines, line)) {
    if (line.empty() || line[0] != '{') continue;
    merged.update(nlohmann::json::parse(line));
  }
  return merged;
}

// Runs a client's scenario against a fresh server: argv, then the port, sa's
// password and the scenario's batches; extra: what this client alone is
// asked, beside the common expectations.
void ExpectScenario(std::vector<std::string> argv, const nlohmann::json& extra = nlohmann::json::object()) {
  TempDir root;
  ServerProcess server(root.path());
  argv.insert(argv.end(), {std::to_string(server.port()), kSaPassword, kClients + "/scenario.sql"});
  const ProgramResult run =
      RunProgram({.argv = argv, .timeout = std::chrono::seconds(120), .err_into_out = true});
  ASSERT_EQ(run.exit_code, 0) << run.out;
  const nlohmann::json got = Outcome(run.out);
  nlohmann::json expected = Expected();
  expected.update(extra);
  for (const auto& [key, value] : expected.items()) EXPECT_EQ(got.value(key, nlohmann::json()), value) << key;
}

TEST(Clients, FreeTdsOdbcThroughPyodbc) { ExpectScenario({"/usr/bin/python3", kClients + "/scenario.py"}); }

TEST(Clients, Jtds) {
  ExpectScenario({"java", "-cp", CompiledJavaScenario() + ":/usr/share/java/jtds.jar", "Scenario"});
}

TEST(Clients, Tedious) {
  // tedious sends every parameterised statement through sp_executesql and
  // reads output parameters back: assigned ones, and one the batch leaves
  // alone. It also shows the class of each message.
  ExpectScenario({"node", kClients + "/scenario.mjs", TediousModules()},
                 {{"outputs", {{"doubled", "42"}, {"greeting", "你好世界"}, {"kept", "5"}}},
                  {"use_info", {5701, 0, "Changed database context to 'scenario'."}},
                  {"divide", {8134, 16, "Divide by zero error encountered."}}});
}

TEST(Clients, TsqlLogsInRunsBatchesAndSeesErrors) {
  TempDir root;
  ServerProcess server(root.path());
  int status = 0;
  std::string out = Tsql(server.port(),
                         "CREATE DATABASE 法院\ngo\nUSE 法院\ngo\n"
                         "CREATE TABLE t (a int, b varchar(10), c nvarchar(10))\ngo\n"
                         "INSERT INTO t VALUES (1, '中文', N'中文')\ngo\n"
                         "SELECT a, b, c FROM t SELECT DB_NAME()\ngo\n"
                         "SELECT * FROM nosuch\ngo\n"
                         "SELECT 2.5 AS d, 1.0/3 AS q, 0.25 * 2 AS p\ngo\nexit\n",
                         kSaPassword, &status);
  EXPECT_NE(out.find("1\t中文\t中文"), std::string::npos) << out;
  EXPECT_NE(out.find("\n法院\n"), std::string::npos) << out;
  EXPECT_NE(out.find("Msg 208 (severity 16"), std::string::npos) << out;
  EXPECT_NE(out.find("Invalid object name 'nosuch'."), std::string::npos) << out;
  // Decimal literals and their arithmetic keep SQL Server's precision and scale.
  EXPECT_NE(out.find("2.5\t0.333333\t0.50\n"), std::string::npos) << out;

  out = Tsql(server.port(), "SELECT 1\ngo\nexit\n", "wrong password", &status);
  EXPECT_NE(out.find("Login failed for user 'sa'."), std::string::npos) << out;
}

TEST(Clients, FiftyConcurrentClientsEachRowOnce) {
  TempDir root;
  ServerProcess server(root.path());
  int status = 0;
  Tsql(server.port(), "CREATE DATABASE shared\ngo\nexit\n", kSaPassword, &status);
  const ProgramResult run =
      RunProgram({.argv = {"node", kClients + "/concurrent.mjs", TediousModules(), std::to_string(server.port()),
                           kSaPassword},
                  .timeout = std::chrono::seconds(300),
                  .err_into_out = true});
  ASSERT_EQ(run.exit_code, 0) << run.out;
  std::multiset<std::string> rows;
  std::istringstream lines(run.out);
  std::string line;
  while (std::getline(lines, line)) rows.insert(line);
  std::multiset<std::string> expected;
  for (int client = 0; client < 50; ++client)
    for (int n = 0; n < 20; ++n) expected.insert(std::to_string(client) + ":" + std::to_string(n));
  EXPECT_EQ(rows, expected);
}

}  // namespace
}  // namespace court::testing
