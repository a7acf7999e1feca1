// The workbook window: one tab per worksheet in the workbook's order, the
// menus (Файл: open, save, save as, close; Правка: undo, redo, cut, copy,
// paste, clear, find; Справка: the user's guide), the find bar and the
// status bar with the count and sum of the selected cells, and the bridge
// from the user's actions to the host. Each action reaches the workbook only
// through host::user, so the workbook's macros and the engine see exactly
// what the headless runner gives them. The window follows the host
// (revision, active sheet, sheets, buttons, selection) by polling it between
// the user's actions.
#pragma once

#include <QMainWindow>
#include <QTimer>
#include <QUndoStack>
#include <string>
#include <vector>

#include "apps/kassa-book/sheet_edit.h"

namespace kassa::host {
class Application;
class Workbook;
}  // namespace kassa::host

class QLabel;
class QMenu;
class QTabWidget;

namespace kassa::book {

class FindBar;
class SheetPage;

class BookWindow : public QMainWindow {
 public:
  // Opens `path` in `app` (read-only when the file cannot be written) and
  // shows its window; a host error is reported and null returned.
  static BookWindow* OpenFile(host::Application& app, const QString& path);

  BookWindow(host::Application& app, host::Workbook& book);
  ~BookWindow() override;

  // Null once the workbook closed.
  host::Workbook* book() const { return book_; }
  int PageCount() const;
  SheetPage* Page(int index) const;  // 0-based tab
  SheetPage* CurrentPage() const;

  // Follows the host now (the timer does it every few tenths of a second).
  void SyncFromHost();

  // The user's File menu actions.
  void SaveBook();
  // Asks for a file name; SaveBookAs(path) writes the workbook there through
  // the host's SaveAs (no events) and takes that name; false (reported) when
  // it could not be written.
  void SaveBookAsAsked();
  bool SaveBookAs(const QString& path);
  void CloseBook();  // through the host; the window closes when the book did
  void OpenOther();

  // Undo and redo of the user's edits. An edit whose cells changed since
  // (a refresh from the database, the engine) can no longer be undone: the
  // history is dropped and the status bar says so.
  QUndoStack& history() { return history_; }
  void Undo();
  void Redo();

  // The status bar: its message (find results, refusals) and the count and
  // sum of the current page's selection.
  QString StatusMessage() const;
  QString CountText() const;
  QString SumText() const;
  FindBar* find_bar() const { return find_bar_; }

  // The host closed the workbook (called from the application's on_closed):
  // the window lets go of it at once and closes after the current action.
  void WorkbookClosed();

  // Number of workbook windows alive.
  static int Count();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildMenus();
  void BuildFileMenu();
  void BuildEditMenu();
  void BuildHelpMenu();
  void BuildStatusBar();
  void RebuildTabs();
  void OnTabChanged(int index);
  void AfterAction();
  void UpdateTitle();
  void UpdateSelectionStatus();
  void Perform(const std::string& sheet, std::vector<EditAction> actions, const QString& label);

  host::Application* app_;
  host::Workbook* book_;
  QTabWidget* tabs_;
  FindBar* find_bar_ = nullptr;
  QMenu* file_menu_ = nullptr;
  QMenu* edit_menu_ = nullptr;
  QMenu* help_menu_ = nullptr;
  QAction* undo_ = nullptr;
  QAction* redo_ = nullptr;
  QList<QAction*> cell_actions_;  // cut, copy, paste, clear: also the grid's context menu
  QLabel* count_label_ = nullptr;
  QLabel* sum_label_ = nullptr;
  QUndoStack history_;
  QTimer poll_;
  std::vector<std::string> sheet_names_;
  bool syncing_tabs_ = false;
};

}  // namespace kassa::book
