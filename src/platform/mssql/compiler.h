// The code generator: T-SQL syntax trees to SQLite SQL, in two steps.
//
// The binder (binder.h) resolves names against the catalog and the
// session, derives types and decides conversions, giving a bound tree
// (bound_tree.h); the emitter (sql_emitter.h) writes that tree as SQLite
// SQL with its parameters. Compiler runs both for the executor's
// statements, keeping the aliases and parameters of one statement
// numbered across its calls.

#ifndef COURT_PLATFORM_MSSQL_COMPILER_H_
#define COURT_PLATFORM_MSSQL_COMPILER_H_

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/access/value.h"
#include "platform/mssql/ast.h"
#include "platform/mssql/binder.h"
#include "platform/mssql/sql_emitter.h"

namespace court::mssql {

struct CompiledQuery {
  std::string sql;
  std::vector<access::Value> params;
  std::vector<OutputColumn> columns;
  // For a single-table query whose rows can be written back: the table;
  // its rowid is then the last column of each row.
  std::shared_ptr<const TableMeta> base_table;
  std::vector<std::string> assignments;  // SELECT @v = ...: one variable per column
};

class Compiler {
 public:
  explicit Compiler(CompileEnv& env) : binder_(env), emitter_(env.inline_only) {}

  CompiledQuery CompileSelect(const Select& select);
  // "SELECT expr": the value of an expression outside any query.
  CompiledQuery CompileScalar(const Expr& e);

  // A single base table as the target of UPDATE, DELETE or a CHECK test.
  Scope TargetScope(const MultiName& table) { return binder_.TargetScope(table); }
  std::shared_ptr<const TableMeta> ResolveTable(const MultiName& name) { return binder_.ResolveTable(name); }
  // Compiles a condition or value against a scope (t0 is the target table).
  std::string Condition(const Expr& e, const Scope& scope);
  // A value for a column: converted to the column's type by court_convert
  // unless it is a literal, which is converted here.
  std::string ColumnValue(const Expr& e, const Scope& scope, const ColumnMeta& column);
  std::vector<access::Value>& params() { return emitter_.params(); }

  // The id of the object a (possibly qualified) name denotes, or null.
  std::optional<int> ObjectId(const std::string& qualified_name) { return binder_.ObjectId(qualified_name); }

 private:
  Binder binder_;
  SqlEmitter emitter_;
};

}  // namespace court::mssql

#endif  // COURT_PLATFORM_MSSQL_COMPILER_H_
