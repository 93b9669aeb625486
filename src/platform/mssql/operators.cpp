// The spellings of the operators: the only place T-SQL's operator text is
// written down.

#include "platform/mssql/operators.h"

#include <cstddef>

#include "platform/mssql/lexer.h"

namespace court::mssql {

namespace {

struct BinaryRow {
  std::string_view text;
  BinaryOp op;
  Precedence level;
};

// Each operator's own spelling first, in the enum's order, so that an
// operator is its row's index; the alternatives follow.
constexpr BinaryRow kBinaryOps[] = {
    {"OR", BinaryOp::kOr, Precedence::kOr},
    {"AND", BinaryOp::kAnd, Precedence::kAnd},
    {"=", BinaryOp::kEqual, Precedence::kComparison},
    {"<>", BinaryOp::kNotEqual, Precedence::kComparison},
    {"<", BinaryOp::kLess, Precedence::kComparison},
    {">", BinaryOp::kGreater, Precedence::kComparison},
    {"<=", BinaryOp::kLessEqual, Precedence::kComparison},
    {">=", BinaryOp::kGreaterEqual, Precedence::kComparison},
    {"+", BinaryOp::kAdd, Precedence::kAdditive},
    {"-", BinaryOp::kSubtract, Precedence::kAdditive},
    {"&", BinaryOp::kBitAnd, Precedence::kAdditive},
    {"|", BinaryOp::kBitOr, Precedence::kAdditive},
    {"^", BinaryOp::kBitXor, Precedence::kAdditive},
    {"*", BinaryOp::kMultiply, Precedence::kMultiplicative},
    {"/", BinaryOp::kDivide, Precedence::kMultiplicative},
    {"%", BinaryOp::kModulo, Precedence::kMultiplicative},
    {"!=", BinaryOp::kNotEqual, Precedence::kComparison},
    {"!<", BinaryOp::kGreaterEqual, Precedence::kComparison},
    {"!>", BinaryOp::kLessEqual, Precedence::kComparison},
};

constexpr bool InEnumOrder() {
  for (std::size_t i = 0; i <= static_cast<std::size_t>(BinaryOp::kModulo); ++i)
    if (static_cast<std::size_t>(kBinaryOps[i].op) != i) return false;
  return true;
}
static_assert(InEnumOrder());

struct UnaryRow {
  std::string_view text;
  UnaryOp op;
};

// In the enum's order too.
constexpr UnaryRow kUnaryOps[] = {
    {"-", UnaryOp::kNegate},
    {"+", UnaryOp::kPlus},
    {"~", UnaryOp::kBitNot},
    {"NOT", UnaryOp::kNot},
};

const BinaryRow& RowOf(BinaryOp op) { return kBinaryOps[static_cast<std::size_t>(op)]; }

}  // namespace

std::string_view Spelling(BinaryOp op) { return RowOf(op).text; }

std::string_view Spelling(UnaryOp op) { return kUnaryOps[static_cast<std::size_t>(op)].text; }

Precedence PrecedenceOf(BinaryOp op) { return RowOf(op).level; }

std::optional<BinaryOp> BinaryOpSpelled(std::string_view symbol, Precedence level) {
  for (const BinaryRow& row : kBinaryOps)
    if (row.level == level && IsSpelled(symbol, row.text)) return row.op;
  return std::nullopt;
}

std::optional<UnaryOp> UnaryOpSpelled(std::string_view symbol) {
  for (const UnaryRow& row : kUnaryOps)
    if (row.text == symbol && row.op != UnaryOp::kNot) return row.op;
  return std::nullopt;
}

OperatorClass ClassOf(BinaryOp op) {
  switch (op) {
    case BinaryOp::kOr:
    case BinaryOp::kAnd: return OperatorClass::kLogic;
    case BinaryOp::kEqual:
    case BinaryOp::kNotEqual:
    case BinaryOp::kLess:
    case BinaryOp::kGreater:
    case BinaryOp::kLessEqual:
    case BinaryOp::kGreaterEqual: return OperatorClass::kComparison;
    case BinaryOp::kAdd:
    case BinaryOp::kSubtract:
    case BinaryOp::kBitAnd:
    case BinaryOp::kBitOr:
    case BinaryOp::kBitXor:
    case BinaryOp::kMultiply:
    case BinaryOp::kDivide:
    case BinaryOp::kModulo: break;
  }
  return OperatorClass::kArithmetic;
}

}  // namespace court::mssql
