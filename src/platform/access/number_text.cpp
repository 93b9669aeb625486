#include "platform/access/number_text.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <system_error>

namespace court::access {

std::string ShortestText(double v) {
  char buffer[64];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, v);
  return std::string(buffer, result.ptr);
}

// Digits are taken from the magnitude as unsigned, so that the most
// negative units has one too.
std::string DecimalText(Decimal v) {
  const bool negative = v.units < 0;
  std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(v.units) : static_cast<std::uint64_t>(v.units);
  std::string digits = std::to_string(magnitude);
  const std::size_t scale = static_cast<std::size_t>(std::max(v.scale, 0));
  if (digits.size() <= scale) digits.insert(0, scale + 1 - digits.size(), '0');
  std::string whole = digits.substr(0, digits.size() - scale);
  std::string fraction = digits.substr(digits.size() - scale);
  fraction.erase(fraction.find_last_not_of('0') + 1);
  const bool zero = magnitude == 0;
  return (negative && !zero ? "-" : "") + whole + (fraction.empty() ? "" : "." + fraction);
}

std::optional<Decimal> ParseDecimal(std::string_view text) {
  const bool negative = !text.empty() && text.front() == '-';
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) text.remove_prefix(1);
  std::int64_t units = 0;
  int scale = 0, digits = 0;
  bool point = false;
  for (char c : text) {
    if (c == '.' && !point) {
      point = true;
      continue;
    }
    if (c < '0' || c > '9' || units > (std::numeric_limits<std::int64_t>::max() - (c - '0')) / 10)
      return std::nullopt;
    units = units * 10 + (c - '0');
    ++digits;
    if (point) ++scale;
  }
  if (digits == 0) return std::nullopt;
  return Decimal{negative ? -units : units, scale};
}

std::string CurrencyText(Currency v) { return DecimalText({v.ten_thousandths, 4}); }

std::optional<long long> ParseWhole(std::string_view text) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  long long value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::optional<double> ParseReal(std::string_view text) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  double value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (end != text.data() + text.size()) return std::nullopt;
  if (error == std::errc::result_out_of_range) {
    // Out of range one way or the other: a wider type tells which.
    long double wide = 0;
    auto [wide_end, wide_error] = std::from_chars(text.data(), text.data() + text.size(), wide);
    const bool tiny = wide_error == std::errc() ? (wide < 1 && wide > -1)
                                                : text.find("e-") != std::string_view::npos ||
                                                      text.find("E-") != std::string_view::npos;
    if (tiny) return static_cast<double>(wide_error == std::errc() ? wide : 0);
    return std::nullopt;
  }
  if (error != std::errc()) return std::nullopt;
  return value;
}

}  // namespace court::access
