#include "apps/kassa-book/cell_block.h"

#include <algorithm>

#include "apps/kassa-book/display_format.h"
#include "apps/kassa-book/texts.h"
#include "platform/host/host.h"

namespace kassa::book {
namespace {

const std::string kNoFormat;

std::string ErrorText(int code) {
  switch (code) {
    case 2000:
      return texts::kErrorNull;
    case 2007:
      return texts::kErrorDiv0;
    case 2023:
      return texts::kErrorRef;
    case 2029:
      return texts::kErrorName;
    case 2036:
      return texts::kErrorNum;
    case 2042:
      return texts::kErrorNA;
    default:
      return texts::kErrorValue;
  }
}

bool Breaks(const std::string& text) {
  return text.find_first_of("\t\r\n") != std::string::npos;
}

}  // namespace

const std::string& ShownFormat(const host::Worksheet& sheet, long row, int column) {
  const host::Cell* cell = sheet.FindCell(row, column);
  // A cell whose own format is General shows by its column's format: the
  // refresh from the database leaves every cell General, the column's format
  // is what the workbook asks for.
  if (cell && cell->own_format && !cell->format.number_format.empty())
    return cell->format.number_format;
  return sheet.ColumnFormat(column).number_format;
}

std::string ShownText(const host::Worksheet& sheet, long row, int column) {
  const host::Cell* cell = sheet.FindCell(row, column);
  if (!cell) return "";
  if (cell->value.type() == Variant::Type::Error) return ErrorText(cell->value.error());
  return DisplayText(cell->value, ShownFormat(sheet, row, column));
}

CellBlock TakeBlock(const host::Worksheet& sheet, long row1, int col1, long row2, int col2,
                    bool clip) {
  CellBlock b;
  b.row = row1;
  b.column = col1;
  if (clip) {
    row2 = std::min(row2, sheet.LastUsedRow());
    col2 = std::min(col2, sheet.LastUsedColumn());
  }
  if (row2 < row1 || col2 < col1) return b;
  b.rows = row2 - row1 + 1;
  b.columns = col2 - col1 + 1;
  b.values.reserve(static_cast<size_t>(b.rows * b.columns));
  b.formats.reserve(b.values.capacity());
  for (long r = row1; r <= row2; ++r)
    for (int c = col1; c <= col2; ++c) {
      const host::Cell* cell = sheet.FindCell(r, c);
      b.values.push_back(cell ? cell->value : Variant());
      b.formats.push_back(cell ? CellBlock::Format{cell->own_format, cell->format.number_format}
                               : CellBlock::Format{});
    }
  return b;
}

bool HoldsValues(const host::Worksheet& sheet, const CellBlock& block) {
  size_t i = 0;
  for (long r = block.row; r <= block.LastRow(); ++r)
    for (int c = block.column; c <= block.LastColumn(); ++c, ++i) {
      const host::Cell* cell = sheet.FindCell(r, c);
      if (!(cell ? cell->value == block.values[i] : block.values[i].IsEmpty())) return false;
    }
  return true;
}

std::string BlockText(const host::Worksheet& sheet, const CellBlock& block, bool displayed) {
  std::string out;
  for (long r = block.row; r <= block.LastRow(); ++r) {
    for (int c = block.column; c <= block.LastColumn(); ++c) {
      if (c > block.column) out += '\t';
      out += displayed ? ShownText(sheet, r, c) : EditText(block.At(r, c));
    }
    out += '\n';
  }
  return out;
}

void PutBack(host::Worksheet& sheet, const CellBlock& block) {
  if (block.IsEmpty()) return;
  const bool empty = std::all_of(block.values.begin(), block.values.end(),
                                 [](const Variant& v) { return v.IsEmpty(); });
  bool breaks = false;
  for (const Variant& v : block.values)
    if (v.type() == Variant::Type::Text && Breaks(v.text())) breaks = true;
  if (block.rows == 1 && block.columns == 1) {
    host::user::Type(sheet, block.row, block.column, EditText(block.values.front()));
  } else if (empty) {
    host::user::Clear(sheet, block.row, block.column, block.LastRow(), block.LastColumn());
  } else if (!breaks) {
    host::user::Paste(sheet, block.row, block.column, BlockText(sheet, block, false));
  } else {
    for (long r = block.row; r <= block.LastRow(); ++r)
      for (int c = block.column; c <= block.LastColumn(); ++c)
        host::user::Type(sheet, r, c, EditText(block.At(r, c)));
  }
  if (sheet.Parent().closed()) return;  // the event closed the workbook
  // Typing a date gives a General cell a date format; the block's own
  // formats come back.
  bool changed = false;
  size_t i = 0;
  for (long r = block.row; r <= block.LastRow(); ++r)
    for (int c = block.column; c <= block.LastColumn(); ++c, ++i) {
      const CellBlock::Format& was = block.formats[i];
      const host::Cell* now = sheet.FindCell(r, c);
      const bool now_own = now && now->own_format;
      const std::string& now_format = now_own ? now->format.number_format.str() : kNoFormat;
      const std::string& was_format = was.own ? was.number_format : kNoFormat;
      if (now_own == was.own && now_format == was_format) continue;
      host::Cell& cell = sheet.CellAt(r, c);
      if (was.own) {
        if (!cell.own_format) cell.format = sheet.ColumnFormat(c);
        cell.own_format = true;
        cell.format.number_format = was.number_format;
      } else if (cell.format.color_index == sheet.ColumnFormat(c).color_index &&
                 cell.format.bold == sheet.ColumnFormat(c).bold) {
        cell.own_format = false;  // nothing of its own left but the number format
        cell.format = sheet.ColumnFormat(c);
      } else {
        cell.format.number_format = sheet.ColumnFormat(c).number_format;
      }
      changed = true;
    }
  if (changed) sheet.Touch();
}

}  // namespace kassa::book
