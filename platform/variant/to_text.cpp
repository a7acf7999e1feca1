#include <cmath>
#include <cstdio>

#include "platform/variant/calendar.h"
#include "platform/variant/decimal_digits.h"
#include "platform/variant/texts.h"
#include "platform/variant/variant.h"

namespace kassa {

namespace {

// Numbers from 1E-4 up to below 1E15 are written out; others take an exponent.
std::string NumberText(double v, char decimal) {
  if (std::isnan(v)) return "NaN";
  if (std::isinf(v)) return v < 0 ? "-Inf" : "Inf";
  const detail::DecimalDigits d = detail::ToDecimalDigits(v, 15);
  if (d.digits.empty()) return "0";
  if (d.exponent >= 15 || d.exponent < -4) return detail::ScientificText(d, decimal);
  return detail::FixedText(d, decimal);
}

std::string DateText(const detail::DaySeconds& ds, const Locale& l) {
  int year, month, day;
  detail::CivilFromDays(ds.day, year, month, day);
  char buf[32];
  const int first = l.day_first ? day : month, second = l.day_first ? month : day;
  std::snprintf(buf, sizeof buf, "%02d%c%02d%c%04d", first, l.date_separator, second,
                l.date_separator, year);
  return buf;
}

std::string TimeText(int seconds) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%d:%02d:%02d", seconds / 3600, seconds / 60 % 60, seconds % 60);
  return buf;
}

}  // namespace

std::optional<std::string> ToText(const Variant& v, const Locale& l) {
  switch (v.type()) {
    case Variant::Type::Empty:
      return std::string();
    case Variant::Type::Text:
      return v.text();
    case Variant::Type::Number:
      return NumberText(v.number(), l.decimal);
    case Variant::Type::Boolean:
      return std::string(v.number() != 0 ? texts::kTrue : texts::kFalse);
    case Variant::Type::Error:
      return std::nullopt;
    case Variant::Type::Date: {
      // The date part is left out on 1899-12-30 and the time part at midnight.
      const detail::DaySeconds ds = detail::SplitSerial(v.number());
      if (ds.day == 0) return TimeText(ds.seconds);
      if (ds.seconds == 0) return DateText(ds, l);
      return DateText(ds, l) + " " + TimeText(ds.seconds);
    }
  }
  return std::nullopt;
}

std::string PlainNumber(double v) {
  if (!std::isfinite(v)) return "Null";
  const detail::DecimalDigits d = detail::ToDecimalDigits(v, 15);
  if (d.digits.empty()) return "0";
  // Out of the range any numeric column holds, the literal keeps its size
  // short with an exponent the database reads as well.
  if (d.exponent > 64 || d.exponent < -30) return detail::ScientificText(d, '.');
  return detail::FixedText(d, '.');
}

}  // namespace kassa
