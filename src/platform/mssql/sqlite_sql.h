// SQLite's SQL for the statements the engine writes itself: creating and
// changing tables and views, and writing rows. Queries compiled from T-SQL
// come from the emitter (sql_emitter.h); what those statements have in
// common with them (quoting names, the CI collation of text columns) is
// written here from the same helpers, so SQLite's dialect has one home.

#ifndef COURT_PLATFORM_MSSQL_SQLITE_SQL_H_
#define COURT_PLATFORM_MSSQL_SQLITE_SQL_H_

#include <string>
#include <utility>
#include <vector>

#include "platform/mssql/catalog.h"

namespace court::mssql {

// CREATE TABLE name (columns, each compared under CI); name qualified. The
// column at rowid_column, if any, is declared INTEGER PRIMARY KEY: it is
// the table's rowid.
std::string CreateTableSql(const std::string& name, const std::vector<std::string>& columns, int rowid_column = -1);
// CREATE VIEW name (columns) AS select.
std::string CreateViewSql(const std::string& name, const std::vector<std::string>& columns,
                          const std::string& select);
std::string AddColumnSql(const TableMeta& table, const std::string& column);
std::string DropColumnSql(const TableMeta& table, const std::string& column);

// INSERT of one row into every column of the table, its values ?1, ?2, ...
// in the columns' order.
std::string InsertRowSql(const TableMeta& table);
// UPDATE table AS t0 SET column = value, ... [WHERE condition], the values
// and condition being SQL over t0.
std::string UpdateRowsSql(const TableMeta& table, const std::vector<std::pair<std::string, std::string>>& assignments,
                          const std::string& condition);
// Sets one column to ?1: in every row, or in the row whose rowid is ?2.
std::string SetColumnSql(const TableMeta& table, const std::string& column, bool one_row);
// DELETE FROM table AS alias [WHERE condition].
std::string DeleteRowsSql(const TableMeta& table, const std::string& alias, const std::string& condition);
// SELECT 1 when a row of the table [AS alias] meets the condition (any row
// when it is empty).
std::string AnyRowSql(const TableMeta& table, const std::string& alias, const std::string& condition);

}  // namespace court::mssql

#endif  // COURT_PLATFORM_MSSQL_SQLITE_SQL_H_
