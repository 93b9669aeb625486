#include "platform/jet/date_text.h"

#include "platform/access/calendar.h"
#include "platform/text/ascii.h"

namespace court::jet {
namespace {

// The number the `count` digits at text[at] spell, or -1 when one of them
// is not a digit. The caller has checked that they are there.
int Digits(std::string_view text, std::size_t at, std::size_t count) {
  int value = 0;
  for (std::size_t i = at; i < at + count; ++i) {
    if (!text::IsAsciiDigit(text[i])) return -1;
    value = value * 10 + (text[i] - '0');
  }
  return value;
}

}  // namespace

// Read field by field at fixed places: every date of every row a run copies
// passes here, and a scanf costs more than the rest of reading the row.
std::optional<access::DateTime> ParseDate(std::string_view text) {
  if (text.size() != 19 && text.size() != 23) return std::nullopt;
  for (auto [at, separator] : {std::pair{4, '-'}, {7, '-'}, {10, ' '}, {13, ':'}, {16, ':'}})
    if (text[static_cast<std::size_t>(at)] != separator) return std::nullopt;
  if (text.size() == 23 && text[19] != '.') return std::nullopt;
  access::DateTime d;
  d.year = Digits(text, 0, 4);
  d.month = Digits(text, 5, 2);
  d.day = Digits(text, 8, 2);
  d.hour = Digits(text, 11, 2);
  d.minute = Digits(text, 14, 2);
  d.second = Digits(text, 17, 2);
  d.millisecond = text.size() == 23 ? Digits(text, 20, 3) : 0;
  if (d.year < 0 || d.month < 1 || d.month > 12 || d.day < 1 || d.day > access::DaysInMonth(d.year, d.month) ||
      d.hour < 0 || d.hour > 23 || d.minute < 0 || d.minute > 59 || d.second < 0 || d.second > 59 ||
      d.millisecond < 0)
    return std::nullopt;
  return d;
}

}  // namespace court::jet
