#include "platform/jet/date_text.h"

#include <cstdio>

#include "platform/access/calendar.h"

namespace court::jet {
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
  if (d.month < 1 || d.month > 12 || d.day < 1 || d.day > access::DaysInMonth(d.year, d.month) ||
      d.hour > 23 || d.minute > 59 || d.second > 59 || d.hour < 0 || d.minute < 0 || d.second < 0 ||
      d.millisecond < 0)
    return std::nullopt;
  return d;
}

}  // namespace court::jet
