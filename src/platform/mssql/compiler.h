// The code generator: T-SQL syntax trees to SQLite SQL.
//
// Names are resolved against the catalog (case-insensitively), every table
// gets a fresh alias, literals are converted to the type of what they are
// compared with (as the server converts them), and text comparisons run
// under the CI collation. Variables travel as bound parameters.

#ifndef COURT_PLATFORM_MSSQL_COMPILER_H_
#define COURT_PLATFORM_MSSQL_COMPILER_H_

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/access/value.h"
#include "platform/mssql/ast.h"
#include "platform/mssql/builtin_functions.h"
#include "platform/mssql/catalog.h"
#include "platform/mssql/datetime_text.h"

namespace court::mssql {

struct Variable {
  SqlType type;
  access::Value value;  // stored form
};

// What the generator needs to know about the session.
struct CompileEnv {
  Catalog* current = nullptr;  // the session's database
  Catalog* master = nullptr;   // master (the same catalog when current is master)
  std::string database;        // name of the current database
  std::function<Variable*(const std::string&)> variable;  // null when undeclared
  std::function<access::Value(const std::string&)> system_variable;  // @@name
  DateOrder date_order = DateOrder::kMdy;
  // Set while compiling a view: everything must be inlined, nothing bound.
  bool inline_only = false;
  // Asked for every table and view a query or a new view reads by name (not
  // those an existing view reads): the SQLite source to read it from, or
  // an error when the session may not read it. Null: the table itself.
  std::function<std::string(const TableMeta&)> read_source;
  // Told of every column of those tables that a query reads; throws when
  // the session may not read it. Null: no check.
  std::function<void(const TableMeta&, const ColumnMeta&)> read_column;
};

struct OutputColumn {
  std::string name;
  std::optional<SqlType> type;
  std::string base_column;  // the table column it reads, if any
};

struct CompiledQuery {
  std::string sql;
  std::vector<access::Value> params;
  std::vector<OutputColumn> columns;
  // For a single-table query whose rows can be written back: the table;
  // its rowid is then the last column of each row.
  std::shared_ptr<const TableMeta> base_table;
  std::vector<std::string> assignments;  // SELECT @v = ...: one variable per column
};

// A table visible to the expressions of a statement.
struct ScopeTable {
  std::string name;        // the table's own name
  std::string alias;       // the alias given in FROM, or empty
  std::string sql_alias;   // t0, t1, ...
  std::shared_ptr<const TableMeta> meta;  // null for a derived table
  std::vector<OutputColumn> derived;      // columns of a derived table
};

struct Scope {
  std::vector<ScopeTable> tables;
  const Scope* outer = nullptr;
};

class Compiler {
 public:
  explicit Compiler(CompileEnv& env) : env_(env) {}

  CompiledQuery CompileSelect(const Select& select);
  // "SELECT expr": the value of an expression outside any query.
  CompiledQuery CompileScalar(const Expr& e);

  // A single base table as the target of UPDATE, DELETE or a CHECK test.
  Scope TargetScope(const MultiName& table);
  std::shared_ptr<const TableMeta> ResolveTable(const MultiName& name);
  // Compiles a condition or value against a scope (t0 is the target table).
  std::string Condition(const Expr& e, const Scope& scope);
  // A value for a column: converted to the column's type by court_convert
  // unless it is a literal, which is converted here.
  std::string ColumnValue(const Expr& e, const Scope& scope, const ColumnMeta& column);
  std::vector<access::Value>& params() { return params_; }

  // The id of the object a (possibly qualified) name denotes, or null.
  std::optional<int> ObjectId(const std::string& qualified_name);

 private:
  struct Typed {
    std::string sql;
    std::optional<SqlType> type;
    const Expr* literal = nullptr;  // set when the expression is a literal
  };

  // union_part: a SELECT after UNION, whose ORDER BY names result columns.
  CompiledQuery SelectQuery(const Select& select, const Scope* outer, bool union_part = false);
  void AddFrom(const std::vector<FromItem>& from, Scope& scope, std::string& sql);
  ScopeTable ScopeFor(const TableRef& ref, const Scope& scope, std::string& source);
  void SelectList(const Select& select, const Scope& scope, CompiledQuery& out, std::string& sql);
  Typed Emit(const Expr& e, const Scope& scope);
  Typed EmitColumn(const Expr& e, const Scope& scope);
  Typed EmitLiteral(const Expr& e);
  Typed EmitBinary(const Expr& e, const Scope& scope);
  Typed Combined(const std::string& op, Typed left, Typed right);
  Typed EmitSystemVariable(const Expr& e);
  Typed EmitUnary(const Expr& e, const Scope& scope);
  Typed Prefixed(const std::string& op, Typed operand);
  Typed EmitIsNull(const Expr& e, const Scope& scope);
  Typed EmitLike(const Expr& e, const Scope& scope);
  Typed EmitInList(const Expr& e, const Scope& scope);
  Typed EmitSubqueryTest(const Expr& e, const Scope& scope);
  Typed EmitBetween(const Expr& e, const Scope& scope);
  Typed EmitSubquery(const Expr& e, const Scope& scope);
  Typed EmitCase(const Expr& e, const Scope& scope);
  Typed EmitCast(const Expr& e, const Scope& scope);
  Typed EmitFunction(const Expr& e, const Scope& scope);
  Typed EmitCall(const BuiltinFunction& f, const Expr& e, const Scope& scope);
  Typed EmitVariable(const Expr& e);
  Typed EmitObjectId(const Expr& name);
  Typed EmitObjectProperty(const std::string& id_sql, const std::string& property);
  std::string Compared(const Typed& value, const std::optional<SqlType>& other);
  std::string SubquerySql(const Select& select, const Scope& scope);
  std::string Bind(const access::Value& value, bool text);
  // A constant as a parameter that compares as SqlLiteral's text would, so
  // that statements differing only in their constants share one prepared
  // statement.
  std::string BindConstant(const access::Value& stored);
  std::string NewAlias();

  CompileEnv& env_;
  std::vector<access::Value> params_;
  int alias_counter_ = 0;
};

// An SQLite literal for a stored value.
std::string SqlLiteral(const access::Value& stored);

// The value a T-SQL literal denotes, before any conversion.
access::Value LiteralValue(const Literal& literal);

}  // namespace court::mssql

#endif  // COURT_PLATFORM_MSSQL_COMPILER_H_
