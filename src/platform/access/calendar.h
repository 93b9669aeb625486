// Day numbers of the proleptic Gregorian calendar, the arithmetic under
// every date the drivers store (OLE dates, SQL Server datetime ticks).

#ifndef COURT_PLATFORM_ACCESS_CALENDAR_H_
#define COURT_PLATFORM_ACCESS_CALENDAR_H_

#include <cstdint>

namespace court::access {

// Days since 1970-01-01 of a date (negative before it).
std::int64_t DaysFromCivil(std::int64_t year, unsigned month, unsigned day);

// The date of a day number counted from 1970-01-01.
void CivilFromDays(std::int64_t days, int& year, int& month, int& day);

}  // namespace court::access

#endif  // COURT_PLATFORM_ACCESS_CALENDAR_H_
