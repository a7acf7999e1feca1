// The workbook window: one tab per worksheet in the workbook's order, the
// File menu (open, save, close) and the bridge from the user's actions to
// the host. Each action reaches the workbook only through host::user, so
// the workbook's macros and the engine see exactly what the headless runner
// gives them. The window follows the host (revision, active sheet, sheets,
// buttons, selection) by polling it between the user's actions.
#pragma once

#include <QMainWindow>
#include <QTimer>
#include <string>
#include <vector>

namespace kassa::host {
class Application;
class Workbook;
}  // namespace kassa::host

class QTabWidget;

namespace kassa::book {

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
  void CloseBook();  // through the host; the window closes when the book did
  void OpenOther();

  // The host closed the workbook (called from the application's on_closed):
  // the window lets go of it at once and closes after the current action.
  void WorkbookClosed();

  // Number of workbook windows alive.
  static int Count();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildMenu();
  void RebuildTabs();
  void OnTabChanged(int index);
  void AfterAction();
  void UpdateTitle();

  host::Application* app_;
  host::Workbook* book_;
  QTabWidget* tabs_;
  QTimer poll_;
  std::vector<std::string> sheet_names_;
  bool syncing_tabs_ = false;
};

}  // namespace kassa::book
