#include "tests/data/release_catalogue.h"

#include "schema/sync.h"

namespace court::data::testing {
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

json CatalogueTable(const std::string& name, const json& columns, json rows) {
  return {{"name", name}, {"columns", columns}, {"rows", std::move(rows)}};
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
  json table_rows = json::array();
  json column_rows = json::array();
  json data = json::array();
  int number = 0;
  for (const std::string& name : order_) {
    const Table& table = tables_.at(name);
    json jet_columns = json::array();
    for (const ColumnSpec& column : table.columns) jet_columns.push_back(JetColumn(column));
    data.push_back(CatalogueTable(name, jet_columns, table.rows));
    if (!table.listed) continue;
    table_rows.push_back({++number, name});
    for (const ColumnSpec& column : table.columns) {
      TypeFacts facts = FactsOf(column.type);
      int length = column.type == "varchar" ? column.length : facts.byte_length;
      column_rows.push_back({number, column.name, column.type, facts.type_id, length, column.identity ? 0 : 1,
                             nullptr, column.identity});
    }
  }
  json tables = json::array();
  tables.push_back(CatalogueTable("表名", json::array({{{"name", "id"}, {"type", "long"}},
                                                       {{"name", "name"}, {"type", "text"}, {"size", 50}}}),
                                  table_rows));
  tables.push_back(CatalogueTable("字段",
                                  json::array({{{"name", "id"}, {"type", "long"}},
                                               {{"name", "名称"}, {"type", "text"}, {"size", 50}},
                                               {{"name", "类型"}, {"type", "text"}, {"size", 50}},
                                               {{"name", "类型id"}, {"type", "long"}},
                                               {{"name", "长度"}, {"type", "long"}},
                                               {{"name", "允许空"}, {"type", "long"}},
                                               {{"name", "默认"}, {"type", "text"}, {"size", 100}},
                                               {{"name", "自动编号"}, {"type", "boolean"}}}),
                                  column_rows));
  for (json& table : data) tables.push_back(std::move(table));
  return {{"tables", tables}};
}

std::unique_ptr<court::testing::Installation> InstallCourt(const ReleaseCatalogue& catalogue) {
  auto installation = std::make_unique<court::testing::Installation>(catalogue.ToJson());
  installation->CreateDatabase("法院");
  schema::SyncCourtTables(installation->run());
  installation->ClearTranscript();
  return installation;
}

std::string Base64(const access::Bytes& bytes) {
  static const char* kDigits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string text;
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    unsigned chunk = bytes[i] << 16;
    if (i + 1 < bytes.size()) chunk |= bytes[i + 1] << 8;
    if (i + 2 < bytes.size()) chunk |= bytes[i + 2];
    text += kDigits[(chunk >> 18) & 63];
    text += kDigits[(chunk >> 12) & 63];
    text += i + 1 < bytes.size() ? kDigits[(chunk >> 6) & 63] : '=';
    text += i + 2 < bytes.size() ? kDigits[chunk & 63] : '=';
  }
  return text;
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

}  // namespace court::data::testing
