// The reader against mdbtools' own command-line view of real Access files.

#include <gtest/gtest.h>

#include <filesystem>

#include "oracles.h"
#include "platform/access/error.h"
#include "platform/jet/mdb_file.h"
#include "value_match.h"

namespace court::jet {
namespace {

using testing::MdbExport;
using testing::MdbSchema;

const std::string kTestData = COURT_SHARED_DIR "/testdata/";

class ReaderOnTestData : public ::testing::TestWithParam<std::string> {};

TEST_P(ReaderOnTestData, TablesColumnsAndRowsAreWhatMdbtoolsShows) {
  const std::string file = kTestData + GetParam();
  MdbFile mdb(file);
  const std::vector<std::string> listed = testing::MdbTables(file);
  ASSERT_EQ(mdb.TableNames(), listed);

  for (const std::string& name : listed) {
    SCOPED_TRACE("table " + name);
    Table table = mdb.ReadTable(name);
    auto schema = MdbSchema(file, name);
    ASSERT_EQ(table.columns.size(), schema.size());
    for (std::size_t c = 0; c < schema.size(); ++c) {
      EXPECT_EQ(table.columns[c].name, schema[c].first);
      EXPECT_EQ(testing::SchemaTypeText(table.columns[c]), schema[c].second);
    }
    auto exported = MdbExport(file, name);
    ASSERT_EQ(table.rows.size(), exported.size());
    for (std::size_t r = 0; r < exported.size(); ++r) {
      ASSERT_EQ(exported[r].size(), table.columns.size()) << "row " << r;
      for (std::size_t c = 0; c < table.columns.size(); ++c) {
        if (!testing::ExportCanShow(table.rows[r][c])) continue;
        EXPECT_TRUE(testing::ExportShows(exported[r][c], table.rows[r][c]))
            << "row " << r + 1 << ", column " << table.columns[c].name;
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(AccessFiles, ReaderOnTestData,
                         ::testing::Values("DateTestDatabase.mdb", "forum-cjk.mdb", "nwind.mdb"));

TEST(Reader, DatesBeforeOleEpochAndInYear9999) {
  Table table = MdbFile(kTestData + "DateTestDatabase.mdb").ReadTable("DateTest");
  auto date = [&](std::size_t row, std::size_t column) { return table.rows[row][column].date(); };
  EXPECT_EQ(date(2, 1), (access::DateTime{1898, 1, 1}));
  EXPECT_EQ(date(2, 2), (access::DateTime{1899, 1, 1}));
  EXPECT_EQ(date(2, 3), (access::DateTime{1900, 1, 1}));
  EXPECT_EQ(date(3, 1), (access::DateTime{632, 1, 1}));
  EXPECT_EQ(date(1, 1), (access::DateTime{9999, 1, 1}));
  EXPECT_EQ(table.rows[5][4].text(), "New line\r\nin field");
}

TEST(Reader, Jet3TextIsDecodedFromItsCodePage) {
  MdbFile mdb(kTestData + "nwind.mdb");
  auto names = mdb.TableNames();
  EXPECT_NE(std::find(names.begin(), names.end(), "Umsätze"), names.end());
  Table customers = mdb.ReadTable("Customers");
  bool found = false;
  for (const auto& row : customers.rows) found |= row[1].text() == "Alfreds Futterkiste";
  EXPECT_TRUE(found);
}

TEST(Reader, MissingFileAndForeignFileNameTheFile) {
  try {
    MdbFile mdb("/nonexistent/table.mdb");
    FAIL();
  } catch (const access::Error& error) {
    EXPECT_EQ(error.number(), kFileNotFound);
    EXPECT_EQ(error.description(), "Could not find file '/nonexistent/table.mdb'.");
  }
  const std::string foreign = COURT_SOURCE_DIR "/CMakeLists.txt";
  try {
    MdbFile mdb(foreign);
    FAIL();
  } catch (const access::Error& error) {
    EXPECT_EQ(error.number(), kUnrecognizedFormat);
    EXPECT_EQ(error.description(), "Unrecognized database format '" + foreign + "'.");
  }
}

TEST(Reader, UnknownTableIsAnError) {
  MdbFile mdb(kTestData + "nwind.mdb");
  EXPECT_THROW(mdb.ReadTable("NoSuchTable"), access::Error);
}

}  // namespace
}  // namespace court::jet
