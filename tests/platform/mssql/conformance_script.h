// Conformance scripts: batches separated by GO lines, with the database each
// batch connects to.

#ifndef COURT_TESTS_PLATFORM_MSSQL_CONFORMANCE_SCRIPT_H_
#define COURT_TESTS_PLATFORM_MSSQL_CONFORMANCE_SCRIPT_H_

#include <filesystem>
#include <string>
#include <vector>

namespace court::mssql {

struct ScriptBatch {
  std::string database;
  std::string text;
};

std::vector<ScriptBatch> ReadScript(const std::filesystem::path& file);
std::string ReadFile(const std::filesystem::path& file);

}  // namespace court::mssql

#endif  // COURT_TESTS_PLATFORM_MSSQL_CONFORMANCE_SCRIPT_H_
