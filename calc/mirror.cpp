#include "calc/mirror.h"

#include <algorithm>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/table/XColumnRowRange.hpp>
#include <com/sun/star/table/XTableColumns.hpp>
#include <map>
#include <utility>

#include "calc/blocks.h"

namespace kassa::calc {

using css::uno::UNO_QUERY_THROW;

bool SameFormat(const host::CellFormat& a, const host::CellFormat& b) {
  return a.color_index == b.color_index && a.bold == b.bold && a.number_format == b.number_format;
}

namespace {

Variant ValueOf(const host::Worksheet& sheet, long row, int column) {
  const host::Cell* c = sheet.FindCell(row, column);
  return c ? c->value : Variant();
}

}  // namespace

int SheetMirror::columns() const {
  size_t w = 0;
  for (const auto& r : cells_) w = std::max(w, r.size());
  return static_cast<int>(w);
}

SheetMirror::Shadow& SheetMirror::At(long row, int column) {
  if (row > rows()) cells_.resize(row);
  auto& r = cells_[row - 1];
  if (column > static_cast<int>(r.size())) r.resize(column);
  return r[column - 1];
}

const SheetMirror::Shadow* SheetMirror::Find(long row, int column) const {
  if (row < 1 || row > rows()) return nullptr;
  const auto& r = cells_[row - 1];
  if (column < 1 || column > static_cast<int>(r.size())) return nullptr;
  return &r[column - 1];
}

void SheetMirror::Adopt(const host::Worksheet& model) {
  cells_.clear();
  for (int c = 1; c <= host::kMaxColumns; ++c) column_formats_[c - 1] = model.ColumnFormat(c);
  const long last_row = model.LastUsedRow();
  const int last_col = model.LastUsedColumn();
  for (long r = 1; r <= last_row; ++r)
    for (int c = 1; c <= last_col; ++c) {
      const host::Cell* cell = model.FindCell(r, c);
      if (!cell) continue;
      Shadow& s = At(r, c);
      s.value = cell->value;
      s.format = EffectiveFormat(model, r, c);
    }
  revision_ = model.revision();
  adopted_ = true;
}

void SheetMirror::AdoptBlock(const host::Worksheet& model, const Block& b) {
  if (b.empty()) return;
  for (long r = b.row1; r <= b.row2; ++r)
    for (int c = b.col1; c <= b.col2; ++c) {
      const host::Cell* cell = model.FindCell(r, c);
      if (!cell && !Find(r, c)) continue;
      Shadow& s = At(r, c);
      s.value = cell ? cell->value : Variant();
      s.format = EffectiveFormat(model, r, c);
    }
}

bool SheetMirror::Push(const host::Worksheet& model, const Reference<css::sheet::XSpreadsheet>& doc,
                       Formats& formats) {
  if (adopted_ && model.revision() == revision_) return false;
  bool wrote = false;

  // Column formats: a column's format is given to the whole column of the
  // document, which resets its cells; the cells with a format of their own
  // are written again below.
  Reference<css::table::XColumnRowRange> crr(doc, UNO_QUERY_THROW);
  Reference<css::table::XTableColumns> doc_columns = crr->getColumns();
  for (int c = 1; c <= host::kMaxColumns; ++c) {
    const host::CellFormat& want = model.ColumnFormat(c);
    if (SameFormat(want, column_formats_[c - 1])) continue;
    Reference<css::beans::XPropertySet> column(doc_columns->getByIndex(c - 1), UNO_QUERY_THROW);
    column->setPropertyValue("CharColor", css::uno::Any(ColorOfIndex(want.color_index)));
    column->setPropertyValue("CharWeight", css::uno::Any(want.bold ? 150.0f : 100.0f));
    column->setPropertyValue("NumberFormat", css::uno::Any(formats.KeyFor(want.number_format)));
    column_formats_[c - 1] = want;
    for (auto& line : cells_)
      if (c <= static_cast<int>(line.size())) line[c - 1].format = want;
    wrote = true;
  }

  const long last_row = std::max(model.LastUsedRow(), rows());
  const int last_col = std::max(model.LastUsedColumn(), columns());
  std::vector<std::vector<char>> values(last_row), marks(last_row);
  bool any_value = false, any_mark = false;
  for (long r = 1; r <= last_row; ++r) {
    values[r - 1].assign(last_col, 0);
    marks[r - 1].assign(last_col, 0);
    for (int c = 1; c <= last_col; ++c) {
      const Shadow* s = Find(r, c);
      const host::Cell* cell = model.FindCell(r, c);
      const Variant& have = s ? s->value : Variant();
      static const Variant kEmpty;
      const Variant& want = cell ? cell->value : kEmpty;
      if (!(have == want) || have.type() != want.type()) values[r - 1][c - 1] = any_value = true;
      const host::CellFormat& want_format = EffectiveFormat(model, r, c);
      const host::CellFormat& have_format = s ? s->format : column_formats_[c - 1];
      if (!SameFormat(want_format, have_format)) marks[r - 1][c - 1] = any_mark = true;
    }
  }
  if (any_value) {
    for (const Block& b : CoverMarked(values)) {
      std::vector<std::vector<Variant>> block;
      for (long r = b.row1; r <= b.row2; ++r) {
        std::vector<Variant> line;
        for (int c = b.col1; c <= b.col2; ++c) line.push_back(ValueOf(model, r, c));
        block.push_back(std::move(line));
      }
      WriteValues(doc, b.row1, b.col1, block);
    }
  }
  if (any_mark) {
    // Runs down each column of cells that get the same format.
    for (int c = 1; c <= last_col; ++c) {
      long r = 1;
      while (r <= last_row) {
        if (!marks[r - 1][c - 1]) {
          ++r;
          continue;
        }
        const host::CellFormat f = EffectiveFormat(model, r, c);
        long end = r;
        while (end < last_row && marks[end][c - 1] &&
               SameFormat(EffectiveFormat(model, end + 1, c), f))
          ++end;
        WriteFormat(doc, r, c, end, c, f, formats);
        r = end + 1;
      }
    }
  }
  if (any_value || any_mark) {
    for (long r = 1; r <= last_row; ++r)
      for (int c = 1; c <= last_col; ++c) {
        if (!values[r - 1][c - 1] && !marks[r - 1][c - 1]) continue;
        Shadow& s = At(r, c);
        s.value = ValueOf(model, r, c);
        s.format = EffectiveFormat(model, r, c);
      }
    wrote = true;
  }
  revision_ = model.revision();
  adopted_ = true;
  return wrote;
}

Block SheetMirror::Reconcile(host::Worksheet& model, const Reference<css::sheet::XSpreadsheet>& doc,
                             Formats& formats) {
  Block changed;
  long doc_rows = 0;
  int doc_cols = 0;
  UsedExtent(doc, doc_rows, doc_cols);
  const long last_row = std::max(doc_rows, rows());
  const int last_col = std::max(doc_cols, columns());
  if (last_row == 0 || last_col == 0) return changed;
  // The document's cells, read into a sheet of a scratch workbook.
  host::Application scratch;
  host::Worksheet& now = scratch.Add().Sheets(1);
  for (int c = 1; c <= last_col; ++c) now.MutableColumnFormat(c) = column_formats_[c - 1];
  ReadCells(doc, 1, 1, last_row, last_col, now, formats);
  for (long r = 1; r <= last_row; ++r)
    for (int c = 1; c <= last_col; ++c) {
      const Shadow* s = Find(r, c);
      const host::Cell* cell = now.FindCell(r, c);
      const Variant have = s ? s->value : Variant();
      const Variant is = cell ? cell->value : Variant();
      const host::CellFormat& have_format = s ? s->format : column_formats_[c - 1];
      const host::CellFormat& is_format = EffectiveFormat(now, r, c);
      const bool value_differs = !(have == is) || have.type() != is.type();
      const bool format_differs = !SameFormat(have_format, is_format);
      if (!value_differs && !format_differs) continue;
      host::Cell& target = model.CellAt(r, c);
      if (value_differs) {
        target.value = is;
        changed.Add(r, c);
      }
      if (format_differs || value_differs) {
        const bool own = !SameFormat(is_format, model.ColumnFormat(c));
        target.own_format = own;
        target.format = own ? is_format : host::CellFormat{};
      }
      Shadow& sh = At(r, c);
      sh.value = is;
      sh.format = is_format;
    }
  model.Touch();
  revision_ = model.revision();
  return changed;
}

}  // namespace kassa::calc
