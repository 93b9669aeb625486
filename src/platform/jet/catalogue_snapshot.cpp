#include "platform/jet/catalogue_snapshot.h"

#include "platform/jet/isolated_read.h"
#include "platform/jet/stored_value.h"
#include "platform/jet/text_fold.h"

namespace court::jet {
namespace {

void CreateTable(SqliteDb& db, const Table& table) {
  if (table.columns.empty()) return;  // SQLite has no column-less tables; Jet writes none
  std::string columns;
  std::string parameters;
  for (const Column& column : table.columns) {
    columns += (columns.empty() ? "" : ", ") + ColumnDefinition(column);
    parameters += parameters.empty() ? "?" : ", ?";
  }
  db.Execute("CREATE TABLE [" + table.name + "] (" + columns + ")");
  Statement insert(db, "INSERT INTO [" + table.name + "] VALUES (" + parameters + ")");
  for (const access::Row& row : table.rows) {
    for (std::size_t i = 0; i < row.size(); ++i) BindValue(insert.get(), static_cast<int>(i) + 1, row[i]);
    insert.Step();
    insert.Reset();
  }
}

}  // namespace

CatalogueSnapshot::CatalogueSnapshot(const std::filesystem::path& file) {
  db_.Execute("BEGIN");
  for (const Table& table : ReadTablesIsolated(file)) {
    for (const Column& column : table.columns)
      if (column.type == ColumnType::kText || column.type == ColumnType::kMemo)
        text_columns_.insert(FoldCase(column.name));
    CreateTable(db_, table);
  }
  db_.Execute("COMMIT");
}

bool CatalogueSnapshot::IsTextColumn(std::string_view name) const {
  return text_columns_.count(FoldCase(name)) != 0;
}

}  // namespace court::jet
