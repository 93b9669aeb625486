// Exact numbers: how the engine keeps money and decimal values, and the
// arithmetic on them.
//
// A value of a money or decimal type is stored, and travels through the
// SQL the engine writes, as a whole number of units of 10^-scale in 64
// bits: 2.50 of a decimal(9,2) is 250, and $1.5 is 15000 (money's scale is
// 4). Sums, comparisons and ordering of one scale are then SQLite's own
// integer operations, exact and index-friendly. The rest is done here, in
// 128 bits: moving between scales, products and quotients. What does not
// fit 64 bits is not a value (the caller raises the server's overflow
// error), which bounds a decimal to 18 digits where the server allows 38.

#ifndef COURT_PLATFORM_MSSQL_EXACT_NUMBER_H_
#define COURT_PLATFORM_MSSQL_EXACT_NUMBER_H_

#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/mssql/sql_type.h"

namespace court::mssql {

__extension__ typedef __int128 WideUnits;

// The scale a type's values are stored with: money's 4 and a decimal's
// own; nothing for every other type, whose values are stored as themselves.
std::optional<int> ExactScale(const SqlType& type);
std::optional<int> ExactScale(const std::optional<SqlType>& type);

// Units at scale `from` as units at scale `to`: exact when `to` keeps more
// decimals, rounded half away from zero when fewer, as the server rounds a
// conversion. Nothing when the result does not fit 64 bits.
std::optional<std::int64_t> Rescale(WideUnits units, int from, int to);

// Units that fit 64 bits; nothing for those that do not.
std::optional<std::int64_t> NarrowUnits(WideUnits units);

// The whole number of units at `scale`, the decimals cut off toward zero
// (as a decimal becomes an integer: 2.7 is 2, -2.7 is -2).
std::int64_t WholePart(std::int64_t units, int scale);

// Whether units at `scale` fit decimal(precision, scale): fewer than
// `precision` digits in all.
bool FitsPrecision(std::int64_t units, int precision);

enum class ExactOp { kAdd, kSubtract, kMultiply, kDivide, kModulo };

// a (at scale sa) op b (at scale sb), as units at scale `to`. A product is
// rounded to `to`, a quotient truncated, as the server does. Nothing when
// the result does not fit; b must not be zero for a quotient or remainder.
std::optional<std::int64_t> ExactArithmetic(ExactOp op, std::int64_t a, int sa, std::int64_t b, int sb, int to);

// units rounded (or, truncate set, cut) to `places` decimals, places < 0
// meaning tens, hundreds, ...; the result keeps the scale. round(2.567, 2)
// at scale 3 is 2570.
std::optional<std::int64_t> RoundUnits(std::int64_t units, int scale, int places, bool truncate);

// A number written with digits, at most one point and a sign first
// ("-12.345", "7.", ".5"), as units at `scale`, rounded; nothing when the
// text is not such a number. A value beyond 64 bits comes back beyond them,
// for the caller's range check to refuse.
std::optional<WideUnits> ParseExact(std::string_view text, int scale);

// A double as units at `scale`, rounded; nothing when it does not fit.
std::optional<std::int64_t> UnitsOfDouble(double value, int scale);

// Units at `scale` as a double (for float arithmetic and comparisons).
double DoubleOfUnits(std::int64_t units, int scale);

}  // namespace court::mssql

#endif  // COURT_PLATFORM_MSSQL_EXACT_NUMBER_H_
