#include "platform/jet/ole_date.h"

#include <cmath>
#include <cstdint>

#include "platform/access/calendar.h"

namespace court::jet {
namespace {

constexpr std::int64_t kMillisecondsPerDay = 86'400'000;

using access::CivilFromDays;
using access::DaysFromCivil;

const std::int64_t kOleEpoch = DaysFromCivil(1899, 12, 30);

}  // namespace

bool IsJetDate(double ole) { return ole > -657435.0 && ole < 2958466.0; }

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
