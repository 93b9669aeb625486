// Writing bound expressions and queries as SQLite SQL.
//
// The order in which operands are written is the order their parameters
// are numbered in, and a few are written right to left (a comparison's
// constants, LIKE's pattern, BETWEEN's bounds, IN's subquery), the binder
// visiting them in the same order: changing it changes the SQL text of
// statements that share prepared statements by it.

#include "platform/mssql/sql_emitter.h"

#include <cstdio>

#include "platform/mssql/convert.h"
#include "platform/mssql/sqlite_db.h"
#include "platform/mssql/text.h"
#include "platform/text/hex.h"

namespace court::mssql {

namespace {

using access::Value;

std::string ConvertCall(const std::string& sql, const SqlType& t, bool unicode_source) {
  return "court_convert(" + sql + ", " + std::to_string(t.xtype) + ", " + std::to_string(t.length) +
         ", " + std::to_string(t.precision) + ", " + std::to_string(t.scale) + ", " +
         (unicode_source ? "1" : "0") + ")";
}

std::string JoinWord(JoinKind kind) {
  switch (kind) {
    case JoinKind::kLeft: return " LEFT JOIN ";
    case JoinKind::kRight: return " RIGHT JOIN ";
    case JoinKind::kFull: return " FULL JOIN ";
    case JoinKind::kCross: return " CROSS JOIN ";
    case JoinKind::kInner: break;
  }
  return " INNER JOIN ";
}

std::string Infix(const std::string& left, const char* op, const std::string& right) {
  return "(" + left + " " + op + " " + right + ")";
}

// The test of sysobjects (aliased o) an OBJECTPROPERTY property makes;
// empty for a property the server does not know.
std::string PropertyTest(const std::string& property, const std::string& o) {
  const std::string x = o + ".xtype";
  if (property == "isview") return x + " = 'V'";
  if (property == "isusertable") return x + " = 'U'";
  if (property == "issystemtable") return x + " = 'S'";
  if (property == "istable") return x + " IN ('U', 'S')";
  if (property == "isprocedure") return x + " = 'P'";
  if (property == "isdefault") return x + " = 'D' AND " + o + ".parent_obj = 0";
  if (property == "isdefaultcnst") return x + " = 'D' AND " + o + ".parent_obj <> 0";
  if (property == "ischeckcnst") return x + " = 'C'";
  if (property == "isprimarykey") return x + " = 'PK'";
  if (property == "isconstraint") return x + " IN ('C', 'D', 'PK', 'UQ', 'F') AND " + o + ".parent_obj <> 0";
  if (property == "ismsshipped") return o + ".category & 2 <> 0";
  if (property == "execisquotedidenton") return o + ".status & 1073741824 <> 0";
  if (property == "execisansinullson") return o + ".status & 536870912 <> 0";
  return "";
}

bool IsConstant(const BoundExpr& e) { return e.kind == BoundKind::kConstant; }

}  // namespace

std::string SqlLiteral(const Value& v) {
  switch (v.type()) {
    case access::ValueType::kNull: return "NULL";
    case access::ValueType::kInteger: return std::to_string(v.integer());
    case access::ValueType::kFloat: {
      char buffer[40];
      std::snprintf(buffer, sizeof buffer, "%.17g", v.floating());
      std::string text = buffer;
      if (text.find_first_of(".eEn") == std::string::npos) text += ".0";
      return text;
    }
    case access::ValueType::kBinary: return "X'" + text::Hex(v.binary()) + "'";
    case access::ValueType::kBoolean: return v.boolean() ? "1" : "0";
    default: return QuoteString(PlainStorage(v).ToText()) + " COLLATE CI";
  }
}

std::string SqlEmitter::Bind(const Value& value, bool text) {
  if (inline_only_) return SqlLiteral(value);
  params_.push_back(value);
  return "?" + std::to_string(params_.size()) + (text ? " COLLATE CI" : "");
}

std::string SqlEmitter::BindConstant(const Value& stored) {
  switch (stored.type()) {
    case access::ValueType::kNull:
    case access::ValueType::kInteger:
    case access::ValueType::kFloat:
    case access::ValueType::kBinary: return Bind(stored, false);
    case access::ValueType::kBoolean: return Bind(Value::Integer(stored.boolean() ? 1 : 0), false);
    default: return Bind(Value::Text(PlainStorage(stored).ToText()), true);
  }
}

// Like the binder, one switch and a function of its own for each kind that
// needs temporaries, so that a deep tree's frames stay small.
std::string SqlEmitter::Expression(const BoundExpr& e) {
  switch (e.kind) {
    case BoundKind::kLiteral: return SqlLiteral(e.value);
    case BoundKind::kConstant: return BindConstant(e.value);
    case BoundKind::kColumn: return e.table_alias + "." + QuoteIdentifier(e.name);
    case BoundKind::kResultColumn: return QuoteIdentifier(e.name);
    case BoundKind::kVariable: return Bind(e.variable->value, e.variable->type.IsText());
    case BoundKind::kConvert: return Convert(e);
    case BoundKind::kUnary:
      switch (e.unary_op) {
        case UnaryOp::kNot: return "(NOT " + Expression(*e.children[0]) + ")";
        case UnaryOp::kPlus: return Expression(*e.children[0]);
        case UnaryOp::kNegate: return "(- " + Expression(*e.children[0]) + ")";
        case UnaryOp::kBitNot: return "(~ " + Expression(*e.children[0]) + ")";
      }
      break;
    case BoundKind::kBinary: return Binary(e);
    case BoundKind::kConcat: {
      std::string left = Expression(*e.children[0]);
      return Infix(left, "||", Expression(*e.children[1]));
    }
    case BoundKind::kFunction: return Function(e);
    case BoundKind::kObjectProperty: return ObjectProperty(e);
    case BoundKind::kIsNull:
    case BoundKind::kLike:
    case BoundKind::kInSelect:
    case BoundKind::kExists:
    case BoundKind::kSubquery: return Predicate(e);
    case BoundKind::kInList: return InList(e);
    case BoundKind::kBetween: return Between(e);
    case BoundKind::kCase: return Case(e);
  }
  return "";
}

// Constants the comparison rules made are bound once both operands are
// written: a comparison's right one first, an arithmetic's left one.
std::string SqlEmitter::Binary(const BoundExpr& e) {
  const BoundExpr& left = *e.children[0];
  const BoundExpr& right = *e.children[1];
  std::string l = IsConstant(left) ? "" : Expression(left);
  std::string r = IsConstant(right) ? "" : Expression(right);
  switch (ClassOf(e.binary_op)) {
    case OperatorClass::kLogic: return Infix(l, e.binary_op == BinaryOp::kOr ? "OR" : "AND", r);
    case OperatorClass::kComparison:
      if (IsConstant(right)) r = Expression(right);
      if (IsConstant(left)) l = Expression(left);
      break;
    case OperatorClass::kArithmetic:
      if (IsConstant(left)) l = Expression(left);
      if (IsConstant(right)) r = Expression(right);
      break;
  }
  switch (e.binary_op) {
    case BinaryOp::kOr:
    case BinaryOp::kAnd: break;
    case BinaryOp::kEqual: return Infix(l, "=", r);
    case BinaryOp::kNotEqual: return Infix(l, "<>", r);
    case BinaryOp::kLess: return Infix(l, "<", r);
    case BinaryOp::kGreater: return Infix(l, ">", r);
    case BinaryOp::kLessEqual: return Infix(l, "<=", r);
    case BinaryOp::kGreaterEqual: return Infix(l, ">=", r);
    case BinaryOp::kAdd: return Infix(l, "+", r);
    case BinaryOp::kSubtract: return Infix(l, "-", r);
    case BinaryOp::kBitAnd: return Infix(l, "&", r);
    case BinaryOp::kBitOr: return Infix(l, "|", r);
    // SQLite has no exclusive or: the bits in either but not in both.
    case BinaryOp::kBitXor: return "((" + l + " | " + r + ") - (" + l + " & " + r + "))";
    case BinaryOp::kMultiply: return Infix(l, "*", r);
    // A zero divisor raises the server's error rather than giving NULL.
    case BinaryOp::kDivide: return Infix(l, "/", "court_divisor(" + r + ")");
    case BinaryOp::kModulo: return Infix(l, "%", "court_divisor(" + r + ")");
  }
  return "";
}

// The function's template with its arguments' SQL in place.
std::string SqlEmitter::Function(const BoundExpr& e) {
  const BuiltinFunction& f = *e.function;
  std::vector<std::string> args;
  for (const BoundExprPtr& a : e.children) args.push_back(Expression(*a));
  std::string sql;
  for (std::size_t i = 0; i < f.sql.size(); ++i) {
    const char c = f.sql[i];
    if (c != '$' || i + 1 == f.sql.size()) {
      sql += c;
      continue;
    }
    const char what = f.sql[++i];
    if (what == 'd') {
      if (e.distinct) sql += "DISTINCT ";
    } else if (what == 'u') {
      sql += e.unicode_source ? "1" : "0";
    } else if (what == '*') {
      if (e.star) sql += "*";
      for (std::size_t a = 0; a < args.size(); ++a) sql += (a ? ", " : "") + args[a];
    } else {
      sql += args.at(static_cast<std::size_t>(what - '0'));
    }
  }
  if (f.form == FunctionForm::kAverage && e.type && e.type->family == TypeFamily::kInteger)
    sql = "CAST(" + sql + " AS INTEGER)";
  return sql;
}

std::string SqlEmitter::ObjectProperty(const BoundExpr& e) {
  const std::string id = Expression(*e.children[0]);
  const std::string& o = e.table_alias;
  const std::string condition = PropertyTest(e.name, o);
  if (condition.empty()) return "NULL";
  return "(SELECT CASE WHEN " + condition + " THEN 1 ELSE 0 END FROM " + e.source + " AS " + o + " WHERE " + o +
         ".id = " + id + ")";
}

std::string SqlEmitter::Predicate(const BoundExpr& e) {
  switch (e.kind) {
    case BoundKind::kIsNull:
      return "(" + Expression(*e.children[0]) + (e.negated ? " IS NOT NULL)" : " IS NULL)");
    case BoundKind::kLike: {
      const std::string pattern = Expression(*e.children[1]);
      std::string sql = "(" + Expression(*e.children[0]) + (e.negated ? " NOT LIKE " : " LIKE ") + pattern;
      if (e.children.size() > 2) sql += " ESCAPE " + Expression(*e.children[2]);
      return sql + ")";
    }
    case BoundKind::kInSelect: {
      const std::string select = Select(*e.select);
      return "(" + Expression(*e.children[0]) + (e.negated ? " NOT IN (" : " IN (") + select + "))";
    }
    case BoundKind::kExists: return (e.negated ? "(NOT EXISTS (" : "(EXISTS (") + Select(*e.select) + "))";
    default: return "(" + Select(*e.select) + ")";
  }
}

std::string SqlEmitter::InList(const BoundExpr& e) {
  std::string sql = "(" + Expression(*e.children[0]) + (e.negated ? " NOT IN (" : " IN (");
  for (std::size_t i = 1; i < e.children.size(); ++i) sql += (i > 1 ? ", " : "") + Expression(*e.children[i]);
  return sql + "))";
}

std::string SqlEmitter::Between(const BoundExpr& e) {
  const std::string value = Expression(*e.children[0]);
  const std::string high = Expression(*e.children[2]);
  const std::string low = Expression(*e.children[1]);
  return "(" + value + (e.negated ? " NOT BETWEEN " : " BETWEEN ") + low + " AND " + high + ")";
}

// Each THEN is written before its WHEN, as the binder bound them.
std::string SqlEmitter::Case(const BoundExpr& e) {
  std::string sql = "(CASE";
  std::size_t i = 0;
  if (e.simple_case) sql += " " + Expression(*e.children[i++]);
  const std::size_t pairs_end = e.children.size() - (e.has_else ? 1 : 0);
  for (; i + 1 < pairs_end; i += 2) {
    const std::string result = Expression(*e.children[i + 1]);
    sql += " WHEN " + Expression(*e.children[i]) + " THEN " + result;
  }
  if (e.has_else) sql += " ELSE " + Expression(*e.children.back());
  return sql + " END)";
}

std::string SqlEmitter::Convert(const BoundExpr& e) {
  return ConvertCall(Expression(*e.children[0]), *e.type, e.unicode_source);
}

// The sources first (derived tables' parameters come before any ON's).
std::string SqlEmitter::From(const BoundSelect& select) {
  std::vector<std::string> sources;
  for (const BoundSource& s : select.from) sources.push_back(s.derived ? "(" + Select(*s.derived) + ")" : s.sql);
  std::string sql;
  for (std::size_t i = 0; i < select.from.size(); ++i) {
    const BoundSource& s = select.from[i];
    sql += (s.join ? JoinWord(*s.join) : i == 0 ? "" : ", ") + sources[i] + " AS " + s.sql_alias;
    if (s.on) sql += " ON " + Expression(*s.on);
  }
  return sql;
}

std::string SqlEmitter::Select(const BoundSelect& select) {
  const std::string from = From(select);
  std::string sql = select.distinct ? "SELECT DISTINCT " : "SELECT ";
  for (std::size_t i = 0; i < select.items.size(); ++i)
    sql += (i ? ", " : "") + Expression(*select.items[i]) + " AS " + QuoteIdentifier(select.columns[i].name);
  if (!select.rowid_alias.empty()) sql += ", " + select.rowid_alias + ".rowid";
  if (!from.empty()) sql += " FROM " + from;
  if (select.where) sql += " WHERE " + Expression(*select.where);
  for (std::size_t i = 0; i < select.group_by.size(); ++i)
    sql += (i ? ", " : " GROUP BY ") + Expression(*select.group_by[i]);
  if (select.having) sql += " HAVING " + Expression(*select.having);
  if (select.union_next) sql += (select.union_all ? " UNION ALL " : " UNION ") + Select(*select.union_next);
  for (std::size_t i = 0; i < select.order_by.size(); ++i)
    sql += (i ? ", " : " ORDER BY ") + Expression(*select.order_by[i].term) +
           (select.order_by[i].descending ? " DESC" : "");
  if (select.top) {
    const std::string n = Expression(*select.top);
    if (select.top_percent) sql += " LIMIT (SELECT (count(*) * " + n + " + 99) / 100 FROM (" + sql + "))";
    else sql += " LIMIT " + n;
  }
  return sql;
}

}  // namespace court::mssql
