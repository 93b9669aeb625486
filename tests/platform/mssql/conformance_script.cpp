#include "tests/platform/mssql/conformance_script.h"

#include <fstream>
#include <sstream>

namespace court::mssql {

std::string ReadFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<ScriptBatch> ReadScript(const std::filesystem::path& file) {
  std::string text = ReadFile(file);
  std::vector<ScriptBatch> batches;
  std::string database = "master", current;
  auto flush = [&] {
    // A batch ends with the line break before GO; that break is no part of it.
    if (current.size() >= 2 && current.compare(current.size() - 2, 2, "\r\n") == 0) current.resize(current.size() - 2);
    else if (!current.empty() && current.back() == '\n') current.pop_back();
    if (!current.empty()) batches.push_back({database, current});
    current.clear();
  };
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start + 1);
    start = end == std::string::npos ? text.size() : end + 1;
    std::string bare = line;
    while (!bare.empty() && (bare.back() == '\n' || bare.back() == '\r')) bare.pop_back();
    if (bare == "GO") {
      flush();
    } else if (bare.rfind("--@ database ", 0) == 0 && current.empty()) {
      database = bare.substr(13);
    } else {
      current += line;
    }
  }
  flush();
  return batches;
}

std::string ExpectedBlock(const ScriptBatch& batch, const std::string& output) {
  const std::string database = batch.database == "master" ? "" : "--@ database " + batch.database + "\n";
  return database + batch.text + "\n----\n" + output;
}

}  // namespace court::mssql
