#include "apps/kassa-book/selection_summary.h"

#include <algorithm>

#include "apps/kassa-book/display_format.h"
#include "platform/host/host.h"

namespace kassa::book {

SelectionSummary Summarize(const host::Worksheet& sheet, const std::vector<CellRect>& rects) {
  SelectionSummary out;
  const long last_row = sheet.LastUsedRow();
  const int last_col = sheet.LastUsedColumn();
  std::string format;
  bool format_taken = false;
  for (const CellRect& r : rects) {
    const long row2 = std::min(r.row2, last_row);
    const int col2 = std::min(r.col2, last_col);
    for (long row = r.row1; row <= row2; ++row)
      for (int col = r.col1; col <= col2; ++col) {
        const host::Cell* cell = sheet.FindCell(row, col);
        if (!cell || cell->value.IsEmpty()) continue;
        ++out.count;
        if (cell->value.type() != Variant::Type::Number) continue;
        ++out.numbers;
        out.sum += cell->value.number();
        if (!format_taken) {
          format = ShownFormat(sheet, row, col);
          format_taken = true;
        }
      }
  }
  if (out.numbers > 0)
    out.sum_text = DisplayText(Variant::Number(out.sum), IsDateFormat(format) ? "" : format);
  return out;
}

}  // namespace kassa::book
