// Typing of result values by their column's server type, without a server.
#include "platform/sql/field_typing.h"

#include <gtest/gtest.h>
#include <mysql.h>

#include <charconv>
#include <random>
#include <string>

namespace kassa::sql::detail {
namespace {

constexpr unsigned kUtf8mb4 = 45, kCp1251 = 51, kBinary = 63;

TEST(ColumnKind, ByServerType) {
  using K = Column::Kind;
  EXPECT_EQ(KindOf(MYSQL_TYPE_LONG, kBinary), K::Integer);
  EXPECT_EQ(KindOf(MYSQL_TYPE_LONGLONG, kBinary), K::Integer);
  EXPECT_EQ(KindOf(MYSQL_TYPE_TINY, kBinary), K::Integer);
  EXPECT_EQ(KindOf(MYSQL_TYPE_NEWDECIMAL, kBinary), K::Decimal);
  EXPECT_EQ(KindOf(MYSQL_TYPE_DOUBLE, kBinary), K::Double);
  EXPECT_EQ(KindOf(MYSQL_TYPE_FLOAT, kBinary), K::Double);
  EXPECT_EQ(KindOf(MYSQL_TYPE_DATE, kBinary), K::Date);
  EXPECT_EQ(KindOf(MYSQL_TYPE_TIME, kBinary), K::Time);
  EXPECT_EQ(KindOf(MYSQL_TYPE_DATETIME, kBinary), K::DateTime);
  EXPECT_EQ(KindOf(MYSQL_TYPE_TIMESTAMP, kBinary), K::DateTime);
  EXPECT_EQ(KindOf(MYSQL_TYPE_VAR_STRING, kUtf8mb4), K::Text);
  EXPECT_EQ(KindOf(MYSQL_TYPE_STRING, kUtf8mb4), K::Text);
  EXPECT_EQ(KindOf(MYSQL_TYPE_BLOB, kUtf8mb4), K::Text);  // TEXT columns
  EXPECT_EQ(KindOf(MYSQL_TYPE_BLOB, kBinary), K::Other);  // BLOB columns
  EXPECT_EQ(KindOf(MYSQL_TYPE_BIT, kBinary), K::Other);
}

TEST(ColumnLength, TextWidthIsCountedInCharacters) {
  EXPECT_EQ(DeclaredLength(Column::Kind::Text, 200, kUtf8mb4), 50u);
  EXPECT_EQ(DeclaredLength(Column::Kind::Text, 50, kCp1251), 50u);
  EXPECT_EQ(DeclaredLength(Column::Kind::Other, 50, kBinary), 50u);
  EXPECT_EQ(DeclaredLength(Column::Kind::Integer, 11, kBinary), 11u);
}

struct ValueCase {
  Column::Kind kind;
  const char* raw;
  Variant expected;
};
void PrintTo(const ValueCase& c, std::ostream* os) {
  *os << '"' << c.raw << '"';
}

class TypedValueTest : public ::testing::TestWithParam<ValueCase> {};

TEST_P(TypedValueTest, GivesTheVariant) {
  const ValueCase& c = GetParam();
  const Variant v = TypedValue(c.kind, c.raw);
  EXPECT_EQ(v.type(), c.expected.type()) << c.raw;
  if (v.type() == Variant::Type::Text) {
    EXPECT_EQ(v.text(), c.expected.text());
  } else {
    EXPECT_NEAR(v.number(), c.expected.number(), 1e-9) << c.raw;
  }
}

using K = Column::Kind;
INSTANTIATE_TEST_SUITE_P(
    Numbers, TypedValueTest,
    ::testing::Values(ValueCase{K::Integer, "42", Variant::Number(42)},
                      ValueCase{K::Integer, "-7", Variant::Number(-7)},
                      ValueCase{K::Decimal, "12.50", Variant::Number(12.5)},
                      ValueCase{K::Decimal, "-0.25", Variant::Number(-0.25)},
                      ValueCase{K::Double, "1.5e-5", Variant::Number(1.5e-5)},
                      ValueCase{K::Double, "1234567.89", Variant::Number(1234567.89)},
                      ValueCase{K::Integer, "not a number", Variant::Text("not a number")}));

INSTANTIATE_TEST_SUITE_P(
    DatesAndTimes, TypedValueTest,
    ::testing::Values(
        ValueCase{K::Date, "2010-01-05", Variant::Date(MakeDate(2010, 1, 5))},
        ValueCase{K::Date, "1899-12-30", Variant::Date(0)},
        ValueCase{K::Date, "1800-03-01", Variant::Date(MakeDate(1800, 3, 1))},
        ValueCase{K::Date, "0000-00-00", Variant()}, ValueCase{K::Date, "2010-00-00", Variant()},
        ValueCase{K::Date, "2010-1-5", Variant::Text("2010-1-5")},
        ValueCase{K::Time, "09:05:07", Variant::Date(MakeDate(1899, 12, 30, 9, 5, 7))},
        ValueCase{K::Time, "00:00:00", Variant::Date(0)},
        ValueCase{K::Time, "23:59:59.500000", Variant::Date(86399.5 / 86400)},
        ValueCase{K::Time, "25:00:00", Variant::Date(1.0 / 24)},
        ValueCase{K::Time, "-01:00:00", Variant::Date(23.0 / 24)},
        ValueCase{K::DateTime, "2010-01-05 09:05:07", Variant::Date(MakeDate(2010, 1, 5, 9, 5, 7))},
        ValueCase{K::DateTime, "2010-01-05 09:05:07.25",
                  Variant::Date(MakeDate(2010, 1, 5, 9, 5, 7) + 0.25 / 86400)},
        ValueCase{K::DateTime, "0000-00-00 00:00:00", Variant()},
        ValueCase{K::DateTime, "2010-01-05 9:5", Variant::Text("2010-01-05 9:5")}));

INSTANTIATE_TEST_SUITE_P(Texts, TypedValueTest,
                         ::testing::Values(ValueCase{K::Text, "Иванов", Variant::Text("Иванов")},
                                           ValueCase{K::Text, "", Variant::Text("")},
                                           ValueCase{K::Text, "12,5", Variant::Text("12,5")},
                                           ValueCase{K::Other, "\x01\x02",
                                                     Variant::Text("\x01\x02")}));

TEST(TypedValueText, MatchesWhatACellShows) {
  EXPECT_EQ(*ToText(TypedValue(K::Date, "2010-01-05")), "05.01.2010");
  EXPECT_EQ(*ToText(TypedValue(K::Time, "09:05:07")), "9:05:07");
  EXPECT_EQ(*ToText(TypedValue(K::Time, "00:00:00")), "0:00:00");
  EXPECT_EQ(*ToText(TypedValue(K::DateTime, "2010-01-05 09:05:07")), "05.01.2010 9:05:07");
  EXPECT_EQ(*ToText(TypedValue(K::DateTime, "2010-01-05 00:00:00")), "05.01.2010");
  EXPECT_EQ(*ToText(TypedValue(K::Decimal, "12.50")), "12,5");
  EXPECT_EQ(*ToText(TypedValue(K::Double, "0.1")), "0,1");
}

// The nearest double to a decimal, as the standard conversion finds it.
double Nearest(const std::string& text) {
  double v = 0;
  const bool negative = text[0] == '-';
  const size_t skip = negative || text[0] == '+' ? 1 : 0;
  std::from_chars(text.data() + skip, text.data() + text.size(), v);
  return negative ? -v : v;
}

// Every number a server sends is typed to the double nearest to its digits,
// whatever their count and the place of the point.
TEST(TypedValueNumber, IsTheNearestDouble) {
  for (const char* text :
       {"0.1", "0.3", "1234.25", "-1234.25", "+7", "007.50", "-0.0", "999999999999999",
        "99999999999999.9", "0.000000000000001", "9.999999999999999", "1234567890123456789",
        "0.1234567890123456789", "1e5", "4.35"})
    EXPECT_EQ(TypedValue(Column::Kind::Decimal, text), Variant::Number(Nearest(text))) << text;
  std::mt19937_64 random(12);
  for (int k = 0; k < 200000; ++k) {
    std::string digits = std::to_string(random() % 10000000000000000ULL);  // up to 16 digits
    const size_t point = random() % (digits.size() + 1);
    std::string text = (random() % 2 ? "-" : "") + digits.substr(0, point);
    if (point == 0) text += "0";
    if (point < digits.size()) text += "." + digits.substr(point);
    ASSERT_EQ(TypedValue(Column::Kind::Double, text), Variant::Number(Nearest(text))) << text;
  }
}

}  // namespace
}  // namespace kassa::sql::detail
