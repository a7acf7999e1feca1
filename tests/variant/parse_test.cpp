// CDbl and CDate of texts as users type them.
#include <gtest/gtest.h>

#include <optional>

#include "platform/variant/variant.h"

namespace kassa {
namespace {

struct NumberCase {
  const char* text;
  std::optional<double> russian;
  std::optional<double> point;
};
void PrintTo(const NumberCase& c, std::ostream* os) {
  *os << '"' << c.text << '"';
}

class ToDoubleTest : public ::testing::TestWithParam<NumberCase> {};

TEST_P(ToDoubleTest, UnderBothLocales) {
  const NumberCase& c = GetParam();
  EXPECT_EQ(ToDouble(Variant::Text(c.text), Locale::Russian()), c.russian) << '"' << c.text << '"';
  EXPECT_EQ(ToDouble(Variant::Text(c.text), Locale::Point()), c.point) << '"' << c.text << '"';
}

const std::nullopt_t no = std::nullopt;

INSTANTIATE_TEST_SUITE_P(
    Accepted, ToDoubleTest,
    ::testing::Values(NumberCase{"12", 12, 12}, NumberCase{"12,5", 12.5, no},
                      NumberCase{"12.5", no, 12.5}, NumberCase{"-0,25", -0.25, no},
                      NumberCase{"+7", 7, 7}, NumberCase{"  42  ", 42, 42},
                      NumberCase{"1 234,5", 1234.5, no}, NumberCase{"1 234.5", no, 1234.5},
                      NumberCase{"1\xC2\xA0"
                                 "234\xC2\xA0"
                                 "567,25",
                                 1234567.25, no},
                      NumberCase{"1\xE2\x80\xAF"
                                 "234",
                                 1234, 1234},
                      NumberCase{"\xC2\xA0"
                                 "5\xC2\xA0",
                                 5, 5},
                      NumberCase{",5", 0.5, no}, NumberCase{"5,", 5, no},
                      NumberCase{"1,5E3", 1500, no}, NumberCase{"1.5e-3", no, 0.0015},
                      NumberCase{"2E+2", 200, 200}, NumberCase{"0", 0, 0}, NumberCase{"-0", 0, 0},
                      NumberCase{"1e-400", 0, 0}));

INSTANTIATE_TEST_SUITE_P(
    Refused, ToDoubleTest,
    ::testing::Values(NumberCase{"", no, no}, NumberCase{"   ", no, no}, NumberCase{"abc", no, no},
                      NumberCase{"12abc", no, no}, NumberCase{"1 2 3 x", no, no},
                      NumberCase{" 1 234 ,5", no, no}, NumberCase{"12,5,1", no, no},
                      NumberCase{"--5", no, no}, NumberCase{"-", no, no}, NumberCase{",", no, no},
                      NumberCase{"1E", no, no}, NumberCase{"1e999", no, no},
                      NumberCase{"05.01.2010", no, no}, NumberCase{"inf", no, no},
                      NumberCase{"nan", no, no}, NumberCase{"0x10", no, no}));

TEST(ToDoubleOtherTypes, FollowCDbl) {
  EXPECT_EQ(ToDouble(Variant()), 0.0);
  EXPECT_EQ(ToDouble(Variant::Number(-3.5)), -3.5);
  EXPECT_EQ(ToDouble(Variant::Date(40183.5)), 40183.5);
  EXPECT_EQ(ToDouble(Variant::Boolean(true)), -1.0);
  EXPECT_EQ(ToDouble(Variant::Error(2007)), std::nullopt);
}

struct DateCase {
  const char* text;
  std::optional<double> expected;
};
void PrintTo(const DateCase& c, std::ostream* os) {
  *os << '"' << c.text << '"';
}

class ToDateTextTest : public ::testing::TestWithParam<DateCase> {};

TEST_P(ToDateTextTest, ParsesDatesAndTimes) {
  const DateCase& c = GetParam();
  for (const Locale* l : {&Locale::Russian(), &Locale::Point()}) {
    const auto got = ToDate(Variant::Text(c.text), *l);
    ASSERT_EQ(got.has_value(), c.expected.has_value()) << '"' << c.text << '"';
    if (got) {
      EXPECT_NEAR(*got, *c.expected, 1e-9) << '"' << c.text << '"';
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Dates, ToDateTextTest,
                         ::testing::Values(DateCase{"5.1.10", MakeDate(2010, 1, 5)},
                                           DateCase{"05.01.2010", MakeDate(2010, 1, 5)},
                                           DateCase{"5.1.29", MakeDate(2029, 1, 5)},
                                           DateCase{"5.1.30", MakeDate(1930, 1, 5)},
                                           DateCase{"5.1.99", MakeDate(1999, 1, 5)},
                                           DateCase{"5.1.00", MakeDate(2000, 1, 5)},
                                           DateCase{"29.02.2012", MakeDate(2012, 2, 29)},
                                           DateCase{"29.02.2000", MakeDate(2000, 2, 29)},
                                           DateCase{"31.12.1899", 1}, DateCase{"30.12.1899", 0},
                                           DateCase{"05/01/2010", MakeDate(2010, 1, 5)},
                                           DateCase{"2010-01-05", MakeDate(2010, 1, 5)},
                                           DateCase{" 05.01.2010 ", MakeDate(2010, 1, 5)}));

INSTANTIATE_TEST_SUITE_P(
    Times, ToDateTextTest,
    ::testing::Values(DateCase{"9:05", (9 * 3600 + 5 * 60) / 86400.0},
                      DateCase{"9:05:07", (9 * 3600 + 5 * 60 + 7) / 86400.0},
                      DateCase{"0:00:00", 0.0}, DateCase{"23:59:59", 86399 / 86400.0},
                      DateCase{"05.01.2010 9:05:07", MakeDate(2010, 1, 5, 9, 5, 7)},
                      DateCase{"05.01.2010  9:05", MakeDate(2010, 1, 5, 9, 5)},
                      DateCase{"05.01.1800 6:00", MakeDate(1800, 1, 5, 6)}));

INSTANTIATE_TEST_SUITE_P(
    Refused, ToDateTextTest,
    ::testing::Values(DateCase{"", std::nullopt}, DateCase{"abc", std::nullopt},
                      DateCase{"12,5", std::nullopt}, DateCase{"40183", std::nullopt},
                      DateCase{"5.1", std::nullopt}, DateCase{"32.01.2010", std::nullopt},
                      DateCase{"29.02.2011", std::nullopt}, DateCase{"29.02.1900", std::nullopt},
                      DateCase{"05.13.2010", std::nullopt}, DateCase{"0.1.2010", std::nullopt},
                      DateCase{"05.01.0099", std::nullopt}, DateCase{"24:00", std::nullopt},
                      DateCase{"9:60", std::nullopt}, DateCase{"9:05:60", std::nullopt},
                      DateCase{"9", std::nullopt}, DateCase{"9:05 05.01.2010", std::nullopt},
                      DateCase{"05.01.2010 abc", std::nullopt}, DateCase{"5.1/2010", std::nullopt},
                      DateCase{"-5.1.10", std::nullopt}));

TEST(ToDateOtherTypes, FollowCDate) {
  EXPECT_EQ(ToDate(Variant::Date(40183.25)), 40183.25);
  EXPECT_EQ(ToDate(Variant::Number(40183)), 40183.0);
  EXPECT_EQ(ToDate(Variant()), 0.0);
  EXPECT_EQ(ToDate(Variant::Number(3e6)), std::nullopt);   // past 9999-12-31
  EXPECT_EQ(ToDate(Variant::Number(-7e5)), std::nullopt);  // before the year 100
  EXPECT_EQ(ToDate(Variant::Error(2007)), std::nullopt);
}

}  // namespace
}  // namespace kassa
