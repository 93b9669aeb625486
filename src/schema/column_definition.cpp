#include "schema/column_definition.h"

#include <array>

namespace court::schema {
namespace {

bool Contains(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

// Types whose size the server fixes itself; a length would be rejected.
bool IsFixedSize(std::string_view type) {
  static constexpr std::array<std::string_view, 16> kFixed = {
      "bigint", "int",   "float",      "ntext",       "bit",  "decimal",   "image",   "money",
      "real",   "smallint", "smallmoney", "sql_variant", "text", "timestamp", "tinyint",
      "uniqueidentifier"};
  if (Contains(type, "datetime")) return true;
  for (std::string_view fixed : kFixed)
    if (type == fixed) return true;
  return false;
}

std::string Declaration(const CatalogueColumn& column, bool identity) {
  std::string type = column.type.value_or("");
  std::string text = " [" + type + "] ";
  if (column.type && !IsFixedSize(type)) text += " (" + column.length + " ) ";
  if (identity) return text + " IDENTITY (1, 1) NOT NULL ";
  if (Contains(type, "text") || Contains(type, "char")) text += "  COLLATE Chinese_PRC_CI_AS ";
  if (column.rejects_nulls) text += " not ";
  return text + " null";
}

}  // namespace

std::string DefaultName(std::string_view table, std::string_view column) {
  return "DF_" + std::string(table) + "_" + std::string(column);
}

ColumnTexts DefineColumn(const CatalogueColumn& column, std::string_view table,
                         IdentityUse identity_use) {
  const std::string& name = column.name;
  const std::string table_name(table);
  bool identity = column.identity && identity_use == IdentityUse::kAsFlagged;
  ColumnTexts texts;
  texts.declaration = Declaration(column, identity);
  texts.definition = "[" + name + "]" + texts.declaration;
  if (identity)
    texts.primary_key = "CONSTRAINT [" + table_name + "1] PRIMARY KEY  CLUSTERED ( [" + name +
                        "]) ON [PRIMARY] ";
  std::string expression = column.DefaultExpression();
  if (!expression.empty())
    texts.default_clause =
        "CONSTRAINT [" + DefaultName(table, name) + "] DEFAULT " + expression + " FOR [" + name + "]";
  return texts;
}

}  // namespace court::schema
