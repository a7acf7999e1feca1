// What the office document shows of one model sheet, kept to write only
// what the model changed and to find what the user changed behind the
// host's back.
//
// The mirror holds, per cell, the value and effective format the document
// was last given or read with, and per column the column format. After
// Push the document shows the model; Reconcile finds cells whose document
// contents no longer match the mirror (edits the office does not report as
// content changes: cutting, filling, sorting, inserting or deleting rows)
// and takes them into the model.
#pragma once

#include <vector>

#include "calc/blocks.h"
#include "calc/cells.h"

namespace kassa::calc {

class SheetMirror {
 public:
  // The model sheet as it is now is what the document shows.
  void Adopt(const host::Worksheet& model);
  // The cells of the block were read from the document into the model.
  void AdoptBlock(const host::Worksheet& model, const Block& block);
  // Writes what the model changed since into the document (values in
  // blocks, formats in column runs). False when nothing had changed.
  bool Push(const host::Worksheet& model, const Reference<css::sheet::XSpreadsheet>& doc,
            Formats& formats);
  // Reads the document and takes every difference from the mirror into the
  // model: formats silently, values as the returned block (empty: none).
  Block Reconcile(host::Worksheet& model, const Reference<css::sheet::XSpreadsheet>& doc,
                  Formats& formats);

 private:
  struct Shadow {
    Variant value;
    host::CellFormat format;
  };
  Shadow& At(long row, int column);
  const Shadow* Find(long row, int column) const;
  long rows() const { return static_cast<long>(cells_.size()); }
  int columns() const;

  unsigned long revision_ = 0;
  bool adopted_ = false;
  std::vector<host::CellFormat> column_formats_ = std::vector<host::CellFormat>(host::kMaxColumns);
  std::vector<std::vector<Shadow>> cells_;  // cells_[row-1][column-1]
};

bool SameFormat(const host::CellFormat& a, const host::CellFormat& b);

}  // namespace kassa::calc
