#include "apps/kassa-script/cell_report.h"

#include <algorithm>

#include "platform/ui/ui.h"

namespace kassa::script {
namespace {

std::string ErrorText(int code) {
  switch (code) {
    case 2000:
      return "#NULL!";
    case 2007:
      return "#DIV/0!";
    case 2015:
      return "#VALUE!";
    case 2023:
      return "#REF!";
    case 2029:
      return "#NAME?";
    case 2036:
      return "#NUM!";
    case 2042:
      return "#N/A";
  }
  return "#ERROR" + std::to_string(code);
}

const char* TypeWord(const Variant& v) {
  switch (v.type()) {
    case Variant::Type::Empty:
      return "empty";
    case Variant::Type::Number:
      return "number";
    case Variant::Type::Boolean:
      return "number";
    case Variant::Type::Text:
      return "text";
    case Variant::Type::Date:
      return v.number() >= 0 && v.number() < 1 ? "time" : "date";
    case Variant::Type::Error:
      return "error";
  }
  return "empty";
}

}  // namespace

std::vector<std::string> CellLines(host::Worksheet& sheet, long row1, int col1, long row2,
                                   int col2) {
  std::vector<std::string> lines;
  // Nothing lies beyond the used range; whole columns and rows stay cheap.
  row2 = std::min(row2, sheet.LastUsedRow());
  col2 = std::min(col2, sheet.LastUsedColumn());
  for (long r = std::max(1L, row1); r <= row2; ++r) {
    for (int c = std::max(1, col1); c <= col2; ++c) {
      host::Range cell = sheet.Cells(r, c);
      Variant value = cell.Value();
      int color = cell.Font().ColorIndex();
      bool bold = cell.Font().Bold();
      bool red = color == host::kColorRed, grey = color == host::kColorGrey;
      if (value.IsEmpty() && !red && !grey && !bold) continue;
      std::string text =
          value.type() == Variant::Type::Error ? ErrorText(value.error()) : cell.Text();
      std::string line = "CELL " + sheet.Name() + "!" + host::ColumnName(c) + std::to_string(r) +
                         " " + ui::Quote(text) + " " + TypeWord(value);
      if (red) line += " red";
      if (grey) line += " grey";
      if (bold) line += " bold";
      lines.push_back(std::move(line));
    }
  }
  return lines;
}

std::vector<std::string> CellLines(host::Worksheet& sheet) {
  return CellLines(sheet, 1, 1, sheet.LastUsedRow(), sheet.LastUsedColumn());
}

}  // namespace kassa::script
