#include "tests/support/catalogue_json.h"

namespace court::testing {

using nlohmann::json;

ColumnRow Column(const std::string& name, const std::string& type, int type_id, int length,
                 int nulls_allowed, json default_expression) {
  return {name, type, type_id, length, nulls_allowed, std::move(default_expression), false};
}

ColumnRow IdentityColumn(const std::string& name, const std::string& type, int type_id, int length) {
  return {name, type, type_id, length, 0, nullptr, true};
}

namespace {

json FieldColumn(const std::string& name, const std::string& type) {
  json column = {{"name", name}, {"type", type}};
  if (type == "text") column["size"] = 50;
  return column;
}

}  // namespace

json Catalogue(const std::vector<CatalogueTable>& tables, const FlagTypes& flags) {
  json names = json::array(), columns = json::array();
  for (std::size_t i = 0; i < tables.size(); ++i) {
    int id = static_cast<int>(i) + 1;
    names.push_back({id, tables[i].name});
    for (const ColumnRow& c : tables[i].columns)
      columns.push_back({id, c.name, c.type, c.type_id, c.length, c.nulls_allowed, c.default_expression,
                         c.identity});
  }
  return {{"tables",
           {{{"name", "表名"},
             {"columns", {{{"name", "id"}, {"type", "long"}}, {{"name", "name"}, {"type", "text"}, {"size", 50}}}},
             {"rows", names}},
            {{"name", "字段"},
             {"columns",
              {{{"name", "id"}, {"type", "long"}},
               {{"name", "名称"}, {"type", "text"}, {"size", 50}},
               {{"name", "类型"}, {"type", "text"}, {"size", 50}},
               {{"name", "类型id"}, {"type", "long"}},
               {{"name", "长度"}, {"type", "long"}},
               FieldColumn("允许空", flags.nulls_allowed),
               {{"name", "默认"}, {"type", "text"}, {"size", 50}},
               FieldColumn("自动编号", flags.identity)}},
             {"rows", columns}}}}};
}

}  // namespace court::testing
