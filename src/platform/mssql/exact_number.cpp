#include "platform/mssql/exact_number.h"

#include <cmath>
#include <limits>

namespace court::mssql {

namespace {

constexpr int kMaxWideDigits = 38;  // 10^38 is the largest power of ten in 128 bits
constexpr WideUnits kWideMax = static_cast<WideUnits>(~static_cast<unsigned __int128>(0) >> 1);

WideUnits PowerOfTen(int n) {
  WideUnits p = 1;
  for (int i = 0; i < n; ++i) p *= 10;
  return p;
}

WideUnits Magnitude(WideUnits v) { return v < 0 ? -v : v; }

// v / d with the remainder rounded half away from zero (twice the
// remainder could pass 128 bits, so it is compared with d less itself).
WideUnits DivideRounded(WideUnits v, WideUnits d) {
  WideUnits q = v / d;
  const WideUnits r = Magnitude(v % d);
  if (r >= Magnitude(d) - r) q += ((v < 0) != (d < 0)) ? -1 : 1;
  return q;
}

// v at scale `from` moved to scale `to` in 128 bits; nothing on overflow.
std::optional<WideUnits> Shift(WideUnits v, int from, int to) {
  if (to == from || v == 0) return v;
  if (to < from) {
    if (from - to > kMaxWideDigits) return WideUnits{0};
    return DivideRounded(v, PowerOfTen(from - to));
  }
  if (to - from > kMaxWideDigits) return std::nullopt;
  const WideUnits p = PowerOfTen(to - from);
  if (Magnitude(v) > kWideMax / p) return std::nullopt;
  return v * p;
}

}  // namespace

std::optional<int> ExactScale(const SqlType& type) {
  if (type.family == TypeFamily::kMoney) return 4;
  if (type.family == TypeFamily::kDecimal) return type.scale;
  return std::nullopt;
}

std::optional<int> ExactScale(const std::optional<SqlType>& type) {
  return type ? ExactScale(*type) : std::nullopt;
}

std::optional<std::int64_t> NarrowUnits(WideUnits units) {
  if (units < std::numeric_limits<std::int64_t>::min() || units > std::numeric_limits<std::int64_t>::max())
    return std::nullopt;
  return static_cast<std::int64_t>(units);
}

std::optional<std::int64_t> Rescale(WideUnits units, int from, int to) {
  std::optional<WideUnits> moved = Shift(units, from, to);
  return moved ? NarrowUnits(*moved) : std::nullopt;
}

std::int64_t WholePart(std::int64_t units, int scale) {
  return scale > kMaxWideDigits ? 0 : static_cast<std::int64_t>(units / PowerOfTen(scale));
}

bool FitsPrecision(std::int64_t units, int precision) {
  if (precision >= 19) return true;
  return Magnitude(units) < PowerOfTen(precision);
}

// Sums and remainders are taken at the finer of the two scales, a product
// at the sum of them (exact in 128 bits), a quotient by scaling the
// dividend so that integer division leaves `to` decimals.
std::optional<std::int64_t> ExactArithmetic(ExactOp op, std::int64_t a, int sa, std::int64_t b, int sb, int to) {
  switch (op) {
    case ExactOp::kAdd:
    case ExactOp::kSubtract:
    case ExactOp::kModulo: {
      const int common = std::max(sa, sb);
      std::optional<WideUnits> x = Shift(a, sa, common), y = Shift(b, sb, common);
      if (!x || !y) return std::nullopt;
      const WideUnits r = op == ExactOp::kAdd ? *x + *y : op == ExactOp::kSubtract ? *x - *y : *x % *y;
      return Rescale(r, common, to);
    }
    case ExactOp::kMultiply: return Rescale(static_cast<WideUnits>(a) * b, sa + sb, to);
    case ExactOp::kDivide: {
      const int raise = sb + to - sa;
      if (raise < 0) {
        std::optional<WideUnits> divisor = Shift(b, 0, -raise);
        return divisor ? NarrowUnits(a / *divisor) : std::optional<std::int64_t>(0);
      }
      std::optional<WideUnits> dividend = Shift(a, 0, raise);
      return dividend ? NarrowUnits(*dividend / b) : std::nullopt;
    }
  }
  return std::nullopt;
}

std::optional<std::int64_t> RoundUnits(std::int64_t units, int scale, int places, bool truncate) {
  if (places >= scale) return units;
  const int drop = scale - places;
  if (drop > kMaxWideDigits) return 0;
  const WideUnits p = PowerOfTen(drop);
  const WideUnits kept = truncate ? units / p : DivideRounded(units, p);
  return NarrowUnits(kept * p);
}

std::optional<WideUnits> ParseExact(std::string_view text, int scale) {
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  WideUnits digits = 0;
  int decimals = 0, count = 0;
  bool point = false, beyond = false;
  for (char c : text) {
    if (c == '.' && !point) {
      point = true;
      continue;
    }
    if (c < '0' || c > '9') return std::nullopt;
    ++count;
    if (digits > kWideMax / 100) {
      // Digits past what 128 bits hold: whole digits make it too large,
      // decimals are past any scale and only round.
      if (!point) beyond = true;
      continue;
    }
    digits = digits * 10 + (c - '0');
    if (point) ++decimals;
  }
  if (count == 0) return std::nullopt;
  if (beyond) return kWideMax;
  std::optional<WideUnits> units = Shift(digits, decimals, scale);
  if (!units) return kWideMax;
  return negative ? -*units : *units;
}

std::optional<std::int64_t> UnitsOfDouble(double value, int scale) {
  const double scaled = std::round(value * std::pow(10.0, scale));
  if (!std::isfinite(scaled) || scaled < -9.2233720368547758e18 || scaled >= 9.2233720368547758e18)
    return std::nullopt;
  return static_cast<std::int64_t>(scaled);
}

double DoubleOfUnits(std::int64_t units, int scale) {
  return static_cast<double>(units) / std::pow(10.0, scale);
}

}  // namespace court::mssql
