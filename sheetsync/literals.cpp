#include "sheetsync/literals.h"

#include <bitset>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <vector>

#include "sheetsync/texts.h"

namespace kassa::sheetsync {

namespace {

// Calls `f` with each code point of UTF-8 text; a byte that starts no valid
// sequence stands for itself.
template <class F>
void ForEachCodePoint(const std::string& s, F&& f) {
  for (size_t i = 0; i < s.size();) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
      f(static_cast<uint32_t>(c));
      ++i;
      continue;
    }
    int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
    uint32_t cp = extra == 3 ? c & 0x07 : extra == 2 ? c & 0x0F : c & 0x1F;
    int j = 1;
    for (; j <= extra && i + j < s.size(); ++j) {
      unsigned char n = static_cast<unsigned char>(s[i + j]);
      if ((n & 0xC0) != 0x80) break;
      cp = (cp << 6) | (n & 0x3F);
    }
    if (extra == 0 || j != extra + 1) {  // broken sequence: take the byte
      f(static_cast<uint32_t>(c));
      ++i;
      continue;
    }
    f(cp);
    i += extra + 1;
  }
}

void Encode(uint32_t cp, std::string& out) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// The characters of cp1251 bytes 0x80..0xBF (0x98 is unassigned).
constexpr uint32_t kCp1251High[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409,
    0x2039, 0x040A, 0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x0000, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0,
    0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB,
    0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6,
    0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457};

// Every character of cp1251 lies below U+2200; their set as a bitmap.
constexpr uint32_t kCp1251Limit = 0x2200;

struct Cp1251Set {
  std::bitset<kCp1251Limit> bits;
  Cp1251Set() {
    for (uint32_t cp = 0; cp < 0x80; ++cp) bits.set(cp);
    for (uint32_t cp = 0x0410; cp <= 0x044F; ++cp) bits.set(cp);
    for (uint32_t cp : kCp1251High)
      if (cp != 0) bits.set(cp);
  }
};

bool InCp1251(uint32_t cp) {
  static const Cp1251Set set;
  return cp < kCp1251Limit && set.bits.test(cp);
}

uint32_t Upper(uint32_t cp) {
  if (cp >= 'a' && cp <= 'z') return cp - 32;
  if (cp >= 0x0430 && cp <= 0x044F) return cp - 0x20;
  if (cp >= 0x0450 && cp <= 0x045F) return cp - 0x50;
  if (cp == 0x0491) return 0x0490;
  return cp;
}

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
  std::string out;
  out.reserve(16);
  auto put = [&out](int n) {
    char digits[16];
    out.append(digits, std::to_chars(digits, digits + sizeof digits, n).ptr);
  };
  out += '\'';
  put(d.year);
  out += '-';
  put(d.month);
  out += '-';
  put(d.day);
  out += '\'';
  return out;
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

std::string ReplaceAll(std::string text, const std::string& find, const std::string& replacement,
                       const ReplaceFn& replace) {
  if (find.empty() || replacement.find(find) != std::string::npos) return text;
  const long find_chars = CharCount(find);
  for (;;) {
    size_t p = text.rfind(find);
    if (p == std::string::npos) break;
    long start = CharCount(text.substr(0, p)) + 1;
    text = replace(text, start, find_chars, replacement);
  }
  return text;
}

std::string QuoteText(const std::string& text, const ReplaceFn& replace) {
  if (text.find('\'') == std::string::npos) return text;  // nothing to replace
  return ReplaceAll(ReplaceAll(text, "''", "\"", replace), "'", "\"", replace);
}

long CharCount(const std::string& text) {
  long n = 0;
  ForEachCodePoint(text, [&n](uint32_t) { ++n; });
  return n;
}

std::string UpperCase(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  ForEachCodePoint(text, [&out](uint32_t cp) { Encode(Upper(cp), out); });
  return out;
}

bool FitsCp1251(const std::string& text) {
  const size_t n = text.size();
  for (size_t i = 0; i < n;) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) {
      ++i;
      continue;
    }
    // Two-byte characters (Cyrillic among them) decoded in place.
    if (c >= 0xC2 && c < 0xE0 && i + 1 < n &&
        (static_cast<unsigned char>(text[i + 1]) & 0xC0) == 0x80) {
      const uint32_t cp = ((c & 0x1Fu) << 6) | (static_cast<unsigned char>(text[i + 1]) & 0x3Fu);
      if (!InCp1251(cp)) return false;
      i += 2;
      continue;
    }
    bool fits = true;  // anything else: the general decoder from here on
    ForEachCodePoint(text.substr(i), [&fits](uint32_t cp) { fits = fits && InCp1251(cp); });
    return fits;
  }
  return true;
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
