#include "apps/kassa-book/book_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenuBar>
#include <QTabBar>
#include <QTabWidget>
#include <algorithm>
#include <vector>

#include "apps/kassa-book/chart_view.h"
#include "apps/kassa-book/sheet_model.h"
#include "apps/kassa-book/sheet_page.h"
#include "apps/kassa-book/sheet_print.h"
#include "apps/kassa-book/texts.h"
#include "platform/host/host.h"
#include "platform/ui/ui.h"

namespace kassa::book {
namespace {

constexpr int kPollMs = 250;

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

int BookWindow::Count() { return static_cast<int>(Windows().size()); }

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

BookWindow::BookWindow(host::Application& app, host::Workbook& book)
    : app_(&app), book_(&book) {
  setAttribute(Qt::WA_DeleteOnClose);
  Windows().push_back(this);
  tabs_ = new QTabWidget(this);
  tabs_->setTabPosition(QTabWidget::South);
  tabs_->setDocumentMode(true);
  setCentralWidget(tabs_);
  connect(tabs_, &QTabWidget::currentChanged, this, [this](int i) { OnTabChanged(i); });
  BuildMenu();
  RebuildTabs();
  UpdateTitle();
  resize(1000, 640);
  connect(&poll_, &QTimer::timeout, this, [this] { SyncFromHost(); });
  poll_.start(kPollMs);
}

BookWindow::~BookWindow() {
  auto& all = Windows();
  all.erase(std::remove(all.begin(), all.end(), this), all.end());
}

void BookWindow::BuildMenu() {
  QMenu* file = menuBar()->addMenu(QString::fromUtf8(texts::kMenuFile));
  QAction* open = file->addAction(QString::fromUtf8(texts::kOpen));
  open->setShortcut(QKeySequence::Open);
  connect(open, &QAction::triggered, this, [this] { OpenOther(); });
  QAction* save = file->addAction(QString::fromUtf8(texts::kSave));
  save->setShortcut(QKeySequence::Save);
  connect(save, &QAction::triggered, this, [this] { SaveBook(); });
  file->addSeparator();
  AddPrintActions(*file, *this);
  file->addSeparator();
  QAction* close = file->addAction(QString::fromUtf8(texts::kClose));
  close->setShortcut(QKeySequence::Close);
  connect(close, &QAction::triggered, this, [this] { this->close(); });
}

int BookWindow::PageCount() const { return tabs_->count(); }

SheetPage* BookWindow::Page(int index) const {
  return static_cast<SheetPage*>(tabs_->widget(index));
}

SheetPage* BookWindow::CurrentPage() const {
  return static_cast<SheetPage*>(tabs_->currentWidget());
}

void BookWindow::UpdateTitle() {
  if (!book_) return;
  QString title = QString::fromStdString(book_->Name());
  if (book_->ReadOnly()) title += QString::fromUtf8(texts::kReadOnlySuffix);
  setWindowTitle(title);
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
  AfterAction();
}

void BookWindow::AfterAction() {
  // The window follows the host once the action has returned.
  QMetaObject::invokeMethod(this, [this] { SyncFromHost(); }, Qt::QueuedConnection);
}

void BookWindow::WorkbookClosed() {
  book_ = nullptr;
  poll_.stop();
  syncing_tabs_ = true;
  for (int i = 0; i < tabs_->count(); ++i) Page(i)->Detach();
  syncing_tabs_ = false;
  // The close may come from inside one of this window's own handlers.
  QMetaObject::invokeMethod(this, [this] { close(); }, Qt::QueuedConnection);
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
}

void BookWindow::SaveBook() {
  if (!book_) return;
  host::user::Save(*book_);
  AfterAction();
}

void BookWindow::CloseBook() {
  if (!book_) return;
  host::user::Close(*book_);
  SyncFromHost();
}

void BookWindow::OpenOther() {
  QString path = QFileDialog::getOpenFileName(this, QString::fromUtf8(texts::kOpenTitle),
                                              QString(), QString::fromUtf8(texts::kOpenFilter));
  if (!path.isEmpty()) OpenFile(*app_, path);
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
