// Reading and writing SQL Server datetime values.
//
// Stored values are text "YYYY-MM-DD HH:MM:SS.mmm", which sorts in time
// order, so comparisons and MAX work on the stored form directly.

#ifndef COURT_PLATFORM_MSSQL_DATETIME_TEXT_H_
#define COURT_PLATFORM_MSSQL_DATETIME_TEXT_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/access/calendar.h"
#include "platform/access/value.h"

namespace court::mssql {

// The order of separated numeric dates (SET DATEFORMAT; the language's default).
enum class DateOrder { kMdy, kDmy, kYmd };

// Reads a character string as SQL Server 2000 does: yyyymmdd, ISO 8601,
// separated numeric dates in the session's order, an optional time of day,
// a time alone (on 1900-01-01), or '' (1900-01-01 midnight). Throws 241
// when the text is no date and 242 when it is out of range.
access::DateTime ParseDateTime(std::string_view text, DateOrder order);

// Rounds to the 1/300-second ticks that datetime keeps (or to the minute
// for smalldatetime) and checks the type's range (242 when outside).
access::DateTime RoundDateTime(access::DateTime value, bool small);

// "YYYY-MM-DD HH:MM:SS.mmm"
inline std::string FormatDateTime(const access::DateTime& value) {
  return access::DateTimeText(value, access::Milliseconds::kAlways);
}

// Days since 1900-01-01 (negative before) and back.
std::int64_t DaysSince1900(const access::DateTime& value);
access::DateTime FromDaysSince1900(double days);

// The current local time, as getdate() returns it.
access::DateTime Now();

}  // namespace court::mssql

#endif  // COURT_PLATFORM_MSSQL_DATETIME_TEXT_H_
