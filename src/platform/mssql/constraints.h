// Adding and dropping the constraints of a table: PRIMARY KEY and UNIQUE
// (enforced by unique indexes), DEFAULT and CHECK (kept in the catalog and
// enforced by the row writer).

#ifndef COURT_PLATFORM_MSSQL_CONSTRAINTS_H_
#define COURT_PLATFORM_MSSQL_CONSTRAINTS_H_

#include <string>

#include "platform/mssql/ast.h"
#include "platform/mssql/catalog.h"
#include "platform/mssql/statement_context.h"

namespace court::mssql {

// Adds one constraint to a table. check_existing: test existing rows
// against a CHECK (ALTER TABLE without NOCHECK). Throws the server's error.
// `table` is the caller's copy of the description, brought up to date with
// what the constraint adds (its key name, default or check), so that the
// constraints after it in the same statement need not read the catalog
// again. The catalog is marked changed once, by the statement that adds
// them (a schema change, see exec_schema.cpp), not for each constraint.
void AddConstraint(StatementContext& x, TableMeta& table, const ConstraintDef& constraint, bool check_existing);

// Adds a DEFAULT constraint for a column given in its definition; `table`
// as for AddConstraint.
void AddColumnDefault(StatementContext& x, TableMeta& table, const ColumnDef& column);

// Drops a constraint of the table by name; throws 3728 when there is none.
void DropConstraint(StatementContext& x, const TableMeta& table, const std::string& name);

// The name the server makes up for an unnamed constraint:
// DF__table__column__1A2B3C4D.
std::string GeneratedName(const std::string& prefix, const std::string& table,
                          const std::string& column, int id);

// The SQLite index enforcing a key constraint.
std::string KeyIndexName(const std::string& constraint);

}  // namespace court::mssql

#endif  // COURT_PLATFORM_MSSQL_CONSTRAINTS_H_
