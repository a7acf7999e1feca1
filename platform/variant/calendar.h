// Serial day numbers and whole seconds, shared by the date conversions.
#pragma once

#include <cstdint>

namespace kassa::detail {

// Days from 1899-12-30 to the given proleptic Gregorian date (month 1..12).
int64_t DaysFromCivil(int64_t year, int month, int day);
void CivilFromDays(int64_t days, int& year, int& month, int& day);
bool ValidDate(int year, int month, int day);

// A serial date split into its day number and the time of day rounded to
// the nearest second (0..86399); a time that rounds up to midnight moves to
// the next calendar day. Before 1899-12-30 the fraction counts forward from
// the start of the (negative) day, as the serial format defines.
struct DaySeconds {
  int64_t day = 0;
  int seconds = 0;
};
DaySeconds SplitSerial(double serial);
double JoinSerial(int64_t day, double seconds);

}  // namespace kassa::detail
