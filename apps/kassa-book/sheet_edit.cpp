#include "apps/kassa-book/sheet_edit.h"

#include <algorithm>
#include <sstream>

#include "platform/host/host.h"

namespace kassa::book {

bool PasteExtent(const std::string& tsv, long row, int column, long& last_row, int& last_column) {
  std::istringstream in(tsv);
  std::string line;
  long lines = 0;
  size_t width = 0;
  while (std::getline(in, line)) {
    ++lines;
    width = std::max(width, static_cast<size_t>(std::count(line.begin(), line.end(), '\t')) + 1);
  }
  if (lines == 0) return false;
  last_row = std::min(host::kMaxRows, row + lines - 1);
  last_column =
      static_cast<int>(std::min<long>(host::kMaxColumns, column + static_cast<long>(width) - 1));
  return true;
}

SheetEdit::SheetEdit(std::function<host::Worksheet*()> sheet, std::vector<EditAction> actions,
                     const QString& label, std::function<void(host::Worksheet&)> ready)
    : sheet_(std::move(sheet)), ready_(std::move(ready)) {
  setText(label);
  for (EditAction& a : actions) steps_.push_back(Step{std::move(a), {}, {}});
}

void SheetEdit::redo() {
  host::Worksheet* sheet = sheet_ ? sheet_() : nullptr;
  if (!sheet) return;
  if (ready_) ready_(*sheet);
  for (Step& s : steps_) {
    if (sheet->Parent().closed()) return;
    const EditAction& a = s.action;
    if (!done_once_) {
      long last_row = a.row;
      int last_column = a.column;
      if (a.kind == EditAction::Kind::Paste &&
          !PasteExtent(a.text, a.row, a.column, last_row, last_column))
        continue;
      if (a.kind == EditAction::Kind::Clear) {
        last_row = a.last_row;
        last_column = a.last_column;
      }
      // A cleared range ends where the sheet's contents do.
      s.before = TakeBlock(*sheet, a.row, a.column, last_row, last_column,
                           a.kind == EditAction::Kind::Clear);
    }
    switch (a.kind) {
      case EditAction::Kind::Type:
        host::user::Type(*sheet, a.row, a.column, a.text);
        break;
      case EditAction::Kind::Paste:
        host::user::Paste(*sheet, a.row, a.column, a.text);
        break;
      case EditAction::Kind::Clear:
        host::user::Clear(*sheet, a.row, a.column, a.last_row, a.last_column);
        break;
    }
    if (!done_once_ && !s.before.IsEmpty())
      s.after = TakeBlock(*sheet, s.before.row, s.before.column, s.before.LastRow(),
                          s.before.LastColumn());
  }
  done_once_ = true;
}

void SheetEdit::undo() {
  host::Worksheet* sheet = sheet_ ? sheet_() : nullptr;
  if (!sheet) return;
  if (ready_) ready_(*sheet);
  for (auto s = steps_.rbegin(); s != steps_.rend(); ++s) {
    if (sheet->Parent().closed()) return;
    PutBack(*sheet, s->before);
  }
}

bool SheetEdit::Holds(bool after) const {
  host::Worksheet* sheet = sheet_ ? sheet_() : nullptr;
  if (!sheet) return false;
  for (const Step& s : steps_)
    if (!HoldsValues(*sheet, after ? s.after : s.before)) return false;
  return true;
}

bool SheetEdit::CanUndo() const {
  return Holds(true);
}
bool SheetEdit::CanRedo() const {
  return Holds(false);
}

}  // namespace kassa::book
