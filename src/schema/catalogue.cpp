#include "schema/catalogue.h"

#include "platform/text/ascii.h"

namespace court::schema {
namespace {

std::string OfTable(std::string_view table) {
  return " from 字段 where 名称 and  id in ( select id from 表名 where name = '" + std::string(table) +
         "' )";
}

// Jet hands a yes/no flag back as a boolean, but catalogues written by other
// tools carry it as -1/1 or as the words True/yes.
bool IsJetTrue(const access::Value& value) {
  std::string text = text::Lower(access::Trimmed(value));
  return text == "1" || text == "-1" || text == "true" || text == "yes";
}

std::optional<std::string> Optional(const access::Value& value, std::string text) {
  if (value.is_null()) return std::nullopt;
  return text;
}

}  // namespace

std::string CreationColumnsQuery(std::string_view table) { return "select *" + OfTable(table); }

std::string AlterationColumnsQuery(std::string_view table) {
  return "select 类型id, 长度,  允许空 ,默认, 名称 ,类型 ,自动编号" + OfTable(table);
}

std::string CatalogueColumn::DefaultExpression() const {
  return stored_default ? access::RightTrim(*stored_default) : std::string();
}

CatalogueColumn ReadCatalogueColumn(access::Recordset& columns) {
  const access::Value& type = columns.Fields("类型").value();
  const access::Value& nulls_allowed = columns.Fields("允许空").value();
  const access::Value& stored_default = columns.Fields("默认").value();
  CatalogueColumn column;
  column.name = access::Trimmed(columns.Fields("名称").value());
  column.type = Optional(type, access::Trimmed(type));
  column.length = access::Trimmed(columns.Fields("长度").value());
  column.identity = IsJetTrue(columns.Fields("自动编号").value());
  column.rejects_nulls = !nulls_allowed.is_null() && access::Trimmed(nulls_allowed) == "0";
  column.stored_default = Optional(stored_default, stored_default.ToText());
  return column;
}

}  // namespace court::schema
