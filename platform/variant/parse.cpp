#include <charconv>
#include <cmath>
#include <string>
#include <string_view>
#include <vector>

#include "platform/variant/calendar.h"
#include "platform/variant/variant.h"

namespace kassa {

namespace {

// Length of a blank at the start of `s`: space, tab, no-break space (U+00A0)
// or narrow no-break space (U+202F) in UTF-8; 0 when none.
size_t BlankAt(std::string_view s) {
  if (s.empty()) return 0;
  if (s[0] == ' ' || s[0] == '\t') return 1;
  if (s.size() >= 2 && s.substr(0, 2) == "\xC2\xA0") return 2;
  if (s.size() >= 3 && s.substr(0, 3) == "\xE2\x80\xAF") return 3;
  return 0;
}

size_t BlankBefore(std::string_view s) {
  if (s.empty()) return 0;
  if (s.back() == ' ' || s.back() == '\t') return 1;
  if (s.size() >= 2 && s.substr(s.size() - 2) == "\xC2\xA0") return 2;
  if (s.size() >= 3 && s.substr(s.size() - 3) == "\xE2\x80\xAF") return 3;
  return 0;
}

std::string_view Trim(std::string_view s) {
  while (size_t n = BlankAt(s)) s.remove_prefix(n);
  while (size_t n = BlankBefore(s)) s.remove_suffix(n);
  return s;
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// [sign] digits with blanks between digit groups [decimal digits]
// [E [sign] digits]; at least one digit in the mantissa.
std::optional<double> ParseNumber(std::string_view s, char decimal) {
  s = Trim(s);
  std::string plain;  // the same number in the form from_chars reads
  size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
    if (s[i] == '-') plain += '-';
    ++i;
  }
  int mantissa_digits = 0;
  while (i < s.size()) {
    if (IsDigit(s[i])) {
      plain += s[i++];
      ++mantissa_digits;
      continue;
    }
    const size_t blank = BlankAt(s.substr(i));
    if (blank && mantissa_digits > 0 && i + blank < s.size() && IsDigit(s[i + blank])) {
      i += blank;  // a group separator between digits
      continue;
    }
    break;
  }
  if (i < s.size() && s[i] == decimal) {
    plain += '.';
    ++i;
    while (i < s.size() && IsDigit(s[i])) {
      plain += s[i++];
      ++mantissa_digits;
    }
  }
  if (mantissa_digits == 0) return std::nullopt;
  if (i < s.size() && (s[i] == 'E' || s[i] == 'e')) {
    plain += 'e';
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) plain += s[i++];
    int exponent_digits = 0;
    while (i < s.size() && IsDigit(s[i])) {
      plain += s[i++];
      ++exponent_digits;
    }
    if (exponent_digits == 0) return std::nullopt;
  }
  if (i != s.size()) return std::nullopt;
  double value = 0;
  const char* first = plain.data();
  if (*first == '-') ++first;  // from_chars takes no '+' and we add the sign
  const auto [end, ec] = std::from_chars(first, plain.data() + plain.size(), value);
  if (ec == std::errc::result_out_of_range && end == plain.data() + plain.size()) {
    // Too small reads as zero, too large is no number.
    const size_t e = plain.find('e');
    if (e == std::string::npos || plain.find('-', e) == std::string::npos) return std::nullopt;
    value = 0;
  } else if (ec != std::errc() || end != plain.data() + plain.size()) {
    return std::nullopt;
  }
  return plain[0] == '-' ? -value : value;
}

// Splits `s` at `sep`; every part must be 1..max_len digits.
bool DigitParts(std::string_view s, char sep, size_t max_len, std::vector<int>& parts,
                std::vector<size_t>& lengths) {
  parts.clear();
  lengths.clear();
  size_t start = 0;
  while (true) {
    const size_t end = s.find(sep, start);
    const std::string_view part =
        s.substr(start, end == std::string_view::npos ? end : end - start);
    if (part.empty() || part.size() > max_len) return false;
    int n = 0;
    for (char c : part) {
      if (!IsDigit(c)) return false;
      n = n * 10 + (c - '0');
    }
    parts.push_back(n);
    lengths.push_back(part.size());
    if (end == std::string_view::npos) return true;
    start = end + 1;
  }
}

constexpr double kFirstSerial = -657434;        // 0100-01-01
constexpr double kLastSerial = 2958466 - 1e-9;  // before 10000-01-01

// "d.m.yy", "dd.mm.yyyy" (day and month swapped when the locale puts the
// month first), or "yyyy-mm-dd"; the separator may be the locale's, "/" or
// "-". Two-digit years 00-29 are 20xx, 30-99 are 19xx.
std::optional<int64_t> ParseDay(std::string_view s, const Locale& l) {
  char sep = 0;
  for (char c : {l.date_separator, '.', '/', '-'}) {
    if (s.find(c) != std::string_view::npos) {
      sep = c;
      break;
    }
  }
  if (!sep) return std::nullopt;
  std::vector<int> p;
  std::vector<size_t> len;
  if (!DigitParts(s, sep, 4, p, len) || p.size() != 3) return std::nullopt;
  int year, month, day;
  size_t year_len;
  if (len[0] >= 3) {
    year = p[0], month = p[1], day = p[2], year_len = len[0];
    if (len[1] > 2 || len[2] > 2) return std::nullopt;
  } else {
    if (len[1] > 2) return std::nullopt;
    day = l.day_first ? p[0] : p[1];
    month = l.day_first ? p[1] : p[0];
    year = p[2];
    year_len = len[2];
  }
  if (year_len <= 2)
    year += year < 30 ? 2000 : 1900;
  else if (year < 100)
    return std::nullopt;
  if (!detail::ValidDate(year, month, day)) return std::nullopt;
  return detail::DaysFromCivil(year, month, day);
}

// "h:mm" or "h:mm:ss" -> seconds since midnight.
std::optional<int> ParseTime(std::string_view s) {
  std::vector<int> p;
  std::vector<size_t> len;
  if (!DigitParts(s, ':', 2, p, len) || p.size() < 2 || p.size() > 3) return std::nullopt;
  const int second = p.size() == 3 ? p[2] : 0;
  if (p[0] > 23 || p[1] > 59 || second > 59) return std::nullopt;
  return p[0] * 3600 + p[1] * 60 + second;
}

std::optional<double> ParseDate(std::string_view s, const Locale& l) {
  s = Trim(s);
  if (s.empty()) return std::nullopt;
  std::string_view first = s, second;
  size_t blank_at = 0;
  while (blank_at < s.size() && !BlankAt(s.substr(blank_at))) ++blank_at;
  if (blank_at < s.size()) {
    first = s.substr(0, blank_at);
    second = Trim(s.substr(blank_at));
  }
  const bool first_is_time = first.find(':') != std::string_view::npos;
  if (second.empty()) {
    if (first_is_time) {
      const auto t = ParseTime(first);
      if (!t) return std::nullopt;
      return *t / 86400.0;
    }
    const auto d = ParseDay(first, l);
    if (!d) return std::nullopt;
    return static_cast<double>(*d);
  }
  if (first_is_time) return std::nullopt;
  const auto d = ParseDay(first, l);
  const auto t = ParseTime(second);
  if (!d || !t) return std::nullopt;
  return detail::JoinSerial(*d, *t);
}

}  // namespace

std::optional<double> ToDouble(const Variant& v, const Locale& l) {
  switch (v.type()) {
    case Variant::Type::Empty:
      return 0.0;
    case Variant::Type::Number:
    case Variant::Type::Date:
    case Variant::Type::Boolean:
      return v.number();
    case Variant::Type::Text:
      return ParseNumber(v.text(), l.decimal);
    case Variant::Type::Error:
      return std::nullopt;
  }
  return std::nullopt;
}

std::optional<double> ToDate(const Variant& v, const Locale& l) {
  switch (v.type()) {
    case Variant::Type::Empty:
      return 0.0;
    case Variant::Type::Date:
      return v.number();
    case Variant::Type::Number:
    case Variant::Type::Boolean:
      if (!(v.number() >= kFirstSerial && v.number() <= kLastSerial)) return std::nullopt;
      return v.number();
    case Variant::Type::Text:
      return ParseDate(v.text(), l);
    case Variant::Type::Error:
      return std::nullopt;
  }
  return std::nullopt;
}

}  // namespace kassa
