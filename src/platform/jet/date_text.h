// Dates as text: "YYYY-MM-DD HH:MM:SS", with ".mmm" when there are
// milliseconds. The JSON form and the driver's SQLite copy both use it
// (the fixed-width form sorts like the dates).

#ifndef COURT_PLATFORM_JET_DATE_TEXT_H_
#define COURT_PLATFORM_JET_DATE_TEXT_H_

#include <optional>
#include <string>
#include <string_view>

#include "platform/access/value.h"

namespace court::jet {

// `always_milliseconds` gives every date the same width.
std::string FormatDate(const access::DateTime& date, bool always_milliseconds);

// Nothing unless the text is such a date and names a real day and time.
std::optional<access::DateTime> ParseDate(std::string_view text);

}  // namespace court::jet

#endif  // COURT_PLATFORM_JET_DATE_TEXT_H_
