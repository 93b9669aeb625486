// court-catalogue as its users run it.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <vector>

#include "oracles.h"
#include "scratch_dir.h"

namespace court::jet {
namespace {

using testing::Quoted;
using testing::Run;

const std::string kProgram = COURT_BUILD_DIR "/court-catalogue";

struct Outcome {
  int status;
  std::string out;
  std::string err;
};

Outcome RunTool(const std::string& arguments, const testing::ScratchDir& dir) {
  Outcome outcome;
  const std::string err_file = dir.File("stderr.txt");
  outcome.out = Run(Quoted(kProgram) + " " + arguments + " 2>" + Quoted(err_file), &outcome.status);
  std::ifstream err(err_file);
  outcome.err.assign(std::istreambuf_iterator<char>(err), {});
  return outcome;
}

void WriteText(const std::string& path, const std::string& text) { std::ofstream(path) << text; }

TEST(CourtCatalogue, BuildThenDumpGivesTheSameJson) {
  testing::ScratchDir dir;
  WriteText(dir.File("in.json"),
            R"({"tables":[{"name":"表名","columns":[{"name":"id","type":"long"},{"name":"name","type":"text","size":50}],)"
            R"("rows":[[1,"案由"],[2,null]]}]})");
  Outcome built = RunTool("build " + Quoted(dir.File("in.json")) + " " + Quoted(dir.File("out.mdb")), dir);
  ASSERT_EQ(built.status, 0) << built.err;
  Outcome dumped = RunTool("dump " + Quoted(dir.File("out.mdb")), dir);
  ASSERT_EQ(dumped.status, 0) << dumped.err;
  EXPECT_EQ(nlohmann::json::parse(dumped.out),
            nlohmann::json::parse(R"({"tables":[{"name":"表名","columns":[{"name":"id","type":"long"},)"
                                  R"({"name":"name","type":"text","size":50}],"rows":[[1,"案由"],[2,null]]}]})"));
}

TEST(CourtCatalogue, DumpBuildDumpOfTestDataIsLossless) {
  testing::ScratchDir dir;
  for (const char* name : {"DateTestDatabase.mdb", "forum-cjk.mdb", "nwind.mdb"}) {
    Outcome first = RunTool("dump " + Quoted(COURT_SHARED_DIR "/testdata/" + std::string(name)), dir);
    ASSERT_EQ(first.status, 0) << first.err;
    WriteText(dir.File("dump.json"), first.out);
    ASSERT_EQ(RunTool("build " + Quoted(dir.File("dump.json")) + " " + Quoted(dir.File("re.mdb")), dir).status, 0);
    EXPECT_EQ(RunTool("dump " + Quoted(dir.File("re.mdb")), dir).out, first.out) << name;
  }
}

TEST(CourtCatalogue, FailuresExitOneAndSayWhatIsWrong) {
  testing::ScratchDir dir;
  WriteText(dir.File("broken.json"), R"({"tables": [)");
  Outcome malformed = RunTool("build " + Quoted(dir.File("broken.json")) + " " + Quoted(dir.File("out.mdb")), dir);
  EXPECT_EQ(malformed.status, 1);
  EXPECT_NE(malformed.err.find("broken.json' is not valid JSON"), std::string::npos) << malformed.err;
  EXPECT_FALSE(std::filesystem::exists(dir.File("out.mdb")));

  WriteText(dir.File("bad.json"), R"({"tables":[{"name":"T","columns":[{"name":"c","type":"money"}]}]})");
  Outcome bad = RunTool("build " + Quoted(dir.File("bad.json")) + " " + Quoted(dir.File("out.mdb")), dir);
  EXPECT_EQ(bad.status, 1);
  EXPECT_NE(bad.err.find("table 'T', column 'c': unknown type \"money\""), std::string::npos) << bad.err;

  Outcome missing = RunTool("dump " + Quoted(dir.File("none.mdb")), dir);
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find("Could not find file '" + dir.File("none.mdb") + "'"), std::string::npos);
}

TEST(CourtCatalogue, HostileJsonEndsInAShortError) {
  testing::ScratchDir dir;
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
    Outcome outcome = RunTool("build " + Quoted(dir.File("in.json")) + " " + Quoted(dir.File("out.mdb")), dir);
    EXPECT_EQ(outcome.status, 1) << c.says;
    EXPECT_NE(outcome.err.find(c.says), std::string::npos) << outcome.err.substr(0, 300);
    EXPECT_LT(outcome.err.size(), 400u) << c.says;
    EXPECT_FALSE(std::filesystem::exists(dir.File("out.mdb")));
  }
}

TEST(CourtCatalogue, DamagedFileIsNamedWithWhatIsWrong) {
  testing::ScratchDir dir;
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
    Outcome outcome = RunTool("dump " + Quoted(dir.File("damaged.mdb")), dir);
    EXPECT_EQ(outcome.status, 1) << c.says;
    EXPECT_EQ(outcome.out, "");
    EXPECT_NE(outcome.err.find("The file '" + dir.File("damaged.mdb") + "' is damaged: "), std::string::npos)
        << outcome.err;
    EXPECT_NE(outcome.err.find(c.says), std::string::npos) << outcome.err;
  }
}

TEST(CourtCatalogue, WrongUsageExitsTwo) {
  testing::ScratchDir dir;
  for (const char* arguments : {"", "dump", "build only-one", "convert a b", "dump a b"}) {
    Outcome outcome = RunTool(arguments, dir);
    EXPECT_EQ(outcome.status, 2) << arguments;
    EXPECT_NE(outcome.err.find("usage:"), std::string::npos);
  }
}

}  // namespace
}  // namespace court::jet
