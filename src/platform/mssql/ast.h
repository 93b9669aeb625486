// The syntax tree of a T-SQL batch.
//
// The parser builds it; the executor walks it. Names keep the spelling the
// client sent; multi-part names (master.dbo.sysdatabases) keep every part.

#ifndef COURT_PLATFORM_MSSQL_AST_H_
#define COURT_PLATFORM_MSSQL_AST_H_

#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "platform/mssql/operators.h"

namespace court::mssql {

// A dotted name; the last part is the object (or column) itself.
using MultiName = std::vector<std::string>;

struct Select;

enum class LiteralKind { kNull, kInteger, kDecimal, kFloat, kString, kBinary };

struct Literal {
  LiteralKind kind = LiteralKind::kNull;
  std::string text;      // digits, string value, or hex digits of a binary
  bool unicode = false;  // N'...'
};

enum class ExprKind {
  kLiteral,
  kColumn,          // name: [table.]column
  kVariable,        // name[0]: @name without the @
  kSystemVariable,  // name[0]: @@name without the @@
  kUnary,           // unary_op args[0]
  kBinary,          // args[0] binary_op args[1]
  kFunction,        // name[0]: function; args; star for COUNT(*); distinct for COUNT(DISTINCT x)
  kIsNull,          // args[0] IS [NOT] NULL
  kLike,            // args[0] [NOT] LIKE args[1] [ESCAPE args[2]]
  kInList,          // args[0] [NOT] IN (args[1..])
  kInSelect,        // args[0] [NOT] IN (select)
  kExists,          // [NOT] EXISTS (select)
  kBetween,         // args[0] [NOT] BETWEEN args[1] AND args[2]
  kSubquery,        // (select) as a scalar value
  kCase,            // CASE [args[0] when simple] WHEN .. THEN .. [ELSE ..] END: see case_*
  kCast,            // CAST(args[0] AS type_name) / CONVERT(type_name, args[0])
};

struct TypeName;

struct Expr {
  ExprKind kind = ExprKind::kLiteral;
  Literal literal;
  MultiName name;
  UnaryOp unary_op = UnaryOp::kPlus;
  BinaryOp binary_op = BinaryOp::kEqual;
  std::vector<std::unique_ptr<Expr>> args;
  std::unique_ptr<Select> select;
  std::shared_ptr<TypeName> cast_type;
  bool negated = false;
  bool star = false;
  bool distinct = false;
  bool simple_case = false;  // args: [operand] (when then)* [else]
  bool has_else = false;
  std::size_t offset = 0, end = 0;  // where the expression stands in the batch text
};
using ExprPtr = std::unique_ptr<Expr>;

// A data type as written: nvarchar(50), numeric(9), decimal(18, 2), int.
struct TypeName {
  std::string name;
  std::vector<std::string> args;  // "50", "max"
};

struct SelectItem {
  ExprPtr expr;               // null for * and t.*
  std::string alias;
  bool star = false;
  MultiName star_qualifier;   // t for t.*
  std::string assign_variable;  // @v = expr, without the @
};

struct TableRef {
  MultiName name;
  std::string alias;
  std::unique_ptr<Select> derived;  // (select ...) alias
};

enum class JoinKind { kInner, kLeft, kRight, kFull, kCross };

struct Join {
  JoinKind kind = JoinKind::kInner;
  TableRef table;
  ExprPtr on;
};

struct FromItem {
  TableRef first;
  std::vector<Join> joins;
};

struct OrderItem {
  ExprPtr expr;
  bool descending = false;
};

struct Select {
  bool distinct = false;
  ExprPtr top;
  bool top_percent = false;
  std::vector<SelectItem> items;
  std::vector<FromItem> from;
  ExprPtr where;
  std::vector<ExprPtr> group_by;
  ExprPtr having;
  std::vector<OrderItem> order_by;
  std::unique_ptr<Select> union_next;  // UNION [ALL] select
  bool union_all = false;
};

// Column definition in CREATE TABLE / ALTER TABLE ADD / ALTER COLUMN.
struct ColumnDef {
  std::string name;
  TypeName type;
  std::optional<std::string> collation;
  bool identity = false;
  long long identity_seed = 1, identity_increment = 1;
  std::optional<bool> nullable;  // unset: the session default (nullable)
  ExprPtr default_value;         // inline DEFAULT
  std::string default_text;      // its text as written
  std::string default_name;      // CONSTRAINT n DEFAULT
  bool primary_key = false;
  std::string primary_key_name;
};

enum class ConstraintKind { kPrimaryKey, kUnique, kDefault, kCheck, kForeignKey };

struct ConstraintDef {
  ConstraintKind kind = ConstraintKind::kCheck;
  std::string name;  // empty: the server names it
  std::vector<std::string> columns;  // key columns, or FOR column of a default
  ExprPtr expr;                      // default value or check condition
  std::string expr_text;             // as written
  bool clustered = true;
};

struct Statement;
using StatementPtr = std::unique_ptr<Statement>;

struct SelectStmt { std::unique_ptr<Select> select; };

struct InsertStmt {
  MultiName table;
  std::vector<std::string> columns;
  std::vector<std::vector<ExprPtr>> rows;  // VALUES
  std::unique_ptr<Select> select;          // INSERT ... SELECT
  bool default_values = false;
};

struct Assignment {
  MultiName column;
  ExprPtr value;
};

struct UpdateStmt {
  MultiName table;
  std::vector<Assignment> assignments;
  std::vector<FromItem> from;
  ExprPtr where;
};

struct DeleteStmt {
  MultiName table;
  std::vector<FromItem> from;
  ExprPtr where;
};

struct FileSpec {
  std::string name, filename, size, maxsize, filegrowth;
};

struct CreateDatabaseStmt {
  std::string name;
  std::vector<FileSpec> data_files, log_files;
};

struct CreateTableStmt {
  MultiName table;
  std::vector<ColumnDef> columns;
  std::vector<ConstraintDef> constraints;
};

enum class AlterAction { kAddColumns, kAddConstraints, kAlterColumn, kDropConstraint, kDropColumn };

struct AlterTableStmt {
  MultiName table;
  AlterAction action = AlterAction::kAddColumns;
  bool nocheck = false;
  std::vector<ColumnDef> columns;          // add / alter column
  std::vector<ConstraintDef> constraints;  // add constraint
  std::vector<std::string> drop_names;
};

struct CreateViewStmt {
  MultiName name;
  std::vector<std::string> column_names;
  std::unique_ptr<Select> select;
  std::string text;  // the whole statement as sent
};

struct CreateDefaultStmt {
  MultiName name;
  ExprPtr value;
  std::string text;
};

enum class DropKind { kTable, kView, kDefault, kDatabase, kProcedure };

struct DropStmt {
  DropKind kind = DropKind::kTable;
  std::vector<MultiName> names;
};

struct IfStmt {
  ExprPtr condition;
  StatementPtr then_branch;
  StatementPtr else_branch;
};

struct WhileStmt {
  ExprPtr condition;
  StatementPtr body;
};

struct BlockStmt { std::vector<StatementPtr> statements; };

struct VariableDecl {
  std::string name;  // without @
  TypeName type;
  ExprPtr initial;
};

struct DeclareStmt { std::vector<VariableDecl> variables; };

struct SetVariableStmt {
  std::string name;
  ExprPtr value;
};

struct SetOptionStmt {
  std::vector<std::string> options;  // upper case
  std::string value;                  // ON / OFF / other word or number
  MultiName table;                    // IDENTITY_INSERT table
};

struct ExecArg {
  std::string parameter;  // @name = value, without @
  ExprPtr value;
};

struct ExecStmt {
  std::string status_variable;  // EXEC @status = procedure: takes its return status
  MultiName procedure;
  std::vector<ExecArg> args;
};

struct UseStmt { std::string database; };

enum class GrantVerb { kGrant, kRevoke, kDeny };

struct GrantStmt {
  GrantVerb verb = GrantVerb::kGrant;
  bool with_grant_option = false;
  std::vector<std::string> privileges;  // upper case; "ALL"
  MultiName object;                      // empty for statement permissions
  std::vector<std::string> columns;      // ON t (a, b): those columns only
  std::vector<std::string> grantees;
};

struct PrintStmt { ExprPtr value; };
struct TruncateStmt { MultiName table; };
struct ReturnStmt {};
struct TransactionStmt { std::string verb; };  // BEGIN / COMMIT / ROLLBACK / CHECKPOINT

// BACKUP DATABASE name TO DISK = path [WITH option [= value], ...]
struct BackupStmt {
  std::string database;
  ExprPtr disk;
  std::vector<std::string> options;  // upper case, values left out
};

struct Statement {
  std::variant<SelectStmt, InsertStmt, UpdateStmt, DeleteStmt, CreateDatabaseStmt,
               CreateTableStmt, AlterTableStmt, CreateViewStmt, CreateDefaultStmt, DropStmt,
               IfStmt, WhileStmt, BlockStmt, DeclareStmt, SetVariableStmt, SetOptionStmt,
               ExecStmt, UseStmt, GrantStmt, PrintStmt, TruncateStmt, ReturnStmt,
               TransactionStmt, BackupStmt>
      node;
  int line = 1;
};

}  // namespace court::mssql

#endif  // COURT_PLATFORM_MSSQL_AST_H_
