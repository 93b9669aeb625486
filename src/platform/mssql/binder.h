// The binder: T-SQL syntax trees to bound trees (bound_tree.h).
//
// All that needs the catalog or the session happens here: names are
// resolved case-insensitively against the scope (the tables of the
// statement, then those of the queries around it), the read_source and
// read_column callbacks are asked, every table gets a fresh alias, types
// are derived as the server derives them and literals are converted to the
// type of what they are compared with. Unknown names and conversions fail
// here, with the server's messages; writing SQL is left to the emitter.
//
// The binder visits operands in the order the emitter writes them (a few
// right to left, see binder.cpp), so that aliases t0, t1, ... and the
// parameters come out numbered alike and a statement's SQL text is stable.

#ifndef COURT_PLATFORM_MSSQL_BINDER_H_
#define COURT_PLATFORM_MSSQL_BINDER_H_

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/access/value.h"
#include "platform/mssql/ast.h"
#include "platform/mssql/bound_tree.h"
#include "platform/mssql/catalog.h"
#include "platform/mssql/datetime_text.h"

namespace court::mssql {

// What the compiler needs to know about the session.
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

class Binder {
 public:
  explicit Binder(CompileEnv& env) : env_(env) {}

  BoundExprPtr Bind(const Expr& e, const Scope& scope);
  // outer: the scope of the query a subquery stands in. union_part: a
  // SELECT after UNION, whose ORDER BY names result columns.
  BoundSelect BindSelect(const Select& select, const Scope* outer, bool union_part = false);
  // A value for a column: a literal converted to the column's type now,
  // anything else converted by court_convert as it is read.
  BoundExprPtr BindColumnValue(const Expr& e, const Scope& scope, const ColumnMeta& column);

  // A single base table as the target of UPDATE, DELETE or a CHECK test.
  Scope TargetScope(const MultiName& table);
  std::shared_ptr<const TableMeta> ResolveTable(const MultiName& name);
  // The id of the object a (possibly qualified) name denotes, or null.
  std::optional<int> ObjectId(const std::string& qualified_name);

 private:
  BoundExprPtr BindLiteral(const Expr& e);
  BoundExprPtr BindColumn(const Expr& e, const Scope& scope);
  BoundExprPtr BindVariable(const Expr& e);
  BoundExprPtr BindSystemVariable(const Expr& e);
  BoundExprPtr BindUnary(const Expr& e, const Scope& scope);
  BoundExprPtr BindBinary(const Expr& e, const Scope& scope);
  BoundExprPtr Combined(BinaryOp op, BoundExprPtr left, BoundExprPtr right);
  BoundExprPtr BindFunction(const Expr& e, const Scope& scope);
  BoundExprPtr BindCall(const BuiltinFunction& f, const Expr& e, const Scope& scope);
  BoundExprPtr BindObjectId(const Expr& name);
  BoundExprPtr BindObjectProperty(const Expr& e, const Scope& scope);
  BoundExprPtr BindPredicate(const Expr& e, const Scope& scope);
  BoundExprPtr BindInList(const Expr& e, const Scope& scope);
  BoundExprPtr BindBetween(const Expr& e, const Scope& scope);
  BoundExprPtr BindSubquery(const Expr& e, const Scope& scope);
  BoundExprPtr BindCase(const Expr& e, const Scope& scope);
  BoundExprPtr BindCast(const Expr& e, const Scope& scope);
  // The value as compared with something of type other: a literal becomes
  // a constant in that type, text meeting a number is converted.
  BoundExprPtr Compared(BoundExprPtr value, const std::optional<SqlType>& other);
  // A literal converted to a type now, written into the SQL.
  BoundExprPtr Converted(const BoundExpr& literal, const SqlType& type);

  void AddFrom(const std::vector<FromItem>& from, Scope& scope, BoundSelect& out);
  ScopeTable ScopeFor(const TableRef& ref, const Scope& scope, BoundSource& source);
  void SelectList(const Select& select, const Scope& scope, BoundSelect& out);
  BoundExprPtr OrderTerm(const Select& select, const Expr& e, const Scope& scope, bool union_part);
  std::string NewAlias();

  CompileEnv& env_;
  int alias_counter_ = 0;
};

// The value a T-SQL literal denotes, before any conversion.
access::Value LiteralValue(const Literal& literal);

}  // namespace court::mssql

#endif  // COURT_PLATFORM_MSSQL_BINDER_H_
