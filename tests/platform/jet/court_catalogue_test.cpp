// court-catalogue as its users run it.

#include <gtest/gtest.h>

#include <fstream>

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
