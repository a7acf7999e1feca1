// The user's edits of a sheet as undoable commands: typing into a cell,
// pasting a block, clearing ranges. Doing an edit performs the user's action
// through host::user (its change event reaches the engine); undoing it puts
// the cells' earlier contents back through one change event per range, as if
// the user had typed them, so the engine writes the earlier values back;
// redoing repeats the user's action.
#pragma once

#include <QUndoCommand>
#include <functional>
#include <string>
#include <vector>

#include "apps/kassa-book/cell_block.h"

namespace kassa::host {
class Worksheet;
}

namespace kassa::book {

struct EditAction {
  enum class Kind { Type, Paste, Clear };
  Kind kind = Kind::Type;
  long row = 1;  // the cell typed into, the paste's top-left cell, the cleared range
  int column = 1;
  long last_row = 1;  // Clear only
  int last_column = 1;
  std::string text;  // Type: the typed text; Paste: tab-separated lines
};

// The cells a paste of `tsv` at (row, column) fills, as the host lays it
// out (clipped to the grid); false when the text holds no line.
bool PasteExtent(const std::string& tsv, long row, int column, long& last_row, int& last_column);

class SheetEdit : public QUndoCommand {
 public:
  // `sheet` finds the edited sheet (null once the workbook is gone); `ready`
  // runs before each doing and undoing with that sheet (it makes the sheet
  // the active one).
  SheetEdit(std::function<host::Worksheet*()> sheet, std::vector<EditAction> actions,
            const QString& label, std::function<void(host::Worksheet&)> ready);

  void redo() override;
  void undo() override;

  // Whether the cells still hold what the edit left (so it can be undone)
  // or what it found (so it can be done again); something else (a refresh,
  // the engine) may have changed them since.
  bool CanUndo() const;
  bool CanRedo() const;

 private:
  struct Step {
    EditAction action;
    CellBlock before, after;
  };
  bool Holds(bool after) const;

  std::function<host::Worksheet*()> sheet_;
  std::function<void(host::Worksheet&)> ready_;
  std::vector<Step> steps_;
  bool done_once_ = false;
};

}  // namespace kassa::book
