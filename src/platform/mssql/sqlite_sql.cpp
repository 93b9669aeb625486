// SQLite statements on tables, views and rows.

#include "platform/mssql/sqlite_sql.h"

#include "platform/mssql/sqlite_db.h"

namespace court::mssql {

namespace {

std::string Where(const std::string& condition) { return condition.empty() ? "" : " WHERE " + condition; }

std::string Aliased(const TableMeta& table, const std::string& alias) {
  return table.SqliteName() + (alias.empty() ? "" : " AS " + alias);
}

}  // namespace

std::string CreateTableSql(const std::string& name, const std::vector<std::string>& columns, int rowid_column) {
  std::string sql = "CREATE TABLE " + name + " (";
  for (std::size_t i = 0; i < columns.size(); ++i)
    sql += (i ? ", " : "") + (static_cast<int>(i) == rowid_column ? QuoteIdentifier(columns[i]) + " INTEGER PRIMARY KEY"
                                                                   : SqliteColumn(columns[i]));
  return sql + ")";
}

std::string CreateViewSql(const std::string& name, const std::vector<std::string>& columns,
                          const std::string& select) {
  std::string sql = "CREATE VIEW " + name + " (";
  for (std::size_t i = 0; i < columns.size(); ++i) sql += (i ? ", " : "") + QuoteIdentifier(columns[i]);
  return sql + ") AS " + select;
}

std::string AddColumnSql(const TableMeta& table, const std::string& column) {
  return "ALTER TABLE " + table.SqliteName() + " ADD COLUMN " + SqliteColumn(column);
}

std::string DropColumnSql(const TableMeta& table, const std::string& column) {
  return "ALTER TABLE " + table.SqliteName() + " DROP COLUMN " + QuoteIdentifier(column);
}

std::string InsertRowSql(const TableMeta& table) {
  std::string names, marks;
  for (std::size_t i = 0; i < table.columns.size(); ++i) {
    names += (i ? ", " : "") + QuoteIdentifier(table.columns[i].name);
    marks += (i ? ", ?" : "?") + std::to_string(i + 1);
  }
  return "INSERT INTO " + table.SqliteName() + " (" + names + ") VALUES (" + marks + ")";
}

std::string UpdateRowsSql(const TableMeta& table, const std::vector<std::pair<std::string, std::string>>& assignments,
                          const std::string& condition) {
  std::string sql = "UPDATE " + table.SqliteName() + " AS t0 SET ";
  for (std::size_t i = 0; i < assignments.size(); ++i)
    sql += (i ? ", " : "") + QuoteIdentifier(assignments[i].first) + " = " + assignments[i].second;
  return sql + Where(condition);
}

std::string SetColumnSql(const TableMeta& table, const std::string& column, bool one_row) {
  return "UPDATE " + table.SqliteName() + " SET " + QuoteIdentifier(column) + " = ?1" +
         (one_row ? " WHERE rowid = ?2" : "");
}

std::string DeleteRowsSql(const TableMeta& table, const std::string& alias, const std::string& condition) {
  return "DELETE FROM " + Aliased(table, alias) + Where(condition);
}

std::string AnyRowSql(const TableMeta& table, const std::string& alias, const std::string& condition) {
  return "SELECT 1 FROM " + Aliased(table, alias) + Where(condition) + " LIMIT 1";
}

}  // namespace court::mssql
