#include "oracles.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <stdexcept>

#include "tests/support/child_process.h"
#include "tests/support/shared_setup.h"

namespace court::jet::testing {
namespace {

// Splits mdb-export's CSV: fields quoted with ", a doubled quote inside,
// line breaks allowed within quotes.
std::vector<std::vector<std::string>> ParseCsv(const std::string& text) {
  std::vector<std::vector<std::string>> rows;
  std::vector<std::string> row;
  std::string field;
  bool quoted = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted) {
      if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') field += text[++i];
      else if (c == '"') quoted = false;
      else field += c;
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      row.push_back(std::move(field));
      field.clear();
    } else if (c == '\n') {
      row.push_back(std::move(field));
      field.clear();
      rows.push_back(std::move(row));
      row.clear();
    } else {
      field += c;
    }
  }
  return rows;
}
bool OnPath(const std::string& program) {
  const char* path = std::getenv("PATH");
  std::istringstream folders(path ? path : "");
  for (std::string folder; std::getline(folders, folder, ':');)
    if (::access((std::filesystem::path(folder) / program).c_str(), X_OK) == 0) return true;
  return false;
}

}  // namespace

std::string MdbTool(const std::vector<std::string>& argv) {
  return court::testing::RunProgram({.argv = argv, .env = {{"LC_ALL", "C.UTF-8"}}}).out;
}

std::vector<std::string> MdbTables(const std::string& file) {
  std::vector<std::string> names;
  const std::string text = MdbTool({"mdb-tables", "-1", file});
  for (std::size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
    names.push_back(text.substr(start, end - start));
  return names;
}

std::vector<std::vector<std::string>> MdbExport(const std::string& file, const std::string& table) {
  auto rows = ParseCsv(MdbTool({"mdb-export", "-b", "hex", "-T", "%Y-%m-%d %H:%M:%S", file, table}));
  if (!rows.empty()) rows.erase(rows.begin());
  return rows;
}

std::vector<std::pair<std::string, std::string>> MdbSchema(const std::string& file, const std::string& table) {
  std::vector<std::pair<std::string, std::string>> columns;
  const std::string text = MdbTool({"mdb-schema", "-T", table, file, "access"});
  // Column lines read "\t[name]\t\t\tType (size),"
  for (std::size_t start = 0, end; start < text.size(); start = end + 1) {
    end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (line.rfind("\t[", 0) != 0) continue;
    std::size_t close = line.find(']');
    std::string type = line.substr(line.find_first_not_of('\t', close + 1));
    type = type.substr(0, type.find_last_not_of(", ") + 1);
    if (type.size() > 9 && type.ends_with(" NOT NULL")) type.resize(type.size() - 9);
    columns.emplace_back(line.substr(2, close - 2), type);
  }
  return columns;
}

std::optional<nlohmann::json> MdbReader(const std::string& file, std::string* why) {
  if (!OnPath("node") || !OnPath("npm")) {
    *why = "node and npm are needed to run mdb-reader; install the Debian packages nodejs and npm";
    return std::nullopt;
  }
  const std::string modules = court::testing::NpmModules(COURT_BUILD_DIR "/jet-oracle", "mdb-reader@3.2.0");
  const court::testing::ProgramResult read = court::testing::RunProgram(
      {.argv = {"node", COURT_SOURCE_DIR "/tests/platform/jet/oracle/read-mdb.mjs", modules, file}});
  if (read.exit_code != 0) throw std::runtime_error("mdb-reader could not read " + file + ": " + read.err);
  return nlohmann::json::parse(read.out);
}

}  // namespace court::jet::testing
