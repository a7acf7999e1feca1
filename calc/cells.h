// Cells of an office spreadsheet read into and written from the host's
// model, with the model's typing and marks.
//
// Reading: a number whose format is a date or time becomes a Date (a day
// the host's grid has no date for, before 1900 or after 9999, stays the text
// the office shows, as it does when typed into the workbook window), a number
// with a Boolean format a Boolean, other numbers Numbers, text Text, an
// error result an Error; red (FF0000) and grey (969696) font colours become
// the colour indexes 3 and 48, any other colour automatic; a weight from
// semi-bold up is bold; the number format becomes the model's code
// ("dd.mm.yyyy", "h:mm:ss", "dd.mm.yyyy h:mm:ss", fixed "0.00"-style codes,
// otherwise General ""). Writing does the reverse, with the formats in the
// Russian locale, so the office reads typed input as the workbook window
// does (decimal comma, day-first dates).
//
// Rows and columns are 1-based and limited to the model's grid.
#pragma once

#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/util/XNumberFormats.hpp>
#include <com/sun/star/util/XNumberFormatter.hpp>
#include <map>
#include <string>
#include <vector>

#include "calc/office.h"
#include "platform/host/host.h"

namespace kassa::calc {

// The number formats of one document.
class Formats {
 public:
  explicit Formats(const Reference<css::sheet::XSpreadsheetDocument>& doc);
  struct Info {
    bool date = false;     // a date, a time or both
    bool day = false;      // with a day (not a time alone)
    bool logical = false;  // TRUE/FALSE
    std::string code;      // the model's format code
  };
  const Info& Of(sal_Int32 key);
  // The key of a model format code in the Russian locale ("" = General).
  sal_Int32 KeyFor(const std::string& code);
  // A number shown in a model format code, as the office shows it.
  std::string Text(double value, const std::string& code);

 private:
  Reference<css::util::XNumberFormats> formats_;
  Reference<css::util::XNumberFormatter> formatter_;
  std::map<sal_Int32, Info> info_;
  std::map<std::string, sal_Int32> keys_;
};

// The used extent of a sheet, clipped to the model's grid (0, 0 when empty).
void UsedExtent(const Reference<css::sheet::XSpreadsheet>& sheet, long& rows, int& columns);

// Copies values and formats of the rectangle into the same cells of `into`
// (no events). A cell whose format is its column's gets no format of its own.
void ReadCells(const Reference<css::sheet::XSpreadsheet>& sheet, long row1, int col1, long row2,
               int col2, host::Worksheet& into, Formats& formats);

// The effective format of a model cell (its own or its column's).
const host::CellFormat& EffectiveFormat(const host::Worksheet& sheet, long row, int column);

// Writes values into a rectangle in one block; `values` has one vector per
// row, each as wide as the rectangle. Text stays text, Empty clears.
void WriteValues(const Reference<css::sheet::XSpreadsheet>& sheet, long row1, int col1,
                 const std::vector<std::vector<Variant>>& values);

// Gives every cell of the rectangle the format (colour, weight, number format).
void WriteFormat(const Reference<css::sheet::XSpreadsheet>& sheet, long row1, int col1, long row2,
                 int col2, const host::CellFormat& format, Formats& formats);

// Font colour of a colour index and back (automatic = -1).
sal_Int32 ColorOfIndex(int index);
int IndexOfColor(sal_Int32 color);

// The sheet's name.
std::string SheetName(const Reference<css::sheet::XSpreadsheet>& sheet);

}  // namespace kassa::calc
