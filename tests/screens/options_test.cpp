// The command line of court-setup: where the server and catalogue come from,
// and what is refused before anything is touched.

#include <gtest/gtest.h>

#include "screens/options.h"

namespace court::screens {
namespace {

Options Parse(const std::vector<std::string>& arguments, const std::string& environment = "") {
  return ParseOptions(arguments, environment, "/home/clerk");
}

TEST(OptionsTest, DefaultsAreTheScreensOnTheUsersEmbeddedServer) {
  const Options options = Parse({});
  EXPECT_FALSE(options.headless);
  EXPECT_EQ(options.server, "embedded:/home/clerk/.local/share/court-setup/server");
  EXPECT_EQ(options.catalogue, "table.mdb");
  EXPECT_EQ(options.transcript, "");
  EXPECT_FALSE(options.drive);
}

TEST(OptionsTest, ServerComesFromTheFlagThenTheEnvironment) {
  EXPECT_EQ(Parse({}, "embedded:/srv/court").server, "embedded:/srv/court");
  EXPECT_EQ(Parse({"--server", "embedded:/tmp/s"}, "embedded:/srv/court").server, "embedded:/tmp/s");
}

TEST(OptionsTest, HeadlessRunTakesItsDriveAndFiles) {
  const Options options =
      Parse({"--headless", "--drive", "d:", "--catalogue", "/r/table.mdb", "--transcript", "/tmp/t.jsonl"});
  EXPECT_TRUE(options.headless);
  EXPECT_EQ(options.drive, "D:");
  EXPECT_EQ(options.catalogue, "/r/table.mdb");
  EXPECT_EQ(options.transcript, "/tmp/t.jsonl");
}

TEST(OptionsTest, PlanIsHeadlessTextOrJson) {
  EXPECT_EQ(Parse({}).plan, PlanFormat::kNone);
  const Options text = Parse({"--plan", "--drive", "D:"});
  EXPECT_EQ(text.plan, PlanFormat::kText);
  EXPECT_TRUE(text.headless);
  EXPECT_EQ(Parse({"--plan=text"}).plan, PlanFormat::kText);
  EXPECT_EQ(Parse({"--plan=json"}).plan, PlanFormat::kJson);
}

TEST(OptionsTest, UnusableCommandLinesAreRefused) {
  for (const std::vector<std::string>& arguments :
       std::vector<std::vector<std::string>>{{"--headless", "--drive", "D"},
                                             {"--headless", "--drive", "DD:"},
                                             {"--headless", "--drive"},
                                             {"--drive", "D:"},
                                             {"--verbose"},
                                             {"--plan=xml"},
                                             {"--planned"},
                                             {"--no-backup", "--backup-dir", "/b"},
                                             {"--server", "odbc:DSN=court"}}) {
    EXPECT_THROW(Parse(arguments), UsageError) << arguments.back();
  }
}

// A server elsewhere gets its backups where the administrator says, or none.
TEST(OptionsTest, BackupsAndLogsGoWhereTheAdministratorSays) {
  EXPECT_EQ(Parse({"--server", "odbc:DSN=court", "--backup-dir", "D:\\备份"}).backup_dir, "D:\\备份");
  EXPECT_TRUE(Parse({"--server", "odbc:DSN=court", "--no-backup"}).no_backup);
  EXPECT_FALSE(Parse({}).backup_dir);
  EXPECT_EQ(Parse({"--log-dir", "/var/log/court"}).log_dir, "/var/log/court");
  EXPECT_EQ(DefaultLogDir("/state", "/home/clerk"), "/state/court-setup/logs");
  EXPECT_EQ(DefaultLogDir("", "/home/clerk"), "/home/clerk/.local/state/court-setup/logs");
}

}  // namespace
}  // namespace court::screens
