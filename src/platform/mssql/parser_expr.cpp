// Expressions and SELECT queries.

#include <optional>

#include "platform/mssql/messages.h"
#include "platform/mssql/parser_state.h"

namespace court::mssql {

namespace {

ExprPtr MakeExpr(ExprKind kind) {
  auto e = std::make_unique<Expr>();
  e->kind = kind;
  return e;
}

ExprPtr Binary(BinaryOp op, ExprPtr left, ExprPtr right) {
  auto e = MakeExpr(ExprKind::kBinary);
  e->binary_op = op;
  e->offset = left->offset;
  e->end = right->end;
  e->args.push_back(std::move(left));
  e->args.push_back(std::move(right));
  return e;
}

// The operator of a level the token spells, if it does.
std::optional<BinaryOp> OperatorAt(const Token& t, Precedence level) {
  if (t.kind != TokenKind::kSymbol) return std::nullopt;
  return BinaryOpSpelled(t.text, level);
}

// The literal a token stands for when it is a constant.
struct Constant {
  LiteralKind kind;
  bool unicode = false;  // N'...'
};

std::optional<Constant> ConstantOf(const Token& t) {
  switch (t.kind) {
    case TokenKind::kString: return Constant{LiteralKind::kString};
    case TokenKind::kUnicodeString: return Constant{LiteralKind::kString, true};
    case TokenKind::kInteger: return Constant{LiteralKind::kInteger};
    case TokenKind::kDecimal: return Constant{LiteralKind::kDecimal};
    case TokenKind::kFloat: return Constant{LiteralKind::kFloat};
    case TokenKind::kBinary: return Constant{LiteralKind::kBinary};
    default: return std::nullopt;
  }
}

}  // namespace

ExprPtr Parser::Finish(ExprPtr e, std::size_t offset) {
  e->offset = offset;
  e->end = pos_ > 0 ? Previous().end : offset;
  return e;
}

ExprPtr Parser::Expression() {
  // A constant alone, as nearly everything in an INSERT's VALUES is, needs
  // no climb through the operator levels: the token after it closes it.
  if (ConstantOf(Peek()) && (IsSymbol(",", 1) || IsSymbol(")", 1))) return Primary();
  Depth depth(*this);
  depth.Deeper(kNestedLevel);
  return OrTerm();
}

ExprPtr Parser::OrTerm() {
  Depth depth(*this);
  ExprPtr left = AndTerm();
  while (AcceptKeyword(Spelling(BinaryOp::kOr))) {
    depth.Deeper();
    left = Binary(BinaryOp::kOr, std::move(left), AndTerm());
  }
  return left;
}

ExprPtr Parser::AndTerm() {
  Depth depth(*this);
  ExprPtr left = NotTerm();
  while (AcceptKeyword(Spelling(BinaryOp::kAnd))) {
    depth.Deeper();
    left = Binary(BinaryOp::kAnd, std::move(left), NotTerm());
  }
  return left;
}

ExprPtr Parser::NotTerm() {
  Depth depth(*this);
  depth.Deeper();
  std::size_t offset = Peek().offset;
  if (AcceptKeyword(Spelling(UnaryOp::kNot))) {
    auto e = MakeExpr(ExprKind::kUnary);
    e->unary_op = UnaryOp::kNot;
    e->args.push_back(NotTerm());
    return Finish(std::move(e), offset);
  }
  return Predicate();
}

// A comparison, or one of the predicates that follow their left operand:
// IS [NOT] NULL, [NOT] LIKE, [NOT] BETWEEN, [NOT] IN; or EXISTS (SELECT ...).
ExprPtr Parser::Predicate() {
  std::size_t offset = Peek().offset;
  if (IsKeyword("EXISTS")) return Exists(offset);
  ExprPtr left = Additive();
  if (std::optional<BinaryOp> op = OperatorAt(Peek(), Precedence::kComparison)) {
    Next();
    return Binary(*op, std::move(left), Additive());
  }
  if (AcceptKeyword("IS")) {
    auto e = MakeExpr(ExprKind::kIsNull);
    e->negated = AcceptKeyword("NOT");
    ExpectKeyword("NULL");
    e->args.push_back(std::move(left));
    return Finish(std::move(e), offset);
  }
  bool negated = false;
  if (IsKeyword("NOT") && (IsKeyword("LIKE", 1) || IsKeyword("IN", 1) || IsKeyword("BETWEEN", 1))) {
    Next();
    negated = true;
  }
  ExprPtr e;
  if (AcceptKeyword("LIKE")) e = Like(std::move(left));
  else if (AcceptKeyword("BETWEEN")) e = Between(std::move(left));
  else if (AcceptKeyword("IN")) e = In(std::move(left));
  else if (negated) throw ErrorHere();
  else return left;
  e->negated = negated;
  return Finish(std::move(e), offset);
}

ExprPtr Parser::Exists(std::size_t offset) {
  Next();
  ExpectSymbol("(");
  auto e = MakeExpr(ExprKind::kExists);
  e->select = SelectQuery();
  ExpectSymbol(")");
  return Finish(std::move(e), offset);
}

// After LIKE: the pattern and an optional ESCAPE character.
ExprPtr Parser::Like(ExprPtr value) {
  auto e = MakeExpr(ExprKind::kLike);
  e->args.push_back(std::move(value));
  e->args.push_back(Additive());
  if (AcceptKeyword("ESCAPE")) e->args.push_back(Additive());
  return e;
}

// After BETWEEN: low AND high.
ExprPtr Parser::Between(ExprPtr value) {
  auto e = MakeExpr(ExprKind::kBetween);
  e->args.push_back(std::move(value));
  e->args.push_back(Additive());
  ExpectKeyword("AND");
  e->args.push_back(Additive());
  return e;
}

// After IN: a parenthesized SELECT or list of values.
ExprPtr Parser::In(ExprPtr value) {
  ExpectSymbol("(");
  ExprPtr e;
  if (IsKeyword("SELECT")) {
    e = MakeExpr(ExprKind::kInSelect);
    e->select = SelectQuery();
    e->args.push_back(std::move(value));
  } else {
    e = MakeExpr(ExprKind::kInList);
    e->args.push_back(std::move(value));
    do e->args.push_back(Expression());
    while (AcceptSymbol(","));
  }
  ExpectSymbol(")");
  return e;
}

ExprPtr Parser::Additive() {
  Depth depth(*this);
  ExprPtr left = Multiplicative();
  while (std::optional<BinaryOp> op = OperatorAt(Peek(), Precedence::kAdditive)) {
    depth.Deeper();
    Next();
    left = Binary(*op, std::move(left), Multiplicative());
  }
  return left;
}

ExprPtr Parser::Multiplicative() {
  Depth depth(*this);
  ExprPtr left = Unary();
  while (std::optional<BinaryOp> op = OperatorAt(Peek(), Precedence::kMultiplicative)) {
    depth.Deeper();
    Next();
    left = Binary(*op, std::move(left), Unary());
  }
  return left;
}

ExprPtr Parser::Unary() {
  Depth depth(*this);
  depth.Deeper();
  std::size_t offset = Peek().offset;
  std::optional<UnaryOp> op =
      Peek().kind == TokenKind::kSymbol ? UnaryOpSpelled(Peek().text) : std::nullopt;
  if (op) {
    Next();
    // A signed number stays one literal, as its text matters for conversions.
    if (*op == UnaryOp::kNegate && (Peek().kind == TokenKind::kInteger || Peek().kind == TokenKind::kDecimal ||
                      Peek().kind == TokenKind::kFloat)) {
      ExprPtr e = Primary();
      e->literal.text = "-" + e->literal.text;
      return Finish(std::move(e), offset);
    }
    auto e = MakeExpr(ExprKind::kUnary);
    e->unary_op = *op;
    e->args.push_back(Unary());
    return Finish(std::move(e), offset);
  }
  return Primary();
}

ExprPtr Parser::Primary() {
  std::size_t offset = Peek().offset;
  const Token& t = Peek();
  if (const std::optional<Constant> constant = ConstantOf(t)) {
    auto e = MakeExpr(ExprKind::kLiteral);
    e->literal.kind = constant->kind;
    e->literal.text = Next().text;
    e->literal.unicode = constant->unicode;
    return Finish(std::move(e), offset);
  }
  switch (t.kind) {
    case TokenKind::kVariable: {
      auto e = MakeExpr(ExprKind::kVariable);
      e->name = {Next().text};
      return Finish(std::move(e), offset);
    }
    case TokenKind::kSystemVariable: {
      auto e = MakeExpr(ExprKind::kSystemVariable);
      e->name = {Next().text};
      return Finish(std::move(e), offset);
    }
    default: break;
  }
  if (AcceptSymbol("(")) {
    ExprPtr e;
    if (IsKeyword("SELECT")) {
      e = MakeExpr(ExprKind::kSubquery);
      e->select = SelectQuery();
    } else {
      e = Expression();
    }
    ExpectSymbol(")");
    return Finish(std::move(e), offset);
  }
  if (AcceptKeyword("NULL")) return Finish(MakeExpr(ExprKind::kLiteral), offset);
  if (AcceptKeyword("CASE")) return CaseExpression(offset);
  if ((IsKeyword("LEFT") || IsKeyword("RIGHT")) && IsSymbol("(", 1)) {
    MultiName name{Next().text};
    return FunctionCall(std::move(name), offset);
  }
  if (!IsName()) throw ErrorHere();
  MultiName name = DottedName();
  if (IsSymbol("(")) return FunctionCall(std::move(name), offset);
  auto e = MakeExpr(ExprKind::kColumn);
  e->name = std::move(name);
  return Finish(std::move(e), offset);
}

ExprPtr Parser::FunctionCall(MultiName name, std::size_t offset) {
  ExpectSymbol("(");
  const std::string& fn = name.back();
  if (EqualsKeyword(fn, "CAST")) {
    auto e = MakeExpr(ExprKind::kCast);
    e->args.push_back(Expression());
    ExpectKeyword("AS");
    e->cast_type = std::make_shared<TypeName>(Type());
    ExpectSymbol(")");
    return Finish(std::move(e), offset);
  }
  if (EqualsKeyword(fn, "CONVERT")) {
    auto e = MakeExpr(ExprKind::kCast);
    e->cast_type = std::make_shared<TypeName>(Type());
    ExpectSymbol(",");
    e->args.push_back(Expression());
    if (AcceptSymbol(",")) e->args.push_back(Expression());  // style
    ExpectSymbol(")");
    return Finish(std::move(e), offset);
  }
  auto e = MakeExpr(ExprKind::kFunction);
  e->name = std::move(name);
  if (AcceptSymbol("*")) {
    e->star = true;
  } else if (!IsSymbol(")")) {
    e->distinct = AcceptKeyword("DISTINCT");
    if (!e->distinct) AcceptKeyword("ALL");
    do e->args.push_back(Expression());
    while (AcceptSymbol(","));
  }
  ExpectSymbol(")");
  return Finish(std::move(e), offset);
}

ExprPtr Parser::CaseExpression(std::size_t offset) {
  auto e = MakeExpr(ExprKind::kCase);
  if (!IsKeyword("WHEN")) {
    e->simple_case = true;
    e->args.push_back(Expression());
  }
  while (AcceptKeyword("WHEN")) {
    e->args.push_back(Expression());
    ExpectKeyword("THEN");
    e->args.push_back(Expression());
  }
  if (AcceptKeyword("ELSE")) {
    e->has_else = true;
    e->args.push_back(Expression());
  }
  ExpectKeyword("END");
  return Finish(std::move(e), offset);
}

TypeName Parser::Type() {
  TypeName type;
  type.name = Name();
  // "double precision" and "national char varying" are rare enough to skip.
  if (AcceptSymbol("(")) {
    do {
      const Token& t = Next();
      if (t.kind != TokenKind::kInteger && t.kind != TokenKind::kWord) throw ErrorHere();
      type.args.push_back(t.text);
    } while (AcceptSymbol(","));
    ExpectSymbol(")");
  }
  return type;
}

std::unique_ptr<Select> Parser::SelectQuery() {
  Depth depth(*this);
  depth.Deeper(kNestedLevel);
  auto select = SelectBody();
  Select* last = select.get();
  while (AcceptKeyword("UNION")) {
    depth.Deeper();
    last->union_all = AcceptKeyword("ALL");
    last->union_next = SelectBody();
    last = last->union_next.get();
  }
  if (IsKeyword("ORDER")) last->order_by = OrderBy();
  return select;
}

std::unique_ptr<Select> Parser::SelectBody() {
  ExpectKeyword("SELECT");
  auto select = std::make_unique<Select>();
  if (AcceptKeyword("DISTINCT")) select->distinct = true;
  else AcceptKeyword("ALL");
  if (AcceptKeyword("TOP")) {
    if (AcceptSymbol("(")) {
      select->top = Expression();
      ExpectSymbol(")");
    } else {
      select->top = Primary();
    }
    select->top_percent = AcceptKeyword("PERCENT");
  }
  SelectItems(*select);
  if (AcceptKeyword("FROM")) select->from = FromList();
  if (AcceptKeyword("WHERE")) select->where = Expression();
  if (AcceptKeyword("GROUP")) {
    ExpectKeyword("BY");
    do select->group_by.push_back(Expression());
    while (AcceptSymbol(","));
  }
  if (AcceptKeyword("HAVING")) select->having = Expression();
  if (IsKeyword("ORDER") && !IsKeyword("UNION")) select->order_by = OrderBy();
  return select;
}

void Parser::SelectItems(Select& select) {
  do {
    SelectItem item;
    if (AcceptSymbol("*")) {
      item.star = true;
    } else if (IsName() && IsSymbol(".", 1) && IsSymbol("*", 2)) {
      item.star = true;
      item.star_qualifier = {Next().text};
      Next();
      Next();
    } else if (Peek().kind == TokenKind::kVariable && IsSymbol("=", 1)) {
      item.assign_variable = Next().text;
      Next();
      item.expr = Expression();
    } else if (IsName() && IsSymbol("=", 1)) {
      item.alias = Next().text;
      Next();
      item.expr = Expression();
    } else {
      item.expr = Expression();
      if (AcceptKeyword("AS")) {
        item.alias = NameOrString();
      } else if (IsName() || Peek().kind == TokenKind::kString) {
        item.alias = Next().text;
      }
    }
    select.items.push_back(std::move(item));
  } while (AcceptSymbol(","));
}

std::vector<FromItem> Parser::FromList() {
  std::vector<FromItem> list;
  do {
    FromItem item;
    item.first = TableSource();
    for (;;) {
      Join join;
      if (AcceptKeyword("INNER")) {
        join.kind = JoinKind::kInner;
      } else if (AcceptKeyword("LEFT")) {
        join.kind = JoinKind::kLeft;
        AcceptKeyword("OUTER");
      } else if (AcceptKeyword("RIGHT")) {
        join.kind = JoinKind::kRight;
        AcceptKeyword("OUTER");
      } else if (AcceptKeyword("FULL")) {
        join.kind = JoinKind::kFull;
        AcceptKeyword("OUTER");
      } else if (AcceptKeyword("CROSS")) {
        join.kind = JoinKind::kCross;
      } else if (!IsKeyword("JOIN")) {
        break;
      }
      ExpectKeyword("JOIN");
      join.table = TableSource();
      if (join.kind != JoinKind::kCross) {
        ExpectKeyword("ON");
        join.on = Expression();
      }
      item.joins.push_back(std::move(join));
    }
    list.push_back(std::move(item));
  } while (AcceptSymbol(","));
  return list;
}

TableRef Parser::TableSource() {
  TableRef ref;
  if (AcceptSymbol("(")) {
    ref.derived = SelectQuery();
    ExpectSymbol(")");
  } else {
    ref.name = DottedName();
  }
  if (AcceptKeyword("AS")) ref.alias = Name();
  else if (IsName()) ref.alias = Next().text;
  // Table hints such as WITH (NOLOCK) change nothing here.
  if (IsKeyword("WITH") && IsSymbol("(", 1)) {
    Next();
    Next();
    while (!AtEnd() && !AcceptSymbol(")")) Next();
  }
  return ref;
}

std::vector<OrderItem> Parser::OrderBy() {
  ExpectKeyword("ORDER");
  ExpectKeyword("BY");
  std::vector<OrderItem> items;
  do {
    OrderItem item;
    item.expr = Expression();
    if (AcceptKeyword("DESC")) item.descending = true;
    else AcceptKeyword("ASC");
    items.push_back(std::move(item));
  } while (AcceptSymbol(","));
  return items;
}

}  // namespace court::mssql
