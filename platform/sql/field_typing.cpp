#include "platform/sql/field_typing.h"

#include <mysql.h>

#include <charconv>
#include <cmath>
#include <cstdint>

namespace kassa::sql::detail {

namespace {

constexpr unsigned kBinary = 63;

bool ReadInt(std::string_view& s, size_t digits_min, size_t digits_max, long& out) {
  size_t n = 0;
  long v = 0;
  while (n < s.size() && n < digits_max && s[n] >= '0' && s[n] <= '9') v = v * 10 + (s[n++] - '0');
  if (n < digits_min) return false;
  s.remove_prefix(n);
  out = v;
  return true;
}

bool Expect(std::string_view& s, char c) {
  if (s.empty() || s[0] != c) return false;
  s.remove_prefix(1);
  return true;
}

// ".ffffff" -> seconds fraction; absent -> 0.
bool ReadFraction(std::string_view& s, double& out) {
  out = 0;
  if (s.empty() || s[0] != '.') return true;
  s.remove_prefix(1);
  double scale = 0.1;
  size_t n = 0;
  while (n < s.size() && s[n] >= '0' && s[n] <= '9') {
    out += (s[n] - '0') * scale;
    scale /= 10;
    ++n;
  }
  s.remove_prefix(n);
  return n > 0;
}

// "yyyy-mm-dd": false when malformed; `zero` when it names no day.
bool ReadDay(std::string_view& s, long& y, long& m, long& d, bool& zero) {
  if (!ReadInt(s, 4, 4, y) || !Expect(s, '-') || !ReadInt(s, 2, 2, m) || !Expect(s, '-') ||
      !ReadInt(s, 2, 2, d))
    return false;
  zero = y == 0 || m == 0 || d == 0;
  return true;
}

// [sign]digits[.digits] with at most 15 digits: the value and its double
// are exact quotients (digits / 10^decimals), so one division gives the
// nearest double, as a full conversion does. False for any other text.
bool ShortDecimal(std::string_view s, double& out) {
  static constexpr double kTens[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                     1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
  size_t i = 0;
  const bool negative = !s.empty() && s[0] == '-';
  if (!s.empty() && (s[0] == '-' || s[0] == '+')) ++i;
  uint64_t digits = 0;
  int count = 0, whole = 0, decimals = -1;
  for (; i < s.size(); ++i) {
    const char c = s[i];
    if (c >= '0' && c <= '9') {
      if (++count > 15) return false;
      digits = digits * 10 + static_cast<uint64_t>(c - '0');
      if (decimals >= 0)
        ++decimals;
      else
        ++whole;
    } else if (c == '.' && decimals < 0 && whole > 0) {
      decimals = 0;
    } else {
      return false;
    }
  }
  if (whole == 0 || decimals == 0) return false;
  double v = static_cast<double>(digits);
  if (decimals > 0) v /= kTens[decimals];
  out = negative ? -v : v;
  return true;
}

bool ReadClock(std::string_view& s, long max_hour_digits, long& h, long& mi, long& sec,
               double& frac) {
  return ReadInt(s, 1, static_cast<size_t>(max_hour_digits), h) && Expect(s, ':') &&
         ReadInt(s, 2, 2, mi) && Expect(s, ':') && ReadInt(s, 2, 2, sec) && ReadFraction(s, frac) &&
         mi < 60 && sec < 60;
}

}  // namespace

Column::Kind KindOf(int type, unsigned charsetnr) {
  switch (static_cast<enum_field_types>(type)) {
    case MYSQL_TYPE_TINY:
    case MYSQL_TYPE_SHORT:
    case MYSQL_TYPE_LONG:
    case MYSQL_TYPE_INT24:
    case MYSQL_TYPE_LONGLONG:
    case MYSQL_TYPE_YEAR:
      return Column::Kind::Integer;
    case MYSQL_TYPE_DECIMAL:
    case MYSQL_TYPE_NEWDECIMAL:
      return Column::Kind::Decimal;
    case MYSQL_TYPE_FLOAT:
    case MYSQL_TYPE_DOUBLE:
      return Column::Kind::Double;
    case MYSQL_TYPE_DATE:
    case MYSQL_TYPE_NEWDATE:
      return Column::Kind::Date;
    case MYSQL_TYPE_TIME:
    case MYSQL_TYPE_TIME2:
      return Column::Kind::Time;
    case MYSQL_TYPE_DATETIME:
    case MYSQL_TYPE_DATETIME2:
    case MYSQL_TYPE_TIMESTAMP:
    case MYSQL_TYPE_TIMESTAMP2:
      return Column::Kind::DateTime;
    case MYSQL_TYPE_VARCHAR:
    case MYSQL_TYPE_VAR_STRING:
    case MYSQL_TYPE_STRING:
    case MYSQL_TYPE_TINY_BLOB:
    case MYSQL_TYPE_MEDIUM_BLOB:
    case MYSQL_TYPE_LONG_BLOB:
    case MYSQL_TYPE_BLOB:
    case MYSQL_TYPE_ENUM:
    case MYSQL_TYPE_SET:
    case MYSQL_TYPE_JSON:
      return charsetnr == kBinary ? Column::Kind::Other : Column::Kind::Text;
    default:
      return Column::Kind::Other;
  }
}

unsigned long DeclaredLength(Column::Kind kind, unsigned long byte_length, unsigned charsetnr) {
  if (kind != Column::Kind::Text) return byte_length;
  const MARIADB_CHARSET_INFO* cs = mariadb_get_charset_by_nr(charsetnr);
  const unsigned max = cs && cs->char_maxlen > 0 ? cs->char_maxlen : 1;
  return byte_length / max;
}

Variant TypedValue(Column::Kind kind, std::string_view raw) {
  std::string_view s = raw;
  switch (kind) {
    case Column::Kind::Integer:
    case Column::Kind::Decimal:
    case Column::Kind::Double: {
      double v = 0;
      if (ShortDecimal(raw, v)) return Variant::Number(v);
      const char* first = raw.data();
      const char* last = raw.data() + raw.size();
      const bool negative = !raw.empty() && raw[0] == '-';
      if (negative || (!raw.empty() && raw[0] == '+')) ++first;
      const auto [end, ec] = std::from_chars(first, last, v);
      if (ec != std::errc() || end != last || !std::isfinite(v)) break;
      return Variant::Number(negative ? -v : v);
    }
    case Column::Kind::Date: {
      long y, m, d;
      bool zero;
      if (!ReadDay(s, y, m, d, zero) || !s.empty()) break;
      if (zero) return Variant();
      return Variant::Date(MakeDate(static_cast<int>(y), static_cast<int>(m), static_cast<int>(d)));
    }
    case Column::Kind::DateTime: {
      long y, m, d, h = 0, mi = 0, sec = 0;
      double frac = 0;
      bool zero;
      if (!ReadDay(s, y, m, d, zero)) break;
      if (!s.empty() && !(Expect(s, ' ') && ReadClock(s, 2, h, mi, sec, frac) && s.empty())) break;
      if (zero) return Variant();
      double serial = MakeDate(static_cast<int>(y), static_cast<int>(m), static_cast<int>(d),
                               static_cast<int>(h), static_cast<int>(mi), static_cast<int>(sec));
      serial += serial >= 0 ? frac / 86400 : -frac / 86400;
      return Variant::Date(serial);
    }
    case Column::Kind::Time: {
      const bool negative = Expect(s, '-');
      long h, mi, sec;
      double frac;
      if (!ReadClock(s, 3, h, mi, sec, frac) || !s.empty()) break;
      double seconds = static_cast<double>(h * 3600 + mi * 60 + sec) + frac;
      if (negative) seconds = -seconds;
      seconds = std::fmod(seconds, 86400.0);
      if (seconds < 0) seconds += 86400.0;
      return Variant::Date(seconds / 86400.0);
    }
    case Column::Kind::Text:
    case Column::Kind::Other:
      break;
  }
  return Variant::Text(std::string(raw));
}

}  // namespace kassa::sql::detail
