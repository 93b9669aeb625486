// court-setup --headless end to end: the real program on a new embedded
// server with the sample release. A fresh installation, an upgrade and a run
// with nothing to do, their transcripts against the order of the run, and
// the failures that end a run and the reruns that complete it.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/mssql/embedded_driver.h"
#include "platform/system/files.h"
#include "installation/database_creation.h"
#include "installation/installation_run.h"
#include "installation/start_up.h"
#include "tests/support/court_setup_process.h"
#include "tests/support/installation.h"

namespace court::screens {
// The run these tests drive through the fronts.
using namespace court::installation;
namespace {

namespace fs = std::filesystem;
using Rows = std::vector<std::string>;

const std::string kBuild = COURT_BUILD_DIR;
const std::string kRelease1 = kBuild + "/table.mdb";
const std::string kRelease2 = kBuild + "/table-release2.mdb";

struct Sent {
  std::string target, kind, sql;
  bool ok;
};

struct Result {
  int exit_code;
  std::string out, err;
  std::vector<Sent> sent;
};

std::string ReadFile(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class HeadlessRunTest : public ::testing::Test {
 protected:
  fs::path server() const { return folder_ / "server"; }
  fs::path Drive(const std::string& path) const { return server() / "drives" / path; }

  // Runs court-setup --headless --quiet on this test's server with more arguments.
  Result Setup(const std::vector<std::string>& arguments) { return Run(arguments, true); }

  // The same, with its progress on standard error unless quiet.
  Result Run(const std::vector<std::string>& arguments, bool quiet = false) {
    const testing::SetupOutcome run = testing::RunCourtSetup(
        folder_, "transcript", {.server = "embedded:" + server().string(), .arguments = arguments, .quiet = quiet});
    Result result{run.exit_code, run.out, run.err, {}};
    for (const std::string& line : run.transcript) {
      const auto sent = nlohmann::json::parse(line);
      if (testing::IsAddedStatement(sent["kind"])) continue;
      result.sent.push_back({sent["target"], sent["kind"], sent["sql"], sent["ok"]});
    }
    return result;
  }

  Result Fresh() {
    Result result = Setup({"--catalogue", kRelease1, "--drive", "D:"});
    EXPECT_EQ(result.exit_code, 0) << result.err;
    return result;
  }

  // Rows of a query as tab-joined texts, straight from the server.
  Rows Query(const std::string& database, const std::string& sql) {
    mssql::EmbeddedDriver driver(server());
    Rows rows;
    for (const auto& row : driver.Connect(database)->Query(sql).rows) {
      std::string line;
      for (std::size_t i = 0; i < row.size(); ++i)
        line += (i ? "\t" : "") + (row[i].is_null() ? "NULL" : row[i].ToText());
      rows.push_back(line);
    }
    return rows;
  }
  void Execute(const std::string& database, const std::string& sql) {
    mssql::EmbeddedDriver(server()).Connect(database)->Execute(sql);
  }
  bool HasDatabase(const std::string& name) {
    return !Query("master", "SELECT name FROM master.dbo.sysdatabases WHERE name = N'" + name + "'").empty();
  }
  bool HasColumn(const std::string& table, const std::string& column) {
    return !Query("法院", "SELECT name FROM syscolumns WHERE name = '" + column + "' AND id = object_id('" +
                              table + "')")
                .empty();
  }

  // Builds a catalogue from the sample release's JSON after edit changed it.
  std::string EditedRelease(int release, const std::function<void(nlohmann::json&)>& edit) {
    auto json = nlohmann::json::parse(
        ReadFile(fs::path(COURT_SOURCE_DIR) / "catalogue" / ("release" + std::to_string(release) + ".json")));
    edit(json);
    const fs::path out = folder_ / "edited.mdb";
    fs::remove(out);
    testing::BuildCatalogue(json, out);
    return out.string();
  }

  // Release 1 with another release number.
  std::string ReleaseNumbered(int number) {
    return EditedRelease(1, [number](nlohmann::json& release) {
      for (auto& table : release["tables"])
        if (table["name"] == "升级版本") table["rows"] = {{number}};
    });
  }

  testing::TempDir temp_;
  const fs::path& folder_ = temp_.path();
};

std::string ExpectedOutput(const std::string& outcome, const std::string& drive) {
  const std::string directory = drive + "\\法院_SQL数据\\";
  return outcome + "\n数据库文件保存在：" + directory + "法院_Data.MDF\n邮件文件保存在：" + directory +
         "内部邮件_Data.MDF\n" + kClientNotice + "\n" + ServerName(system::ComputerName()) + "\n";
}

// One statement the run must send: on target, starting with these words.
struct Step {
  std::string target, sql;
};

// Whether the steps were sent in this order (others may come between them).
void ExpectInOrder(const std::vector<Sent>& sent, const std::vector<Step>& steps) {
  std::size_t next = 0;
  for (const Sent& s : sent)
    if (next < steps.size() && s.target == steps[next].target && s.sql.starts_with(steps[next].sql)) ++next;
  EXPECT_EQ(next, steps.size()) << "not sent in order: " << steps[std::min(next, steps.size() - 1)].target
                                << ": " << steps[std::min(next, steps.size() - 1)].sql;
}

bool Sends(const std::vector<Sent>& sent, const std::string& target, const std::string& sql) {
  for (const Sent& s : sent)
    if (s.target == target && s.sql.starts_with(sql)) return true;
  return false;
}

const Step kLoginCheck{"master", "SELECT name FROM master.dbo.sysdatabases WHERE name = N'vek'"};
const Step kLastRole{"master", "exec sp_addsrvrolemember N'vek', bulkadmin"};
const Step kCourtCheck{"master", "SELECT name FROM master.dbo.sysdatabases WHERE name = N'法院'"};
const Step kMailCheck{"master", "SELECT name FROM master.dbo.sysdatabases WHERE name = N'内部邮件'"};
const Step kCourtTables{"catalogue",
                        "SELECT  name FROM 表名 where not ( name = '邮箱' or  name = '邮箱附件')  "};
const Step kMailTables{"catalogue", "SELECT  name FROM 表名 where  ( name = '邮箱' or  name = '邮箱附件')  "};
const Step kLocation{"法院", "SELECT filename, name FROM sysfiles WHERE (filename LIKE N'%.mdf%')"};
const Step kViews{"法院",
                  "if exists (select * from dbo.sysobjects where id = object_id(N'[dbo].[计算交接]')"};
const Step kDuplicates{"法院", "SELECT 名称, 内容1, 内容2, 内容3, 内容4 FROM 常用数据 GROUP BY"};
const Step kConstraints{"catalogue", "SELECT [约束名], [表名], [约束语句] FROM 约束表"};
const Step kCourtGrants{"法院", "GRANT all to  vek"};
const Step kMailGrants{"内部邮件", "GRANT all to  vek"};

TEST_F(HeadlessRunTest, FreshInstallationFollowsTheRun) {
  const Result result = Fresh();
  EXPECT_EQ(result.out, ExpectedOutput(kInstalledText, "D:"));
  EXPECT_EQ(result.err, "");
  ExpectInOrder(
      result.sent,
      {kLoginCheck,
       {"master", "if not exists (select * from master.dbo.syslogins"},
       kLastRole,
       kCourtCheck,
       {"master", CreateDatabaseStatement("法院", "D:\\法院_SQL数据\\法院")},
       {"master", "exec sp_dboption N'法院', N'trunc. log', N'true'"},
       {"master", "exec sp_dboption N'法院', N'autoshrink', N'true'"},
       kLoginCheck,
       kLastRole,
       kCourtTables,
       {"法院", "CREATE TABLE [dbo].[常用数据] ("},
       {"法院", "insert into  升级版本 ( 升级版本号 ) values ( 1 )"},
       kCourtGrants,
       kLocation,
       kMailCheck,
       {"master", CreateDatabaseStatement("内部邮件", "D:\\法院_SQL数据\\内部邮件")},
       {"master", "exec sp_dboption N'内部邮件', N'autoshrink', N'true'"},
       kMailTables,
       {"内部邮件", "CREATE TABLE [dbo].[邮箱] ("},
       kMailGrants,
       kViews,
       kDuplicates,
       kConstraints,
       {"法院",
        "use 法院\r\nALTER TABLE 交接 WITH NOCHECK \r\nADD CONSTRAINT 交接1_ck CHECK ( 卷宗数 >= 0 )"},
       kCourtGrants,
       kMailGrants});
  // Only the failures the run ignores: revoking a user that is not there yet, defaults that exist.
  for (const Sent& s : result.sent)
    EXPECT_TRUE(s.ok || s.sql.starts_with("dbo.sp_revokedbaccess") || s.sql.starts_with("CREATE DEFAULT"))
        << s.sql;
  EXPECT_TRUE(fs::is_regular_file(Drive("D/法院_SQL数据/法院_Data.MDF")));
  EXPECT_TRUE(fs::is_regular_file(Drive("D/法院_SQL数据/内部邮件_Data.MDF")));
  EXPECT_EQ(Query("法院", "SELECT 升级版本号 FROM 升级版本"), Rows{"1"});
  EXPECT_EQ(Query("法院", "SELECT COUNT(*) FROM 法庭概况"), Rows{"13"});
  EXPECT_EQ(Query("法院", "SELECT COUNT(*) FROM 运行库文件 WHERE NOT 内容 IS NULL"), Rows{"3"});
}

TEST_F(HeadlessRunTest, UpgradeBringsBothDatabasesToTheNewRelease) {
  Fresh();
  Execute("法院", "insert into 案件 (案号, 案件性质) values ('(2026)民初1号', '民事')");
  const Result result = Setup({"--catalogue", kRelease2});
  ASSERT_EQ(result.exit_code, 0) << result.err;
  EXPECT_EQ(result.out, ExpectedOutput(kUpgradedText, "D:"));
  ExpectInOrder(result.sent,
                {kLoginCheck,
                 kLastRole,
                 kCourtCheck,
                 {"法院", "SELECT name FROM sysobjects WHERE (name = N'升级版本') AND (xtype = 'u')"},
                 {"catalogue", "SELECT 升级版本号 FROM 升级版本 where 升级版本号>0"},
                 {"法院", "SELECT 升级版本号 FROM 升级版本 where 升级版本号>0"},
                 kLoginCheck,
                 kLastRole,
                 kCourtTables,
                 {"法院", "alter table 案件\r\n add 审限届满日期 [datetime]  null"},
                 {"法院", "CREATE TABLE [dbo].[执行案件] ("},
                 {"法院", "insert into  升级版本 ( 升级版本号 ) values ( 2 )"},
                 kCourtGrants,
                 kLocation,
                 kMailCheck,
                 kMailTables,
                 {"内部邮件", "alter table 邮箱\r\n add 优先级 [smallint]  null"},
                 kMailGrants,
                 kViews,
                 kConstraints,
                 kCourtGrants,
                 kMailGrants});
  EXPECT_FALSE(Sends(result.sent, "master", "CREATE DATABASE"));
  EXPECT_EQ(Query("法院", "SELECT 升级版本号 FROM 升级版本"), Rows{"2"});
  EXPECT_TRUE(HasColumn("案件", "审限届满日期"));
  EXPECT_EQ(Query("法院", "SELECT 案号 FROM 案件"), Rows{"(2026)民初1号"});
  EXPECT_EQ(Query("法院", "SELECT COUNT(*) FROM 常用数据 WHERE 名称 = '案件性质'"), Rows{"9"});
}

TEST_F(HeadlessRunTest, SecondRunHasNothingToDoAndLeavesTheMailTablesAlone) {
  Fresh();
  const Result result = Setup({"--catalogue", kRelease1});
  ASSERT_EQ(result.exit_code, 0) << result.err;
  EXPECT_EQ(result.out, ExpectedOutput(kCurrentText, "D:"));
  ExpectInOrder(result.sent, {kLoginCheck,
                              kLastRole,
                              kCourtCheck,
                              {"法院", "SELECT 升级版本号 FROM 升级版本 where 升级版本号>0"},
                              kLocation,
                              kMailCheck,
                              kViews,
                              kDuplicates,
                              kConstraints,
                              kCourtGrants,
                              kMailGrants});
  EXPECT_FALSE(Sends(result.sent, kCourtTables.target, kCourtTables.sql));
  EXPECT_FALSE(Sends(result.sent, kMailTables.target, kMailTables.sql));
  EXPECT_FALSE(Sends(result.sent, "法院", "delete from 升级版本"));
}

TEST_F(HeadlessRunTest, CourtDatabaseWithoutVersionTableIsCurrent) {
  Fresh();
  Execute("法院", "DROP TABLE 升级版本");
  const Result result = Setup({"--catalogue", ReleaseNumbered(3)});
  ASSERT_EQ(result.exit_code, 0) << result.err;
  EXPECT_EQ(result.out, ExpectedOutput(kCurrentText, "D:"));
  EXPECT_FALSE(Sends(result.sent, "catalogue", "SELECT 升级版本号"));
  EXPECT_FALSE(Sends(result.sent, kCourtTables.target, kCourtTables.sql));
}

TEST_F(HeadlessRunTest, UpgradeDecisionComparesShippedAndInstalledReleases) {
  Fresh();
  const auto outcome = [this](const std::string& catalogue) {
    const Result result = Setup({"--catalogue", catalogue});
    EXPECT_EQ(result.exit_code, 0) << result.err;
    return result.out.substr(0, result.out.find('\n'));
  };
  Execute("法院", "update 升级版本 set 升级版本号 = 0");
  EXPECT_EQ(outcome(kRelease1), kUpgradedText) << "no installed release counts";
  EXPECT_EQ(Query("法院", "SELECT 升级版本号 FROM 升级版本"), Rows{"1"});
  EXPECT_EQ(outcome(kRelease1), kCurrentText) << "equal releases";
  Execute("法院", "update 升级版本 set 升级版本号 = 5");
  EXPECT_EQ(outcome(kRelease1), kCurrentText) << "shipped release older";
  const std::string unnumbered = ReleaseNumbered(0);
  EXPECT_EQ(outcome(unnumbered), kCurrentText) << "nothing shipped, something installed";
  Execute("法院", "delete from 升级版本");
  EXPECT_EQ(outcome(unnumbered), kUpgradedText) << "nothing shipped, nothing installed";
  EXPECT_EQ(Query("法院", "SELECT 升级版本号 FROM 升级版本"), Rows{"0"});
}

TEST_F(HeadlessRunTest, LocationNamesThePrefixFileWhileAnExistingMailDatabaseStaysWhereItIs) {
  fs::create_directories(Drive("C/邮件"));
  Execute("master", CreateDatabaseStatement("内部邮件", "C:\\邮件\\内部邮件"));
  const Result result = Fresh();
  EXPECT_EQ(result.out, ExpectedOutput(kInstalledText, "D:"));
  EXPECT_FALSE(Sends(result.sent, "master", "CREATE DATABASE [内部邮件]"));
  EXPECT_TRUE(Sends(result.sent, kMailTables.target, kMailTables.sql));  // the court was created
  EXPECT_TRUE(fs::is_regular_file(Drive("C/邮件/内部邮件_Data.MDF")));
  EXPECT_FALSE(fs::exists(Drive("D/法院_SQL数据/内部邮件_Data.MDF")));
}

TEST_F(HeadlessRunTest, LeftoverMailFilesGiveWayToANewMailDatabase) {
  fs::create_directories(Drive("D/法院_SQL数据"));
  std::ofstream(Drive("D/法院_SQL数据/内部邮件_Data.MDF")) << "left over";
  std::ofstream(Drive("D/法院_SQL数据/内部邮件_log.LDF")) << "left over";
  Fresh();
  EXPECT_TRUE(HasDatabase("内部邮件"));
  EXPECT_NE(ReadFile(Drive("D/法院_SQL数据/内部邮件_Data.MDF")), "left over");
}

TEST_F(HeadlessRunTest, FreshInstallationWithoutDriveTouchesNothing) {
  const Result result = Setup({"--catalogue", kRelease1});
  EXPECT_EQ(result.exit_code, 2);
  EXPECT_NE(result.err.find("--drive"), std::string::npos) << result.err;
  EXPECT_EQ(result.out, "");
  EXPECT_FALSE(HasDatabase("法院"));
  EXPECT_FALSE(fs::exists(Drive("D/法院_SQL数据")));
  const Result unknown = Setup({"--catalogue", kRelease1, "--drive", "Q:"});
  EXPECT_EQ(unknown.exit_code, 2);
  EXPECT_FALSE(HasDatabase("法院"));
}

// "error NUMBER: DESCRIPTION" and nothing else.
void ExpectFailureRule(const Result& result) {
  EXPECT_EQ(result.exit_code, 1);
  EXPECT_EQ(result.out, "");
  ASSERT_TRUE(result.err.starts_with("error ")) << result.err;
  const std::size_t colon = result.err.find(": ");
  ASSERT_NE(colon, std::string::npos) << result.err;
  EXPECT_NO_THROW(std::stoi(result.err.substr(6, colon - 6))) << result.err;
  EXPECT_GT(result.err.size(), colon + 3);
  EXPECT_EQ(result.err.find('\n'), result.err.size() - 1) << result.err;
}

TEST_F(HeadlessRunTest, UnreachableServerFailsThenARerunCompletes) {
  std::ofstream(server()) << "not a server";
  ExpectFailureRule(Setup({"--catalogue", kRelease1, "--drive", "D:"}));
  fs::remove(server());
  Fresh();
}

TEST_F(HeadlessRunTest, MissingOrCorruptCatalogueFailsThenARerunCompletes) {
  Fresh();
  Execute("法院", "insert into 案件 (案号) values ('(2026)刑初7号')");
  const Result missing = Setup({"--catalogue", (folder_ / "no-such.mdb").string()});
  ExpectFailureRule(missing);
  EXPECT_NE(missing.err.find("no-such.mdb"), std::string::npos) << missing.err;
  std::ofstream(folder_ / "corrupt.mdb") << std::string(4096, 'x');
  ExpectFailureRule(Setup({"--catalogue", (folder_ / "corrupt.mdb").string()}));
  const Result rerun = Setup({"--catalogue", kRelease2});
  EXPECT_EQ(rerun.exit_code, 0) << rerun.err;
  EXPECT_EQ(rerun.out, ExpectedOutput(kUpgradedText, "D:"));
  EXPECT_EQ(Query("法院", "SELECT 案号 FROM 案件"), Rows{"(2026)刑初7号"});
}

TEST_F(HeadlessRunTest, DamagedCatalogueStopsAFreshInstallationBeforeAnyDatabase) {
  const std::string whole = ReadFile(kRelease1);
  const fs::path damaged = folder_ / "damaged.mdb";
  std::ofstream(damaged, std::ios::binary) << whole.substr(0, whole.size() - 4096);  // the catalogue's last page
  const Result result = Setup({"--catalogue", damaged.string(), "--drive", "D:"});
  ExpectFailureRule(result);
  EXPECT_TRUE(result.err.starts_with("error 3049: The file '" + damaged.string() + "' is damaged: "))
      << result.err;
  EXPECT_FALSE(Sends(result.sent, "master", "CREATE DATABASE"));
  EXPECT_FALSE(HasDatabase("法院"));
  EXPECT_FALSE(fs::exists(Drive("D/法院_SQL数据")));
  Fresh();
}

TEST_F(HeadlessRunTest, ACataloguedTableWithoutColumnsIsSkippedWithAWarning) {
  const std::string release = EditedRelease(1, [](nlohmann::json& json) {
    for (auto& table : json["tables"])
      if (table["name"] == "表名") table["rows"].push_back({99, "空表"});
  });
  const Result result = Setup({"--catalogue", release, "--drive", "D:"});
  EXPECT_EQ(result.exit_code, 0) << result.err;
  EXPECT_EQ(result.err, "court-setup: warning: catalogue table 空表 has no columns; not created\n");
  EXPECT_FALSE(Sends(result.sent, "法院", "CREATE TABLE [dbo].[空表]"));
}

TEST_F(HeadlessRunTest, CatalogueTheServerRejectsFailsThenARerunCompletes) {
  Fresh();
  Execute("法院", "insert into 案件 (案号) values ('(2026)行初3号')");
  const std::string rejected = EditedRelease(2, [](nlohmann::json& release) {
    for (auto& table : release["tables"])
      if (table["name"] == "字段")
        for (auto& row : table["rows"])
          if (row[1] == "执行依据") row[2] = "nosuchtype";
  });
  const Result failed = Setup({"--catalogue", rejected});
  ExpectFailureRule(failed);
  ASSERT_FALSE(failed.sent.empty());
  EXPECT_FALSE(failed.sent.back().ok);
  EXPECT_TRUE(failed.sent.back().sql.starts_with("CREATE TABLE [dbo].[执行案件] ("))
      << failed.sent.back().sql;
  EXPECT_EQ(Query("法院", "SELECT 升级版本号 FROM 升级版本"), Rows{"1"});
  const Result rerun = Setup({"--catalogue", kRelease2});
  EXPECT_EQ(rerun.exit_code, 0) << rerun.err;
  EXPECT_EQ(rerun.out, ExpectedOutput(kUpgradedText, "D:"));
  EXPECT_EQ(Query("法院", "SELECT 升级版本号 FROM 升级版本"), Rows{"2"});
  EXPECT_EQ(Query("法院", "SELECT 案号 FROM 案件"), Rows{"(2026)行初3号"});
}

// Without --quiet, standard error tells each step, each table k of n and the
// rows copied, then the run's figures; standard output keeps the same texts.
TEST_F(HeadlessRunTest, ProgressGoesToStandardErrorUnlessQuiet) {
  const Result fresh = Run({"--catalogue", kRelease1, "--drive", "D:"});
  ASSERT_EQ(fresh.exit_code, 0) << fresh.err;
  EXPECT_EQ(fresh.out, ExpectedOutput(kInstalledText, "D:"));
  for (const char* line : {"step: creating the court database\n", "step: creating the mail database\n",
                           "step: check constraints\n", "  table 1 of "})
    EXPECT_NE(fresh.err.find(line), std::string::npos) << line << "\n" << fresh.err;
  EXPECT_NE(fresh.err.find(" rows copied\n"), std::string::npos) << fresh.err;
  const std::size_t summary = fresh.err.rfind("done in ");
  ASSERT_NE(summary, std::string::npos) << fresh.err;
  EXPECT_NE(fresh.err.find(" tables created, 0 altered, ", summary), std::string::npos) << fresh.err;
  EXPECT_NE(fresh.err.find(" rows archived\n", summary), std::string::npos) << fresh.err;

  const Result current = Run({"--catalogue", kRelease1});
  ASSERT_EQ(current.exit_code, 0) << current.err;
  EXPECT_NE(current.err.find(": 0 tables created, 0 altered, 0 rows copied, "), std::string::npos) << current.err;
}

}  // namespace
}  // namespace court::screens
