#include "platform/jet/catalogue_snapshot.h"

#include "platform/jet/stored_value.h"
#include "platform/jet/text_fold.h"

namespace court::jet {
namespace {

std::string Parameters(std::size_t count) {
  std::string parameters;
  for (std::size_t i = 0; i < count; ++i) parameters += i == 0 ? "?" : ", ?";
  return parameters;
}

// Whether the catalogue looks rows up by this column: a table's number or
// name, or a link to another table's number (字段.id, 运行库文件.运行库_id).
// Jet keeps indexes on such columns; the reader does not carry indexes over,
// so the snapshot makes them, or every lookup would scan the whole table.
bool IsLookupColumn(std::string_view name) {
  const std::u32string folded = FoldCase(name);
  return folded == U"id" || folded == U"name" || folded.ends_with(U"_id");
}

}  // namespace

CatalogueSnapshot::CatalogueSnapshot(const std::filesystem::path& file) : file_(file) {
  db_.Execute("BEGIN");
  for (std::size_t i = 0; i < file_.tables().size(); ++i) {
    const Table& table = file_.tables()[i];
    for (const Column& column : table.columns)
      if (column.type == ColumnType::kText || column.type == ColumnType::kMemo)
        text_columns_.insert(FoldCase(column.name));
    if (table.columns.empty()) continue;  // SQLite has no column-less tables; Jet writes none
    std::string columns;
    for (const Column& column : table.columns) columns += (columns.empty() ? "" : ", ") + ColumnDefinition(column);
    db_.Execute("CREATE TABLE [" + table.name + "] (" + columns + ")");
    unread_.emplace(table.name, i);
  }
  db_.Execute("COMMIT");
}

void CatalogueSnapshot::Load(const std::vector<std::string>& tables) {
  for (const std::string& name : tables) {
    auto unread = unread_.find(name);
    if (unread == unread_.end()) continue;
    Load(unread->second);
    unread_.erase(unread);
  }
}

void CatalogueSnapshot::LoadAll() {
  while (!unread_.empty()) {
    Load(unread_.begin()->second);
    unread_.erase(unread_.begin());
  }
}

void CatalogueSnapshot::Load(std::size_t index) {
  const Table& table = file_.tables()[index];
  Statement insert = Prepare(db_, "INSERT INTO [" + table.name + "] VALUES (" + Parameters(table.columns.size()) + ")");
  db_.Execute("BEGIN");
  try {
    file_.ReadRows(index, [&insert](access::Row&& row) {
      for (std::size_t i = 0; i < row.size(); ++i) BindValue(insert, static_cast<int>(i) + 1, row[i]);
      insert.Step();
      insert.Reset();
    });
  } catch (...) {
    insert.Reset();
    db_.Execute("ROLLBACK");
    throw;
  }
  for (const Column& column : table.columns)
    if (IsLookupColumn(column.name))
      db_.Execute("CREATE INDEX [" + table.name + "." + column.name + "] ON [" + table.name + "] ([" +
                  column.name + "])");
  db_.Execute("COMMIT");
}

bool CatalogueSnapshot::IsTextColumn(std::string_view name) const {
  return text_columns_.count(FoldCase(name)) != 0;
}

}  // namespace court::jet
