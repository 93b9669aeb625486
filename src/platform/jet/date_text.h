// Dates read back from the text access::DateTimeText writes them as: the
// JSON form gives milliseconds only when there are some, the driver's
// SQLite copy always (so that its texts sort like the dates).

#ifndef COURT_PLATFORM_JET_DATE_TEXT_H_
#define COURT_PLATFORM_JET_DATE_TEXT_H_

#include <optional>
#include <string>
#include <string_view>

#include "platform/access/value.h"

namespace court::jet {

// Nothing unless the text is such a date and names a real day and time.
std::optional<access::DateTime> ParseDate(std::string_view text);

}  // namespace court::jet

#endif  // COURT_PLATFORM_JET_DATE_TEXT_H_
