// Transcript lines are JSON that gives back the statement byte for byte.

#include "platform/access/transcript.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"

namespace court::access {
namespace {

std::vector<nlohmann::json> ReadLines(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::vector<nlohmann::json> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(nlohmann::json::parse(line));
  return lines;
}

TEST(Transcript, KeepsStatementsExactAndNumbersThem) {
  const testing::TempDir folder;
  const auto file = folder.path() / "transcript.jsonl";
  const std::string batch = "use 法院\r\nALTER TABLE 案由 WITH NOCHECK \r\nADD CONSTRAINT 案由1_ck CHECK ( a > '\"' )";
  {
    Transcript transcript(file.string());
    transcript.Record("法院", "execute", batch, true);
    transcript.Record("catalogue", "query", "SELECT  name FROM 表名  ", false, "Invalid object name '表名'.");
  }
  auto lines = ReadLines(file);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0]["seq"], 1);
  EXPECT_EQ(lines[0]["target"], "法院");
  EXPECT_EQ(lines[0]["kind"], "execute");
  EXPECT_EQ(lines[0]["sql"].get<std::string>(), batch);
  EXPECT_EQ(lines[0]["ok"], true);
  EXPECT_FALSE(lines[0].contains("error"));
  EXPECT_EQ(lines[1]["seq"], 2);
  EXPECT_EQ(lines[1]["sql"].get<std::string>(), "SELECT  name FROM 表名  ");
  EXPECT_EQ(lines[1]["ok"], false);
  EXPECT_EQ(lines[1]["error"], "Invalid object name '表名'.");
  std::filesystem::remove(file);
}

}  // namespace
}  // namespace court::access
