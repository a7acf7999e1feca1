// Cell and field values with the classic spreadsheet conversion rules.
//
// A Variant is what a worksheet cell or a database field holds: Empty, a
// Number, a Text (UTF-8), a Date (serial day count from 1899-12-30, the
// fraction being the time of day), a Boolean or an Error value. The
// conversions below follow the spreadsheet/VB rules under a Locale; the
// default locale is Russian (decimal comma, dd.MM.yyyy, H:mm:ss). The host's
// cell text and the database layer's "value converted to text" both use
// ToText(), so a sheet freshly loaded from the database compares equal to it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kassa {

struct Locale {
  char decimal = ',';         // decimal separator
  char date_separator = '.';  // between day, month and year
  bool day_first = true;      // dd.MM.yyyy (false: MM/dd/yyyy style)
  static const Locale& Russian();
  static const Locale& Point();  // decimal point, dd.MM.yyyy dates (tests)
};

// The process-wide locale used when none is passed (Russian by default).
const Locale& CurrentLocale();
void SetCurrentLocale(const Locale& locale);

class Variant {
 public:
  enum class Type { Empty, Number, Text, Date, Boolean, Error };

  Variant() = default;
  static Variant Number(double v);
  static Variant Text(std::string v);
  static Variant Date(double serial);
  static Variant Boolean(bool v);
  static Variant Error(int code);  // e.g. 2007 = #DIV/0!

  Type type() const { return type_; }
  bool IsEmpty() const { return type_ == Type::Empty; }
  double number() const { return number_; }          // Number, Date serial, Boolean (-1/0)
  const std::string& text() const { return text_; }  // Text only
  int error() const { return static_cast<int>(number_); }

  bool operator==(const Variant& o) const;

 private:
  Type type_ = Type::Empty;
  double number_ = 0;
  std::string text_;
};

// Banker's rounding (halves to the even neighbour) to `digits` decimals.
double RoundHalfEven(double value, int digits = 0);

// The text of a value as the spreadsheet shows it in a General cell and as
// CStr gives it: numbers with up to 15 significant digits and the locale's
// decimal separator, no grouping; dates "dd.MM.yyyy", times "H:mm:ss",
// date and time "dd.MM.yyyy H:mm:ss" (a date on 1899-12-30 shows as its
// time alone, a date at midnight as its day alone; both round to the
// nearest second); magnitudes from 1E15 and below 1E-4 with an exponent
// ("1E+15", "1,5E-05"); Booleans "Истина"/"Ложь"; Empty "".
// An Error value has no text: returns std::nullopt (the caller raises).
std::optional<std::string> ToText(const Variant& v, const Locale& l = CurrentLocale());

// CDbl: Number/Date/Boolean as is; Text parsed under the locale (blanks and
// non-breaking spaces as group separators allowed, the locale's decimal
// separator, optional sign and exponent); Empty gives 0. nullopt on failure.
std::optional<double> ToDouble(const Variant& v, const Locale& l = CurrentLocale());

// CDate: Date as is; Number (and Boolean) as serial when it lies within
// the years 100..9999; Text parsed as a date "d.m.yy", "dd.mm.yyyy" (also
// "yyyy-mm-dd"; "/" or "-" may separate), a time "h:mm[:ss]" or both
// separated by a blank; two-digit years 00-29 are 20xx, 30-99 are 19xx.
// Empty gives 0 (midnight), as CDate does. nullopt on failure (IsDate is
// ToDate(v).has_value() for a non-Empty value).
std::optional<double> ToDate(const Variant& v, const Locale& l = CurrentLocale());

// Calendar parts of a serial date/time; SplitDate rounds to the nearest
// second (23:59:59.6 is the next day's 0:00:00). MakeDate carries parts out
// of their range over (month 13 = January of the next year, day 0 = the
// last day of the month before). Before 1899-12-30 the fraction still
// counts forward from the start of the day (-1.25 = 1899-12-29 6:00:00).
// SplitDate(MakeDate(...)) gives the parts back exactly.
struct DateParts {
  int year = 1899, month = 12, day = 30, hour = 0, minute = 0, second = 0;
};
DateParts SplitDate(double serial);
double MakeDate(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);

// Number as plain decimal text with "." and no grouping (SQL literal form):
// 1234.5, 12, -0.25; up to 15 significant digits, never an exponent for
// magnitudes the database columns can hold. A value that is not finite
// gives "Null", so no invalid literal reaches a statement.
std::string PlainNumber(double v);

}  // namespace kassa
