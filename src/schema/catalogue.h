// The schema catalogue as the table steps read it: the column queries of
// table.mdb's 字段 and one catalogue column taken from a row of them.

#ifndef COURT_SCHEMA_CATALOGUE_H_
#define COURT_SCHEMA_CATALOGUE_H_

#include <optional>
#include <string>
#include <string_view>

#include "platform/access/recordset.h"

namespace court::schema {

// Every 字段 column of the 表名 rows named table, all fields.
std::string CreationColumnsQuery(std::string_view table);
// The same rows with 类型id, 长度 and 允许空 as fields 0, 1 and 2, compared
// by position with syscolumns.
std::string AlterationColumnsQuery(std::string_view table);

// One catalogue column, each value right-trimmed unless said otherwise.
struct CatalogueColumn {
  std::string name;                 // 名称
  std::optional<std::string> type;  // 类型; a null type is not even empty text
  std::string length;               // 长度
  bool identity = false;            // 自动编号 holds one of Jet's true values
  bool rejects_nulls = false;       // 允许空 reads 0
  // 默认 exactly as stored (blanks kept); absent when null.
  std::optional<std::string> stored_default;

  // 默认 right-trimmed: the expression that goes into statements.
  std::string DefaultExpression() const;
  // Whether 默认 as stored is neither null nor empty; blanks count as a default.
  bool HasStoredDefault() const { return stored_default && !stored_default->empty(); }
};

// Reads the current row of a record set of either column query by field name.
CatalogueColumn ReadCatalogueColumn(access::Recordset& columns);

}  // namespace court::schema

#endif  // COURT_SCHEMA_CATALOGUE_H_
