// A rectangle of cells as they were at one moment: values and number formats.
// The window keeps such blocks to undo and redo the user's edits, and lays
// blocks out as tab-separated text for the clipboard.
#pragma once

#include <string>
#include <vector>

#include "platform/variant/variant.h"

namespace kassa::host {
class Worksheet;
}

namespace kassa::book {

// A rectangle of cells, 1-based and inclusive.
struct CellRect {
  long row1 = 1, row2 = 1;
  int col1 = 1, col2 = 1;
};

struct CellBlock {
  long row = 1;  // top-left cell
  int column = 1;
  long rows = 0;  // 0 rows or columns: nothing was there
  int columns = 0;
  std::vector<Variant> values;  // row by row
  struct Format {
    bool own = false;
    std::string number_format;
  };
  std::vector<Format> formats;

  bool IsEmpty() const { return rows == 0 || columns == 0; }
  long LastRow() const { return row + rows - 1; }
  int LastColumn() const { return column + columns - 1; }
  const Variant& At(long r, int c) const {
    return values[static_cast<size_t>((r - row) * columns + (c - column))];
  }
};

// The cells of (row1, col1)-(row2, col2) now. With `clip`, the block ends at
// the sheet's used extent (what lies beyond holds nothing).
CellBlock TakeBlock(const host::Worksheet& sheet, long row1, int col1, long row2, int col2,
                    bool clip = false);

// True when the sheet's cells hold the block's values.
bool HoldsValues(const host::Worksheet& sheet, const CellBlock& block);

// Gives the cells the block's contents back as the user would: one change
// event for the block (typing for one cell, clearing for a block that was
// empty, pasting otherwise; a block whose texts hold tabs or line breaks is
// typed cell by cell), then puts the block's number formats back without
// an event. Nothing happens for an empty block.
void PutBack(host::Worksheet& sheet, const CellBlock& block);

// The block as tab-separated lines, each ending in "\n", of the cells'
// displayed texts (`displayed`) or of the texts that type the values in again.
std::string BlockText(const host::Worksheet& sheet, const CellBlock& block, bool displayed);

// The number format the grid lays a cell out by: its own one, else its
// column's.
const std::string& ShownFormat(const host::Worksheet& sheet, long row, int column);

// The grid's text of a cell ("" when empty; error values by their names).
std::string ShownText(const host::Worksheet& sheet, long row, int column);

}  // namespace kassa::book
