// Pure text forms the engine sends to the database and shows to the user:
// SQL literals of cell values, text helpers over UTF-8, the two-digit
// numbers and the emergency copy's file name, the progress bar value.
// Nothing here touches the host, the database or the user interface.
#pragma once

#include <optional>
#include <string>

#include "platform/variant/variant.h"

namespace kassa::sheetsync {

// '2010-1-5': year, month and day without leading zeros, in apostrophes.
std::string DateLiteral(const DateParts& d);
// 9:05:07: hour without a leading zero, minutes and seconds two digits.
std::string TimeText(const DateParts& d);
// '9:05:07'
std::string TimeLiteral(const DateParts& d);
// A number as an unquoted SQL literal: its plain decimal text with "."
// ("1 234,5" -> 1234.5). nullopt when the value is not a finite number.
std::optional<std::string> DoubleLiteral(const Variant& v, const Locale& l = CurrentLocale());
// The same, rounded to a whole number with halves to the even neighbour
// (12,5 -> 12; 13,5 -> 14; 12,6 -> 13), whatever decimal separator the
// locale uses, so the server never does its own rounding of a fraction.
std::optional<std::string> IntegerLiteral(const Variant& v, const Locale& l = CurrentLocale());
// The number the server reads from such a literal; nullopt when it would
// refuse it (a literal rounded above the largest double, as the text of the
// largest number itself is).
std::optional<double> LiteralValue(const std::string& literal);

// Every apostrophe, single or doubled, becomes one double-quote character:
// a run of n apostrophes becomes (n + 1) / 2 double quotes, as replacing
// every doubled apostrophe (the last one first) and then every single one
// gives. One pass over the text; every other byte is kept as it is.
std::string QuoteText(const std::string& text);

// Number of characters of UTF-8 text (the system's one character model).
long CharCount(const std::string& text);
// Upper case of Latin and Cyrillic letters (others unchanged), as UCase does.
std::string UpperCase(const std::string& text);
// True when every character of the text exists in Windows Cyrillic (cp1251),
// the character set of the ledger database.
bool FitsCp1251(const std::string& text);

// "07" for 7, "12" for 12 (a leading "0" below 10).
std::string Two_Digits(int n);
// <folder>/Copy_<book>_<ddmmyy>_<hhmm>.xls for the date and time `now`
// (a serial date); `book` is the workbook's file name with its extension.
std::string CopyFileName(const std::string& folder, const std::string& book, double now);

// The progress bar's value for a fraction done: fraction x 100 rounded with
// halves to the even neighbour, kept within 1..100.
int ProgressValue(double fraction);

}  // namespace kassa::sheetsync
