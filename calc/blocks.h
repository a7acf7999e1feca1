// Rectangles of cells, for writing a sheet in blocks.
#pragma once

#include <vector>

namespace kassa::calc {

// Rows and columns 1-based and inclusive; row1 == 0 means no cells.
struct Block {
  long row1 = 0, row2 = 0;
  int col1 = 0, col2 = 0;
  bool empty() const { return row1 == 0; }
  // Grows the block to hold the cell.
  void Add(long r, int c);
};

// Rectangles that cover exactly the marked cells (marked[r-1][c-1] != 0),
// none overlapping: runs of marked cells along each row, merged downwards
// while the following rows have the same run. A cell not marked is in no
// rectangle, so writing the rectangles never touches it (a formula or a
// value the user changed meanwhile stays).
std::vector<Block> CoverMarked(const std::vector<std::vector<char>>& marked);

}  // namespace kassa::calc
