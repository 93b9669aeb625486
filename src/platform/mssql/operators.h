// The operators of T-SQL expressions and how T-SQL spells them.
//
// The parser turns what it reads into these enums through the one table in
// operators.cpp; everything after it (binder, emitter, the stored text of a
// CHECK) switches on the enums without a default, so an operator added
// here does not compile until each of them handles it.

#ifndef COURT_PLATFORM_MSSQL_OPERATORS_H_
#define COURT_PLATFORM_MSSQL_OPERATORS_H_

#include <optional>
#include <string_view>

namespace court::mssql {

enum class UnaryOp { kNegate, kPlus, kBitNot, kNot };

enum class BinaryOp {
  kOr,
  kAnd,
  kEqual,
  kNotEqual,
  kLess,
  kGreater,
  kLessEqual,
  kGreaterEqual,
  kAdd,  // or concatenation, when the binder finds text on both sides
  kSubtract,
  kBitAnd,
  kBitOr,
  kBitXor,
  kMultiply,
  kDivide,
  kModulo,
};

// How tightly a binary operator binds, loosest first: the parser's levels.
enum class Precedence { kOr = 1, kAnd, kComparison, kAdditive, kMultiplicative };

// What an operator does with its operands: logic on truth values, a
// comparison (whose constants take the other operand's type), or arithmetic.
enum class OperatorClass { kLogic, kComparison, kArithmetic };
OperatorClass ClassOf(BinaryOp op);

// As T-SQL writes it: "<>", "AND", "-", "NOT".
std::string_view Spelling(BinaryOp op);
std::string_view Spelling(UnaryOp op);
Precedence PrecedenceOf(BinaryOp op);

// The operator a symbol spells at a level, the other spellings (!=, !<,
// !>) included; nothing for a symbol of another level.
std::optional<BinaryOp> BinaryOpSpelled(std::string_view symbol, Precedence level);
// The prefix operator a symbol spells (- + ~); NOT is a keyword.
std::optional<UnaryOp> UnaryOpSpelled(std::string_view symbol);

}  // namespace court::mssql

#endif  // COURT_PLATFORM_MSSQL_OPERATORS_H_
