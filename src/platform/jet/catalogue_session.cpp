#include "platform/jet/catalogue_session.h"

#include "platform/jet/jet_sql.h"
#include "platform/jet/stored_value.h"
#include "platform/jet/text_fold.h"

namespace court::jet {
namespace {

// Jet names a plain column result as the table spells the column; SQLite
// as the query did. An alias keeps the query's spelling.
std::string ResultName(sqlite3_stmt* statement, int column) {
  const char* name = sqlite3_column_name(statement, column);
  const char* origin = sqlite3_column_origin_name(statement, column);
  if (origin != nullptr && CompareAsJet(name, origin) == 0) return origin;
  return name;
}

void BindAll(Statement& statement, const std::vector<access::Value>& values) {
  for (std::size_t i = 0; i < values.size(); ++i) BindValue(statement, static_cast<int>(i) + 1, values[i]);
}

}  // namespace

CatalogueSession::CatalogueSession(std::shared_ptr<CatalogueSnapshot> snapshot)
    : snapshot_(std::move(snapshot)) {}

const SqliteDb& CatalogueSession::Writing() {
  if (!own_) {
    snapshot_->LoadAll();
    own_ = std::make_unique<SqliteDb>();
    own_->CopyFrom(snapshot_->db());
  }
  return *own_;
}

std::string CatalogueSession::Translate(std::string_view sql,
                                        std::optional<std::string>* base_table) const {
  TranslatedQuery translated = TranslateQuery(
      sql, [this](std::string_view name) { return snapshot_->IsTextColumn(name); });
  if (base_table != nullptr) *base_table = translated.base_table;
  return translated.sql;
}

void CatalogueSession::Execute(std::string_view sql) {
  Statement statement = Prepare(Writing(), Translate(sql, nullptr));
  while (statement.Step()) {
  }
}

// A query's rows as SQLite steps through them. For a result from one base
// table, column 0 of the translated query holds the row identity.
namespace {

class CatalogueCursor : public access::RowCursor {
 public:
  CatalogueCursor(const SqliteDb& db, const std::string& sql, std::optional<std::string> base_table,
                  std::vector<std::string>* tables)
      : statement_(Prepare(db, sql, tables)), base_table_(std::move(base_table)), first_(base_table_ ? 1 : 0) {
    sqlite3_stmt* s = statement_.handle();
    for (int i = first_; i < statement_.ColumnCount(); ++i) {
      declared_.push_back(DeclaredColumnType(statement_, i));
      access::ColumnInfo info;
      info.name = ResultName(s, i);
      info.type = declared_.back() ? ValueTypeOf(*declared_.back()) : access::ValueType::kNull;
      if (base_table_ && sqlite3_column_origin_name(s, i) != nullptr)
        info.base_column = sqlite3_column_origin_name(s, i);
      columns_.push_back(std::move(info));
    }
  }

  const std::vector<access::ColumnInfo>& columns() const override { return columns_; }
  const std::optional<std::string>& base_table() const override { return base_table_; }

  bool Next(access::Row& row, std::int64_t& row_id) override {
    if (!statement_.Step()) return false;
    row_id = base_table_ ? statement_.ColumnInt64(0) : -1;
    row.clear();
    for (std::size_t column = 0; column < columns_.size(); ++column) {
      row.push_back(ReadValue(statement_, first_ + static_cast<int>(column), declared_[column]));
      // An expression's kind is the kind of the values it gives.
      if (columns_[column].type == access::ValueType::kNull) columns_[column].type = row.back().type();
    }
    return true;
  }

 private:
  Statement statement_;
  std::optional<std::string> base_table_;
  int first_;
  std::vector<std::optional<ColumnType>> declared_;
  std::vector<access::ColumnInfo> columns_;
};

}  // namespace

std::unique_ptr<access::RowCursor> CatalogueSession::OpenCursor(std::string_view sql) {
  std::optional<std::string> base_table;
  std::vector<std::string> tables;
  const std::string translated = Translate(sql, &base_table);
  auto cursor = std::make_unique<CatalogueCursor>(Reading(), translated, std::move(base_table),
                                                  own_ ? nullptr : &tables);
  snapshot_->Load(tables);
  return cursor;
}

access::ResultSet CatalogueSession::Query(std::string_view sql) {
  std::unique_ptr<access::RowCursor> cursor = OpenCursor(sql);
  access::ResultSet result;
  access::Row row;
  std::int64_t row_id = -1;
  while (cursor->Next(row, row_id)) {
    result.rows.push_back(std::move(row));
    if (cursor->base_table()) result.row_ids.push_back(row_id);
  }
  result.columns = cursor->columns();
  result.base_table = cursor->base_table();
  // A column that gave no value to tell its kind reads as text.
  for (access::ColumnInfo& info : result.columns)
    if (info.type == access::ValueType::kNull) info.type = access::ValueType::kText;
  return result;
}

std::int64_t CatalogueSession::InsertRow(const std::string& table,
                                         const std::vector<std::string>& columns,
                                         const std::vector<access::Value>& values) {
  std::string names;
  std::string parameters;
  for (const std::string& column : columns) {
    names += (names.empty() ? "[" : ", [") + column + "]";
    parameters += parameters.empty() ? "?" : ", ?";
  }
  std::string sql = columns.empty() ? "INSERT INTO [" + table + "] DEFAULT VALUES"
                                    : "INSERT INTO [" + table + "] (" + names + ") VALUES (" +
                                          parameters + ")";
  const SqliteDb& db = Writing();
  Statement statement = Prepare(db, sql);
  BindAll(statement, values);
  statement.Step();
  return sqlite3_last_insert_rowid(db.database().handle());
}

void CatalogueSession::UpdateRow(const std::string& table, std::int64_t row_id,
                                 const std::vector<std::string>& columns,
                                 const std::vector<access::Value>& values) {
  if (columns.empty()) return;
  std::string assignments;
  for (const std::string& column : columns)
    assignments += (assignments.empty() ? "[" : ", [") + column + "] = ?";
  Statement statement = Prepare(Writing(), "UPDATE [" + table + "] SET " + assignments + " WHERE _rowid_ = ?");
  BindAll(statement, values);
  statement.BindInt64(static_cast<int>(values.size()) + 1, row_id);
  statement.Step();
}

}  // namespace court::jet
