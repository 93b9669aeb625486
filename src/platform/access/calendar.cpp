#include "platform/access/calendar.h"

#include <cstdio>

namespace court::access {

// Both directions count in 400-year eras of 146097 days, with the year taken
// to start on 1 March so that the leap day falls at its end.

std::int64_t DaysFromCivil(std::int64_t year, unsigned month, unsigned day) {
  year -= month <= 2;
  const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
  const unsigned year_of_era = static_cast<unsigned>(year - era * 400);
  const unsigned day_of_year = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  const unsigned day_of_era = year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
  return era * 146097 + static_cast<std::int64_t>(day_of_era) - 719468;
}

void CivilFromDays(std::int64_t days, int& year, int& month, int& day) {
  days += 719468;
  const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const unsigned day_of_era = static_cast<unsigned>(days - era * 146097);
  const unsigned year_of_era =
      (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
  const unsigned day_of_year = day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
  const unsigned shifted_month = (5 * day_of_year + 2) / 153;
  day = static_cast<int>(day_of_year - (153 * shifted_month + 2) / 5 + 1);
  month = static_cast<int>(shifted_month < 10 ? shifted_month + 3 : shifted_month - 9);
  year = static_cast<int>(static_cast<std::int64_t>(year_of_era) + era * 400 + (month <= 2));
}

int DaysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[month - 1];
}

namespace {

// Writes value with at least `width` digits, zeros first, as "%0*d" does.
// Dates are written for every row a run copies, where the formatted print
// cost more than the rest of the copy; the fast path covers every field of
// a real date (years 1 to 9999).
void PutDigits(std::string& text, int value, int width) {
  static constexpr int kLimit[] = {1, 10, 100, 1000, 10000};
  if (value < 0 || value >= kLimit[width]) {
    char wide[16];
    text.append(wide, static_cast<std::size_t>(std::snprintf(wide, sizeof wide, "%0*d", width, value)));
    return;
  }
  char digits[4];
  for (int i = width - 1; i >= 0; --i, value /= 10) digits[i] = static_cast<char>('0' + value % 10);
  text.append(digits, static_cast<std::size_t>(width));
}

void PutTime(std::string& text, const DateTime& d) {
  PutDigits(text, d.hour, 2);
  text += ':';
  PutDigits(text, d.minute, 2);
  text += ':';
  PutDigits(text, d.second, 2);
}

}  // namespace

std::string DateTimeText(const DateTime& d, Milliseconds milliseconds) {
  std::string text;
  text.reserve(23);
  PutDigits(text, d.year, 4);
  text += '-';
  PutDigits(text, d.month, 2);
  text += '-';
  PutDigits(text, d.day, 2);
  text += ' ';
  PutTime(text, d);
  if (milliseconds == Milliseconds::kAlways || d.millisecond != 0) {
    text += '.';
    PutDigits(text, d.millisecond, 3);
  }
  return text;
}

std::string CompactDateTimeText(const DateTime& d) {
  std::string text;
  text.reserve(17);
  PutDigits(text, d.year, 4);
  PutDigits(text, d.month, 2);
  PutDigits(text, d.day, 2);
  text += ' ';
  PutTime(text, d);
  return text;
}

}  // namespace court::access
