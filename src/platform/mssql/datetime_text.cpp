#include "platform/mssql/datetime_text.h"

#include <chrono>
#include <cmath>
#include <ctime>
#include <vector>

#include "platform/access/calendar.h"
#include "platform/mssql/messages.h"
#include "platform/text/ascii.h"

namespace court::mssql {

namespace {

using access::CivilFromDays;
using access::DaysFromCivil;
using access::DaysInMonth;

const std::int64_t kDays1900 = DaysFromCivil(1900, 1, 1);

int FullYear(int year, std::size_t digits) {
  if (digits > 2) return year;
  return year < 50 ? 2000 + year : 1900 + year;
}

class DateReader {
 public:
  DateReader(std::string_view text, DateOrder order) : text_(text), order_(order) {}

  access::DateTime Read() {
    SkipBlanks();
    if (AtEnd()) return {};
    if (LooksLikeTime()) {
      Time();
    } else {
      Date();
      SkipBlanks();
      if (Peek() == 'T' || Peek() == 't') ++pos_;
      SkipBlanks();
      if (!AtEnd()) Time();
    }
    SkipBlanks();
    if (!AtEnd()) throw DatetimeSyntax();
    Validate();
    return value_;
  }

 private:
  bool AtEnd() const { return pos_ >= text_.size(); }
  char Peek() const { return AtEnd() ? '\0' : text_[pos_]; }
  void SkipBlanks() {
    while (!AtEnd() && text::IsAsciiSpace(Peek())) ++pos_;
  }

  // Reads digits; returns how many.
  std::size_t Number(int& out) {
    std::size_t start = pos_;
    long long v = 0;
    while (text::IsAsciiDigit(Peek()) && pos_ - start < 9) {
      v = v * 10 + (Peek() - '0');
      ++pos_;
    }
    if (pos_ == start) throw DatetimeSyntax();
    out = static_cast<int>(v);
    return pos_ - start;
  }

  bool LooksLikeTime() const {
    std::size_t i = pos_;
    while (i < text_.size() && text::IsAsciiDigit(text_[i])) ++i;
    return i < text_.size() && text_[i] == ':';
  }

  void Date() {
    int first = 0;
    std::size_t digits = Number(first);
    char sep = Peek();
    if (sep != '-' && sep != '/' && sep != '.') {
      CompactDate(first, digits);
      return;
    }
    ++pos_;
    int second = 0, third = 0;
    Number(second);
    if (Peek() != sep) throw DatetimeSyntax();
    ++pos_;
    std::size_t third_digits = Number(third);
    if (digits == 4) {
      value_.year = first, value_.month = second, value_.day = third;
    } else if (order_ == DateOrder::kYmd) {
      value_.year = FullYear(first, digits), value_.month = second, value_.day = third;
    } else if (order_ == DateOrder::kDmy) {
      value_.day = first, value_.month = second, value_.year = FullYear(third, third_digits);
    } else {
      value_.month = first, value_.day = second, value_.year = FullYear(third, third_digits);
    }
  }

  // yyyymmdd or yymmdd, the forms read the same under every DATEFORMAT.
  void CompactDate(int number, std::size_t digits) {
    if (digits == 8) {
      value_.year = number / 10000;
    } else if (digits == 6) {
      value_.year = FullYear(number / 10000, 2);
    } else {
      throw DatetimeSyntax();
    }
    value_.month = number / 100 % 100;
    value_.day = number % 100;
  }

  void Time() {
    Number(value_.hour);
    if (Peek() != ':') throw DatetimeSyntax();
    ++pos_;
    Number(value_.minute);
    if (Peek() == ':') {
      ++pos_;
      Number(value_.second);
      if (Peek() == '.' || Peek() == ':') {
        bool fraction = Peek() == '.';
        ++pos_;
        int ms = 0;
        std::size_t digits = Number(ms);
        if (fraction) {
          double scaled = ms * std::pow(10.0, 3.0 - static_cast<double>(digits));
          ms = static_cast<int>(std::lround(scaled));
        }
        value_.millisecond = ms;
      }
    }
    SkipBlanks();
    if (Peek() == 'A' || Peek() == 'a' || Peek() == 'P' || Peek() == 'p') {
      bool pm = Peek() == 'P' || Peek() == 'p';
      ++pos_;
      if (Peek() != 'M' && Peek() != 'm') throw DatetimeSyntax();
      ++pos_;
      if (value_.hour > 12) throw DatetimeSyntax();
      if (value_.hour == 12) value_.hour = 0;
      if (pm) value_.hour += 12;
    }
  }

  void Validate() const {
    if (value_.month < 1 || value_.month > 12 || value_.day < 1 ||
        value_.day > DaysInMonth(value_.year, value_.month) || value_.hour > 23 ||
        value_.minute > 59 || value_.second > 59 || value_.millisecond > 999)
      throw DatetimeOutOfRange();
  }

  std::string_view text_;
  DateOrder order_;
  std::size_t pos_ = 0;
  access::DateTime value_;
};

}  // namespace

access::DateTime ParseDateTime(std::string_view text, DateOrder order) {
  return DateReader(text, order).Read();
}

std::int64_t DaysSince1900(const access::DateTime& v) {
  return DaysFromCivil(v.year, static_cast<unsigned>(v.month), static_cast<unsigned>(v.day)) -
         kDays1900;
}

access::DateTime FromDaysSince1900(double days) {
  double whole = std::floor(days);
  access::DateTime v;
  CivilFromDays(static_cast<std::int64_t>(whole) + kDays1900, v.year, v.month, v.day);
  long long ms = std::llround((days - whole) * 86400000.0);
  v.hour = static_cast<int>(ms / 3600000);
  v.minute = static_cast<int>(ms / 60000 % 60);
  v.second = static_cast<int>(ms / 1000 % 60);
  v.millisecond = static_cast<int>(ms % 1000);
  return v;
}

access::DateTime RoundDateTime(access::DateTime v, bool small) {
  std::int64_t day = DaysSince1900(v);
  long long ms = ((v.hour * 60LL + v.minute) * 60 + v.second) * 1000 + v.millisecond;
  if (small) {
    ms = (ms + 30000) / 60000 * 60000;
  } else {
    long long ticks = std::llround(static_cast<double>(ms) * 0.3);
    ms = (ticks * 10 + 1) / 3;  // 1 tick -> 3 ms, 2 -> 7 ms
  }
  if (ms >= 86400000) {
    ms -= 86400000;
    ++day;
  }
  access::DateTime r;
  CivilFromDays(day + kDays1900, r.year, r.month, r.day);
  r.hour = static_cast<int>(ms / 3600000);
  r.minute = static_cast<int>(ms / 60000 % 60);
  r.second = static_cast<int>(ms / 1000 % 60);
  r.millisecond = static_cast<int>(ms % 1000);
  bool in_range = small ? (r.year >= 1900 && (r.year < 2079 || (r.year == 2079 &&
                                                                 (r.month < 6 || (r.month == 6 && r.day <= 6)))))
                        : (r.year >= 1753 && r.year <= 9999);
  if (!in_range) throw DatetimeOutOfRange();
  return r;
}

access::DateTime Now() {
  auto now = std::chrono::system_clock::now();
  std::time_t t = std::chrono::system_clock::to_time_t(now);
  std::tm local{};
  localtime_r(&t, &local);
  access::DateTime v;
  v.year = local.tm_year + 1900;
  v.month = local.tm_mon + 1;
  v.day = local.tm_mday;
  v.hour = local.tm_hour;
  v.minute = local.tm_min;
  v.second = local.tm_sec;
  v.millisecond = static_cast<int>(
      std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000);
  return RoundDateTime(v, false);
}

}  // namespace court::mssql
