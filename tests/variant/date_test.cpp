// Serial dates: calendar parts, round trips and the boundaries of months,
// years and leap days.
#include <gtest/gtest.h>

#include "platform/variant/variant.h"

namespace kassa {
namespace {

TEST(SerialDate, KnownDays) {
  EXPECT_EQ(MakeDate(1899, 12, 30), 0);
  EXPECT_EQ(MakeDate(1899, 12, 31), 1);
  EXPECT_EQ(MakeDate(1900, 3, 1), 61);
  EXPECT_EQ(MakeDate(2010, 1, 5), 40183);
  EXPECT_EQ(MakeDate(1899, 12, 29), -1);
  EXPECT_DOUBLE_EQ(MakeDate(1899, 12, 29, 6), -1.25);
  EXPECT_DOUBLE_EQ(MakeDate(2010, 1, 5, 12), 40183.5);
}

void ExpectParts(double serial, DateParts want) {
  const DateParts p = SplitDate(serial);
  EXPECT_EQ(p.year, want.year) << serial;
  EXPECT_EQ(p.month, want.month) << serial;
  EXPECT_EQ(p.day, want.day) << serial;
  EXPECT_EQ(p.hour, want.hour) << serial;
  EXPECT_EQ(p.minute, want.minute) << serial;
  EXPECT_EQ(p.second, want.second) << serial;
}

TEST(SerialDate, SplitsNegativeSerialsWithForwardTime) {
  ExpectParts(-1.25, {1899, 12, 29, 6, 0, 0});
  ExpectParts(-0.5, {1899, 12, 30, 12, 0, 0});
}

TEST(SerialDate, RoundsToTheNearestSecond) {
  const double base = MakeDate(2012, 2, 28);
  ExpectParts(base + 86399.4 / 86400, {2012, 2, 28, 23, 59, 59});
  ExpectParts(base + 86399.5 / 86400, {2012, 2, 29, 0, 0, 0});
  ExpectParts(MakeDate(2010, 12, 31) + 86399.7 / 86400, {2011, 1, 1, 0, 0, 0});
  ExpectParts(MakeDate(2010, 1, 5, 9, 5, 7) - 0.3 / 86400, {2010, 1, 5, 9, 5, 7});
  ExpectParts(-1.9999999999, {1899, 12, 30, 0, 0, 0});
}

TEST(SerialDate, OutOfRangePartsCarryOver) {
  EXPECT_EQ(MakeDate(2010, 13, 1), MakeDate(2011, 1, 1));
  EXPECT_EQ(MakeDate(2010, 0, 1), MakeDate(2009, 12, 1));
  EXPECT_EQ(MakeDate(2010, 3, 0), MakeDate(2010, 2, 28));
  EXPECT_EQ(MakeDate(2012, 3, 0), MakeDate(2012, 2, 29));
  EXPECT_EQ(MakeDate(2010, 1, 32), MakeDate(2010, 2, 1));
  EXPECT_EQ(MakeDate(2010, 1, 5, 24), MakeDate(2010, 1, 6));
  EXPECT_EQ(MakeDate(2010, 1, 5, 0, 0, -1), MakeDate(2010, 1, 4, 23, 59, 59));
}

// Every second-exact date/time survives MakeDate -> SplitDate, across the
// ends of months and years, leap days and the 1899-12-30 origin.
TEST(SerialDate, RoundTripsAcrossBoundaries) {
  struct Day {
    int y, m, d;
  };
  const Day days[] = {{1899, 12, 30}, {1899, 12, 31}, {1900, 1, 1},  {1900, 2, 28}, {1900, 3, 1},
                      {1999, 12, 31}, {2000, 1, 1},   {2000, 2, 29}, {2000, 3, 1},  {2010, 1, 31},
                      {2010, 2, 1},   {2011, 2, 28},  {2011, 3, 1},  {2012, 2, 29}, {2100, 2, 28},
                      {2100, 3, 1},   {9999, 12, 31}, {1800, 1, 1},  {100, 1, 1},   {1899, 12, 29}};
  const int times[][3] = {{0, 0, 0}, {0, 0, 1}, {9, 5, 7}, {12, 0, 0}, {23, 59, 59}};
  for (const Day& day : days) {
    for (const auto& t : times) {
      const double serial = MakeDate(day.y, day.m, day.d, t[0], t[1], t[2]);
      ExpectParts(serial, {day.y, day.m, day.d, t[0], t[1], t[2]});
    }
  }
}

TEST(SerialDate, ConsecutiveDaysAreConsecutiveSerials) {
  // A walk over 1896..2104 checks every month and leap-year length.
  double serial = MakeDate(1896, 1, 1);
  DateParts prev = SplitDate(serial);
  int leap_days = 0;
  for (int i = 1; i < 76000; ++i) {
    const DateParts p = SplitDate(serial + i);
    if (p.month == 2 && p.day == 29) ++leap_days;
    const bool next_day = p.year == prev.year && p.month == prev.month && p.day == prev.day + 1;
    const bool next_month = p.year == prev.year && p.month == prev.month + 1 && p.day == 1;
    const bool next_year =
        p.year == prev.year + 1 && p.month == 1 && p.day == 1 && prev.month == 12 && prev.day == 31;
    ASSERT_TRUE(next_day || next_month || next_year) << "serial " << serial + i;
    prev = p;
  }
  EXPECT_EQ(prev.year, 2104);
  // 1896..2103 inclusive has 52 leap years minus 1900 and 2100.
  EXPECT_EQ(leap_days, 50 + (prev.month > 2 || (prev.month == 2 && prev.day == 29)));
}

TEST(SerialDate, TextRoundTripThroughToDate) {
  for (double serial : {MakeDate(2010, 1, 5), MakeDate(2012, 2, 29, 23, 59, 59),
                        MakeDate(1899, 12, 30, 9, 5, 7), MakeDate(2000, 12, 31, 0, 0, 1)}) {
    const auto text = ToText(Variant::Date(serial));
    ASSERT_TRUE(text);
    const auto back = ToDate(Variant::Text(*text));
    ASSERT_TRUE(back) << *text;
    EXPECT_NEAR(*back, serial, 1e-9) << *text;
  }
}

}  // namespace
}  // namespace kassa
