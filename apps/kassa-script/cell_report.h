// The `show` command's lines for a range of a sheet.
#pragma once

#include <string>
#include <vector>

#include "platform/host/host.h"

namespace kassa::script {

// One line per cell of rows row1..row2, columns col1..col2 (clipped to the
// sheet's used range) that holds a value or carries a mark, row by row:
//   CELL <sheet>!<address> "<text>" <empty|number|text|date|time|error> [red] [grey] [bold]
// <text> is the cell's displayed text ("#DIV/0!" style for an error value);
// a Date whose serial is below 1 is a time.
std::vector<std::string> CellLines(host::Worksheet& sheet, long row1, int col1, long row2,
                                   int col2);

// The same for the sheet's whole used range.
std::vector<std::string> CellLines(host::Worksheet& sheet);

}  // namespace kassa::script
