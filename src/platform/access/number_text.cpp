#include "platform/access/number_text.h"

#include <charconv>
#include <cstdio>
#include <system_error>

namespace court::access {

std::string ShortestText(double v) {
  char buffer[64];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, v);
  return std::string(buffer, result.ptr);
}

std::string CurrencyText(Currency v) {
  std::int64_t units = v.ten_thousandths / 10000;
  std::int64_t fraction = v.ten_thousandths % 10000;
  bool negative = v.ten_thousandths < 0;
  if (negative) fraction = -fraction;
  std::string text = (negative && units == 0 ? "-" : "") + std::to_string(units);
  if (fraction != 0) {
    char digits[8];
    std::snprintf(digits, sizeof digits, "%04lld", static_cast<long long>(fraction));
    std::string decimals(digits);
    decimals.erase(decimals.find_last_not_of('0') + 1);
    text += "." + decimals;
  }
  return text;
}

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
