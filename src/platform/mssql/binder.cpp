// Binding expressions: names, literals, operators, predicates, functions.
//
// Some operands are bound right to left (a comparison's conversions, LIKE's
// pattern, BETWEEN's bounds, IN's subquery): the emitter numbers their
// parameters and aliases in the same order, and the SQL text of a
// statement must not change, as prepared statements are shared by it.

#include "platform/mssql/binder.h"

#include <algorithm>

#include "platform/access/number_text.h"
#include "platform/mssql/collation.h"
#include "platform/mssql/convert.h"
#include "platform/mssql/exact_number.h"
#include "platform/mssql/lexer.h"
#include "platform/mssql/messages.h"
#include "platform/mssql/text.h"
#include "platform/text/hex.h"

namespace court::mssql {

namespace {

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
    case TypeFamily::kInteger: return t->id == TypeId::kBigint ? 2 : 1;
    case TypeFamily::kBit: return 1;
    default: return 0;
  }
}


BoundExprPtr Node(BoundKind kind, std::optional<SqlType> type = std::nullopt) {
  auto node = std::make_unique<BoundExpr>();
  node->kind = kind;
  node->type = std::move(type);
  return node;
}

BoundExprPtr ValueNode(access::Value value, std::optional<SqlType> type) {
  BoundExprPtr node = Node(BoundKind::kLiteral, std::move(type));
  node->value = std::move(value);
  return node;
}

// An integer written as a constant counts with the digits it has (3 is
// numeric(1,0)), as SQL Server types it in decimal arithmetic.
SqlType DecimalOperand(const BoundExpr& e) {
  const bool constant = e.literal != nullptr && e.literal->kind == LiteralKind::kInteger &&
                        e.type->family == TypeFamily::kInteger;
  return constant ? DecimalLiteralType(e.literal->text) : *e.type;
}

// avg keeps integers and money as they are; a decimal's average keeps at
// least six decimals, in the widest decimal.
SqlType AverageType(const SqlType& argument) {
  if (argument.family != TypeFamily::kDecimal) return argument;
  SqlType t = BuiltinType(TypeId::kDecimal, 38);
  t.scale = std::max(argument.scale, 6);
  return t;
}

}  // namespace

access::Value LiteralValue(const Literal& literal) {
  switch (literal.kind) {
    case LiteralKind::kNull: return access::Value();
    case LiteralKind::kInteger:
      if (auto whole = access::ParseWhole(literal.text)) return access::Value::Integer(*whole);
      [[fallthrough]];
    case LiteralKind::kDecimal: {
      const SqlType type = DecimalLiteralType(literal.text);
      std::optional<WideUnits> units = ParseExact(literal.text, type.scale);
      if (auto fitted = units ? NarrowUnits(*units) : std::nullopt)
        return access::Value::Exact({*fitted, type.scale});
      [[fallthrough]];
    }
    case LiteralKind::kFloat: {
      auto real = access::ParseReal(literal.text);
      if (!real) throw OverflowConverting("expression", "float");
      return access::Value::Float(*real);
    }
    case LiteralKind::kBinary: return access::Value::Binary(text::FromHex(literal.text).value());
    default: return access::Value::Text(literal.text);
  }
}

std::string Binder::NewAlias() { return "t" + std::to_string(alias_counter_++); }

BoundExprPtr Binder::Compared(BoundExprPtr value, const std::optional<SqlType>& other) {
  if (!other || other->family == TypeFamily::kOther) return value;
  if (value->literal != nullptr && value->literal->kind != LiteralKind::kNull) {
    const Literal& lit = *value->literal;
    bool needs = !other->IsText() && (lit.kind == LiteralKind::kString || other->family == TypeFamily::kDateTime);
    if (needs) value->value = ToStorage(LiteralValue(lit), *other, env_.date_order, lit.unicode);
    value->kind = BoundKind::kConstant;
    value->literal = nullptr;
    // A number meeting money or decimal keeps its own type: the emitter
    // brings both to one scale, so that 1.555 is not first rounded to a
    // decimal(9,2)'s 1.56.
    if (needs || (!ExactScale(other) && !ExactScale(value->type))) value->type = other;
    return value;
  }
  if (other->IsText() || !value->type || !value->type->IsText()) return value;
  BoundExprPtr convert = Node(BoundKind::kConvert, other);
  convert->unicode_source = value->type->unicode;
  convert->children.push_back(std::move(value));
  return convert;
}

BoundExprPtr Binder::Converted(const BoundExpr& literal, const SqlType& type) {
  const Literal& lit = *literal.literal;
  return ValueNode(ToStorage(LiteralValue(lit), type, env_.date_order, lit.unicode), type);
}

BoundExprPtr Binder::BindLiteral(const Expr& e) {
  const Literal& lit = e.literal;
  BoundExprPtr node = ValueNode(LiteralValue(lit), std::nullopt);
  node->literal = &lit;
  switch (lit.kind) {
    case LiteralKind::kNull: break;
    case LiteralKind::kInteger:
      node->type = BuiltinType(node->value.type() == access::ValueType::kInteger ? TypeId::kInt : TypeId::kFloat);
      break;
    case LiteralKind::kDecimal:
      node->type = DecimalLiteralType(lit.text);
      node->value = ToStorage(node->value, *node->type, env_.date_order);
      break;
    case LiteralKind::kFloat: node->type = BuiltinType(TypeId::kFloat); break;
    case LiteralKind::kBinary:
      node->type = BuiltinType(TypeId::kVarbinary, static_cast<int>(lit.text.size() / 2));
      break;
    case LiteralKind::kString: {
      int length = std::max(1, lit.unicode ? Utf16Length(lit.text) : Cp936Length(lit.text));
      node->type = BuiltinType(lit.unicode ? TypeId::kNvarchar : TypeId::kVarchar, length);
    }
  }
  return node;
}

BoundExprPtr Binder::BindVariable(const Expr& e) {
  Variable* v = env_.variable ? env_.variable(e.name[0]) : nullptr;
  if (v == nullptr) throw MustDeclareVariable("@" + e.name[0]);
  BoundExprPtr node = Node(BoundKind::kVariable, v->type);
  node->variable = v;
  return node;
}

BoundExprPtr Binder::BindSystemVariable(const Expr& e) {
  access::Value v = env_.system_variable(Lower(e.name[0]));
  std::optional<SqlType> type;
  if (v.type() == access::ValueType::kText) type = BuiltinType(TypeId::kNvarchar, 128);
  else if (v.type() == access::ValueType::kInteger) type = BuiltinType(TypeId::kInt);
  return ValueNode(std::move(v), std::move(type));
}

BoundExprPtr Binder::BindColumn(const Expr& e, const Scope& scope) {
  const std::string& column = e.name.back();
  std::string qualifier = e.name.size() >= 2 ? e.name[e.name.size() - 2] : "";
  for (const Scope* s = &scope; s != nullptr; s = s->outer) {
    const ScopeTable* found = nullptr;
    BoundExprPtr node = Node(BoundKind::kColumn);
    for (const ScopeTable& t : s->tables) {
      if (!qualifier.empty() && !EqualCi(qualifier, t.alias) &&
          !(EqualCi(qualifier, t.name) && (t.alias.empty() || e.name.size() > 2)))
        continue;
      if (t.meta) {
        int i = t.meta->Find(column);
        if (i < 0) continue;
        if (found) throw AmbiguousColumnName(column);
        found = &t;
        node->table = t.meta;
        node->column = &t.meta->columns[static_cast<std::size_t>(i)];
        node->type = node->column->type;
        node->name = node->column->name;
      } else {
        for (const OutputColumn& c : t.derived) {
          if (!EqualCi(c.name, column)) continue;
          if (found) throw AmbiguousColumnName(column);
          found = &t;
          node->type = c.type;
          node->name = c.name;
          break;
        }
      }
    }
    if (!found) continue;
    if (node->table && env_.read_column) env_.read_column(*node->table, *node->column);
    node->table_alias = found->sql_alias;
    return node;
  }
  throw InvalidColumnName(column);
}

BoundExprPtr Binder::BindUnary(const Expr& e, const Scope& scope) {
  BoundExprPtr operand = Bind(*e.args[0], scope);
  std::optional<SqlType> type;
  switch (e.unary_op) {
    case UnaryOp::kPlus: return operand;
    case UnaryOp::kNot: break;
    case UnaryOp::kNegate:
    case UnaryOp::kBitNot: type = operand->type; break;
  }
  BoundExprPtr node = Node(BoundKind::kUnary, std::move(type));
  node->unary_op = e.unary_op;
  node->children.push_back(std::move(operand));
  return node;
}

// Operands first, then the operator's own work in Combined, which does not
// recurse: a chain a + b + c + ... is as deep as it is long.
BoundExprPtr Binder::BindBinary(const Expr& e, const Scope& scope) {
  BoundExprPtr left = Bind(*e.args[0], scope);
  return Combined(e.binary_op, std::move(left), Bind(*e.args[1], scope));
}

BoundExprPtr Binder::Combined(BinaryOp op, BoundExprPtr left, BoundExprPtr right) {
  std::optional<SqlType> type;
  BoundKind kind = BoundKind::kBinary;
  switch (ClassOf(op)) {
    case OperatorClass::kLogic: break;
    case OperatorClass::kComparison: {
      const std::optional<SqlType> left_type = left->type, right_type = right->type;
      right = Compared(std::move(right), left_type);
      left = Compared(std::move(left), right_type);
      break;
    }
    case OperatorClass::kArithmetic: {
      bool text = (left->type && left->type->IsText()) || (right->type && right->type->IsText());
      bool numeric = Rank(left->type) > 0 || Rank(right->type) > 0;
      if (op == BinaryOp::kAdd && text && !numeric) {
        kind = BoundKind::kConcat;
        type = left->type ? left->type : right->type;
        break;
      }
      type = Rank(left->type) >= Rank(right->type) ? left->type : right->type;
      const bool both_numbers = Rank(left->type) > 0 && Rank(right->type) > 0;
      std::optional<SqlType> result = type;
      if (type && type->family == TypeFamily::kDecimal && both_numbers)
        result = DecimalResultType(op, DecimalOperand(*left), DecimalOperand(*right));
      left = Compared(std::move(left), type);
      right = Compared(std::move(right), type);
      type = std::move(result);
    }
  }
  BoundExprPtr node = Node(kind, std::move(type));
  node->binary_op = op;
  node->children.push_back(std::move(left));
  node->children.push_back(std::move(right));
  return node;
}

BoundExprPtr Binder::BindFunction(const Expr& e, const Scope& scope) {
  const BuiltinFunction* f = FindBuiltinFunction(e.name.back());
  if (f == nullptr) throw UnknownFunction(e.name.back());
  // count(*)'s star is its one argument.
  const std::size_t given = e.star ? 1 : e.args.size();
  if (given < static_cast<std::size_t>(f->min_args) ||
      (f->max_args != kAnyArguments && given > static_cast<std::size_t>(f->max_args)))
    throw WrongArgumentCount(f->name, f->min_args, f->max_args);
  switch (f->form) {
    case FunctionForm::kObjectId: return BindObjectId(*e.args[0]);
    case FunctionForm::kObjectProperty: return BindObjectProperty(e, scope);
    case FunctionForm::kDatabaseName:
      return ValueNode(access::Value::Text(env_.database), BuiltinType(TypeId::kNvarchar, 128));
    case FunctionForm::kTemplate:
    case FunctionForm::kAverage:
    case FunctionForm::kRound: break;
  }
  return BindCall(*f, e, scope);
}

// The arguments, each converted as the function's rule says; the result's
// type and Unicode flag come from the first as written.
BoundExprPtr Binder::BindCall(const BuiltinFunction& f, const Expr& e, const Scope& scope) {
  BoundExprPtr node = Node(BoundKind::kFunction);
  node->function = &f;
  node->star = e.star;
  node->distinct = e.distinct;
  std::optional<SqlType> first_type;
  for (const ExprPtr& a : e.args) {
    BoundExprPtr arg = Bind(*a, scope);
    const bool first = node->children.empty();
    if (first) first_type = arg->type;
    switch (f.arguments) {
      case ArgumentRule::kAsWritten: break;
      case ArgumentRule::kAsDatetime: arg = Compared(std::move(arg), BuiltinType(TypeId::kDatetime)); break;
      case ArgumentRule::kLikeFirst:
        if (!first) arg = Compared(std::move(arg), first_type);
        break;
    }
    node->children.push_back(std::move(arg));
  }
  node->unicode_source = first_type && first_type->unicode;
  switch (f.result) {
    case ResultType::kInt: node->type = BuiltinType(TypeId::kInt); break;
    case ResultType::kDatetime: node->type = BuiltinType(TypeId::kDatetime); break;
    case ResultType::kName: node->type = BuiltinType(TypeId::kNvarchar, 128); break;
    case ResultType::kFirstArgument: node->type = first_type; break;
    case ResultType::kText:
      node->type = first_type && !first_type->IsText() ? BuiltinType(TypeId::kVarchar, 30) : first_type;
      break;
  }
  if (f.form == FunctionForm::kAverage && node->type) node->type = AverageType(*node->type);
  return node;
}

// Resolved now: the batch's earlier statements have already run.
BoundExprPtr Binder::BindObjectId(const Expr& a) {
  std::string name;
  if (a.kind == ExprKind::kLiteral) {
    name = a.literal.text;
  } else if (a.kind == ExprKind::kVariable) {
    name = BindVariable(a)->variable->value.ToText();
  } else {
    throw Message(Msg::kObjectIdArgument);
  }
  std::optional<int> id = ObjectId(name);
  return ValueNode(id ? access::Value::Integer(*id) : access::Value(), BuiltinType(TypeId::kInt));
}

BoundExprPtr Binder::BindObjectProperty(const Expr& e, const Scope& scope) {
  BoundExprPtr node = Node(BoundKind::kObjectProperty, BuiltinType(TypeId::kInt));
  node->children.push_back(Bind(*e.args[0], scope));
  node->name = Lower(e.args[1]->literal.text);
  node->table_alias = NewAlias();
  node->source = env_.current->Qualified("sysobjects");
  return node;
}

// Bind and the functions it dispatches to recurse once per level of the
// tree, and the parser admits trees a thousand levels deep. So the
// dispatcher holds nothing but the switch, and each kind's temporaries live
// in a function of its own, whose frame is gone before the next level is
// entered where it can be; a sanitizer build's frames stay small enough too.
BoundExprPtr Binder::Bind(const Expr& e, const Scope& scope) {
  switch (e.kind) {
    case ExprKind::kLiteral: return BindLiteral(e);
    case ExprKind::kColumn: return BindColumn(e, scope);
    case ExprKind::kVariable: return BindVariable(e);
    case ExprKind::kSystemVariable: return BindSystemVariable(e);
    case ExprKind::kUnary: return BindUnary(e, scope);
    case ExprKind::kBinary: return BindBinary(e, scope);
    case ExprKind::kFunction: return BindFunction(e, scope);
    case ExprKind::kIsNull:
    case ExprKind::kLike:
    case ExprKind::kInSelect:
    case ExprKind::kExists: return BindPredicate(e, scope);
    case ExprKind::kInList: return BindInList(e, scope);
    case ExprKind::kBetween: return BindBetween(e, scope);
    case ExprKind::kSubquery: return BindSubquery(e, scope);
    case ExprKind::kCase: return BindCase(e, scope);
    case ExprKind::kCast: return BindCast(e, scope);
  }
  throw SyntaxNear("");
}

// IS NULL, LIKE, IN (SELECT ...) and EXISTS: their operands as they are.
BoundExprPtr Binder::BindPredicate(const Expr& e, const Scope& scope) {
  BoundExprPtr node;
  switch (e.kind) {
    case ExprKind::kIsNull:
      node = Node(BoundKind::kIsNull);
      node->children.push_back(Bind(*e.args[0], scope));
      break;
    case ExprKind::kLike: {
      node = Node(BoundKind::kLike);
      BoundExprPtr pattern = Bind(*e.args[1], scope);
      node->children.push_back(Bind(*e.args[0], scope));
      node->children.push_back(std::move(pattern));
      if (e.args.size() > 2) node->children.push_back(Bind(*e.args[2], scope));
      break;
    }
    case ExprKind::kInSelect:
      node = Node(BoundKind::kInSelect);
      node->select = std::make_unique<BoundSelect>(BindSelect(*e.select, &scope));
      node->children.push_back(Bind(*e.args[0], scope));
      break;
    default:
      node = Node(BoundKind::kExists);
      node->select = std::make_unique<BoundSelect>(BindSelect(*e.select, &scope));
  }
  node->negated = e.negated;
  return node;
}

BoundExprPtr Binder::BindInList(const Expr& e, const Scope& scope) {
  BoundExprPtr node = Node(BoundKind::kInList);
  node->negated = e.negated;
  node->children.push_back(Bind(*e.args[0], scope));
  const std::optional<SqlType> type = node->children[0]->type;
  for (std::size_t i = 1; i < e.args.size(); ++i) node->children.push_back(Compared(Bind(*e.args[i], scope), type));
  return node;
}

BoundExprPtr Binder::BindBetween(const Expr& e, const Scope& scope) {
  BoundExprPtr node = Node(BoundKind::kBetween);
  node->negated = e.negated;
  node->children.push_back(Bind(*e.args[0], scope));
  const std::optional<SqlType> type = node->children[0]->type;
  BoundExprPtr high = Compared(Bind(*e.args[2], scope), type);
  node->children.push_back(Compared(Bind(*e.args[1], scope), type));
  node->children.push_back(std::move(high));
  return node;
}

BoundExprPtr Binder::BindSubquery(const Expr& e, const Scope& scope) {
  BoundExprPtr node = Node(BoundKind::kSubquery);
  node->select = std::make_unique<BoundSelect>(BindSelect(*e.select, &scope));
  if (!node->select->columns.empty()) node->type = node->select->columns[0].type;
  return node;
}

// Each THEN is bound before its WHEN; the type is the first result's that
// has one.
BoundExprPtr Binder::BindCase(const Expr& e, const Scope& scope) {
  BoundExprPtr node = Node(BoundKind::kCase);
  node->simple_case = e.simple_case;
  node->has_else = e.has_else;
  std::size_t i = 0;
  if (e.simple_case) node->children.push_back(Bind(*e.args[i++], scope));
  std::size_t pairs_end = e.args.size() - (e.has_else ? 1 : 0);
  for (; i + 1 < pairs_end; i += 2) {
    BoundExprPtr result = Bind(*e.args[i + 1], scope);
    if (!node->type) node->type = result->type;
    node->children.push_back(Bind(*e.args[i], scope));
    node->children.push_back(std::move(result));
  }
  if (e.has_else) {
    node->children.push_back(Bind(*e.args.back(), scope));
    if (!node->type) node->type = node->children.back()->type;
  }
  return node;
}

BoundExprPtr Binder::BindCast(const Expr& e, const Scope& scope) {
  SqlType target = ResolveType(*e.cast_type);
  BoundExprPtr value = Bind(*e.args[0], scope);
  if (value->literal != nullptr) return Converted(*value, target);
  BoundExprPtr node = Node(BoundKind::kConvert, target);
  node->unicode_source = value->type && value->type->unicode;
  node->children.push_back(std::move(value));
  return node;
}

BoundExprPtr Binder::BindColumnValue(const Expr& e, const Scope& scope, const ColumnMeta& column) {
  BoundExprPtr value = Bind(e, scope);
  if (value->literal != nullptr) return Converted(*value, column.type);
  BoundExprPtr node = Node(BoundKind::kConvert, column.type);
  node->unicode_source = value->type && value->type->unicode;
  node->children.push_back(std::move(value));
  return node;
}

std::optional<int> Binder::ObjectId(const std::string& qualified_name) {
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
