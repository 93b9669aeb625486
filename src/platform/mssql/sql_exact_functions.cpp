// The SQLite functions of exact arithmetic (exact_number.h): the SQL the
// emitter writes calls them wherever a money or decimal value changes
// scale, meets another number, or is multiplied or divided. Their operands
// are units at the scale passed beside each; a float or text operand, from
// an untyped expression, is read as the number it is.

#include "platform/mssql/exact_number.h"
#include "platform/mssql/messages.h"
#include "platform/mssql/sql_functions.h"
#include "platform/text/trim.h"

namespace court::mssql {
namespace {

int IntArg(sqlite3_value* v) { return sqlite3_value_int(v); }

// An operand as units at `scale`; nothing when it is no number or does not
// fit, the error then having been raised.
std::optional<std::int64_t> Units(sqlite3_context* ctx, sqlite3_value* v, int scale) {
  switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER: return sqlite3_value_int64(v);
    case SQLITE_FLOAT:
      if (auto units = UnitsOfDouble(sqlite3_value_double(v), scale)) return units;
      break;
    default: {
      std::optional<WideUnits> units = ParseExact(text::TrimWhiteSpace(TextArg(v)), scale);
      if (!units) {
        RaiseError(ctx, ConvertError("varchar", "numeric"));
        return std::nullopt;
      }
      if (auto fitted = NarrowUnits(*units)) return fitted;
    }
  }
  RaiseError(ctx, OverflowConverting("expression", "numeric"));
  return std::nullopt;
}

void Result(sqlite3_context* ctx, std::optional<std::int64_t> units) {
  if (!units) return RaiseError(ctx, OverflowConverting("expression", "numeric"));
  sqlite3_result_int64(ctx, *units);
}

}  // namespace

void SqlExact(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
  const int from = IntArg(argv[1]), to = IntArg(argv[2]);
  if (sqlite3_value_type(argv[0]) != SQLITE_INTEGER) {
    if (auto units = Units(ctx, argv[0], to)) sqlite3_result_int64(ctx, *units);
    return;
  }
  Result(ctx, Rescale(sqlite3_value_int64(argv[0]), from, to));
}

void SqlNatural(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) != SQLITE_INTEGER) return sqlite3_result_value(ctx, argv[0]);
  sqlite3_result_double(ctx, DoubleOfUnits(sqlite3_value_int64(argv[0]), IntArg(argv[1])));
}

template <ExactOp op>
void SqlExactArithmetic(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (AnyNull(argc, argv)) return sqlite3_result_null(ctx);
  const int sa = IntArg(argv[1]), sb = IntArg(argv[3]), to = IntArg(argv[4]);
  std::optional<std::int64_t> a = Units(ctx, argv[0], sa);
  if (!a) return;
  std::optional<std::int64_t> b = Units(ctx, argv[2], sb);
  if (!b) return;
  if ((op == ExactOp::kDivide || op == ExactOp::kModulo) && *b == 0) return RaiseError(ctx, Message(Msg::kDivideByZero));
  Result(ctx, ExactArithmetic(op, *a, sa, *b, sb, to));
}

template void SqlExactArithmetic<ExactOp::kAdd>(sqlite3_context*, int, sqlite3_value**);
template void SqlExactArithmetic<ExactOp::kSubtract>(sqlite3_context*, int, sqlite3_value**);
template void SqlExactArithmetic<ExactOp::kMultiply>(sqlite3_context*, int, sqlite3_value**);
template void SqlExactArithmetic<ExactOp::kDivide>(sqlite3_context*, int, sqlite3_value**);
template void SqlExactArithmetic<ExactOp::kModulo>(sqlite3_context*, int, sqlite3_value**);

void SqlExactRound(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (AnyNull(argc, argv)) return sqlite3_result_null(ctx);
  const int scale = IntArg(argv[1]);
  std::optional<std::int64_t> units = Units(ctx, argv[0], scale);
  if (!units) return;
  const bool truncate = argc > 3 && IntArg(argv[3]) != 0;
  Result(ctx, RoundUnits(*units, scale, IntArg(argv[2]), truncate));
}

}  // namespace court::mssql
