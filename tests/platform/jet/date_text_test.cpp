// Dates as the catalogue driver stores them in its SQLite copy and reads
// them back: every date survives the trip, and a text that is not such a
// date reads as none.

#include "platform/jet/date_text.h"

#include <gtest/gtest.h>

#include "platform/access/calendar.h"

namespace court::jet {
namespace {

using access::DateTime;
using access::DateTimeText;
using access::Milliseconds;

TEST(DateText, EveryDateSurvivesItsText) {
  for (const DateTime& date : {DateTime{100, 1, 1, 0, 0, 0, 0}, DateTime{1899, 12, 30, 23, 59, 59, 999},
                               DateTime{2000, 2, 29, 12, 5, 7, 40}, DateTime{9999, 12, 31, 23, 59, 59, 0}}) {
    EXPECT_EQ(ParseDate(DateTimeText(date, Milliseconds::kAlways)), date);
    EXPECT_EQ(ParseDate(DateTimeText(date, Milliseconds::kWhenAny)), date);
  }
  EXPECT_EQ(DateTimeText({2006, 10, 3, 8, 5, 0, 7}, Milliseconds::kAlways), "2006-10-03 08:05:00.007");
  EXPECT_EQ(DateTimeText({2006, 10, 3, 8, 5, 0, 0}, Milliseconds::kWhenAny), "2006-10-03 08:05:00");
  EXPECT_EQ(access::CompactDateTimeText({2006, 10, 3, 8, 5, 0, 7}), "20061003 08:05:00");
  // Outside the calendar's four digits the text still says the year.
  EXPECT_EQ(DateTimeText({12345, 1, 2, 3, 4, 5, 0}, Milliseconds::kWhenAny), "12345-01-02 03:04:05");
}

TEST(DateText, TextsThatAreNoDateReadAsNone) {
  for (const char* text : {"", "2006-10-03", "2006-10-03 08:05", "2006-10-03T08:05:00", "2006/10/03 08:05:00",
                           "2006-10-03 08:05:00.5", "2006-10-03 08:05:00,007", "2006-1O-03 08:05:00",
                           "+006-10-03 08:05:00", "2006-02-29 00:00:00", "2006-13-01 00:00:00",
                           "2006-10-03 24:00:00", "2006-10-03 08:60:00", "2006-10-03 08:05:00.-07"})
    EXPECT_EQ(ParseDate(text), std::nullopt) << text;
}

}  // namespace
}  // namespace court::jet
