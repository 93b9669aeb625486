// What an upgrade keeps before it changes anything, through the real
// court-setup on an embedded server: the backups of both databases, which
// restore the server to its state before the run, and the archive of every
// row the CHECK rebuild and the duplicate cleanup delete. A backup that
// cannot be made stops the run before any change.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/access/number_text.h"
#include "platform/mssql/embedded_driver.h"
#include "tests/support/court_setup_process.h"
#include "tests/support/installation.h"
#include "tests/support/server_dump.h"

namespace court::screens {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;
using testing::RunCourtSetup;
using testing::SetupOutcome;

const std::string kRelease1 = std::string(COURT_BUILD_DIR) + "/table.mdb";
const std::string kRelease2 = std::string(COURT_BUILD_DIR) + "/table-release2.mdb";

// A value as the archive writes it.
json ArchiveForm(const access::Value& value) {
  switch (value.type()) {
    case access::ValueType::kNull: return nullptr;
    case access::ValueType::kInteger: return value.integer();
    case access::ValueType::kCurrency: return json::parse(access::CurrencyText(value.money()));
    case access::ValueType::kDecimal: return json::parse(access::DecimalText(value.decimal()));
    case access::ValueType::kDateTime: {
      const access::DateTime d = value.date();
      char text[32];
      std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03d", d.year, d.month, d.day, d.hour,
                    d.minute, d.second, d.millisecond);
      return text;
    }
    default: return value.ToText();
  }
}

class BackupArchiveTest : public ::testing::Test {
 protected:
  fs::path server() const { return temp_.path() / "server"; }
  fs::path logs() const { return temp_.path() / "logs"; }

  SetupOutcome Setup(const std::string& name, std::vector<std::string> arguments) {
    arguments.insert(arguments.end(), {"--log-dir", logs().string()});
    return RunCourtSetup(temp_.path(), name, {"embedded:" + server().string(), arguments});
  }

  void Install() {
    const SetupOutcome fresh = Setup("fresh", {"--catalogue", kRelease1, "--drive", "D:"});
    ASSERT_EQ(fresh.exit_code, 0) << fresh.err;
  }

  access::ResultSet Query(const std::string& sql) {
    return mssql::EmbeddedDriver(server()).Connect("法院")->Query(sql);
  }
  void Execute(const std::string& sql) { mssql::EmbeddedDriver(server()).Connect("法院")->Execute(sql); }

  // Rows that break release 2's new CHECK on 案款 (金额 > 0), one row it
  // keeps (a null amount satisfies a CHECK), and a reference group of three
  // equal rows in a list the upgrade leaves alone.
  void PlantRowsTheUpgradeRemoves() {
    Execute("INSERT INTO 案款 (aj_id, 项目, 金额, 收付日期) VALUES (1, '诉讼费', -12.3456, '2026-01-02 03:04:05.678')");
    Execute("INSERT INTO 案款 (aj_id, 项目, 金额, 收付日期) VALUES (2, '执行款', 0, NULL)");
    Execute("INSERT INTO 案款 (aj_id, 项目, 金额) VALUES (3, '待定', NULL)");
    for (int i = 0; i < 3; ++i) Execute("INSERT INTO 常用数据 (名称, 内容1, 内容2) VALUES ('自定义', '甲\"\\', NULL)");
  }

  // The archive's lines (one run folder expected).
  std::vector<json> Archive() {
    std::vector<json> lines;
    if (!fs::exists(logs())) return lines;
    for (const auto& folder : fs::directory_iterator(logs())) {
      std::ifstream in(folder.path() / "archive.jsonl");
      for (std::string line; std::getline(in, line);) lines.push_back(json::parse(line));
    }
    return lines;
  }

  std::vector<fs::path> BackupFolders() {
    std::vector<fs::path> folders;
    if (fs::exists(server() / "backups"))
      for (const auto& entry : fs::directory_iterator(server() / "backups")) folders.push_back(entry.path());
    std::sort(folders.begin(), folders.end());
    return folders;
  }

  testing::TempDir temp_;
};

// Keys of the rows of table before and after, and the rows that went, in
// the archive's form.
std::map<long long, json> RowsByKey(const access::ResultSet& rows, const std::string& key) {
  std::map<long long, json> by_key;
  for (const access::Row& row : rows.rows) {
    json object;
    long long id = 0;
    for (std::size_t i = 0; i < row.size(); ++i) {
      object[rows.columns[i].name] = ArchiveForm(row[i]);
      if (rows.columns[i].name == key) id = row[i].integer();
    }
    by_key[id] = object;
  }
  return by_key;
}

TEST_F(BackupArchiveTest, UpgradeArchivesEveryRemovedRowAndItsBackupRestoresTheServer) {
  Install();
  EXPECT_TRUE(BackupFolders().empty()) << "a fresh installation has nothing to back up";
  PlantRowsTheUpgradeRemoves();
  const std::string before = testing::CanonicalDump(server());
  const auto money_before = RowsByKey(Query("SELECT * FROM 案款"), "id");
  const auto lists_before = RowsByKey(Query("SELECT * FROM 常用数据 WHERE 名称 = '自定义'"), "no");

  const SetupOutcome upgrade = Setup("upgrade", {"--catalogue", kRelease2});
  ASSERT_EQ(upgrade.exit_code, 0) << upgrade.err;

  // Exactly the rows that went, whole, each with its reason.
  const auto money_after = RowsByKey(Query("SELECT * FROM 案款"), "id");
  const auto lists_after = RowsByKey(Query("SELECT * FROM 常用数据 WHERE 名称 = '自定义'"), "no");
  EXPECT_EQ(money_after.size(), 1u);
  EXPECT_EQ(lists_after.size(), 1u);
  std::multiset<std::string> expected, archived;
  for (const auto& [id, row] : money_before)
    if (!money_after.count(id)) expected.insert("案款 check constraint 案款7_ck " + row.dump());
  for (const auto& [no, row] : lists_before)
    if (!lists_after.count(no)) expected.insert("常用数据 duplicate " + row.dump());
  for (json line : Archive()) {
    EXPECT_EQ(line["database"], "法院");
    json row = line["row"];
    if (line["table"] == "案款") {
      EXPECT_TRUE(row["币种"].is_null()) << "added by the upgrade, null in the old rows";
      row.erase("币种");
    }
    archived.insert(line["table"].get<std::string>() + " " + line["reason"].get<std::string>() + " " + row.dump());
  }
  EXPECT_EQ(archived, expected);

  // Archive reads and backups under kinds of their own, before the DELETEs they guard.
  std::vector<std::string> backups, reads;
  for (const std::string& text : upgrade.transcript) {
    const json line = json::parse(text);
    if (line["kind"] == "backup" && line["sql"].get<std::string>().starts_with("BACKUP")) backups.push_back(line["sql"]);
    if (line["kind"] == "archive") reads.push_back(line["sql"]);
  }
  const std::vector<fs::path> folders = BackupFolders();
  ASSERT_EQ(folders.size(), 1u);
  EXPECT_EQ(backups, (std::vector<std::string>{
                         "BACKUP DATABASE [法院] TO DISK = N'" + (folders[0] / "法院.bak").string() + "' WITH INIT",
                         "BACKUP DATABASE [内部邮件] TO DISK = N'" + (folders[0] / "内部邮件.bak").string() +
                             "' WITH INIT"}));
  EXPECT_NE(std::find(reads.begin(), reads.end(), "select * from 案款 where not ( 金额 > 0)"), reads.end());

  // Put back as the administrator would, with nothing running: the server as it was.
  for (const auto& [backup, data] : {std::pair{"法院.bak", "法院_SQL数据/法院_Data.MDF"},
                                     std::pair{"内部邮件.bak", "法院_SQL数据/内部邮件_Data.MDF"}}) {
    const fs::path file = server() / "drives/D" / data;
    fs::copy_file(folders[0] / backup, file, fs::copy_options::overwrite_existing);
    fs::remove(file.string() + "-wal");
    fs::remove(file.string() + "-shm");
  }
  EXPECT_EQ(testing::CanonicalDump(server()), before);
}

// The installation's own statements are the same with and without the
// backups; --no-backup makes none, and each run gets a folder of its own.
TEST_F(BackupArchiveTest, BackupsAddOnlyStatementsOfTheirOwn) {
  Install();
  const SetupOutcome none = Setup("none", {"--catalogue", kRelease1, "--no-backup"});
  ASSERT_EQ(none.exit_code, 0) << none.err;
  EXPECT_TRUE(BackupFolders().empty());
  const SetupOutcome first = Setup("first", {"--catalogue", kRelease1});
  const SetupOutcome second = Setup("second", {"--catalogue", kRelease1});
  ASSERT_EQ(first.exit_code, 0) << first.err;
  ASSERT_EQ(second.exit_code, 0) << second.err;
  const std::vector<fs::path> folders = BackupFolders();
  ASSERT_EQ(folders.size(), 2u);
  for (const fs::path& folder : folders) {
    EXPECT_TRUE(fs::is_regular_file(folder / "法院.bak")) << folder;
    EXPECT_TRUE(fs::is_regular_file(folder / "内部邮件.bak")) << folder;
  }
  const auto own = [](const SetupOutcome& run) {
    std::vector<std::string> statements;
    for (const std::string& text : run.transcript) {
      json line = json::parse(text);
      if (testing::IsAddedStatement(line["kind"])) continue;
      line.erase("seq");
      statements.push_back(line.dump());
    }
    return statements;
  };
  EXPECT_EQ(own(first), own(none));
  EXPECT_EQ(own(second), own(none));
}

// A backup folder that cannot be made: the run names the database and the
// reason, exits 1 and leaves the databases exactly as they were.
TEST_F(BackupArchiveTest, FailedBackupStopsBeforeAnyChange) {
  Install();
  PlantRowsTheUpgradeRemoves();
  const std::string before = testing::CanonicalDump(server());
  const fs::path not_a_folder = temp_.path() / "plain-file";
  std::ofstream(not_a_folder) << "x";
  const SetupOutcome run =
      Setup("failed", {"--catalogue", kRelease2, "--backup-dir", (not_a_folder / "backups").string()});
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_TRUE(run.err.starts_with("error 75: The backup of 法院 into '" + (not_a_folder / "backups").string() +
                                  "' failed, so nothing was changed: "))
      << run.err;
  EXPECT_EQ(testing::CanonicalDump(server()), before);
  EXPECT_TRUE(Archive().empty());
  for (const std::string& text : run.transcript) EXPECT_NE(json::parse(text)["kind"], "archive") << text;
}

// The archive is written before the rows go: where it cannot be, nothing is deleted.
TEST_F(BackupArchiveTest, UnwritableArchiveStopsBeforeDeleting) {
  Install();
  PlantRowsTheUpgradeRemoves();
  std::ofstream(logs()) << "not a folder";
  const SetupOutcome run = Setup("unwritable", {"--catalogue", kRelease2, "--no-backup"});
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_TRUE(run.err.starts_with("error 75: Cannot write the archive of removed rows '" + logs().string()))
      << run.err;
  EXPECT_EQ(Query("SELECT count(*) FROM 常用数据 WHERE 名称 = '自定义'").rows[0][0].integer(), 3);
  EXPECT_EQ(Query("SELECT count(*) FROM 案款").rows[0][0].integer(), 3);
}

}  // namespace
}  // namespace court::screens
