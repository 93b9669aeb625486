#include "tests/support/release_catalogue.h"

#include "schema/sync.h"
#include "tests/support/catalogue_json.h"

namespace court::testing {
namespace {

using nlohmann::json;

struct TypeFacts {
  int type_id;     // syscolumns.xtype
  int byte_length; // syscolumns.length for fixed-size types
  const char* jet_type;
};

TypeFacts FactsOf(const std::string& type) {
  static const std::map<std::string, TypeFacts> facts = {
      {"int", {56, 4, "long"}},      {"smallint", {52, 2, "integer"}}, {"varchar", {167, 0, "text"}},
      {"datetime", {61, 8, "datetime"}}, {"float", {62, 8, "double"}},  {"money", {60, 8, "currency"}},
      {"bit", {104, 1, "boolean"}},  {"image", {34, 16, "ole"}},
  };
  return facts.at(type);
}

json JetColumn(const ColumnSpec& column) {
  json jet = {{"name", column.name}, {"type", FactsOf(column.type).jet_type}};
  if (column.type == "varchar") jet["size"] = column.length;
  return jet;
}

}  // namespace

ReleaseCatalogue::ReleaseCatalogue() {
  DefineTable("常用数据", {{"no", "int", 4, true},
                           {"名称", "varchar", 50},
                           {"内容1", "varchar", 100},
                           {"内容2", "varchar", 100},
                           {"内容3", "varchar", 100},
                           {"内容4", "varchar", 100}});
  DefineTable("案由", {{"案由编号", "int", 4, true}, {"名称", "varchar", 100}, {"级别", "smallint"}});
  DefineTable("法律条文", {{"id", "int", 4, true},
                           {"标题", "varchar", 100},
                           {"施行日期", "datetime"},
                           {"权重", "float"},
                           {"罚金", "money"},
                           {"有效", "bit"}});
  DefineTable("日历", {{"id", "int", 4, true}, {"日期", "datetime"}, {"工作日", "bit"}, {"说明", "varchar", 50}});
  DefineTable("文书样本库", {{"id", "int"}, {"名称", "varchar", 100}, {"来源", "varchar", 50}, {"样本", "image"}});
  DefineTable("文书资料", {{"ws_id", "int"}, {"名称", "varchar", 100}, {"所有人", "varchar", 50}, {"内容", "image"}});
  DefineTable("运行库", {{"id", "int", 4, true}, {"使用名称", "varchar", 50}, {"版本", "varchar", 20}});
  DefineTable("运行库文件", {{"id", "int", 4, true},
                             {"文件名", "varchar", 100},
                             {"运行", "varchar", 50},
                             {"运行库_id", "int"},
                             {"内容", "image"}});
  DefineTable("法庭概况", {{"id", "int", 4, true}, {"法庭名称", "varchar", 50}, {"排列", "int"}});
  DefineTable("升级版本", {{"升级版本号", "float"}});
}

void ReleaseCatalogue::DefineTable(const std::string& name, std::vector<ColumnSpec> columns) {
  if (!tables_.count(name)) order_.push_back(name);
  tables_[name] = Table{std::move(columns)};
}

json ReleaseCatalogue::ToJson() const {
  std::vector<CatalogueTable> listed;
  json tables = json::array();
  for (const std::string& name : order_) {
    const Table& table = tables_.at(name);
    json jet_columns = json::array();
    for (const ColumnSpec& column : table.columns) jet_columns.push_back(JetColumn(column));
    tables.push_back({{"name", name}, {"columns", jet_columns}, {"rows", table.rows}});
    if (!table.listed) continue;
    CatalogueTable entry{name, {}};
    for (const ColumnSpec& column : table.columns) {
      TypeFacts facts = FactsOf(column.type);
      int length = column.type == "varchar" ? column.length : facts.byte_length;
      entry.columns.push_back({column.name, column.type, facts.type_id, length, column.identity ? 0 : 1,
                               nullptr, column.identity});
    }
    listed.push_back(std::move(entry));
  }
  json catalogue = Catalogue(listed);
  for (json& table : tables) catalogue["tables"].push_back(std::move(table));
  return catalogue;
}

std::unique_ptr<court::testing::Installation> InstallCourt(const ReleaseCatalogue& catalogue) {
  auto installation = std::make_unique<court::testing::Installation>(catalogue.ToJson());
  installation->CreateDatabase("法院");
  schema::SyncCourtTables(installation->run());
  installation->ClearTranscript();
  return installation;
}

access::Bytes Pattern(std::size_t count, unsigned seed) {
  access::Bytes bytes(count);
  unsigned state = seed * 2654435761u + 1;
  for (auto& byte : bytes) {
    state = state * 1103515245u + 12345u;
    byte = static_cast<unsigned char>(state >> 16);
  }
  return bytes;
}

}  // namespace court::testing
