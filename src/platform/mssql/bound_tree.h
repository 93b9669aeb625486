// The bound tree: an expression or query with every name resolved.
//
// The binder (binder.h) makes it from the syntax tree and the emitter
// (sql_emitter.h) writes it as SQLite SQL. Each node knows what it reads
// (table alias and column, variable, function row), its type where the
// server would know one, and which conversions the comparison rules put on
// it; the emitter decides nothing but how SQLite spells it.

#ifndef COURT_PLATFORM_MSSQL_BOUND_TREE_H_
#define COURT_PLATFORM_MSSQL_BOUND_TREE_H_

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/access/value.h"
#include "platform/mssql/ast.h"
#include "platform/mssql/builtin_functions.h"
#include "platform/mssql/catalog.h"
#include "platform/mssql/sql_type.h"

namespace court::mssql {

struct Variable {
  SqlType type;
  access::Value value;  // stored form
};

// A column of a query's result.
struct OutputColumn {
  std::string name;
  std::optional<SqlType> type;
  std::string base_column;  // the table column it reads, if any
};

enum class BoundKind {
  kLiteral,         // value, written into the SQL
  kConstant,        // value, bound as a parameter: a constant compared with something
  kColumn,          // table_alias.name
  kResultColumn,    // name: a column of the query's own result (ORDER BY)
  kVariable,        // variable, bound as a parameter
  kConvert,         // children[0] converted to type by court_convert
  kUnary,           // unary_op children[0]
  kBinary,          // children[0] binary_op children[1]
  kConcat,          // children[0] + children[1] on text
  kFunction,        // function's template over children
  kObjectProperty,  // children[0] an object id; name the property; table_alias reads source
  kIsNull,          // children[0] IS [NOT] NULL
  kLike,            // children[0] [NOT] LIKE children[1] [ESCAPE children[2]]
  kInList,          // children[0] [NOT] IN (children[1..])
  kInSelect,        // children[0] [NOT] IN (select)
  kExists,          // [NOT] EXISTS (select)
  kBetween,         // children[0] [NOT] BETWEEN children[1] AND children[2]
  kSubquery,        // (select)
  kCase,            // simple_case: children[0] the operand; then (when then)* [else]
};

struct BoundSelect;

struct BoundExpr {
  BoundKind kind = BoundKind::kLiteral;
  std::optional<SqlType> type;  // unknown for NULL and for conditions
  // The T-SQL literal the node stands for as written (kLiteral only): the
  // comparison rules and decimal arithmetic look at its text.
  const Literal* literal = nullptr;
  access::Value value;        // kLiteral, kConstant
  std::string table_alias;    // kColumn: t0, t1, ...; kObjectProperty: alias of sysobjects
  std::string name;           // kColumn: the stored column name; kResultColumn; kObjectProperty
  std::string source;         // kObjectProperty: the SQLite name of sysobjects
  std::shared_ptr<const TableMeta> table;  // kColumn of a base table
  const ColumnMeta* column = nullptr;      // kColumn of a base table: one of table's
  Variable* variable = nullptr;
  UnaryOp unary_op = UnaryOp::kPlus;
  BinaryOp binary_op = BinaryOp::kEqual;
  const BuiltinFunction* function = nullptr;
  bool negated = false;
  bool star = false;            // count(*)
  bool distinct = false;        // count(DISTINCT x)
  bool unicode_source = false;  // kConvert: from Unicode text; kFunction: $u
  bool simple_case = false;
  bool has_else = false;
  std::vector<std::unique_ptr<BoundExpr>> children;
  std::unique_ptr<BoundSelect> select;
};
using BoundExprPtr = std::unique_ptr<BoundExpr>;

// A table of FROM: a base table or view, or a derived table.
struct BoundSource {
  std::optional<JoinKind> join;  // unset: the first of a FROM item
  std::string sql;               // what SQLite reads; empty for a derived table
  std::unique_ptr<BoundSelect> derived;
  std::string sql_alias;
  BoundExprPtr on;
};

struct BoundOrder {
  BoundExprPtr term;
  bool descending = false;
};

struct BoundSelect {
  bool distinct = false;
  std::vector<BoundSource> from;  // in FROM's order, comma items and joins alike
  std::vector<BoundExprPtr> items;
  std::vector<OutputColumn> columns;  // one per item
  // For a single-table query whose rows can be written back: the table,
  // whose rowid (read through rowid_alias) follows the items.
  std::shared_ptr<const TableMeta> base_table;
  std::string rowid_alias;
  std::vector<std::string> assignments;  // SELECT @v = ...: one variable per column
  BoundExprPtr where;
  std::vector<BoundExprPtr> group_by;
  BoundExprPtr having;
  std::unique_ptr<BoundSelect> union_next;
  bool union_all = false;
  std::vector<BoundOrder> order_by;
  BoundExprPtr top;  // null also for TOP 100 PERCENT
  bool top_percent = false;
};

}  // namespace court::mssql

#endif  // COURT_PLATFORM_MSSQL_BOUND_TREE_H_
