// The catalogue read table by table, when a query first uses it, answers
// every catalogue query of a real fresh installation and upgrade on the
// sample releases exactly as the whole catalogue read beforehand does.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/jet/catalogue_driver.h"
#include "platform/jet/mdb_file.h"
#include "tests/support/court_setup_process.h"
#include "tests/support/temp_dir.h"

namespace court::screens {
namespace {

namespace fs = std::filesystem;

const std::string kRelease1 = COURT_BUILD_DIR "/table.mdb";
const std::string kRelease2 = COURT_BUILD_DIR "/table-release2.mdb";

// The queries a run of court-setup sent to the catalogue, in order.
std::vector<std::string> CatalogueQueries(const fs::path& server, const std::string& catalogue,
                                          const fs::path& scratch) {
  const testing::SetupOutcome run = testing::RunCourtSetup(
      scratch, "catalogue-queries", {"embedded:" + server.string(), {"--catalogue", catalogue, "--drive", "D:"}});
  EXPECT_EQ(run.exit_code, 0) << run.err;
  std::vector<std::string> queries;
  for (const std::string& line : run.transcript) {
    const auto sent = nlohmann::json::parse(line);
    if (sent["target"] == "catalogue" && sent["kind"] == "query") queries.push_back(sent["sql"]);
  }
  return queries;
}

void ExpectSameResult(const access::ResultSet& lazy, const access::ResultSet& whole, const std::string& sql) {
  SCOPED_TRACE(sql);
  ASSERT_EQ(lazy.columns.size(), whole.columns.size());
  for (std::size_t c = 0; c < lazy.columns.size(); ++c) {
    EXPECT_EQ(lazy.columns[c].name, whole.columns[c].name);
    EXPECT_EQ(lazy.columns[c].type, whole.columns[c].type);
    EXPECT_EQ(lazy.columns[c].base_column, whole.columns[c].base_column);
  }
  EXPECT_EQ(lazy.base_table, whole.base_table);
  EXPECT_EQ(lazy.row_ids, whole.row_ids);
  EXPECT_TRUE(lazy.rows == whole.rows) << lazy.rows.size() << " rows against " << whole.rows.size();
}

// Each query on a new connection that has read nothing before it, against
// the same query on a connection that has read every table.
void ExpectSameAnswers(const std::string& catalogue, const std::vector<std::string>& queries) {
  jet::CatalogueDriver whole_driver;
  auto whole = whole_driver.Connect(catalogue);
  const jet::MdbFile file(catalogue);
  for (const std::string& table : file.TableNames())
    if (!file.Definition(table).columns.empty()) whole->Query("SELECT * FROM [" + table + "]");
  for (const std::string& sql : queries) {
    jet::CatalogueDriver lazy_driver;
    ExpectSameResult(lazy_driver.Connect(catalogue)->Query(sql), whole->Query(sql), sql);
  }
}

TEST(CatalogueReading, TableByTableAnswersEveryQueryOfARunAsTheWholeCatalogue) {
  testing::TempDir scratch;
  const fs::path server = scratch.path() / "server";
  const std::vector<std::string> fresh = CatalogueQueries(server, kRelease1, scratch.path());
  const std::vector<std::string> upgrade = CatalogueQueries(server, kRelease2, scratch.path());
  const std::vector<std::string> current = CatalogueQueries(server, kRelease2, scratch.path());
  ASSERT_GT(fresh.size(), 10u);
  ASSERT_GT(upgrade.size(), 10u);
  ExpectSameAnswers(kRelease1, fresh);
  ExpectSameAnswers(kRelease2, upgrade);
  ExpectSameAnswers(kRelease2, current);
}

}  // namespace
}  // namespace court::screens
