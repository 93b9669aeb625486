#include "platform/jet/date_text.h"

#include <cstdio>

namespace court::jet {
namespace {

bool IsLeap(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeap(year) ? 29 : kDays[month - 1];
}

}  // namespace

std::string FormatDate(const access::DateTime& d, bool always_milliseconds) {
  char text[40];
  int length = std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", d.year, d.month,
                             d.day, d.hour, d.minute, d.second);
  if (always_milliseconds || d.millisecond != 0)
    std::snprintf(text + length, sizeof text - static_cast<std::size_t>(length), ".%03d", d.millisecond);
  return text;
}

std::optional<access::DateTime> ParseDate(std::string_view text) {
  access::DateTime d;
  std::string copy(text);
  int consumed = 0;
  if (std::sscanf(copy.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%n", &d.year, &d.month, &d.day, &d.hour,
                  &d.minute, &d.second, &consumed) != 6 ||
      consumed != 19)
    return std::nullopt;
  if (copy.size() == 23) {
    if (copy[19] != '.' || std::sscanf(copy.c_str() + 20, "%3d%n", &d.millisecond, &consumed) != 1 ||
        consumed != 3)
      return std::nullopt;
  } else if (copy.size() != 19) {
    return std::nullopt;
  }
  if (d.month < 1 || d.month > 12 || d.day < 1 || d.day > DaysInMonth(d.year, d.month) ||
      d.hour > 23 || d.minute > 59 || d.second > 59 || d.hour < 0 || d.minute < 0 || d.second < 0 ||
      d.millisecond < 0)
    return std::nullopt;
  return d;
}

}  // namespace court::jet
