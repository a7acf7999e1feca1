// Decimal digits of a double, shared by the text conversions and rounding.
#pragma once

#include <string>

namespace kassa::detail {

// A finite value as sign * 0.d1d2d3... * 10^(exponent + 1), i.e. the first
// digit stands at the power `exponent`. `digits` holds at most the requested
// number of significant digits, without trailing zeros; it is empty for 0.
struct DecimalDigits {
  bool negative = false;
  std::string digits;
  int exponent = 0;
};

// The value rounded (round-half-even on its exact binary value) to
// `significant` significant digits (1..17). The value must be finite.
DecimalDigits ToDecimalDigits(double value, int significant = 15);

// Lays the digits out without an exponent, "." as decimal separator
// replaced by `decimal`; "0" for zero.
std::string FixedText(const DecimalDigits& d, char decimal);

// "d[.ddd]E+xx" with `decimal` as separator and at least two exponent digits.
std::string ScientificText(const DecimalDigits& d, char decimal);

}  // namespace kassa::detail
