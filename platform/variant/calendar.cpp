#include "platform/variant/calendar.h"

#include <cmath>

#include "platform/variant/variant.h"

namespace kassa::detail {

namespace {
// Days since 1970-01-01 (proleptic Gregorian), H. Hinnant's algorithm.
int64_t UnixDays(int64_t y, int m, int d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}
constexpr int64_t kEpoch = -25569;  // 1899-12-30 in days since 1970-01-01
constexpr int kDay = 86400;
}  // namespace

int64_t DaysFromCivil(int64_t year, int month, int day) {
  return UnixDays(year, month, day) - kEpoch;
}

void CivilFromDays(int64_t days, int& year, int& month, int& day) {
  const int64_t z = days + kEpoch + 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(yoe + era * 400 + (month <= 2));
}

bool ValidDate(int year, int month, int day) {
  if (month < 1 || month > 12 || day < 1) return false;
  static const int kLength[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  const int length = month == 2 && leap ? 29 : kLength[month - 1];
  return day <= length;
}

DaySeconds SplitSerial(double serial) {
  DaySeconds r;
  if (!std::isfinite(serial)) return r;
  const double whole = std::trunc(serial);
  const double fraction = std::fabs(serial - whole);
  r.day = static_cast<int64_t>(whole);
  long seconds = std::lround(fraction * kDay);
  if (seconds >= kDay) {
    seconds -= kDay;
    ++r.day;  // the next calendar day, in both directions of the scale
  }
  r.seconds = static_cast<int>(seconds);
  return r;
}

double JoinSerial(int64_t day, double seconds) {
  const double fraction = seconds / kDay;
  return day >= 0 ? static_cast<double>(day) + fraction : static_cast<double>(day) - fraction;
}

}  // namespace kassa::detail

namespace kassa {

DateParts SplitDate(double serial) {
  const detail::DaySeconds ds = detail::SplitSerial(serial);
  DateParts p;
  detail::CivilFromDays(ds.day, p.year, p.month, p.day);
  p.hour = ds.seconds / 3600;
  p.minute = ds.seconds / 60 % 60;
  p.second = ds.seconds % 60;
  return p;
}

double MakeDate(int year, int month, int day, int hour, int minute, int second) {
  // Months, days and time parts out of their range carry over, as a date
  // serial does: month 13 is January of the next year, day 0 the last day
  // of the month before, 24:00:00 the start of the next day.
  int64_t y = year;
  int64_t m0 = static_cast<int64_t>(month) - 1;
  y += m0 >= 0 ? m0 / 12 : (m0 - 11) / 12;
  m0 -= (m0 >= 0 ? m0 / 12 : (m0 - 11) / 12) * 12;
  int64_t days = detail::DaysFromCivil(y, static_cast<int>(m0) + 1, 1) + day - 1;
  int64_t seconds = static_cast<int64_t>(hour) * 3600 + static_cast<int64_t>(minute) * 60 + second;
  int64_t carry = seconds >= 0 ? seconds / 86400 : (seconds - 86399) / 86400;
  days += carry;
  seconds -= carry * 86400;
  return detail::JoinSerial(days, static_cast<double>(seconds));
}

}  // namespace kassa
