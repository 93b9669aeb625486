// Numbers as text, both ways, without regard to the process locale. Reading
// throws nothing: callers decide which error a misfit becomes.

#ifndef COURT_PLATFORM_ACCESS_NUMBER_TEXT_H_
#define COURT_PLATFORM_ACCESS_NUMBER_TEXT_H_

#include <optional>
#include <string>
#include <string_view>

#include "platform/access/value.h"

namespace court::access {

// Shortest decimal text of a double that reads back as the same double.
std::string ShortestText(double v);

// Decimal text of an exact number without superfluous zeros ("12.5", "3",
// "-0.25").
std::string DecimalText(Decimal v);

// An exact number as written ("-1234.5600" is -12345600 at scale 4): a
// sign, digits and at most one point; nothing for any other text or digits
// beyond 64 bits.
std::optional<Decimal> ParseDecimal(std::string_view text);

// DecimalText of a currency amount: four decimals at most.
std::string CurrencyText(Currency v);

// A whole number ("-12"); nothing when the text is not one or does not fit.
std::optional<long long> ParseWhole(std::string_view text);

// A decimal or float number ("1.5", "2e-3"); values too small for a double
// become zero, too large ones nothing.
std::optional<double> ParseReal(std::string_view text);

}  // namespace court::access

#endif  // COURT_PLATFORM_ACCESS_NUMBER_TEXT_H_
