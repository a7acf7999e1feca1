#include "apps/kassa-book/book_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <vector>

#include "apps/kassa-book/find_bar.h"
#include "apps/kassa-book/selection_summary.h"
#include "apps/kassa-book/chart_view.h"
#include "apps/kassa-book/sheet_model.h"
#include "apps/kassa-book/sheet_page.h"
#include "apps/kassa-book/sheet_print.h"
#include "apps/kassa-book/texts.h"
#include "platform/host/host.h"
#include "platform/ui/qt/qt_ui.h"
#include "platform/ui/ui.h"

namespace kassa::book {
namespace {

constexpr int kPollMs = 250;
constexpr int kStatusMs = 10000;  // how long a status message stays
constexpr int kUndoSteps = 100;   // edits that can be undone, the oldest go first

std::vector<BookWindow*>& Windows() {
  static std::vector<BookWindow*> windows;
  return windows;
}

// One watcher per application: tells the window of a closed workbook.
void WatchClosings(host::Application& app) {
  if (app.on_closed) return;
  app.on_closed = [](host::Workbook& closed) {
    for (BookWindow* w : Windows())
      if (w->book() == &closed) w->WorkbookClosed();
  };
}

}  // namespace

int BookWindow::Count() {
  return static_cast<int>(Windows().size());
}

BookWindow* BookWindow::OpenFile(host::Application& app, const QString& path) {
  WatchClosings(app);
  QFileInfo info(path);
  // A file nobody may write (the read-only attribute) or that this user
  // cannot write opens read-only.
  const QFileDevice::Permissions write =
      QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
  const bool read_only = info.exists() && (!info.isWritable() || !(info.permissions() & write));
  host::Workbook* book = nullptr;
  try {
    book = &app.Open(path.toStdString(), read_only);
  } catch (const host::HostError& e) {
    ui::Port().ReportError(e.what());
    return nullptr;
  }
  if (book->closed()) return nullptr;  // its macros closed it at once
  for (BookWindow* open : Windows())
    if (open->book() == book) {  // already open: its window comes up
      open->raise();
      open->activateWindow();
      return open;
    }
  auto* w = new BookWindow(app, *book);
  w->show();
  return w;
}

BookWindow::BookWindow(host::Application& app, host::Workbook& book) : app_(&app), book_(&book) {
  setAttribute(Qt::WA_DeleteOnClose);
  Windows().push_back(this);
  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  tabs_ = new QTabWidget(central);
  tabs_->setTabPosition(QTabWidget::South);
  tabs_->setDocumentMode(true);
  // The sheet tabs are for the mouse; the keyboard stays in the grid.
  tabs_->tabBar()->setFocusPolicy(Qt::NoFocus);
  layout->addWidget(tabs_, 1);
  find_bar_ = new FindBar(this);
  layout->addWidget(find_bar_);
  find_bar_->page = [this] { return CurrentPage(); };
  find_bar_->on_message = [this](const QString& text) {
    if (text.isEmpty())
      statusBar()->clearMessage();
    else
      statusBar()->showMessage(text, kStatusMs);
  };
  setCentralWidget(central);
  connect(tabs_, &QTabWidget::currentChanged, this, [this](int i) { OnTabChanged(i); });
  BuildMenus();
  BuildStatusBar();
  RebuildTabs();
  UpdateTitle();
  UpdateSelectionStatus();
  resize(1000, 640);
  if (SheetPage* page = CurrentPage()) page->setFocus();
  connect(&poll_, &QTimer::timeout, this, [this] { SyncFromHost(); });
  poll_.start(kPollMs);
}

BookWindow::~BookWindow() {
  auto& all = Windows();
  all.erase(std::remove(all.begin(), all.end(), this), all.end());
}

// ---- menus and status bar ------------------------------------------------

void BookWindow::BuildMenus() {
  BuildFileMenu();
  BuildEditMenu();
  BuildHelpMenu();
}

void BookWindow::BuildFileMenu() {
  file_menu_ = menuBar()->addMenu(QString::fromUtf8(texts::kMenuFile));
  QAction* open = file_menu_->addAction(QString::fromUtf8(texts::kOpen));
  open->setShortcut(QKeySequence::Open);
  connect(open, &QAction::triggered, this, [this] { OpenOther(); });
  QAction* save = file_menu_->addAction(QString::fromUtf8(texts::kSave));
  save->setShortcut(QKeySequence::Save);
  connect(save, &QAction::triggered, this, [this] { SaveBook(); });
  QAction* save_as = file_menu_->addAction(QString::fromUtf8(texts::kSaveAs));
  save_as->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
  connect(save_as, &QAction::triggered, this, [this] { SaveBookAsAsked(); });
  file_menu_->addSeparator();
  AddPrintActions(*file_menu_, *this);
  file_menu_->addSeparator();
  QAction* close = file_menu_->addAction(QString::fromUtf8(texts::kClose));
  close->setShortcut(QKeySequence::Close);
  connect(close, &QAction::triggered, this, [this] { this->close(); });
}

void BookWindow::BuildEditMenu() {
  edit_menu_ = menuBar()->addMenu(QString::fromUtf8(texts::kMenuEdit));
  undo_ = edit_menu_->addAction(QString::fromUtf8(texts::kUndo));
  undo_->setShortcut(QKeySequence::Undo);
  undo_->setEnabled(false);
  connect(undo_, &QAction::triggered, this, [this] { Undo(); });
  redo_ = edit_menu_->addAction(QString::fromUtf8(texts::kRedo));
  // Ctrl+Y as in spreadsheet programs, and the desktop's own redo keys.
  QList<QKeySequence> redo_keys{QKeySequence(Qt::CTRL | Qt::Key_Y)};
  for (const QKeySequence& k : QKeySequence::keyBindings(QKeySequence::Redo))
    if (!redo_keys.contains(k)) redo_keys << k;
  redo_->setShortcuts(redo_keys);
  redo_->setEnabled(false);
  connect(redo_, &QAction::triggered, this, [this] { Redo(); });
  history_.setUndoLimit(kUndoSteps);
  connect(&history_, &QUndoStack::canUndoChanged, undo_, &QAction::setEnabled);
  connect(&history_, &QUndoStack::canRedoChanged, redo_, &QAction::setEnabled);
  connect(&history_, &QUndoStack::undoTextChanged, this, [this](const QString& what) {
    undo_->setText(QString::fromUtf8(texts::kUndo) + (what.isEmpty() ? "" : " " + what));
  });
  connect(&history_, &QUndoStack::redoTextChanged, this, [this](const QString& what) {
    redo_->setText(QString::fromUtf8(texts::kRedo) + (what.isEmpty() ? "" : " " + what));
  });
  edit_menu_->addSeparator();
  struct CellAction {
    const char* text;
    QKeySequence key;
    void (SheetPage::*act)();
  };
  const CellAction cell_actions[] = {
      {texts::kCut, QKeySequence::Cut, &SheetPage::CutSelection},
      {texts::kCopy, QKeySequence::Copy, &SheetPage::CopySelection},
      {texts::kPaste, QKeySequence::Paste, &SheetPage::PasteClipboard},
      {texts::kClearCells, QKeySequence(Qt::Key_Delete), &SheetPage::ClearSelection},
  };
  for (const CellAction& c : cell_actions) {
    QAction* a = edit_menu_->addAction(QString::fromUtf8(c.text));
    a->setShortcut(c.key);
    connect(a, &QAction::triggered, this, [this, act = c.act] {
      if (SheetPage* page = CurrentPage()) (page->*act)();
    });
    cell_actions_.push_back(a);
  }
  edit_menu_->addSeparator();
  QAction* find = edit_menu_->addAction(QString::fromUtf8(texts::kFind));
  find->setShortcut(QKeySequence::Find);
  connect(find, &QAction::triggered, this, [this] { find_bar_->Open(); });
}

void BookWindow::BuildHelpMenu() {
  help_menu_ = menuBar()->addMenu(QString::fromUtf8(texts::kMenuHelp));
  QAction* guide = help_menu_->addAction(QString::fromUtf8(texts::kGuide));
  guide->setShortcut(QKeySequence::HelpContents);
  connect(guide, &QAction::triggered, this, [] { ui::qt::ShowGuide(); });
}

void BookWindow::BuildStatusBar() {
  count_label_ = new QLabel(this);
  count_label_->setObjectName(QStringLiteral("selection_count"));
  sum_label_ = new QLabel(this);
  sum_label_->setObjectName(QStringLiteral("selection_sum"));
  statusBar()->addPermanentWidget(count_label_);
  statusBar()->addPermanentWidget(sum_label_);
}

QString BookWindow::StatusMessage() const {
  return statusBar()->currentMessage();
}
QString BookWindow::CountText() const {
  return count_label_->text();
}
QString BookWindow::SumText() const {
  return sum_label_->text();
}

void BookWindow::UpdateSelectionStatus() {
  SheetPage* page = CurrentPage();
  host::Worksheet* sheet = page ? page->sheet() : nullptr;
  SelectionSummary summary;
  if (sheet) summary = Summarize(*sheet, page->SelectedRects());
  const QString count = summary.count > 0
                            ? QString::fromUtf8(texts::kCount) + QString::number(summary.count)
                            : QString();
  const QString sum = summary.numbers > 0 ? QString::fromUtf8(texts::kSum) +
                                                QString::fromStdString(summary.sum_text)
                                          : QString();
  if (count_label_->text() != count) count_label_->setText(count);
  if (sum_label_->text() != sum) sum_label_->setText(sum);
}

void BookWindow::UpdateTitle() {
  if (!book_) return;
  QString title = QString::fromStdString(book_->Name());
  if (book_->ReadOnly()) title += QString::fromUtf8(texts::kReadOnlySuffix);
  // The status the workbook's macros set (the database is lost) stays in
  // the title for as long as it holds.
  if (!book_->Status().empty())
    title += QString::fromUtf8(texts::kTitleSeparator) + QString::fromStdString(book_->Status());
  title += QString::fromUtf8(texts::kTitleSeparator) + QString::fromUtf8(texts::kProductName);
  if (windowTitle() != title) setWindowTitle(title);
}

// ---- tabs ------------------------------------------------------------------

int BookWindow::PageCount() const {
  return tabs_->count();
}

SheetPage* BookWindow::Page(int index) const {
  return static_cast<SheetPage*>(tabs_->widget(index));
}

SheetPage* BookWindow::CurrentPage() const {
  return static_cast<SheetPage*>(tabs_->currentWidget());
}

void BookWindow::RebuildTabs() {
  syncing_tabs_ = true;
  while (tabs_->count() > 0) {
    QWidget* page = tabs_->widget(0);
    tabs_->removeTab(0);
    static_cast<SheetPage*>(page)->Detach();
    page->deleteLater();
  }
  sheet_names_.clear();
  if (book_) {
    for (int i = 1; i <= book_->SheetsCount(); ++i) {
      host::Worksheet& sheet = book_->Sheets(i);
      auto* page = new SheetPage(sheet);
      page->after_action = [this] { AfterAction(); };
      page->on_selection = [this, page] {
        if (page == CurrentPage()) UpdateSelectionStatus();
      };
      page->on_edit = [this, name = sheet.Name()](std::vector<EditAction> actions,
                                                  const QString& label) {
        Perform(name, std::move(actions), label);
      };
      // The grid's context menu: cut, copy, paste, clear.
      for (QTableView* view : {static_cast<QTableView*>(page->table()),
                               static_cast<QTableView*>(page->table()->frozen_row())}) {
        view->setContextMenuPolicy(Qt::ActionsContextMenu);
        view->addActions(cell_actions_);
      }
      AttachChartPanel(*page);
      tabs_->addTab(page, QString::fromStdString(sheet.Name()));
      sheet_names_.push_back(sheet.Name());
    }
    tabs_->setCurrentIndex(book_->ActiveSheet().Index() - 1);
  }
  syncing_tabs_ = false;
}

void BookWindow::OnTabChanged(int index) {
  if (syncing_tabs_ || !book_ || index < 0 || index >= book_->SheetsCount()) return;
  host::Worksheet& sheet = book_->Sheets(index + 1);
  if (&book_->ActiveSheet() != &sheet) host::user::Activate(sheet);
  if (SheetPage* page = CurrentPage()) page->setFocus();
  AfterAction();
}

void BookWindow::AfterAction() {
  // The window follows the host once the action has returned.
  QMetaObject::invokeMethod(
      this, [this] { SyncFromHost(); }, Qt::QueuedConnection);
}

void BookWindow::WorkbookClosed() {
  book_ = nullptr;
  poll_.stop();
  syncing_tabs_ = true;
  for (int i = 0; i < tabs_->count(); ++i) Page(i)->Detach();
  syncing_tabs_ = false;
  // The close may come from inside one of this window's own handlers (an
  // edit being done among them).
  QMetaObject::invokeMethod(
      this,
      [this] {
        history_.clear();
        close();
      },
      Qt::QueuedConnection);
}

void BookWindow::SyncFromHost() {
  if (!book_) return;
  if (book_->closed()) {
    WorkbookClosed();
    return;
  }
  std::vector<std::string> names;
  for (int i = 1; i <= book_->SheetsCount(); ++i) names.push_back(book_->Sheets(i).Name());
  if (names != sheet_names_) RebuildTabs();
  int active = book_->ActiveSheet().Index() - 1;
  if (tabs_->currentIndex() != active) {
    syncing_tabs_ = true;
    tabs_->setCurrentIndex(active);
    syncing_tabs_ = false;
  }
  if (SheetPage* page = CurrentPage()) page->SyncFromHost();
  UpdateTitle();
  UpdateSelectionStatus();
}

// ---- the user's actions ----------------------------------------------------

void BookWindow::SaveBook() {
  if (!book_) return;
  host::user::Save(*book_);
  AfterAction();
}

void BookWindow::SaveBookAsAsked() {
  if (!book_) return;
  QFileDialog dialog(this, QString::fromUtf8(texts::kSaveAsTitle),
                     QString::fromStdString(book_->FullName()),
                     QString::fromUtf8(texts::kOpenFilter));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix(QStringLiteral("xls"));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  SaveBookAs(dialog.selectedFiles().front());
}

bool BookWindow::SaveBookAs(const QString& path) {
  if (!book_) return false;
  try {
    book_->SaveAs(path.toStdString());
  } catch (const host::HostError& e) {
    ui::Port().ReportError(e.what());
    return false;
  }
  // The copy just written is the user's to change.
  book_->SetReadOnly(false);
  UpdateTitle();
  return true;
}

void BookWindow::CloseBook() {
  if (!book_) return;
  host::user::Close(*book_);
  SyncFromHost();
}

void BookWindow::OpenOther() {
  QString path = QFileDialog::getOpenFileName(this, QString::fromUtf8(texts::kOpenTitle), QString(),
                                              QString::fromUtf8(texts::kOpenFilter));
  if (!path.isEmpty()) OpenFile(*app_, path);
}

void BookWindow::Perform(const std::string& sheet, std::vector<EditAction> actions,
                         const QString& label) {
  if (!book_) return;
  host::Workbook* book = book_;
  auto find = [book, sheet]() -> host::Worksheet* {
    return book->closed() ? nullptr : book->FindSheet(sheet);
  };
  // An undo on another sheet first brings that sheet up, as the user would.
  auto ready = [](host::Worksheet& s) {
    if (&s.Parent().ActiveSheet() != &s) host::user::Activate(s);
  };
  history_.push(new SheetEdit(find, std::move(actions), label, ready));
}

void BookWindow::Undo() {
  if (!book_ || !history_.canUndo()) return;
  const auto* edit = static_cast<const SheetEdit*>(history_.command(history_.index() - 1));
  if (!edit->CanUndo()) {
    history_.clear();
    statusBar()->showMessage(QString::fromUtf8(texts::kUndoStale), kStatusMs);
    return;
  }
  history_.undo();
  AfterAction();
}

void BookWindow::Redo() {
  if (!book_ || !history_.canRedo()) return;
  const auto* edit = static_cast<const SheetEdit*>(history_.command(history_.index()));
  if (!edit->CanRedo()) {
    history_.clear();
    statusBar()->showMessage(QString::fromUtf8(texts::kRedoStale), kStatusMs);
    return;
  }
  history_.redo();
  AfterAction();
}

void BookWindow::closeEvent(QCloseEvent* event) {
  if (book_) {
    // The close goes through the workbook's macros; the window goes only
    // when the workbook did.
    event->ignore();
    CloseBook();
    return;
  }
  event->accept();
  if (Count() <= 1) QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
}

}  // namespace kassa::book
