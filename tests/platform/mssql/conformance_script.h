// Conformance scripts and their expected text.
//
// A script (NAME.sql) is batches separated by GO lines, with `--@ database
// NAME` lines naming the database the following batches connect to. Its
// expected text (NAME.expected) has one block per batch, blocks separated
// by an empty line; a block repeats the batch, then a line `----`, then
// what running the batch printed:
//
//   --@ database 法院
//   select id from 运行库 where 使用名称 = 'WORD'
//   ----
//   id
//   1
//   (exit 0)
//
// The database line appears when the batch connects to another database
// than master. The output is standard output, standard error and a line
// `(exit N)`.

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

// The block of the expected text for a batch that printed output.
std::string ExpectedBlock(const ScriptBatch& batch, const std::string& output);

}  // namespace court::mssql

#endif  // COURT_TESTS_PLATFORM_MSSQL_CONFORMANCE_SCRIPT_H_
