// Units and dates shared by the desktop renderers.
#pragma once

#include <QDate>
#include <cmath>

namespace kassa::ui::qt {

// Twips to pixels at 96 dpi (15 twips a pixel), rounded to the nearest pixel.
inline int Px(int twips) { return static_cast<int>(std::lround(twips / 15.0)); }

// A serial date (whole days from 1899-12-30) and a calendar date.
inline QDate DateOfSerial(double serial) {
  return QDate(1899, 12, 30).addDays(static_cast<qint64>(std::floor(serial)));
}
inline double SerialOfDate(const QDate& d) {
  return static_cast<double>(QDate(1899, 12, 30).daysTo(d));
}

}  // namespace kassa::ui::qt
