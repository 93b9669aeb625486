// Schema catalogues for tests, in court-catalogue's JSON form:
// the tables 表名 and 字段 as a release's table.mdb carries them.

#ifndef COURT_TESTS_SUPPORT_CATALOGUE_JSON_H_
#define COURT_TESTS_SUPPORT_CATALOGUE_JSON_H_

#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

namespace court::testing {

// One 字段 row without its table id. JSON null stands for a null value.
struct ColumnRow {
  nlohmann::json name, type, type_id, length, nulls_allowed, default_expression, identity;
};

// Shorthands for the common shapes; nulls_allowed is 允许空 (1 or 0).
ColumnRow Column(const std::string& name, const std::string& type, int type_id, int length,
                 int nulls_allowed, nlohmann::json default_expression = nullptr);
ColumnRow IdentityColumn(const std::string& name, const std::string& type, int type_id, int length);

// A 表名 row: its name (JSON null allowed) and its columns.
struct CatalogueTable {
  nlohmann::json name;
  std::vector<ColumnRow> columns;
};

// How 字段 stores its two flags: court-catalogue types ("boolean", "long",
// "text" ...). Releases have carried both as yes/no, numbers or words.
struct FlagTypes {
  std::string identity = "boolean";  // 自动编号
  std::string nulls_allowed = "long";  // 允许空
};

// 表名 and 字段 with the tables in the given order; ids count from 1.
nlohmann::json Catalogue(const std::vector<CatalogueTable>& tables, const FlagTypes& flags = {});

}  // namespace court::testing

#endif  // COURT_TESTS_SUPPORT_CATALOGUE_JSON_H_
