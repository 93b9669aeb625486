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

void BindAll(const Statement& statement, const std::vector<access::Value>& values) {
  for (std::size_t i = 0; i < values.size(); ++i)
    BindValue(statement.get(), static_cast<int>(i) + 1, values[i]);
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
  Statement statement(Writing(), Translate(sql, nullptr));
  while (statement.Step()) {
  }
}

access::ResultSet CatalogueSession::Query(std::string_view sql) {
  access::ResultSet result;
  std::vector<std::string> tables;
  Statement statement(Reading(), Translate(sql, &result.base_table), own_ ? nullptr : &tables);
  snapshot_->Load(tables);
  sqlite3_stmt* s = statement.get();
  const int first = result.base_table ? 1 : 0;  // column 0 then holds the row identity
  const int count = sqlite3_column_count(s);
  std::vector<std::optional<ColumnType>> declared;
  for (int i = first; i < count; ++i) {
    declared.push_back(DeclaredColumnType(s, i));
    access::ColumnInfo info;
    info.name = ResultName(s, i);
    info.type = declared.back() ? ValueTypeOf(*declared.back()) : access::ValueType::kNull;
    if (result.base_table && sqlite3_column_origin_name(s, i) != nullptr)
      info.base_column = sqlite3_column_origin_name(s, i);
    result.columns.push_back(std::move(info));
  }
  while (statement.Step()) {
    if (result.base_table) result.row_ids.push_back(sqlite3_column_int64(s, 0));
    access::Row row;
    for (int i = first; i < count; ++i) {
      const auto column = static_cast<std::size_t>(i - first);
      row.push_back(ReadValue(s, i, declared[column]));
      // An expression's kind is the kind of the values it gives.
      access::ColumnInfo& info = result.columns[column];
      if (info.type == access::ValueType::kNull) info.type = row.back().type();
    }
    result.rows.push_back(std::move(row));
  }
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
  Statement statement(db, sql);
  BindAll(statement, values);
  statement.Step();
  return sqlite3_last_insert_rowid(db.handle());
}

void CatalogueSession::UpdateRow(const std::string& table, std::int64_t row_id,
                                 const std::vector<std::string>& columns,
                                 const std::vector<access::Value>& values) {
  if (columns.empty()) return;
  std::string assignments;
  for (const std::string& column : columns)
    assignments += (assignments.empty() ? "[" : ", [") + column + "] = ?";
  Statement statement(Writing(), "UPDATE [" + table + "] SET " + assignments + " WHERE _rowid_ = ?");
  BindAll(statement, values);
  sqlite3_bind_int64(statement.get(), static_cast<int>(values.size()) + 1, row_id);
  statement.Step();
}

}  // namespace court::jet
