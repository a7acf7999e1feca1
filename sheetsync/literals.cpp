#include "sheetsync/literals.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/variant/text.h"
#include "sheetsync/texts.h"

namespace kassa::sheetsync {

namespace {

// The plain text of x when x is the double nearest to a decimal of at most
// 4 decimals and 15 significant digits (sums of money, keys, counts): those
// digits are exactly what the full conversion gives. Empty otherwise.
std::string ShortDecimalText(double x) {
  static constexpr double kScale[] = {1, 10, 100, 1000, 10000};
  for (int places = 0; places <= 4; ++places) {
    const double k = x * kScale[places];
    if (!(std::abs(k) < 1e15) || k != std::trunc(k) || k / kScale[places] != x) continue;
    long long whole = static_cast<long long>(std::abs(k));
    int shown = places;  // x * 10^places may be whole only at a later place
    while (shown > 0 && whole % 10 == 0) whole /= 10, --shown;
    char digits[32];
    char* end = digits + sizeof digits;
    char* p = end;
    for (int i = 0; i < shown; ++i, whole /= 10) *--p = static_cast<char>('0' + whole % 10);
    if (shown > 0) *--p = '.';
    do {
      *--p = static_cast<char>('0' + whole % 10);
      whole /= 10;
    } while (whole > 0);
    if (k < 0) *--p = '-';
    return std::string(p, end);
  }
  return std::string();
}

std::string NumberLiteral(double x) {
  if (x == 0) x = 0;  // no "-0"
  std::string text = ShortDecimalText(x);
  return text.empty() ? PlainNumber(x) : text;
}

}  // namespace

std::string DateLiteral(const DateParts& d) {
  // Built in place: an int has at most 11 characters.
  char text[4 + 3 * 11];
  size_t n = 0;
  auto put = [&text, &n](int number) {
    n = static_cast<size_t>(std::to_chars(text + n, text + n + 11, number).ptr - text);
  };
  text[n++] = '\'';
  put(d.year);
  text[n++] = '-';
  put(d.month);
  text[n++] = '-';
  put(d.day);
  text[n++] = '\'';
  return std::string(text, n);
}

std::string TimeText(const DateParts& d) {
  return std::to_string(d.hour) + ":" + Two_Digits(d.minute) + ":" + Two_Digits(d.second);
}

std::string TimeLiteral(const DateParts& d) {
  return "'" + TimeText(d) + "'";
}

std::optional<std::string> DoubleLiteral(const Variant& v, const Locale& l) {
  std::optional<double> x = ToDouble(v, l);
  if (!x || !std::isfinite(*x)) return std::nullopt;
  return NumberLiteral(*x);
}

std::optional<std::string> IntegerLiteral(const Variant& v, const Locale& l) {
  std::optional<double> x = ToDouble(v, l);
  if (!x || !std::isfinite(*x)) return std::nullopt;
  return NumberLiteral(RoundHalfEven(*x, 0));
}

std::optional<double> LiteralValue(const std::string& literal) {
  char* end = nullptr;
  const double x = std::strtod(literal.c_str(), &end);
  if (end == literal.c_str() || *end != '\0' || !std::isfinite(x)) return std::nullopt;
  return x;
}

std::string QuoteText(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    if (text[i] != '\'') {
      out += text[i++];
      continue;
    }
    size_t run = 0;
    while (i < text.size() && text[i] == '\'') ++i, ++run;
    out.append((run + 1) / 2, '"');
  }
  return out;
}

long CharCount(const std::string& text) {
  return static_cast<long>(kassa::CharCount(text));
}

std::string UpperCase(const std::string& text) {
  return kassa::UpperCase(text);
}

bool FitsCp1251(const std::string& text) {
  return kassa::FitsCp1251(text);
}

std::string Two_Digits(int n) {
  return (n < 10 ? "0" : "") + std::to_string(n);
}

std::string CopyFileName(const std::string& folder, const std::string& book, double now) {
  DateParts d = SplitDate(now);
  return folder + texts::kCopyPrefix + book + "_" + Two_Digits(d.day) + Two_Digits(d.month) +
         Two_Digits(d.year - 2000) + "_" + Two_Digits(d.hour) + Two_Digits(d.minute) +
         texts::kCopyExtension;
}

int ProgressValue(double fraction) {
  // The nearest whole number; only a value at (or within a rounding error
  // of) a half needs the decimal rule that sends halves to the even side.
  // 0.29 x 100 (28.999999999999996 in binary) thus shows 29.
  const double x = fraction * 100;
  double v;
  const double whole = std::floor(x);
  if (std::abs(x - whole - 0.5) > 1e-6 && std::isfinite(x)) {
    v = x - whole < 0.5 ? whole : whole + 1;  // plainly nearer one neighbour
  } else {
    v = RoundHalfEven(x, 0);  // at or next to a half
  }
  if (!(v >= 1)) return 1;
  if (v > 100) return 100;
  return static_cast<int>(v);
}

}  // namespace kassa::sheetsync
