// Banker's rounding as the integer and money columns use it.
#include <gtest/gtest.h>

#include <cmath>
#include <iomanip>

#include "platform/variant/variant.h"

namespace kassa {
namespace {

struct RoundCase {
  double value;
  int digits;
  double expected;
};
void PrintTo(const RoundCase& c, std::ostream* os) {
  *os << std::setprecision(17) << c.value << "@" << c.digits;
}

class RoundHalfEvenTest : public ::testing::TestWithParam<RoundCase> {};

TEST_P(RoundHalfEvenTest, RoundsToTheEvenNeighbourOnlyOnExactHalves) {
  const RoundCase& c = GetParam();
  EXPECT_DOUBLE_EQ(RoundHalfEven(c.value, c.digits), c.expected)
      << c.value << " at " << c.digits << " digits";
}

INSTANTIATE_TEST_SUITE_P(WholeNumbers, RoundHalfEvenTest,
                         ::testing::Values(RoundCase{12.5, 0, 12}, RoundCase{13.5, 0, 14},
                                           RoundCase{12.6, 0, 13}, RoundCase{12.4, 0, 12},
                                           RoundCase{0.5, 0, 0}, RoundCase{1.5, 0, 2},
                                           RoundCase{2.5, 0, 2}, RoundCase{-2.5, 0, -2},
                                           RoundCase{-3.5, 0, -4}, RoundCase{-12.6, 0, -13},
                                           RoundCase{0.4999999, 0, 0}, RoundCase{9.5, 0, 10},
                                           RoundCase{99.5, 0, 100}, RoundCase{7, 0, 7}));

INSTANTIATE_TEST_SUITE_P(
    Decimals, RoundHalfEvenTest,
    ::testing::Values(RoundCase{0.125, 2, 0.12}, RoundCase{0.135, 2, 0.14},
                      RoundCase{0.1251, 2, 0.13}, RoundCase{2.675, 2, 2.68},  // as shown: 2,675
                      RoundCase{1.005, 2, 1.0}, RoundCase{1.015, 2, 1.02}, RoundCase{0.004, 2, 0},
                      RoundCase{0.005, 2, 0}, RoundCase{0.015, 2, 0.02}, RoundCase{0.0004, 2, 0},
                      RoundCase{0.996, 2, 1.0}, RoundCase{1234.5678, 3, 1234.568},
                      RoundCase{-0.125, 2, -0.12}));

INSTANTIATE_TEST_SUITE_P(Tens, RoundHalfEvenTest,
                         ::testing::Values(RoundCase{125, -1, 120}, RoundCase{135, -1, 140},
                                           RoundCase{1250, -2, 1200}));

TEST(RoundHalfEvenSpecial, ZeroResultIsNotNegativeZero) {
  EXPECT_FALSE(std::signbit(RoundHalfEven(-0.4, 0)));
  EXPECT_EQ(*ToText(Variant::Number(RoundHalfEven(-0.4, 0))), "0");
}

}  // namespace
}  // namespace kassa
