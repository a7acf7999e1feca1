// One tab of the workbook window: the sheet's buttons in a strip above its
// grid. Everything the user does here reaches the host only through
// host::user (Type, Paste, Clear, Select, Click), as in the headless runner.
#pragma once

#include <QTableView>
#include <QWidget>
#include <string>
#include <vector>

namespace kassa::host {
class Worksheet;
}

class QHBoxLayout;

namespace kassa::book {

class SheetModel;

// The grid: Delete clears the selection, Ctrl+V pastes the clipboard's block
// at the current cell, a changed selection is passed to the host.
class SheetTable : public QTableView {
 public:
  explicit SheetTable(QWidget* parent = nullptr);
  // Set by the page: the actions themselves.
  std::function<void()> on_clear;
  std::function<void()> on_paste;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
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
  // buttons, selection. Calls nothing in the host that raises events.
  void SyncFromHost();

  // User actions on this sheet (also used by tests).
  void ClearSelection();
  void PasteText(const QString& text);
  void ClickShape(const std::string& name);

  // Called after each user action, so the window can follow the host
  // (active sheet changes, closed workbook).
  std::function<void()> after_action;

 private:
  void SelectionToHost();
  void SyncShapes();
  void SyncSelection();
  void ApplyColumnWidths();
  void Done();

  SheetModel* model_;
  SheetTable* table_;
  QWidget* strip_;
  QHBoxLayout* strip_layout_;
  std::vector<std::pair<std::string, std::string>> shapes_shown_;  // name, caption
  bool syncing_selection_ = false;
  long sent_[4] = {0, 0, 0, 0};  // last selection passed to the host
};

}  // namespace kassa::book
