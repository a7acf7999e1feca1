// How a cell looks in the grid: its value laid out by its number format code
// in the Russian locale, as spreadsheet programs show it.
//
// This is the window's view only. What the engine reads from a cell (its
// value and Range::Text) does not depend on it.
//
// Format codes are those stored in workbook files: up to four sections
// (positive; negative; zero; text) separated by ";", with conditions
// ("[<100]"), colour tags (ignored), currency and locale tags ("[$₽-419]"
// shows "₽", "[$-419]" nothing), quoted and "\" escaped literals, "_x"
// (a blank) and "*x" (ignored). Numbers: 0 # ? placeholders, "." decimal
// comma on screen, "," grouping by non-breaking spaces (or, after the last
// digit, division by 1000), "%", E+00 exponents, "@" for the text.
// Dates and times: d dd ddd dddd, m mm mmm mmmm mmmmm (minutes after an hour
// or before seconds), yy yyyy, h hh, s ss, fractions of seconds, AM/PM,
// elapsed [h] [mm] [ss], nn nnn day names; letters in either case. Month
// names are Russian, in the genitive after a day number ("7 декабря 2026")
// and in the nominative otherwise ("Декабрь 2026").
// Numbers are rounded half away from zero on their 15 significant digits.
#pragma once

#include <string>

#include "platform/variant/variant.h"

namespace kassa::book {

// The displayed text of `value` under `format_code` ("" or "General" for
// the General format). Empty gives ""; an Error value gives "" (the grid
// shows error values itself). A date outside the calendar shows "###".
std::string DisplayText(const Variant& value, const std::string& format_code);

// True when `format_code` lays a number out as a date or time.
bool IsDateFormat(const std::string& format_code);

// The text a user would type to enter `value` again (the editor's text):
// numbers in full without grouping, dates "dd.MM.yyyy[ H:mm:ss]", times
// "H:mm:ss", texts that would read as something else (or begin with an
// apostrophe) behind an apostrophe. Typing it into a cell gives the same
// value back. Error values give "".
std::string EditText(const Variant& value);

}  // namespace kassa::book
