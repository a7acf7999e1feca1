// What the office does with typed input in a synchronised workbook: the
// text typed is what is stored.
//
// Every sheet of the document reads numbers and dates in Russian (General
// and date formats of the Russian locale, decimal comma, day-first dates)
// and has Russian as its language. AutoInput (completing a cell from the
// column's earlier entries) and AutoCorrect's rewriting (replacement table,
// capitals, quotes, dashes, ordinals, links) are off: these two are
// settings of the whole office, switched off while a synchronised document
// is open and given back their earlier values when the last one closes.
#pragma once

#include <com/sun/star/frame/XFrame.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>

#include "calc/cells.h"

namespace kassa::calc {

class InputSettings {
 public:
  InputSettings(const Reference<css::sheet::XSpreadsheetDocument>& doc,
                const Reference<css::frame::XFrame>& frame, Formats& formats);
  ~InputSettings();
  InputSettings(const InputSettings&) = delete;
  InputSettings& operator=(const InputSettings&) = delete;

  // Gives a sheet added later the same formats and language.
  static void RussianSheet(const Reference<css::sheet::XSpreadsheet>& sheet, Formats& formats);

 private:
  Reference<css::frame::XFrame> frame_;
};

}  // namespace kassa::calc
