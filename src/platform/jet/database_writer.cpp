#include "platform/jet/database_writer.h"

#include <unistd.h>

#include "platform/jet/header_page.h"
#include "platform/jet/table_checks.h"
#include "platform/jet/table_writer.h"

namespace court::jet {
namespace {

using access::Value;

constexpr std::uint32_t kCatalogueDefinitionPage = 2;
constexpr std::int64_t kTablesContainer = 0x0F000001;  // the parent of every table
constexpr std::int64_t kSystemObjectFlag = static_cast<std::int32_t>(0x80000000);
constexpr std::int64_t kTableObject = 1;

// MSysObjects with the columns both readers look for, and one row per table
// (itself included, so that it can be exported like any table).
Table SystemCatalogue(const std::vector<Table>& tables, const std::vector<std::uint32_t>& definitions) {
  Table catalogue{"MSysObjects",
                  {{"Id", ColumnType::kLong},
                   {"ParentId", ColumnType::kLong},
                   {"Name", ColumnType::kText, 255},
                   {"Type", ColumnType::kInteger},
                   {"Flags", ColumnType::kLong},
                   {"LvProp", ColumnType::kOle}},
                  {}};
  auto add = [&](std::int64_t id, const std::string& name, std::int64_t flags) {
    catalogue.rows.push_back({Value::Integer(id), Value::Integer(kTablesContainer), Value::Text(name),
                              Value::Integer(kTableObject), Value::Integer(flags), Value()});
  };
  add(kCatalogueDefinitionPage, catalogue.name, kSystemObjectFlag);
  for (std::size_t i = 0; i < tables.size(); ++i) add(definitions[i], tables[i].name, 0);
  return catalogue;
}

void WriteFile(const std::vector<Table>& tables, const std::filesystem::path& path) {
  PageFile file(path);
  file.Allocate(3);
  file.Write(0, DatabaseHeaderPage());
  file.Write(1, Page{});
  PagedRows usage_maps(file, 0);
  std::vector<std::uint32_t> definitions;
  for (const Table& table : tables) definitions.push_back(WriteTable(file, usage_maps, table, {}));
  WriteTable(file, usage_maps, SystemCatalogue(tables, definitions), {kCatalogueDefinitionPage, true});
  usage_maps.Flush();
  file.Close();
}

}  // namespace

void WriteDatabase(const std::vector<Table>& tables, const std::filesystem::path& path) {
  CheckTables(tables);
  std::filesystem::path temporary = path;
  temporary += ".partial-" + std::to_string(::getpid());
  try {
    WriteFile(tables, temporary);
    std::filesystem::rename(temporary, path);
  } catch (...) {
    std::error_code ignored;
    std::filesystem::remove(temporary, ignored);
    throw;
  }
}

}  // namespace court::jet
