// What the status bar says about the selected cells: how many hold a value
// and the sum of those that hold a number.
#pragma once

#include <string>
#include <vector>

#include "apps/kassa-book/cell_block.h"

namespace kassa::host {
class Worksheet;
}

namespace kassa::book {

struct SelectionSummary {
  long count = 0;    // cells holding a value (not empty)
  long numbers = 0;  // of those, cells holding a number (dates are no numbers here)
  double sum = 0;
  std::string sum_text;  // the sum laid out as the first number cell shows its value
};

// Looks at the rectangles within the sheet's used range (so whole rows and
// columns cost no more than the cells in use); a cell in several rectangles
// counts once per rectangle.
SelectionSummary Summarize(const host::Worksheet& sheet, const std::vector<CellRect>& rects);

}  // namespace kassa::book
