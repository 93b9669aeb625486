#include "platform/jet/ole_date.h"

#include <cmath>
#include <cstdint>

namespace court::jet {
namespace {

constexpr std::int64_t kMillisecondsPerDay = 86'400'000;

// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's algorithm).
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, int& year, int& month, int& day) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (month <= 2));
}

const std::int64_t kOleEpoch = DaysFromCivil(1899, 12, 30);

}  // namespace

access::DateTime FromOleDate(double ole) {
  double whole = std::trunc(ole);
  std::int64_t day = static_cast<std::int64_t>(whole);
  std::int64_t ms = std::llround(std::fabs(ole - whole) * kMillisecondsPerDay);
  if (ms >= kMillisecondsPerDay) {  // rounding reached the next midnight
    ms -= kMillisecondsPerDay;
    ++day;
  }
  access::DateTime date;
  CivilFromDays(day + kOleEpoch, date.year, date.month, date.day);
  date.hour = static_cast<int>(ms / 3'600'000);
  date.minute = static_cast<int>(ms / 60'000 % 60);
  date.second = static_cast<int>(ms / 1000 % 60);
  date.millisecond = static_cast<int>(ms % 1000);
  return date;
}

double ToOleDate(const access::DateTime& date) {
  std::int64_t day = DaysFromCivil(date.year, static_cast<unsigned>(date.month),
                                   static_cast<unsigned>(date.day)) -
                     kOleEpoch;
  std::int64_t ms = ((date.hour * 60LL + date.minute) * 60 + date.second) * 1000 + date.millisecond;
  double fraction = static_cast<double>(ms) / kMillisecondsPerDay;
  return day >= 0 ? static_cast<double>(day) + fraction : static_cast<double>(day) - fraction;
}

}  // namespace court::jet
