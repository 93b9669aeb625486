#include "platform/mssql/number_text.h"

#include <charconv>
#include <system_error>

namespace court::mssql {

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

}  // namespace court::mssql
