#include "platform/variant/decimal_digits.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>

namespace kassa::detail {

DecimalDigits ToDecimalDigits(double value, int significant) {
  DecimalDigits d;
  if (significant < 1) significant = 1;
  if (significant > 17) significant = 17;
  if (value == 0) return d;
  char buf[64];
  // "-d.ddddde+xx", correctly rounded and independent of the C locale.
  const auto res = std::to_chars(buf, buf + sizeof buf - 1, value, std::chars_format::scientific,
                                 significant - 1);
  *res.ptr = 0;
  const char* p = buf;
  if (*p == '-') {
    d.negative = true;
    ++p;
  }
  for (; *p && *p != 'e'; ++p) {
    if (*p >= '0' && *p <= '9') d.digits.push_back(*p);
  }
  if (*p == 'e') d.exponent = std::atoi(p + 1);
  while (!d.digits.empty() && d.digits.back() == '0') d.digits.pop_back();
  if (d.digits.empty()) d = DecimalDigits{};
  return d;
}

std::string FixedText(const DecimalDigits& d, char decimal) {
  if (d.digits.empty()) return "0";
  std::string out;
  if (d.negative) out.push_back('-');
  const int n = static_cast<int>(d.digits.size());
  if (d.exponent < 0) {
    out += '0';
    out += decimal;
    out.append(static_cast<size_t>(-d.exponent - 1), '0');
    out += d.digits;
    return out;
  }
  const int whole = d.exponent + 1;  // digits before the separator
  if (n <= whole) {
    out += d.digits;
    out.append(static_cast<size_t>(whole - n), '0');
  } else {
    out.append(d.digits, 0, static_cast<size_t>(whole));
    out += decimal;
    out.append(d.digits, static_cast<size_t>(whole), std::string::npos);
  }
  return out;
}

std::string ScientificText(const DecimalDigits& d, char decimal) {
  if (d.digits.empty()) return "0";
  std::string out;
  if (d.negative) out.push_back('-');
  out += d.digits[0];
  if (d.digits.size() > 1) {
    out += decimal;
    out.append(d.digits, 1, std::string::npos);
  }
  char buf[16];
  std::snprintf(buf, sizeof buf, "E%c%02d", d.exponent < 0 ? '-' : '+',
                d.exponent < 0 ? -d.exponent : d.exponent);
  out += buf;
  return out;
}

}  // namespace kassa::detail
