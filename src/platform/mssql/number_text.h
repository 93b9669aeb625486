// Numbers from the digits of a batch, without exceptions and without regard
// to the process locale: callers decide which server error a misfit becomes.

#ifndef COURT_PLATFORM_MSSQL_NUMBER_TEXT_H_
#define COURT_PLATFORM_MSSQL_NUMBER_TEXT_H_

#include <optional>
#include <string_view>

namespace court::mssql {

// A whole number ("-12"); nothing when the text is not one or does not fit.
std::optional<long long> ParseWhole(std::string_view text);

// A decimal or float number ("1.5", "2e-3"); values too small for a double
// become zero, too large ones nothing.
std::optional<double> ParseReal(std::string_view text);

}  // namespace court::mssql

#endif  // COURT_PLATFORM_MSSQL_NUMBER_TEXT_H_
