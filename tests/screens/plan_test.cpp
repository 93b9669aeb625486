// court-setup --plan end to end: the real program on an embedded server with
// the sample releases, and over ODBC against court-server. A plan on a fresh
// server, before an upgrade and with nothing to do lists what the real run
// that follows it does (as that run's transcript shows), leaves every file
// (or, through a server, every row) of the server as it was, and says the
// same in text and in JSON.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/mssql/app_locks.h"
#include "platform/mssql/embedded_driver.h"
#include "installation/installation_run.h"
#include "tests/support/court_server_process.h"
#include "tests/support/court_setup_process.h"
#include "tests/support/installation.h"
#include "tests/support/server_dump.h"

namespace court::screens {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

const std::string kBuild = COURT_BUILD_DIR;
const std::string kRelease1 = kBuild + "/table.mdb";
const std::string kRelease2 = kBuild + "/table-release2.mdb";

// What a run did, in the terms of a plan.
struct Work {
  std::vector<std::string> databases, tables, columns, views, dropped, added;
  std::map<std::string, long long> inserted, duplicates, grants;
  std::optional<long long> release;
  bool operator==(const Work&) const = default;
};

void PrintTo(const Work& work, std::ostream* out) {
  auto list = [out](const char* name, const auto& items) {
    *out << "\n" << name << ":";
    for (const auto& item : items) {
      if constexpr (std::is_same_v<std::decay_t<decltype(item)>, std::string>) *out << " [" << item << "]";
      else *out << " [" << item.first << "=" << item.second << "]";
    }
  };
  list("databases", work.databases), list("tables", work.tables), list("columns", work.columns);
  list("views", work.views), list("dropped", work.dropped), list("added", work.added);
  list("inserted", work.inserted), list("duplicates", work.duplicates), list("grants", work.grants);
  *out << "\nrelease: " << (work.release ? std::to_string(*work.release) : "none");
}

// Read from the statements a run's transcript shows as done.
Work FromTranscript(const std::vector<std::string>& lines) {
  static const std::regex kDatabase(R"(^CREATE DATABASE \[([^\]]+)\])"), kTable(R"(^CREATE TABLE \[dbo\]\.\[([^\]]+)\])"),
      kColumn(R"(^alter table (.+)\r\n ?(add|alter column) (.+?) \[)"), kView(R"(^CREATE VIEW dbo\.(\S+) AS)"),
      kDrop(R"(^alter table (\S+) drop (\S+)$)"), kAdd(R"(ADD CONSTRAINT (\S+) CHECK)"),
      kInsert(R"(^(insert into +|INSERT INTO \[)([^ (\]]+))"), kDuplicate(R"(^delete from (\S+) where \[.*in \(select top 1)"),
      kRelease(R"(^insert into  升级版本 \( 升级版本号 \) values \( (-?\d+) \))"), kBind(R"(^sp_bindefault .*'(.+)\.(.+)'$)");
  Work work;
  for (const std::string& line : lines) {
    const json sent = json::parse(line);
    if (testing::IsAddedStatement(sent["kind"]) || !sent["ok"] || sent["kind"] == "query") continue;
    const std::string sql = sent["sql"], target = sent["target"];
    std::smatch m;
    if (std::regex_search(sql, m, kDatabase)) work.databases.push_back(m[1]);
    else if (std::regex_search(sql, m, kTable)) work.tables.push_back(target + " " + m[1].str());
    else if (std::regex_search(sql, m, kColumn))
      work.columns.push_back(target + " " + m[1].str() + "." + m[3].str() + (m[2] == "add" ? " add" : " alter"));
    else if (std::regex_search(sql, m, kBind)) work.columns.push_back(target + " " + m[1].str() + "." + m[2].str() + " default");
    else if (std::regex_search(sql, m, kView)) work.views.push_back(m[1]);
    else if (std::regex_search(sql, m, kDrop)) work.dropped.push_back(m[1].str() + " " + m[2].str());
    else if (std::regex_search(sql, m, kAdd)) work.added.push_back(m[1]);
    else if (std::regex_search(sql, m, kRelease)) work.release = std::stoll(m[1]);
    else if (std::regex_search(sql, m, kInsert)) ++work.inserted[m[2]];
    else if (std::regex_search(sql, m, kDuplicate)) ++work.duplicates[m[1]];
    else if (sql.starts_with("GRANT all on ")) ++work.grants[target];
  }
  return work;
}

Work FromPlan(const json& plan) {
  Work work;
  for (const json& d : plan["databases"]) work.databases.push_back(d["name"]);
  for (const json& t : plan["tables"]) work.tables.push_back(t["database"].get<std::string>() + " " + t["table"].get<std::string>());
  for (const json& c : plan["columns"])
    work.columns.push_back(c["database"].get<std::string>() + " " + c["table"].get<std::string>() + "." +
                           c["column"].get<std::string>() + " " + c["change"].get<std::string>());
  for (const json& v : plan["views"]) work.views.push_back(v);
  for (const json& c : plan["constraints"]["dropped"]) work.dropped.push_back(c["table"].get<std::string>() + " " + c["name"].get<std::string>());
  for (const json& c : plan["constraints"]["added"]) work.added.push_back(c["name"]);
  for (const json& r : plan["reference_data"])
    if (r["inserted"] > 0) work.inserted[r["table"]] = r["inserted"];
  for (const json& d : plan["duplicates"]) work.duplicates[d["table"]] = d["rows"];
  for (const json& g : plan["grants"])
    if (g["objects"] > 0) work.grants[g["database"]] += g["objects"].get<long long>();
  if (!plan["release"].is_null()) work.release = plan["release"];
  return work;
}

std::string ReadFile(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Every file below root with its bytes.
std::map<std::string, std::string> Files(const fs::path& root) {
  std::map<std::string, std::string> files;
  if (!fs::exists(root)) return files;
  for (const auto& entry : fs::recursive_directory_iterator(root))
    files[fs::relative(entry.path(), root).string() + (entry.is_directory() ? "/" : "")] =
        entry.is_regular_file() ? ReadFile(entry.path()) : "";
  return files;
}

class PlanTest : public ::testing::Test {
 protected:
  virtual std::string server() const { return "embedded:" + (folder_ / "server").string(); }
  virtual std::string password() const { return ""; }
  // What a plan must leave as it was: the server's files.
  virtual std::map<std::string, std::string> ServerState() const { return Files(folder_ / "server"); }

  virtual std::vector<std::string> ServerArguments() const { return {}; }

  testing::SetupOutcome Setup(const std::string& name, std::vector<std::string> arguments) {
    for (const std::string& argument : ServerArguments()) arguments.push_back(argument);
    return testing::RunCourtSetup(folder_, name, {server(), arguments, password()});
  }
  void Install(const std::string& catalogue) {
    const auto outcome = Setup("install", {"--catalogue", catalogue, "--drive", "D:"});
    ASSERT_EQ(outcome.exit_code, 0) << outcome.err;
  }

  // The plan's scratch copies go below the test's folder, where the test
  // can see that none is left.
  void SetUp() override {
    if (const char* tmpdir = std::getenv("TMPDIR")) tmpdir_ = tmpdir;
    fs::create_directories(scratch());
    setenv("TMPDIR", scratch().c_str(), 1);
  }
  void TearDown() override {
    if (tmpdir_) setenv("TMPDIR", tmpdir_->c_str(), 1);
    else unsetenv("TMPDIR");
  }
  fs::path scratch() const { return folder_ / "tmp"; }

  testing::SetupOutcome PlanOutcome(std::vector<std::string> arguments) {
    arguments.push_back("--plan=json");
    testing::SetupOutcome outcome = Setup("plan", arguments);
    EXPECT_TRUE(fs::is_empty(scratch())) << "the plan left its copy behind";
    return outcome;
  }

  // The JSON plan for a run with these arguments; the server's files must
  // be the same after it as before, and the rehearsal is in the transcript.
  json Plan(const std::vector<std::string>& arguments) {
    const auto before = ServerState();
    const auto outcome = PlanOutcome(arguments);
    EXPECT_EQ(outcome.exit_code, 0) << outcome.err;
    EXPECT_TRUE(ServerState() == before) << "the plan changed the server";
    EXPECT_FALSE(outcome.transcript.empty());
    return json::parse(outcome.out);
  }

  // The plan against the run it foretells, made right after it.
  void ExpectRunDoesWhatPlanSays(const json& plan, const std::vector<std::string>& arguments,
                                 const std::string& outcome_text) {
    const auto run = Setup("run", arguments);
    ASSERT_EQ(run.exit_code, 0) << run.err;
    EXPECT_EQ(FromPlan(plan), FromTranscript(run.transcript));
    EXPECT_EQ(plan["outcome"], outcome_text);
    EXPECT_TRUE(run.out.starts_with(outcome_text + "\n"));
  }

  // Release 2 with 案由.性质 widened from 20 characters to 40.
  std::string WidenedRelease2() {
    json release = json::parse(ReadFile(fs::path(COURT_SOURCE_DIR) / "catalogue" / "release2.json"));
    long long cases_table = 0;
    for (const json& table : release["tables"])
      if (table["name"] == "表名")
        for (const json& row : table["rows"])
          if (row[1] == "案由") cases_table = row[0];
    for (json& table : release["tables"])
      if (table["name"] == "字段")
        for (json& row : table["rows"])
          if (row[0] == cases_table && row[1] == "性质") row[4] = 40;
    const fs::path out = folder_ / "widened.mdb";
    testing::BuildCatalogue(release, out);
    return out.string();
  }

  // Release 1 with a row that breaks a condition (its constraint dropped
  // to let it in) and a duplicate of a seeded row, which the refresh leaves
  // alone: the run's constraint rebuild and duplicate cleanup remove them.
  void InstallWithRowsToDelete() {
    Install(kRelease1);
    Execute("alter table 交接 drop 交接1_ck");
    Execute("insert into 交接 (aj_id, 卷宗数) values (7, -3)");
    Execute("insert into 常用数据 (名称, 内容1, 内容2, 内容3) select 名称, 内容1, 内容2, 内容3 from 常用数据 "
            "where 名称 = '字号' and 内容1 = '民初'");
  }

  long long Count(const std::string& sql) {
    mssql::EmbeddedDriver driver(folder_ / "server");
    return driver.Connect("法院")->Query(sql).rows.at(0).at(0).integer();
  }
  void Execute(const std::string& sql) { mssql::EmbeddedDriver(folder_ / "server").Connect("法院")->Execute(sql); }

  testing::TempDir temp_;
  const fs::path& folder_ = temp_.path();
  std::optional<std::string> tmpdir_;
};

TEST_F(PlanTest, FreshServerPlanListsTheWholeInstallationAndMakesNoServer) {
  const std::vector<std::string> arguments = {"--catalogue", kRelease1, "--drive", "D:"};
  const json plan = Plan(arguments);
  EXPECT_FALSE(fs::exists(folder_ / "server"));
  ASSERT_EQ(plan["databases"].size(), 2u);
  EXPECT_EQ(plan["databases"][0]["name"], "法院");
  EXPECT_EQ(plan["databases"][0]["data_file"], "D:\\法院_SQL数据\\法院_Data.MDF");
  EXPECT_EQ(plan["databases"][1]["name"], "内部邮件");
  EXPECT_EQ(plan["release"], 1);
  EXPECT_EQ(plan["login"]["name"], "vek");
  EXPECT_EQ(plan["login"]["server_roles"].size(), 6u);
  EXPECT_EQ(plan["views"], json({"计算交接", "最后次交接"}));
  EXPECT_EQ(plan["constraints"]["added"].size(), 6u);
  ExpectRunDoesWhatPlanSays(plan, arguments, installation::kInstalledText);
}

TEST_F(PlanTest, UpgradePlanCountsTheRowsTheRunDeletes) {
  InstallWithRowsToDelete();
  const long long cases = Count("SELECT COUNT(*) FROM 案由");
  const std::vector<std::string> arguments = {"--catalogue", WidenedRelease2()};
  const json plan = Plan(arguments);

  EXPECT_EQ(plan["release"], 2);
  EXPECT_TRUE(plan["databases"].empty());
  EXPECT_EQ(plan["duplicates"], json::parse(R"([{"table":"常用数据","rows":1}])"));
  const json& first = plan["constraints"]["added"][0];
  EXPECT_EQ(first["table"], "交接");
  EXPECT_EQ(first["condition"], "卷宗数 >= 0");
  EXPECT_EQ(first["rows_deleted"], 1);
  auto lists = [&plan](const char* column) {
    const json wanted = json::parse(column);
    return std::find(plan["columns"].begin(), plan["columns"].end(), wanted) != plan["columns"].end();
  };
  EXPECT_TRUE(lists(R"({"database":"法院","table":"案由","column":"性质","change":"alter",)"
                    R"("before":"varchar(20) null","after":"[varchar] (40 ) COLLATE Chinese_PRC_CI_AS null"})"))
      << plan["columns"].dump();
  EXPECT_TRUE(lists(R"({"database":"法院","table":"案件","column":"立案人","change":"add",)"
                    R"("after":"[varchar] (20 ) COLLATE Chinese_PRC_CI_AS null"})"))
      << plan["columns"].dump();
  for (const json& r : plan["reference_data"])
    if (r["table"] == "案由") {
      EXPECT_EQ(r["deleted"], cases);
    }

  ExpectRunDoesWhatPlanSays(plan, arguments, installation::kUpgradedText);
  EXPECT_EQ(Count("SELECT COUNT(*) FROM 交接 WHERE 卷宗数 < 0"), 0);
}

TEST_F(PlanTest, NothingToDoPlanListsOnlyWhatEveryRunRedoes) {
  Install(kRelease1);
  const std::vector<std::string> arguments = {"--catalogue", kRelease1};
  const json plan = Plan(arguments);
  EXPECT_TRUE(plan["databases"].empty());
  EXPECT_TRUE(plan["tables"].empty());
  EXPECT_TRUE(plan["reference_data"].empty());
  EXPECT_TRUE(plan["duplicates"].empty());
  EXPECT_TRUE(plan["release"].is_null());
  EXPECT_EQ(plan["constraints"]["dropped"].size(), 6u);
  for (const json& c : plan["constraints"]["added"]) EXPECT_EQ(c["rows_deleted"], 0);
  ASSERT_EQ(plan["grants"].size(), 2u);
  ExpectRunDoesWhatPlanSays(plan, arguments, installation::kCurrentText);
}

TEST_F(PlanTest, TextSaysWhatJsonSays) {
  Install(kRelease1);
  const json plan = Plan({"--catalogue", kRelease2});
  const auto text = Setup("text", {"--catalogue", kRelease2, "--plan"});
  ASSERT_EQ(text.exit_code, 0) << text.err;
  auto has = [&text](const std::string& line) {
    EXPECT_NE(text.out.find("\n  " + line + "\n"), std::string::npos) << line << "\n" << text.out;
  };
  EXPECT_TRUE(text.out.starts_with("outcome: " + plan["outcome"].get<std::string>() + "\n"));
  EXPECT_NE(text.out.find("tables to create (" + std::to_string(plan["tables"].size()) + "):"), std::string::npos);
  for (const json& t : plan["tables"]) has(t["database"].get<std::string>() + "  " + t["table"].get<std::string>());
  for (const json& c : plan["columns"]) {
    std::string line = c["database"].get<std::string>() + "  " + c["table"].get<std::string>() + "." +
                       c["column"].get<std::string>() + "  " + c["change"].get<std::string>() + "  ";
    if (c.contains("before")) line += c["before"].get<std::string>() + " → ";
    has(line + c["after"].get<std::string>());
  }
  for (const json& r : plan["reference_data"])
    has(r["table"].get<std::string>() + "  " + std::to_string(r["deleted"].get<long long>()) + " rows deleted, " +
        std::to_string(r["inserted"].get<long long>()) + " inserted");
  for (const json& v : plan["views"]) has(v);
  for (const json& c : plan["constraints"]["added"])
    has(c["table"].get<std::string>() + "  " + c["name"].get<std::string>() + "  CHECK ( " +
        c["condition"].get<std::string>() + " )  " + std::to_string(c["rows_deleted"].get<long long>()) +
        " rows deleted");
  for (const json& g : plan["grants"])
    has(g["database"].get<std::string>() + "  user vek, all rights on " +
        std::to_string(g["objects"].get<long long>()) + " objects");
  EXPECT_NE(text.out.find("release to record: 2\n"), std::string::npos);
}

TEST_F(PlanTest, ServerInUseIsCopiedAsItsSessionsCommittedIt) {
  Install(kRelease1);
  mssql::EmbeddedDriver driver(folder_ / "server");
  const std::string duplicate =
      "insert into 常用数据 (名称, 内容1, 内容2, 内容3) select 名称, 内容1, 内容2, 内容3 from 常用数据 where 名称 = "
      "'字号' and 内容1 = ";
  // One duplicate committed by a session that stays open (its change still
  // in the write-ahead log), another in a transaction still open.
  auto committed = driver.Connect("法院");
  committed->Execute(duplicate + "'民初'");
  auto open = driver.Connect("法院");
  open->Execute("BEGIN TRANSACTION");
  open->Execute(duplicate + "'刑初'");
  const auto outcome = PlanOutcome({"--catalogue", kRelease1});
  ASSERT_EQ(outcome.exit_code, 0) << outcome.err;
  EXPECT_EQ(json::parse(outcome.out)["duplicates"], json::parse(R"([{"table":"常用数据","rows":1}])"));
  open->Execute("COMMIT TRANSACTION");
}

TEST_F(PlanTest, PlanWaitsForARunningInstallationAndFailsAsARunDoes) {
  Install(kRelease1);
  const auto before = Files(folder_ / "server");
  {
    mssql::AppLocks running;
    ASSERT_EQ(running.Acquire(folder_ / "server", "court-setup", true, 0), 0);
    const auto waited = PlanOutcome({"--catalogue", kRelease1, "--lock-wait", "0"});
    EXPECT_EQ(waited.exit_code, 1);
    EXPECT_NE(waited.err.find("error 1222: Another installation is running"), std::string::npos) << waited.err;
  }
  const auto broken = PlanOutcome({"--catalogue", (folder_ / "missing.mdb").string()});
  EXPECT_EQ(broken.exit_code, 1);
  EXPECT_TRUE(broken.err.starts_with("error ")) << broken.err;
  EXPECT_EQ(broken.out, "");
  EXPECT_TRUE(Files(folder_ / "server") == before);
}

TEST_F(PlanTest, PlansThatCannotBeMadeStopWithUsageErrors) {
  const auto no_drive = Setup("no-drive", {"--catalogue", kRelease1, "--plan"});
  EXPECT_EQ(no_drive.exit_code, 2);
  EXPECT_NE(no_drive.err.find("needs --drive"), std::string::npos) << no_drive.err;
  EXPECT_FALSE(fs::exists(folder_ / "server"));
  const auto format = Setup("format", {"--plan=xml"});
  EXPECT_EQ(format.exit_code, 2);
  EXPECT_NE(format.err.find("--plan=json"), std::string::npos) << format.err;
}

// The same plans for court-server reached through unixODBC and FreeTDS: the
// plan reads the installation's databases into a mirror and rehearses there.
class OdbcPlanTest : public PlanTest {
 protected:
  std::string server() const override { return "odbc:" + court_server_.Connection(); }
  std::string password() const override { return testing::CourtServerProcess::kPassword; }
  // The server keeps its files open and may write its own pages at any
  // time; what a plan must not change is the databases' content.
  // Before a fresh installation there is nothing to dump: the failure says so.
  std::map<std::string, std::string> ServerState() const override {
    try {
      return {{"dump", testing::CanonicalDump(folder_ / "server")}};
    } catch (const std::exception& no_installation) {
      return {{"dump", no_installation.what()}};
    }
  }
  // A run through a server names a folder there for its backups, or none.
  std::vector<std::string> ServerArguments() const override { return {"--no-backup"}; }

  testing::CourtServerProcess court_server_{folder_ / "server"};
};

TEST_F(OdbcPlanTest, FreshServerPlanListsTheWholeInstallation) {
  const std::vector<std::string> arguments = {"--catalogue", kRelease1, "--drive", "D:"};
  const json plan = Plan(arguments);
  EXPECT_EQ(plan["databases"].size(), 2u);
  EXPECT_NE(plan["rehearsal"]["on"].get<std::string>().find("databases: none"), std::string::npos);
  EXPECT_GT(plan["rehearsal"]["cannot_foresee"].size(), 1u);
  ExpectRunDoesWhatPlanSays(plan, arguments, installation::kInstalledText);
}

// Rows that break a condition, a duplicate, a default bound to a column
// and an identity table all travel through the mirror; the plan's own
// statements to the server are reads.
TEST_F(OdbcPlanTest, UpgradePlanReadsTheServerAndCountsTheRowsTheRunDeletes) {
  InstallWithRowsToDelete();
  const std::vector<std::string> arguments = {"--catalogue", WidenedRelease2()};
  const auto outcome = PlanOutcome(arguments);
  ASSERT_EQ(outcome.exit_code, 0) << outcome.err;
  for (const std::string& line : outcome.transcript) {
    const json sent = json::parse(line);
    EXPECT_TRUE(sent["kind"] == "lock" || sent["kind"] == "plan") << line;
    if (sent["kind"] == "plan") {
      EXPECT_TRUE(sent["sql"].get<std::string>().starts_with("SELECT")) << line;
    }
  }
  const json plan = Plan(arguments);
  EXPECT_EQ(plan["release"], 2);
  EXPECT_EQ(plan["duplicates"], json::parse(R"([{"table":"常用数据","rows":1}])"));
  EXPECT_EQ(plan["constraints"]["added"][0]["rows_deleted"], 1);
  ExpectRunDoesWhatPlanSays(plan, arguments, installation::kUpgradedText);
  const json nothing = Plan(arguments);
  EXPECT_TRUE(nothing["tables"].empty());
  ExpectRunDoesWhatPlanSays(nothing, arguments, installation::kCurrentText);
}

}  // namespace
}  // namespace court::screens
