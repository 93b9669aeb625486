// Writing bound expressions and queries as SQLite SQL.
//
// Every expression's SQL yields its value in the stored form of its type:
// money and decimal values as integer units of their scale (exact_number.h),
// all others as themselves. Where an operator, function or comparison
// brings values of different forms together, the operands are first
// brought to one (As): the finer scale when exact numbers meet each other
// or integers, plain numbers when they meet a float.
//
// The order in which operands are written is the order their parameters
// are numbered in, and a few are written right to left (a comparison's
// constants, LIKE's pattern, BETWEEN's bounds, IN's subquery), the binder
// visiting them in the same order: changing it changes the SQL text of
// statements that share prepared statements by it.

#include "platform/mssql/sql_emitter.h"

#include <cstdio>

#include "platform/mssql/convert.h"
#include "platform/mssql/exact_number.h"
#include "platform/mssql/sqlite_db.h"
#include "platform/mssql/text.h"
#include "platform/text/hex.h"

namespace court::mssql {

namespace {

using access::Value;

using Scale = std::optional<int>;

// The source's type is named only when it is money or decimal, whose
// stored units court_convert must read at their scale.
std::string ConvertCall(const std::string& sql, const SqlType& t, bool unicode_source,
                        const std::optional<SqlType>& source) {
  const bool exact = ExactScale(source).has_value();
  return "court_convert(" + sql + ", " + std::to_string(t.xtype) + ", " + std::to_string(t.length) + ", " +
         std::to_string(t.precision) + ", " + std::to_string(t.scale) + ", " + (unicode_source ? "1" : "0") +
         ", " + std::to_string(exact ? source->xtype : 0) + ", " + std::to_string(exact ? source->scale : 0) + ")";
}

// court_add(a, scale_a, b, scale_b, to) and its kin.
std::string ExactCall(const char* function, const std::string& a, int scale_a, const std::string& b, int scale_b,
                      int to) {
  return std::string(function) + "(" + a + ", " + std::to_string(scale_a) + ", " + b + ", " +
         std::to_string(scale_b) + ", " + std::to_string(to) + ")";
}

// SQL of a value in the form `from` as the form `to`.
std::string Rescaled(const std::string& sql, Scale from, Scale to) {
  if (from == to) return sql;
  if (!to) return "court_natural(" + sql + ", " + std::to_string(*from) + ")";
  return "court_exact(" + sql + ", " + std::to_string(from.value_or(0)) + ", " + std::to_string(*to) + ")";
}

// The form in which values of these types meet: nothing (plain numbers)
// unless one is exact and none a float; then the finest scale among them.
Scale CommonScale(const std::vector<const BoundExpr*>& operands) {
  Scale common;
  for (const BoundExpr* e : operands) {
    if (e->type && e->type->family == TypeFamily::kFloat) return std::nullopt;
    if (Scale s = ExactScale(e->type)) common = std::max(common.value_or(0), *s);
  }
  return common;
}

const char* ExactFunction(BinaryOp op) {
  switch (op) {
    case BinaryOp::kAdd: return "court_add";
    case BinaryOp::kSubtract: return "court_subtract";
    case BinaryOp::kMultiply: return "court_multiply";
    case BinaryOp::kDivide: return "court_divide";
    case BinaryOp::kModulo: return "court_modulo";
    default: return nullptr;
  }
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
    case access::ValueType::kCurrency:
    case access::ValueType::kDecimal: return SqlLiteral(PlainStorage(v));
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
    case access::ValueType::kBoolean:
    case access::ValueType::kCurrency:
    case access::ValueType::kDecimal: return Bind(PlainStorage(stored), false);
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
      std::string left = As(*e.children[0], std::nullopt);
      return Infix(left, "||", As(*e.children[1], std::nullopt));
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

std::string SqlEmitter::As(const BoundExpr& e, std::optional<int> scale) {
  return Rescaled(Expression(e), ExactScale(e.type), scale);
}

// Constants the comparison rules made are bound once both operands are
// written: a comparison's right one first, an arithmetic's left one.
// Comparisons meet in CommonScale's form; arithmetic giving money or
// decimal is exact arithmetic on the operands' units, any other on plain
// numbers.
std::string SqlEmitter::Binary(const BoundExpr& e) {
  const BoundExpr& left = *e.children[0];
  const BoundExpr& right = *e.children[1];
  const OperatorClass kind = ClassOf(e.binary_op);
  const char* exact = kind == OperatorClass::kArithmetic && ExactScale(e.type) ? ExactFunction(e.binary_op) : nullptr;
  const Scale want = kind == OperatorClass::kComparison ? CommonScale({&left, &right}) : std::nullopt;
  auto operand = [&](const BoundExpr& x) { return exact ? Expression(x) : As(x, want); };
  std::string l = IsConstant(left) ? "" : operand(left);
  std::string r = IsConstant(right) ? "" : operand(right);
  switch (kind) {
    case OperatorClass::kLogic: return Infix(l, e.binary_op == BinaryOp::kOr ? "OR" : "AND", r);
    case OperatorClass::kComparison:
      if (IsConstant(right)) r = operand(right);
      if (IsConstant(left)) l = operand(left);
      break;
    case OperatorClass::kArithmetic:
      if (IsConstant(left)) l = operand(left);
      if (IsConstant(right)) r = operand(right);
      break;
  }
  if (exact)
    return ExactCall(exact, l, ExactScale(left.type).value_or(0), r, ExactScale(right.type).value_or(0),
                     *ExactScale(e.type));
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

// The function's template with its arguments' SQL in place. The functions
// whose result has the first argument's type take every argument in the
// result's form; the others take plain values. An average or rounding of
// exact numbers is exact arithmetic of its own.
std::string SqlEmitter::Function(const BoundExpr& e) {
  const BuiltinFunction& f = *e.function;
  const Scale scale = ExactScale(e.type);
  if (scale && f.form == FunctionForm::kAverage) return ExactAverage(e, *scale);
  if (scale && f.form == FunctionForm::kRound) return ExactRound(e, *scale);
  std::vector<std::string> args;
  for (const BoundExprPtr& a : e.children)
    args.push_back(As(*a, f.result == ResultType::kFirstArgument ? scale : std::nullopt));
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

// The sum of the units over their count, at the average's own scale.
std::string SqlEmitter::ExactAverage(const BoundExpr& e, int scale) {
  const BoundExpr& value = *e.children[0];
  const std::string distinct = e.distinct ? "DISTINCT " : "";
  const std::string x = Expression(value);
  return ExactCall("court_divide", "sum(" + distinct + x + ")", ExactScale(value.type).value_or(0),
                   "count(" + distinct + x + ")", 0, scale);
}

std::string SqlEmitter::ExactRound(const BoundExpr& e, int scale) {
  std::string sql = "court_round(" + Expression(*e.children[0]) + ", " + std::to_string(scale);
  for (std::size_t i = 1; i < e.children.size(); ++i) sql += ", " + As(*e.children[i], std::nullopt);
  return sql + ")";
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
      const std::string pattern = As(*e.children[1], std::nullopt);
      std::string sql = "(" + As(*e.children[0], std::nullopt) + (e.negated ? " NOT LIKE " : " LIKE ") + pattern;
      if (e.children.size() > 2) sql += " ESCAPE " + As(*e.children[2], std::nullopt);
      return sql + ")";
    }
    case BoundKind::kInSelect: {
      const std::string select = Select(*e.select);
      const Scale scale = e.select->columns.empty() ? std::nullopt : ExactScale(e.select->columns[0].type);
      return "(" + As(*e.children[0], scale) + (e.negated ? " NOT IN (" : " IN (") + select + "))";
    }
    case BoundKind::kExists: return (e.negated ? "(NOT EXISTS (" : "(EXISTS (") + Select(*e.select) + "))";
    default: return "(" + Select(*e.select) + ")";
  }
}

std::string SqlEmitter::InList(const BoundExpr& e) {
  std::vector<const BoundExpr*> operands;
  for (const BoundExprPtr& c : e.children) operands.push_back(c.get());
  const Scale scale = CommonScale(operands);
  std::string sql = "(" + As(*e.children[0], scale) + (e.negated ? " NOT IN (" : " IN (");
  for (std::size_t i = 1; i < e.children.size(); ++i) sql += (i > 1 ? ", " : "") + As(*e.children[i], scale);
  return sql + "))";
}

std::string SqlEmitter::Between(const BoundExpr& e) {
  const Scale scale = CommonScale({e.children[0].get(), e.children[1].get(), e.children[2].get()});
  const std::string value = As(*e.children[0], scale);
  const std::string high = As(*e.children[2], scale);
  const std::string low = As(*e.children[1], scale);
  return "(" + value + (e.negated ? " NOT BETWEEN " : " BETWEEN ") + low + " AND " + high + ")";
}

// Each THEN is written before its WHEN, as the binder bound them. Every
// result takes the CASE's form; a simple CASE's operand and its WHEN
// values meet in the form common to them all.
std::string SqlEmitter::Case(const BoundExpr& e) {
  const Scale scale = ExactScale(e.type);
  const std::size_t pairs_end = e.children.size() - (e.has_else ? 1 : 0);
  std::string sql = "(CASE";
  std::size_t i = 0;
  Scale when_scale;
  if (e.simple_case) {
    std::vector<const BoundExpr*> compared = {e.children[0].get()};
    for (std::size_t w = 1; w + 1 < pairs_end; w += 2) compared.push_back(e.children[w].get());
    when_scale = CommonScale(compared);
    sql += " " + As(*e.children[i++], when_scale);
  }
  for (; i + 1 < pairs_end; i += 2) {
    const std::string result = As(*e.children[i + 1], scale);
    sql += " WHEN " + As(*e.children[i], when_scale) + " THEN " + result;
  }
  if (e.has_else) sql += " ELSE " + As(*e.children.back(), scale);
  return sql + " END)";
}

std::string SqlEmitter::Convert(const BoundExpr& e) {
  const BoundExpr& value = *e.children[0];
  return ConvertCall(Expression(value), *e.type, e.unicode_source, value.type);
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

std::string SqlEmitter::Select(const BoundSelect& select) { return Select(select, select.columns); }

// shape: the columns of the first SELECT of a UNION, whose forms the
// others' items take.
std::string SqlEmitter::Select(const BoundSelect& select, const std::vector<OutputColumn>& shape) {
  const std::string from = From(select);
  std::string sql = select.distinct ? "SELECT DISTINCT " : "SELECT ";
  for (std::size_t i = 0; i < select.items.size(); ++i) {
    const Scale scale = i < shape.size() ? ExactScale(shape[i].type) : ExactScale(select.items[i]->type);
    sql += (i ? ", " : "") + As(*select.items[i], scale) + " AS " + QuoteIdentifier(select.columns[i].name);
  }
  if (!select.rowid_alias.empty()) sql += ", " + select.rowid_alias + ".rowid";
  if (!from.empty()) sql += " FROM " + from;
  if (select.where) sql += " WHERE " + Expression(*select.where);
  for (std::size_t i = 0; i < select.group_by.size(); ++i)
    sql += (i ? ", " : " GROUP BY ") + Expression(*select.group_by[i]);
  if (select.having) sql += " HAVING " + Expression(*select.having);
  if (select.union_next) sql += (select.union_all ? " UNION ALL " : " UNION ") + Select(*select.union_next, shape);
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
