// Expressions: names, literals, operators, predicates and functions.

#include <cctype>
#include <cstdio>

#include "platform/access/number_text.h"
#include "platform/mssql/builtin_functions.h"
#include "platform/mssql/collation.h"
#include "platform/mssql/compiler.h"
#include "platform/mssql/convert.h"
#include "platform/mssql/lexer.h"
#include "platform/mssql/messages.h"
#include "platform/mssql/text.h"
#include "platform/text/hex.h"

namespace court::mssql {

namespace {

using access::Value;

// SQL Server's precedence among the numeric types: an operation on two
// numbers is done in the type of the higher rank (float, then decimal, then
// money, then bigint, then the smaller integers and bit). Text and the other
// types rank 0, so a number meeting text makes the text a number.
int Rank(const std::optional<SqlType>& t) {
  if (!t) return 0;
  switch (t->family) {
    case TypeFamily::kFloat: return 5;
    case TypeFamily::kDecimal: return 4;
    case TypeFamily::kMoney: return 3;
    case TypeFamily::kInteger: return t->name == "bigint" ? 2 : 1;
    case TypeFamily::kBit: return 1;
    default: return 0;
  }
}

std::string ConvertCall(const std::string& sql, const SqlType& t, bool unicode_source) {
  return "court_convert(" + sql + ", " + std::to_string(t.xtype) + ", " + std::to_string(t.length) +
         ", " + std::to_string(t.precision) + ", " + std::to_string(t.scale) + ", " +
         (unicode_source ? "1" : "0") + ")";
}

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

Value LiteralValue(const Literal& literal) {
  switch (literal.kind) {
    case LiteralKind::kNull: return Value();
    case LiteralKind::kInteger:
      if (auto whole = access::ParseWhole(literal.text)) return Value::Integer(*whole);
      [[fallthrough]];
    case LiteralKind::kDecimal:
    case LiteralKind::kFloat: {
      auto real = access::ParseReal(literal.text);
      if (!real) throw OverflowConverting("expression", "float");
      return Value::Float(*real);
    }
    case LiteralKind::kBinary: {
      return Value::Binary(text::FromHex(literal.text).value());  // the lexer read hex digits
    }
    default: return Value::Text(literal.text);
  }
}

std::string Compiler::NewAlias() { return "t" + std::to_string(alias_counter_++); }

std::string Compiler::Bind(const Value& value, bool text) {
  if (env_.inline_only) return SqlLiteral(value);
  params_.push_back(value);
  return "?" + std::to_string(params_.size()) + (text ? " COLLATE CI" : "");
}

std::string Compiler::BindConstant(const Value& stored) {
  switch (stored.type()) {
    case access::ValueType::kNull:
    case access::ValueType::kInteger:
    case access::ValueType::kFloat:
    case access::ValueType::kBinary: return Bind(stored, false);
    case access::ValueType::kBoolean: return Bind(Value::Integer(stored.boolean() ? 1 : 0), false);
    default: return Bind(Value::Text(PlainStorage(stored).ToText()), true);
  }
}

std::string Compiler::Compared(const Typed& value, const std::optional<SqlType>& other) {
  if (!other || other->family == TypeFamily::kOther) return value.sql;
  if (value.literal != nullptr && value.literal->literal.kind != LiteralKind::kNull) {
    const Literal& lit = value.literal->literal;
    bool needs = !other->IsText() && (lit.kind == LiteralKind::kString || other->family == TypeFamily::kDateTime);
    return BindConstant(needs ? ToStorage(LiteralValue(lit), *other, env_.date_order, lit.unicode) : LiteralValue(lit));
  }
  if (other->IsText()) return value.sql;
  if (value.type && value.type->IsText()) return ConvertCall(value.sql, *other, value.type->unicode);
  return value.sql;
}

Compiler::Typed Compiler::EmitLiteral(const Expr& e) {
  const Literal& lit = e.literal;
  Typed t;
  t.literal = &e;
  switch (lit.kind) {
    case LiteralKind::kNull: t.sql = "NULL"; break;
    case LiteralKind::kInteger:
      t.sql = SqlLiteral(LiteralValue(lit));
      t.type = BuiltinType(LiteralValue(lit).type() == access::ValueType::kInteger ? "int" : "float");
      break;
    case LiteralKind::kDecimal:
      t.sql = SqlLiteral(LiteralValue(lit));
      t.type = DecimalLiteralType(lit.text);
      break;
    case LiteralKind::kFloat:
      t.sql = SqlLiteral(LiteralValue(lit));
      t.type = BuiltinType("float");
      break;
    case LiteralKind::kBinary:
      t.sql = SqlLiteral(LiteralValue(lit));
      t.type = BuiltinType("varbinary", static_cast<int>(lit.text.size() / 2));
      break;
    default: {
      t.sql = QuoteString(lit.text) + " COLLATE CI";
      int length = std::max(1, lit.unicode ? Utf16Length(lit.text) : Cp936Length(lit.text));
      t.type = BuiltinType(lit.unicode ? "nvarchar" : "varchar", length);
    }
  }
  return t;
}

Compiler::Typed Compiler::EmitVariable(const Expr& e) {
  Variable* v = env_.variable ? env_.variable(e.name[0]) : nullptr;
  if (v == nullptr) throw MustDeclareVariable("@" + e.name[0]);
  return Typed{Bind(v->value, v->type.IsText()), v->type, nullptr};
}

Compiler::Typed Compiler::EmitColumn(const Expr& e, const Scope& scope) {
  const std::string& column = e.name.back();
  std::string qualifier = e.name.size() >= 2 ? e.name[e.name.size() - 2] : "";
  for (const Scope* s = &scope; s != nullptr; s = s->outer) {
    const ScopeTable* found = nullptr;
    std::optional<SqlType> type;
    std::string stored_name;
    for (const ScopeTable& t : s->tables) {
      if (!qualifier.empty() && !EqualCi(qualifier, t.alias) &&
          !(EqualCi(qualifier, t.name) && (t.alias.empty() || e.name.size() > 2)))
        continue;
      if (t.meta) {
        int i = t.meta->Find(column);
        if (i < 0) continue;
        if (found) throw AmbiguousColumnName(column);
        found = &t;
        type = t.meta->columns[static_cast<std::size_t>(i)].type;
        stored_name = t.meta->columns[static_cast<std::size_t>(i)].name;
      } else {
        for (const OutputColumn& c : t.derived) {
          if (!EqualCi(c.name, column)) continue;
          if (found) throw AmbiguousColumnName(column);
          found = &t;
          type = c.type;
          stored_name = c.name;
          break;
        }
      }
    }
    if (found && found->meta && env_.read_column)
      env_.read_column(*found->meta, found->meta->columns[static_cast<std::size_t>(found->meta->Find(column))]);
    if (found) return Typed{found->sql_alias + "." + QuoteIdentifier(stored_name), type, nullptr};
  }
  throw InvalidColumnName(column);
}

// Operands first, then the operator's own work in Combined, which does not
// recurse: a chain a + b + c + ... is as deep as it is long.
Compiler::Typed Compiler::EmitBinary(const Expr& e, const Scope& scope) {
  Typed left = Emit(*e.args[0], scope);
  return Combined(e.op, std::move(left), Emit(*e.args[1], scope));
}

Compiler::Typed Compiler::Combined(const std::string& op, Typed left, Typed right) {
  if (op == "AND" || op == "OR") return Typed{"(" + left.sql + " " + op + " " + right.sql + ")", {}, nullptr};
  if (op == "=" || op == "<>" || op == "<" || op == ">" || op == "<=" || op == ">=") {
    return Typed{"(" + Compared(left, right.type) + " " + op + " " + Compared(right, left.type) + ")",
                 {}, nullptr};
  }
  bool text = (left.type && left.type->IsText()) || (right.type && right.type->IsText());
  bool numeric = Rank(left.type) > 0 || Rank(right.type) > 0;
  if (op == "+" && text && !numeric) {
    return Typed{"(" + left.sql + " || " + right.sql + ")", left.type ? left.type : right.type, nullptr};
  }
  std::optional<SqlType> type = Rank(left.type) >= Rank(right.type) ? left.type : right.type;
  std::string l = Compared(left, type), r = Compared(right, type);
  if (type && type->family == TypeFamily::kDecimal && Rank(left.type) > 0 && Rank(right.type) > 0 &&
      op.size() == 1) {
    // An integer written as a constant counts with the digits it has (3 is
    // numeric(1,0)), as SQL Server types it in decimal arithmetic.
    auto operand = [](const Typed& t) {
      const bool constant = t.literal != nullptr && t.literal->literal.kind == LiteralKind::kInteger &&
                            t.type->family == TypeFamily::kInteger;
      return constant ? DecimalLiteralType(t.literal->literal.text) : *t.type;
    };
    type = DecimalResultType(op[0], operand(left), operand(right));
  }
  if (op == "^") return Typed{"((" + l + " | " + r + ") - (" + l + " & " + r + "))", type, nullptr};
  if (op == "/" || op == "%") r = "court_divisor(" + r + ")";
  return Typed{"(" + l + " " + op + " " + r + ")", type, nullptr};
}

Compiler::Typed Compiler::EmitFunction(const Expr& e, const Scope& scope) {
  const BuiltinFunction* f = FindBuiltinFunction(e.name.back());
  if (f == nullptr) throw UnknownFunction(e.name.back());
  // count(*)'s star is its one argument.
  const std::size_t given = e.star ? 1 : e.args.size();
  if (given < static_cast<std::size_t>(f->min_args) ||
      (f->max_args != kAnyArguments && given > static_cast<std::size_t>(f->max_args)))
    throw WrongArgumentCount(f->name, f->min_args, f->max_args);
  switch (f->form) {
    case FunctionForm::kObjectId: return EmitObjectId(*e.args[0]);
    case FunctionForm::kObjectProperty:
      return EmitObjectProperty(Emit(*e.args[0], scope).sql, Lower(e.args[1]->literal.text));
    case FunctionForm::kDatabaseName:
      return Typed{SqlLiteral(Value::Text(env_.database)), BuiltinType("nvarchar", 128), nullptr};
    case FunctionForm::kTemplate:
    case FunctionForm::kAverage: break;
  }
  return EmitCall(*f, e, scope);
}

// The function's template with its arguments' SQL in place, each argument
// converted as the function's rule says.
Compiler::Typed Compiler::EmitCall(const BuiltinFunction& f, const Expr& e, const Scope& scope) {
  std::vector<Typed> args;
  for (const ExprPtr& a : e.args) {
    Typed arg = Emit(*a, scope);
    if (f.arguments == ArgumentRule::kAsDatetime) arg.sql = Compared(arg, BuiltinType("datetime"));
    if (f.arguments == ArgumentRule::kLikeFirst && !args.empty()) arg.sql = Compared(arg, args[0].type);
    args.push_back(std::move(arg));
  }
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
      sql += !args.empty() && args[0].type && args[0].type->unicode ? "1" : "0";
    } else if (what == '*') {
      if (e.star) sql += "*";
      for (std::size_t a = 0; a < args.size(); ++a) sql += (a ? ", " : "") + args[a].sql;
    } else {
      sql += args.at(static_cast<std::size_t>(what - '0')).sql;
    }
  }
  std::optional<SqlType> type;
  switch (f.result) {
    case ResultType::kInt: type = BuiltinType("int"); break;
    case ResultType::kDatetime: type = BuiltinType("datetime"); break;
    case ResultType::kName: type = BuiltinType("nvarchar", 128); break;
    case ResultType::kFirstArgument: type = args.empty() ? std::nullopt : args[0].type; break;
  }
  if (f.form == FunctionForm::kAverage && type && type->family == TypeFamily::kInteger)
    sql = "CAST(" + sql + " AS INTEGER)";
  return Typed{sql, type, nullptr};
}

Compiler::Typed Compiler::EmitObjectId(const Expr& a) {
  std::string name;
  if (a.kind == ExprKind::kLiteral) {
    name = a.literal.text;
  } else if (a.kind == ExprKind::kVariable) {
    Variable* v = env_.variable ? env_.variable(a.name[0]) : nullptr;
    if (v == nullptr) throw MustDeclareVariable("@" + a.name[0]);
    name = v->value.ToText();
  } else {
    throw Message(Msg::kObjectIdArgument);
  }
  // Resolved now: the batch's earlier statements have already run.
  std::optional<int> id = ObjectId(name);
  return Typed{id ? std::to_string(*id) : "NULL", BuiltinType("int"), nullptr};
}

Compiler::Typed Compiler::EmitObjectProperty(const std::string& id, const std::string& property) {
  std::string o = NewAlias();
  std::string x = o + ".xtype";
  std::string condition;
  if (property == "isview") condition = x + " = 'V'";
  else if (property == "isusertable") condition = x + " = 'U'";
  else if (property == "issystemtable") condition = x + " = 'S'";
  else if (property == "istable") condition = x + " IN ('U', 'S')";
  else if (property == "isprocedure") condition = x + " = 'P'";
  else if (property == "isdefault") condition = x + " = 'D' AND " + o + ".parent_obj = 0";
  else if (property == "isdefaultcnst") condition = x + " = 'D' AND " + o + ".parent_obj <> 0";
  else if (property == "ischeckcnst") condition = x + " = 'C'";
  else if (property == "isprimarykey") condition = x + " = 'PK'";
  else if (property == "isconstraint") condition = x + " IN ('C', 'D', 'PK', 'UQ', 'F') AND " + o + ".parent_obj <> 0";
  else if (property == "ismsshipped") condition = o + ".category & 2 <> 0";
  else if (property == "execisquotedidenton") condition = o + ".status & 1073741824 <> 0";
  else if (property == "execisansinullson") condition = o + ".status & 536870912 <> 0";
  else return Typed{"NULL", BuiltinType("int"), nullptr};
  return Typed{"(SELECT CASE WHEN " + condition + " THEN 1 ELSE 0 END FROM " +
                   env_.current->Qualified("sysobjects") + " AS " + o + " WHERE " + o + ".id = " + id + ")",
               BuiltinType("int"), nullptr};
}

// Emit and the functions it dispatches to recurse once per level of the
// tree, and the parser admits trees a thousand levels deep. So the
// dispatcher holds nothing but the switch, and each kind's temporaries live
// in a function of its own, whose frame is gone before the next level is
// entered where it can be; a sanitizer build's frames stay small enough too.
Compiler::Typed Compiler::Emit(const Expr& e, const Scope& scope) {
  switch (e.kind) {
    case ExprKind::kLiteral: return EmitLiteral(e);
    case ExprKind::kColumn: return EmitColumn(e, scope);
    case ExprKind::kVariable: return EmitVariable(e);
    case ExprKind::kSystemVariable: return EmitSystemVariable(e);
    case ExprKind::kUnary: return EmitUnary(e, scope);
    case ExprKind::kBinary: return EmitBinary(e, scope);
    case ExprKind::kFunction: return EmitFunction(e, scope);
    case ExprKind::kIsNull: return EmitIsNull(e, scope);
    case ExprKind::kLike: return EmitLike(e, scope);
    case ExprKind::kInList: return EmitInList(e, scope);
    case ExprKind::kInSelect:
    case ExprKind::kExists: return EmitSubqueryTest(e, scope);
    case ExprKind::kBetween: return EmitBetween(e, scope);
    case ExprKind::kSubquery: return EmitSubquery(e, scope);
    case ExprKind::kCase: return EmitCase(e, scope);
    case ExprKind::kCast: return EmitCast(e, scope);
  }
  throw SyntaxNear("");
}

Compiler::Typed Compiler::EmitSystemVariable(const Expr& e) {
  Value v = env_.system_variable(Lower(e.name[0]));
  std::optional<SqlType> type;
  if (v.type() == access::ValueType::kText) type = BuiltinType("nvarchar", 128);
  else if (v.type() == access::ValueType::kInteger) type = BuiltinType("int");
  return Typed{SqlLiteral(v), type, nullptr};
}

Compiler::Typed Compiler::EmitUnary(const Expr& e, const Scope& scope) {
  return Prefixed(e.op, Emit(*e.args[0], scope));
}

Compiler::Typed Compiler::Prefixed(const std::string& op, Typed operand) {
  if (op == "NOT") return Typed{"(NOT " + operand.sql + ")", {}, nullptr};
  if (op == "+") return operand;
  return Typed{"(" + op + " " + operand.sql + ")", operand.type, nullptr};
}

Compiler::Typed Compiler::EmitIsNull(const Expr& e, const Scope& scope) {
  Typed a = Emit(*e.args[0], scope);
  return Typed{"(" + a.sql + (e.negated ? " IS NOT NULL)" : " IS NULL)"), {}, nullptr};
}

Compiler::Typed Compiler::EmitLike(const Expr& e, const Scope& scope) {
  std::string sql = "(" + Emit(*e.args[0], scope).sql + (e.negated ? " NOT LIKE " : " LIKE ") +
                    Emit(*e.args[1], scope).sql;
  if (e.args.size() > 2) sql += " ESCAPE " + Emit(*e.args[2], scope).sql;
  return Typed{sql + ")", {}, nullptr};
}

Compiler::Typed Compiler::EmitInList(const Expr& e, const Scope& scope) {
  Typed left = Emit(*e.args[0], scope);
  std::string sql = "(" + left.sql + (e.negated ? " NOT IN (" : " IN (");
  for (std::size_t i = 1; i < e.args.size(); ++i)
    sql += (i > 1 ? ", " : "") + Compared(Emit(*e.args[i], scope), left.type);
  return Typed{sql + "))", {}, nullptr};
}

// x IN (SELECT ...) and EXISTS (SELECT ...).
Compiler::Typed Compiler::EmitSubqueryTest(const Expr& e, const Scope& scope) {
  if (e.kind == ExprKind::kExists)
    return Typed{std::string(e.negated ? "(NOT EXISTS (" : "(EXISTS (") + SubquerySql(*e.select, scope) + "))",
                 {}, nullptr};
  return Typed{"(" + Emit(*e.args[0], scope).sql + (e.negated ? " NOT IN (" : " IN (") +
                   SubquerySql(*e.select, scope) + "))",
               {}, nullptr};
}

Compiler::Typed Compiler::EmitBetween(const Expr& e, const Scope& scope) {
  Typed a = Emit(*e.args[0], scope);
  return Typed{"(" + a.sql + (e.negated ? " NOT BETWEEN " : " BETWEEN ") +
                   Compared(Emit(*e.args[1], scope), a.type) + " AND " +
                   Compared(Emit(*e.args[2], scope), a.type) + ")",
               {}, nullptr};
}

Compiler::Typed Compiler::EmitSubquery(const Expr& e, const Scope& scope) {
  CompiledQuery q = SelectQuery(*e.select, &scope);
  std::optional<SqlType> type = q.columns.empty() ? std::nullopt : q.columns[0].type;
  return Typed{"(" + q.sql + ")", type, nullptr};
}

Compiler::Typed Compiler::EmitCase(const Expr& e, const Scope& scope) {
  std::string sql = "(CASE";
  std::size_t i = 0;
  std::optional<SqlType> type;
  if (e.simple_case) sql += " " + Emit(*e.args[i++], scope).sql;
  std::size_t pairs_end = e.args.size() - (e.has_else ? 1 : 0);
  for (; i + 1 < pairs_end; i += 2) {
    Typed result = Emit(*e.args[i + 1], scope);
    if (!type) type = result.type;
    sql += " WHEN " + Emit(*e.args[i], scope).sql + " THEN " + result.sql;
  }
  if (e.has_else) {
    Typed otherwise = Emit(*e.args.back(), scope);
    if (!type) type = otherwise.type;
    sql += " ELSE " + otherwise.sql;
  }
  return Typed{sql + " END)", type, nullptr};
}

Compiler::Typed Compiler::EmitCast(const Expr& e, const Scope& scope) {
  SqlType target = ResolveType(*e.cast_type);
  Typed a = Emit(*e.args[0], scope);
  if (a.literal != nullptr) {
    const Literal& lit = a.literal->literal;
    return Typed{SqlLiteral(ToStorage(LiteralValue(lit), target, env_.date_order, lit.unicode)), target,
                 nullptr};
  }
  return Typed{ConvertCall(a.sql, target, a.type && a.type->unicode), target, nullptr};
}

std::string Compiler::Condition(const Expr& e, const Scope& scope) { return Emit(e, scope).sql; }

std::string Compiler::ColumnValue(const Expr& e, const Scope& scope, const ColumnMeta& column) {
  Typed value = Emit(e, scope);
  if (value.literal != nullptr) {
    const Literal& lit = value.literal->literal;
    return SqlLiteral(ToStorage(LiteralValue(lit), column.type, env_.date_order, lit.unicode));
  }
  return ConvertCall(value.sql, column.type, value.type && value.type->unicode);
}

std::optional<int> Compiler::ObjectId(const std::string& qualified_name) {
  MultiName parts;
  for (const Token& t : Tokenize(qualified_name, true)) {
    if (t.kind == TokenKind::kWord || t.kind == TokenKind::kQuotedName) parts.push_back(t.text);
    else if (t.kind == TokenKind::kSymbol && t.text == "." && parts.empty()) return std::nullopt;
  }
  if (parts.empty()) return std::nullopt;
  Catalog* catalog = env_.current;
  if (parts.size() >= 3) {
    if (EqualCi(parts[parts.size() - 3], "master")) catalog = env_.master;
    else if (!EqualCi(parts[parts.size() - 3], env_.database)) return std::nullopt;
  }
  return catalog->ObjectId(parts.back());
}

}  // namespace court::mssql
