#include "platform/mssql/check_text.h"
#include "platform/mssql/text.h"

#include <cctype>
#include <set>

namespace court::mssql {

namespace {

// Binding strength, for deciding where parentheses are needed.
int Strength(const Expr& e) {
  if (e.kind == ExprKind::kBinary) return static_cast<int>(PrecedenceOf(e.binary_op));
  if (e.kind == ExprKind::kInList) return e.args.size() > 2 ? 1 : 3;
  if (e.kind == ExprKind::kBetween) return 2;
  return 6;
}



std::string Print(const Expr& e);

std::string Operand(const Expr& e, int parent) {
  std::string text = Print(e);
  return Strength(e) < parent ? "(" + text + ")" : text;
}

std::string Print(const Expr& e) {
  switch (e.kind) {
    case ExprKind::kLiteral:
      switch (e.literal.kind) {
        case LiteralKind::kNull: return "null";
        case LiteralKind::kString: return (e.literal.unicode ? "N" : "") + QuoteString(e.literal.text);
        case LiteralKind::kBinary: return "0x" + e.literal.text;
        case LiteralKind::kInteger:
        case LiteralKind::kDecimal:
        case LiteralKind::kFloat: return e.literal.text;
      }
      return e.literal.text;
    case ExprKind::kColumn: return "[" + e.name.back() + "]";
    case ExprKind::kVariable: return "@" + e.name[0];
    case ExprKind::kSystemVariable: return "@@" + e.name[0];
    case ExprKind::kUnary:
      if (e.unary_op == UnaryOp::kNot) return "not(" + Print(*e.args[0]) + ")";
      return std::string(Spelling(e.unary_op)) + Operand(*e.args[0], 6);
    case ExprKind::kBinary: {
      int s = Strength(e);
      std::string op = Lower(std::string(Spelling(e.binary_op)));
      return Operand(*e.args[0], s) + " " + op + " " + Operand(*e.args[1], s + (s >= 3 ? 1 : 0));
    }
    case ExprKind::kIsNull: return Operand(*e.args[0], 4) + (e.negated ? " is not null" : " is null");
    case ExprKind::kLike:
      return "(" + Operand(*e.args[0], 4) + (e.negated ? " not like " : " like ") +
             Operand(*e.args[1], 4) + ")";
    case ExprKind::kInList: {
      std::string text;
      for (std::size_t i = e.args.size() - 1; i >= 1; --i) {
        if (!text.empty()) text += e.negated ? " and " : " or ";
        text += Operand(*e.args[0], 4) + (e.negated ? " <> " : " = ") + Operand(*e.args[i], 4);
      }
      return text;
    }
    case ExprKind::kBetween: {
      std::string value = Operand(*e.args[0], 4);
      if (e.negated)
        return value + " < " + Operand(*e.args[1], 4) + " or " + value + " > " + Operand(*e.args[2], 4);
      return value + " >= " + Operand(*e.args[1], 4) + " and " + value + " <= " + Operand(*e.args[2], 4);
    }
    case ExprKind::kFunction: {
      std::string text = Lower(e.name.back()) + "(";
      if (e.star) text += "*";
      for (std::size_t i = 0; i < e.args.size(); ++i) text += (i ? ", " : "") + Print(*e.args[i]);
      return text + ")";
    }
    case ExprKind::kCast:
      return "convert(" + Lower(e.cast_type->name) +
             (e.cast_type->args.empty() ? "" : "(" + e.cast_type->args[0] + ")") + "," +
             Print(*e.args[0]) + ")";
    // Subqueries and CASE have no stored form here: the text is left empty.
    case ExprKind::kInSelect:
    case ExprKind::kExists:
    case ExprKind::kSubquery:
    case ExprKind::kCase: return "";
  }
  return "";
}

void CollectColumns(const Expr& e, std::set<std::string>& names) {
  if (e.kind == ExprKind::kColumn) names.insert(Lower(e.name.back()));
  for (const auto& a : e.args)
    if (a) CollectColumns(*a, names);
}

const Expr* FirstColumn(const Expr& e) {
  if (e.kind == ExprKind::kColumn) return &e;
  for (const auto& a : e.args)
    if (const Expr* found = a ? FirstColumn(*a) : nullptr) return found;
  return nullptr;
}

}  // namespace

std::string CheckedColumn(const Expr& condition) {
  std::set<std::string> names;
  CollectColumns(condition, names);
  return names.size() == 1 ? FirstColumn(condition)->name.back() : "";
}

std::string CheckText(const Expr& condition) { return "(" + Print(condition) + ")"; }

}  // namespace court::mssql
