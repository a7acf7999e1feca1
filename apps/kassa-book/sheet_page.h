// One tab of the workbook window: the sheet's buttons in a strip above its
// grid. Everything the user does here reaches the host only through
// host::user (Type, Paste, Clear, Select, Click), as in the headless runner;
// the edits go through `on_edit`, which the window makes undoable.
#pragma once

#include <QAbstractItemDelegate>
#include <QTableView>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "apps/kassa-book/sheet_edit.h"

namespace kassa::host {
class Worksheet;
}

class QHBoxLayout;

namespace kassa::book {

class SheetModel;

// The sheet's header row (row 1) drawn over the grid's first row, so it stays
// in view while the rows below scroll under it. It shares the grid's model
// and selection; editing row 1 happens here.
class FrozenRow : public QTableView {
 public:
  explicit FrozenRow(QWidget* parent);
  bool EditCell(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
    return edit(index, trigger, event);
  }
  bool Editing() const { return state() == QAbstractItemView::EditingState; }
  // How the editor closed (the grid moves the current cell on).
  std::function<void(QAbstractItemDelegate::EndEditHint)> after_close;

 protected:
  void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;
  void focusInEvent(QFocusEvent* event) override;
  // It never scrolls by itself: it shows row 1, and follows the grid sideways.
  void scrollTo(const QModelIndex&, ScrollHint) override {}
};

// The grid, as in a spreadsheet program: Enter moves down (Shift+Enter up),
// Tab right (Shift+Tab left), also when it ends an edit; Delete clears the
// selection; the header row stays frozen at the top.
class SheetTable : public QTableView {
 public:
  explicit SheetTable(QWidget* parent = nullptr);
  void setModel(QAbstractItemModel* model) override;
  using QTableView::edit;
  FrozenRow* frozen_row() const { return frozen_; }

  // Set by the page: the actions themselves.
  std::function<void()> on_clear;
  std::function<void()> on_paste;

  // Moves the current cell by (rows, columns), staying on the sheet.
  void Step(int rows, int columns);
  // True while a cell's editor is open (here or in the frozen row).
  bool Editing() const;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;
  bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
  void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;
  void resizeEvent(QResizeEvent* event) override;
  void updateGeometries() override;

 private:
  void AfterEditor(QAbstractItemDelegate::EndEditHint hint);
  void PlaceFrozenRow();
  FrozenRow* frozen_;
};

class SheetPage : public QWidget {
 public:
  explicit SheetPage(host::Worksheet& sheet, QWidget* parent = nullptr);

  SheetModel* model() const { return model_; }
  SheetTable* table() const { return table_; }
  host::Worksheet* sheet() const;

  // The workbook closed: the page shows nothing more and calls nothing.
  void Detach();

  // Brings the page in line with the host: cells (when the revision moved),
  // buttons, selection, column widths once data arrived. Calls nothing in
  // the host that raises events. Waits while the user edits a cell, so what
  // is being typed stays in the editor.
  void SyncFromHost();

  // User actions on this sheet (also used by tests).
  void ClearSelection();
  void PasteText(const QString& text);
  void PasteClipboard();
  void CopySelection();
  void CutSelection();
  void ClickShape(const std::string& name);
  // Makes (row, column) the current and only selected cell (1-based).
  void GoTo(long row, int column);

  // The selected rectangles (the current cell alone when nothing is
  // selected).
  using Rect = CellRect;
  std::vector<Rect> SelectedRects() const;

  // The user's edits: the window performs them (undoably). Without it the
  // page performs them itself.
  std::function<void(std::vector<EditAction> actions, const QString& label)> on_edit;
  // Called after each user action, so the window can follow the host
  // (active sheet changes, closed workbook).
  std::function<void()> after_action;
  // The selection changed (the window updates its status bar).
  std::function<void()> on_selection;

 private:
  void Typed(long row, int column, const std::string& text);
  void Edit(std::vector<EditAction> actions, const QString& label);
  void SelectionToHost();
  void SyncShapes();
  void SyncSelection();
  void ApplyColumnWidths();
  void FitColumns();
  Rect CopyRect() const;
  void Done();

  SheetModel* model_;
  SheetTable* table_;
  QWidget* strip_;
  QHBoxLayout* strip_layout_;
  std::vector<std::pair<std::string, std::string>> shapes_shown_;  // name, caption
  bool syncing_selection_ = false;
  long sent_[4] = {0, 0, 0, 0};  // last selection passed to the host
  long fitted_rows_ = -1;        // used rows when the columns were last fitted
  void FitColumnsIfGrown();
};

}  // namespace kassa::book
