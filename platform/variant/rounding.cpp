#include <charconv>
#include <cmath>
#include <string>

#include "platform/variant/decimal_digits.h"
#include "platform/variant/variant.h"

namespace kassa {

// Rounds the value's 15-digit decimal form, the form the user sees, so a
// value shown as 2,675 rounds like the decimal 2.675 and not like the binary
// number just below it.
double RoundHalfEven(double value, int digits) {
  if (!std::isfinite(value) || value == 0) return value;
  const detail::DecimalDigits d = detail::ToDecimalDigits(value, 15);
  // Number of significant digits that stay: those down to 10^-digits.
  const long keep = static_cast<long>(d.exponent) + 1 + digits;
  if (keep >= static_cast<long>(d.digits.size())) return value;  // nothing to drop
  if (keep < 0) return 0;
  std::string kept = d.digits.substr(0, static_cast<size_t>(keep));
  const char next = d.digits[static_cast<size_t>(keep)];
  const bool more = d.digits.size() > static_cast<size_t>(keep) + 1;  // no trailing zeros kept
  const bool last_odd = !kept.empty() && ((kept.back() - '0') % 2 == 1);
  const bool up = next > '5' || (next == '5' && (more || last_odd));
  int exponent = d.exponent;  // power of the first digit of `kept`
  if (up) {
    int i = static_cast<int>(kept.size()) - 1;
    while (i >= 0 && kept[static_cast<size_t>(i)] == '9') kept[static_cast<size_t>(i--)] = '0';
    if (i >= 0) {
      ++kept[static_cast<size_t>(i)];
    } else {
      kept.insert(kept.begin(), '1');
      ++exponent;
    }
  }
  if (kept.empty()) return 0;  // below half of the last place kept
  // kept digits, the first standing at 10^exponent.
  // from_chars, unlike strtod, ignores the C library's numeric locale.
  const std::string text = "0." + kept + "e" + std::to_string(exponent + 1);
  double r = 0;
  std::from_chars(text.data(), text.data() + text.size(), r);
  if (r == 0) return 0.0;
  return d.negative ? -r : r;
}

}  // namespace kassa
