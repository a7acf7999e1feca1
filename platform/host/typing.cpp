// What typed text becomes in a cell, and UTF-8 character counting.
#include <cctype>

#include "platform/host/host.h"
#include "platform/host/internal.h"
#include "platform/variant/text.h"

namespace kassa::host {

// The system's one character model (platform/variant/text.h): the host
// counts and cuts characters exactly as the engine and the database layer do.
size_t Utf8Length(const std::string& s) {
  return CharCount(s);
}

size_t Utf8Offset(const std::string& s, size_t n) {
  return CharOffset(s, n);
}

std::string DefaultFormatFor(const Variant& v) {
  if (v.type() != Variant::Type::Date) return "";
  double serial = v.number();
  double whole = static_cast<double>(static_cast<long long>(serial));
  bool has_time = serial - whole > 1e-9;
  if (whole == 0 && has_time) return "h:mm:ss";
  return has_time ? "dd.mm.yyyy h:mm:ss" : "dd.mm.yyyy";
}

namespace {

// Reads 1..max_digits digits at s[i]; false when none.
bool Digits(const std::string& s, size_t& i, int max_digits, int& out, int& count) {
  out = 0;
  count = 0;
  while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])) && count < max_digits) {
    out = out * 10 + (s[i] - '0');
    ++i;
    ++count;
  }
  return count > 0;
}

// "d.m.yy" or "dd.mm.yyyy" (the locale's separator, day first); serial day.
bool ParseDate(const std::string& s, const Locale& l, double& serial) {
  size_t i = 0;
  int a, b, y, na, nb, ny;
  if (!Digits(s, i, 2, a, na) || i >= s.size() || s[i] != l.date_separator) return false;
  ++i;
  if (!Digits(s, i, 2, b, nb) || i >= s.size() || s[i] != l.date_separator) return false;
  ++i;
  if (!Digits(s, i, 4, y, ny) || i != s.size() || (ny != 2 && ny != 4)) return false;
  int day = l.day_first ? a : b, month = l.day_first ? b : a;
  if (ny == 2) y += y < 30 ? 2000 : 1900;
  if (month < 1 || month > 12 || day < 1 || y < 1900 || y > 9999) return false;
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
  int dim = kDays[month - 1] + (month == 2 && leap ? 1 : 0);
  if (day > dim) return false;
  serial = MakeDate(y, month, day);
  return true;
}

// "h:mm" or "h:mm:ss"; fraction of a day.
bool ParseTime(const std::string& s, double& fraction) {
  size_t i = 0;
  int h, m, sec = 0, n;
  if (!Digits(s, i, 2, h, n) || i >= s.size() || s[i] != ':') return false;
  ++i;
  if (!Digits(s, i, 2, m, n) || n != 2) return false;
  if (i < s.size()) {
    if (s[i] != ':') return false;
    ++i;
    if (!Digits(s, i, 2, sec, n) || n != 2 || i != s.size()) return false;
  }
  if (h > 23 || m > 59 || sec > 59) return false;
  fraction = (h * 3600.0 + m * 60.0 + sec) / 86400.0;
  return true;
}

// A number with the locale's decimal separator; blanks (also non-breaking)
// allowed between groups of three digits; optional sign and exponent.
bool ParseNumber(const std::string& s, const Locale& l, double& out) {
  std::string plain;
  size_t i = 0;
  if (i < s.size() && (s[i] == '-' || s[i] == '+')) plain += s[i++];
  int digits_in_group = 0, groups = 0;
  bool any = false;
  while (i < s.size()) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    if (std::isdigit(c)) {
      plain += s[i++];
      ++digits_in_group;
      any = true;
    } else if (c == ' ' ||
               (c == 0xC2 && i + 1 < s.size() && static_cast<unsigned char>(s[i + 1]) == 0xA0)) {
      if (!any || (groups == 0 ? digits_in_group > 3 : digits_in_group != 3)) return false;
      ++groups;
      digits_in_group = 0;
      i += c == ' ' ? 1 : 2;
    } else {
      break;
    }
  }
  if (groups > 0 && digits_in_group != 3) return false;
  if (i < s.size() && s[i] == l.decimal) {
    plain += '.';
    ++i;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) {
      plain += s[i++];
      any = true;
    }
  }
  if (!any) return false;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    plain += 'e';
    ++i;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) plain += s[i++];
    bool exp = false;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) {
      plain += s[i++];
      exp = true;
    }
    if (!exp) return false;
  }
  if (i != s.size()) return false;
  try {
    size_t used = 0;
    out = std::stod(plain, &used);
    return used == plain.size();
  } catch (...) {
    return false;
  }
}

}  // namespace

Variant ParseTyped(const std::string& text, const Locale& l) {
  if (text.empty()) return Variant();
  if (text[0] == '\'') return Variant::Text(text.substr(1));
  // Surrounding blanks are not part of a number, date or time.
  size_t b = text.find_first_not_of(' '), e = text.find_last_not_of(' ');
  std::string t = b == std::string::npos ? "" : text.substr(b, e - b + 1);
  double v;
  if (ParseNumber(t, l, v)) return Variant::Number(v);
  double day, fraction;
  if (ParseDate(t, l, day)) return Variant::Date(day);
  if (ParseTime(t, fraction)) return Variant::Date(fraction);
  auto blank = t.find(' ');
  if (blank != std::string::npos && ParseDate(t.substr(0, blank), l, day) &&
      ParseTime(t.substr(t.find_first_not_of(' ', blank)), fraction))
    return Variant::Date(day + fraction);
  return Variant::Text(text);
}

}  // namespace kassa::host
