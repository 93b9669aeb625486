// court-catalogue as its users run it.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <vector>

#include <nlohmann/json.hpp>

#include "tests/support/child_process.h"
#include "tests/support/temp_dir.h"

namespace court::jet {
namespace {

using court::testing::ProgramResult;
using court::testing::TempDir;

const std::string kProgram = COURT_BUILD_DIR "/court-catalogue";

ProgramResult RunTool(std::vector<std::string> arguments) {
  arguments.insert(arguments.begin(), kProgram);
  return court::testing::RunProgram({.argv = std::move(arguments)});
}

void WriteText(const std::string& path, const std::string& text) { std::ofstream(path) << text; }

TEST(CourtCatalogue, BuildThenDumpGivesTheSameJson) {
  TempDir dir;
  WriteText(dir.File("in.json"),
            R"({"tables":[{"name":"表名","columns":[{"name":"id","type":"long"},{"name":"name","type":"text","size":50}],)"
            R"("rows":[[1,"案由"],[2,null]]}]})");
  ProgramResult built = RunTool({"build", dir.File("in.json"), dir.File("out.mdb")});
  ASSERT_EQ(built.exit_code, 0) << built.err;
  ProgramResult dumped = RunTool({"dump", dir.File("out.mdb")});
  ASSERT_EQ(dumped.exit_code, 0) << dumped.err;
  EXPECT_EQ(nlohmann::json::parse(dumped.out),
            nlohmann::json::parse(R"({"tables":[{"name":"表名","columns":[{"name":"id","type":"long"},)"
                                  R"({"name":"name","type":"text","size":50}],"rows":[[1,"案由"],[2,null]]}]})"));
}

TEST(CourtCatalogue, DumpBuildDumpOfTestDataIsLossless) {
  TempDir dir;
  for (const char* name : {"DateTestDatabase.mdb", "forum-cjk.mdb", "nwind.mdb"}) {
    ProgramResult first = RunTool({"dump", COURT_SHARED_DIR "/testdata/" + std::string(name)});
    ASSERT_EQ(first.exit_code, 0) << first.err;
    WriteText(dir.File("dump.json"), first.out);
    ASSERT_EQ(RunTool({"build", dir.File("dump.json"), dir.File("re.mdb")}).exit_code, 0);
    EXPECT_EQ(RunTool({"dump", dir.File("re.mdb")}).out, first.out) << name;
  }
}

TEST(CourtCatalogue, FailuresExitOneAndSayWhatIsWrong) {
  TempDir dir;
  WriteText(dir.File("broken.json"), R"({"tables": [)");
  ProgramResult malformed = RunTool({"build", dir.File("broken.json"), dir.File("out.mdb")});
  EXPECT_EQ(malformed.exit_code, 1);
  EXPECT_NE(malformed.err.find("broken.json' is not valid JSON"), std::string::npos) << malformed.err;
  EXPECT_FALSE(std::filesystem::exists(dir.File("out.mdb")));

  WriteText(dir.File("bad.json"), R"({"tables":[{"name":"T","columns":[{"name":"c","type":"money"}]}]})");
  ProgramResult bad = RunTool({"build", dir.File("bad.json"), dir.File("out.mdb")});
  EXPECT_EQ(bad.exit_code, 1);
  EXPECT_NE(bad.err.find("table 'T', column 'c': unknown type \"money\""), std::string::npos) << bad.err;

  ProgramResult missing = RunTool({"dump", dir.File("none.mdb")});
  EXPECT_EQ(missing.exit_code, 1);
  EXPECT_NE(missing.err.find("Could not find file '" + dir.File("none.mdb") + "'"), std::string::npos);
}

TEST(CourtCatalogue, HostileJsonEndsInAShortError) {
  TempDir dir;
  struct Case {
    std::string json, says;
  };
  const std::vector<Case> cases = {
      {R"({"tables":)" + std::string(100000, '[') + std::string(100000, ']') + "}",
       "nests deeper than 16 levels"},
      {R"({"tables":[{"name":"T","columns":[{"name":"c","type":"long"}],"rows":[[")" + std::string(5 << 20, 'x') +
           R"("]]}]})",
       "row 1: expected a whole number for a long column, got \"xxx"},
      {R"({"tables":[{"name":"T","columns":[{"name":"c","type":"datetime"}],"rows":[["99999-01-01"]]}]})",
       "row 1: expected a date text"},
  };
  for (const Case& c : cases) {
    WriteText(dir.File("in.json"), c.json);
    ProgramResult outcome = RunTool({"build", dir.File("in.json"), dir.File("out.mdb")});
    EXPECT_EQ(outcome.exit_code, 1) << c.says;
    EXPECT_NE(outcome.err.find(c.says), std::string::npos) << outcome.err.substr(0, 300);
    EXPECT_LT(outcome.err.size(), 400u) << c.says;
    EXPECT_FALSE(std::filesystem::exists(dir.File("out.mdb")));
  }
}

TEST(CourtCatalogue, DamagedFileIsNamedWithWhatIsWrong) {
  TempDir dir;
  std::ifstream in(COURT_BUILD_DIR "/table.mdb", std::ios::binary);
  const std::string whole(std::istreambuf_iterator<char>(in), {});
  constexpr std::size_t kPage = 4096;
  struct Case {
    std::string bytes, says;
  };
  std::string zeroed_catalogue = whole;  // the writer puts the catalogue's rows on the last page
  std::fill(zeroed_catalogue.end() - kPage, zeroed_catalogue.end(), '\0');
  const std::vector<Case> cases = {
      {whole.substr(0, whole.size() - 100), "bytes are not a whole number of 4096-byte pages"},
      {whole.substr(0, whole.size() - kPage), "its catalogue holds 0 of its"},
      {zeroed_catalogue, "its catalogue holds 0 of its"},
      {whole + std::string(10, 'x'), "bytes are not a whole number of 4096-byte pages"},
  };
  for (const Case& c : cases) {
    WriteText(dir.File("damaged.mdb"), c.bytes);
    ProgramResult outcome = RunTool({"dump", dir.File("damaged.mdb")});
    EXPECT_EQ(outcome.exit_code, 1) << c.says;
    EXPECT_EQ(outcome.out, "");
    EXPECT_NE(outcome.err.find("The file '" + dir.File("damaged.mdb") + "' is damaged: "), std::string::npos)
        << outcome.err;
    EXPECT_NE(outcome.err.find(c.says), std::string::npos) << outcome.err;
  }
}

TEST(CourtCatalogue, WrongUsageExitsTwo) {
  const std::vector<std::vector<std::string>> wrong = {
      {}, {"dump"}, {"build", "only-one"}, {"convert", "a", "b"}, {"dump", "a", "b"}};
  for (const std::vector<std::string>& arguments : wrong) {
    ProgramResult outcome = RunTool(arguments);
    EXPECT_EQ(outcome.exit_code, 2) << ::testing::PrintToString(arguments);
    EXPECT_NE(outcome.err.find("usage:"), std::string::npos);
  }
}

}  // namespace
}  // namespace court::jet
