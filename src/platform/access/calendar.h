// Day numbers of the proleptic Gregorian calendar, the arithmetic under
// every date the drivers store (OLE dates, SQL Server datetime ticks), and
// the texts that dates are written as.

#ifndef COURT_PLATFORM_ACCESS_CALENDAR_H_
#define COURT_PLATFORM_ACCESS_CALENDAR_H_

#include <cstdint>
#include <string>

#include "platform/access/value.h"

namespace court::access {

// Days since 1970-01-01 of a date (negative before it).
std::int64_t DaysFromCivil(std::int64_t year, unsigned month, unsigned day);

// The date of a day number counted from 1970-01-01.
void CivilFromDays(std::int64_t days, int& year, int& month, int& day);

// 28 to 31; month counts from 1.
int DaysInMonth(int year, int month);

// Whether a date's text ends in its milliseconds.
enum class Milliseconds { kAlways, kWhenAny };

// "YYYY-MM-DD HH:MM:SS" and, as asked, ".mmm": the form the engine stores,
// the catalogue's JSON form and the archives write. With every date's
// milliseconds shown, the texts sort like the dates.
std::string DateTimeText(const DateTime& date, Milliseconds milliseconds);

// "YYYYMMDD HH:MM:SS", a date as Value::ToText gives it.
std::string CompactDateTimeText(const DateTime& date);

}  // namespace court::access

#endif  // COURT_PLATFORM_ACCESS_CALENDAR_H_
