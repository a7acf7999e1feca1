// Text of values: what a General cell shows and CStr gives, and the plain
// SQL form of numbers.
#include <gtest/gtest.h>

#include <cmath>
#include <iomanip>
#include <limits>

#include "platform/variant/variant.h"

namespace kassa {
namespace {

struct TextCase {
  Variant value;
  const char* russian;
  const char* point;
};
void PrintTo(const TextCase& c, std::ostream* os) {
  *os << '"' << c.russian << "\" from " << std::setprecision(17) << c.value.number();
}

class ToTextTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(ToTextTest, UnderBothLocales) {
  const TextCase& c = GetParam();
  EXPECT_EQ(ToText(c.value, Locale::Russian()).value_or("<none>"), c.russian);
  EXPECT_EQ(ToText(c.value, Locale::Point()).value_or("<none>"), c.point);
}

INSTANTIATE_TEST_SUITE_P(
    Numbers, ToTextTest,
    ::testing::Values(
        TextCase{Variant::Number(12), "12", "12"}, TextCase{Variant::Number(12.5), "12,5", "12.5"},
        TextCase{Variant::Number(-0.25), "-0,25", "-0.25"},
        TextCase{Variant::Number(1234567.89), "1234567,89", "1234567.89"},  // no grouping
        TextCase{Variant::Number(0.1 + 0.2), "0,3", "0.3"},                 // 15 digits
        TextCase{Variant::Number(1.0 / 3), "0,333333333333333", "0.333333333333333"},
        TextCase{Variant::Number(123456789012345.0), "123456789012345", "123456789012345"},
        TextCase{Variant::Number(1e15), "1E+15", "1E+15"},
        TextCase{Variant::Number(1234567890123456.0), "1,23456789012346E+15",
                 "1.23456789012346E+15"},
        TextCase{Variant::Number(0.0001), "0,0001", "0.0001"},
        TextCase{Variant::Number(0.00001), "1E-05", "1E-05"},
        TextCase{Variant::Number(-0.000015), "-1,5E-05", "-1.5E-05"},
        TextCase{Variant::Number(0), "0", "0"}, TextCase{Variant::Number(-0.0), "0", "0"},
        TextCase{Variant::Number(100), "100", "100"}));

INSTANTIATE_TEST_SUITE_P(OtherTypes, ToTextTest,
                         ::testing::Values(TextCase{Variant(), "", ""},
                                           TextCase{Variant::Text("  O'Brien, 12,5 "),
                                                    "  O'Brien, 12,5 ", "  O'Brien, 12,5 "},
                                           TextCase{Variant::Boolean(true), "Истина", "Истина"},
                                           TextCase{Variant::Boolean(false), "Ложь", "Ложь"},
                                           TextCase{Variant::Error(2007), "<none>", "<none>"}));

// A DATE field arrives as a whole serial, a TIME field as a fraction only;
// their texts are what a cell shows after a refresh from the database.
INSTANTIATE_TEST_SUITE_P(
    Dates, ToTextTest,
    ::testing::Values(
        TextCase{Variant::Date(MakeDate(2010, 1, 5)), "05.01.2010", "05.01.2010"},
        TextCase{Variant::Date(MakeDate(1899, 12, 30, 9, 5, 7)), "9:05:07", "9:05:07"},
        TextCase{Variant::Date(MakeDate(1899, 12, 30, 23, 59, 59)), "23:59:59", "23:59:59"},
        TextCase{Variant::Date(0), "0:00:00", "0:00:00"},
        TextCase{Variant::Date(MakeDate(2010, 1, 5, 9, 5, 7)), "05.01.2010 9:05:07",
                 "05.01.2010 9:05:07"},
        TextCase{Variant::Date(MakeDate(1899, 12, 31)), "31.12.1899", "31.12.1899"},
        TextCase{Variant::Date(MakeDate(1800, 2, 1, 6)), "01.02.1800 6:00:00",
                 "01.02.1800 6:00:00"},
        // 23:59:59.6 rounds to the next day's midnight and shows as that day
        TextCase{Variant::Date(MakeDate(2010, 12, 31) + 86399.6 / 86400), "01.01.2011",
                 "01.01.2011"},
        TextCase{Variant::Date(MakeDate(2010, 1, 5, 9, 5, 7) + 0.4 / 86400), "05.01.2010 9:05:07",
                 "05.01.2010 9:05:07"}));

TEST(ToTextLocale, CurrentLocaleIsRussianUntilChanged) {
  EXPECT_EQ(*ToText(Variant::Number(12.5)), "12,5");
  SetCurrentLocale(Locale::Point());
  EXPECT_EQ(*ToText(Variant::Number(12.5)), "12.5");
  EXPECT_EQ(*ToDouble(Variant::Text("12.5")), 12.5);
  SetCurrentLocale(Locale::Russian());
  EXPECT_EQ(*ToText(Variant::Number(12.5)), "12,5");
}

TEST(ToTextLocale, MonthFirstLocaleSwapsDayAndMonth) {
  Locale us{'.', '/', false};
  EXPECT_EQ(*ToText(Variant::Date(MakeDate(2010, 1, 5)), us), "01/05/2010");
  EXPECT_DOUBLE_EQ(*ToDate(Variant::Text("1/5/2010"), us), MakeDate(2010, 1, 5));
}

struct PlainCase {
  double value;
  const char* text;
};
void PrintTo(const PlainCase& c, std::ostream* os) {
  *os << std::setprecision(17) << c.value;
}

class PlainNumberTest : public ::testing::TestWithParam<PlainCase> {};

TEST_P(PlainNumberTest, IsTheSqlLiteral) {
  EXPECT_EQ(PlainNumber(GetParam().value), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PlainNumberTest,
    ::testing::Values(PlainCase{12, "12"}, PlainCase{12.5, "12.5"}, PlainCase{-0.25, "-0.25"},
                      PlainCase{1234.5, "1234.5"}, PlainCase{0, "0"}, PlainCase{-0.0, "0"},
                      PlainCase{0.1 + 0.2, "0.3"}, PlainCase{1e15, "1000000000000000"},
                      PlainCase{1e20, "100000000000000000000"},
                      PlainCase{12345678901234567.0, "12345678901234600"},
                      PlainCase{0.00001, "0.00001"}, PlainCase{1.5e-10, "0.00000000015"},
                      PlainCase{-987654.321, "-987654.321"}, PlainCase{1e100, "1E+100"},
                      PlainCase{std::numeric_limits<double>::quiet_NaN(), "Null"},
                      PlainCase{std::numeric_limits<double>::infinity(), "Null"}));

TEST(VariantEquality, ComparesTypeAndValue) {
  EXPECT_EQ(Variant::Number(1), Variant::Number(1));
  EXPECT_NE(Variant::Number(1), Variant::Date(1));
  EXPECT_NE(Variant::Text("1"), Variant::Number(1));
  EXPECT_EQ(Variant(), Variant());
  EXPECT_NE(Variant(), Variant::Text(""));
  EXPECT_EQ(Variant::Boolean(true).number(), -1);
  EXPECT_EQ(Variant::Error(2007).error(), 2007);
}

}  // namespace
}  // namespace kassa
