// The workbook window: the grid shows what the host holds, and every user
// action reaches the workbook's event sink exactly once, through host::user.
#include <gtest/gtest.h>

#include <QApplication>
#include <QBrush>
#include <QClipboard>
#include <QFile>
#include <QFont>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "apps/kassa-book/book_window.h"
#include "apps/kassa-book/sheet_model.h"
#include "apps/kassa-book/sheet_page.h"
#include "platform/host/host.h"
#include "tests/qt/book_fixture.h"
#include "tests/qt/qt_test_support.h"

namespace kassa::book {
namespace {

TEST_F(BookWindowTest, OpensOneTabPerSheetWithTheBookInTheTitle) {
  EXPECT_EQ(Events(), (std::vector<std::string>{"Open " + fs::path(path_).filename().string()}));
  ASSERT_EQ(window_->PageCount(), 2);
  auto* tabs = window_->findChild<QTabWidget*>();
  EXPECT_EQ(tabs->tabText(0), QString("Наличные"));
  EXPECT_EQ(tabs->tabText(1), QString("Категории"));
  // The file's name, then the program's.
  EXPECT_EQ(window_->windowTitle(),
            QString::fromStdString(fs::path(path_).filename().string()) + " — Kassa");
  SheetModel* m = Page()->model();
  EXPECT_EQ(m->rowCount(), 65536);
  EXPECT_EQ(m->headerData(0, Qt::Horizontal).toString(), QString("A"));
  EXPECT_EQ(m->headerData(27, Qt::Horizontal).toString(), QString("AB"));
  EXPECT_EQ(m->headerData(65535, Qt::Vertical).toInt(), 65536);
  EXPECT_EQ(m->data(Index(1, 1)).toString(), QString("Дата"));
  EXPECT_EQ(m->data(Index(2, 1)).toString(), QString("06.12.2026"));
  EXPECT_EQ(m->data(Index(2, 2)).toString(), QString("1234,5"));
  EXPECT_EQ(m->data(Index(4, 4)).toString(), QString());
  Screenshot(window_, "book_window_test_workbook");
}

// The status the workbook's macros set (the engine: the database is lost)
// stands in the title for as long as it holds.
TEST_F(BookWindowTest, TheWorkbooksStatusShowsInTheTitle) {
  const QString name = QString::fromStdString(fs::path(path_).filename().string());
  window_->book()->SetStatus("нет связи с базой данных");
  window_->SyncFromHost();
  EXPECT_EQ(window_->windowTitle(), name + " — нет связи с базой данных — Kassa");
  Screenshot(window_, "book_window_status");
  window_->book()->SetStatus("");
  window_->SyncFromHost();
  EXPECT_EQ(window_->windowTitle(), name + " — Kassa");
}

TEST_F(BookWindowTest, MarksSetByTheEngineShowAsColourAndBold) {
  Sheet(1).Cells(2, 2).Font().ColorIndex(host::kColorRed);
  Sheet(1).Cells(3, 2).Font().ColorIndex(host::kColorGrey);
  Sheet(1).Rows(1).Font().Bold(true);
  window_->SyncFromHost();
  SheetModel* m = Page()->model();
  EXPECT_EQ(m->data(Index(2, 2), Qt::ForegroundRole).value<QBrush>().color(), SheetModel::Red());
  EXPECT_EQ(m->data(Index(3, 2), Qt::ForegroundRole).value<QBrush>().color(), SheetModel::Grey());
  EXPECT_FALSE(m->data(Index(2, 1), Qt::ForegroundRole).isValid());
  EXPECT_TRUE(m->data(Index(1, 2), Qt::FontRole).value<QFont>().bold());
  EXPECT_FALSE(m->data(Index(2, 2), Qt::FontRole).value<QFont>().bold());
  Screenshot(window_, "book_window_marks");
}

TEST_F(BookWindowTest, EditingACellRaisesOneChangeForThatCell) {
  Events();
  SheetTable* table = Page()->table();
  QModelIndex at = Index(5, 2);
  table->setCurrentIndex(at);
  table->edit(at);
  auto* editor = table->viewport()->findChild<QLineEdit*>();
  ASSERT_NE(editor, nullptr);
  editor->setText("250,75");
  QTest::keyClick(editor, Qt::Key_Return);
  Spin(30);
  EXPECT_EQ(Events(), std::vector<std::string>{"Change Наличные!B5"});
  EXPECT_EQ(Sheet(1).Cells(5, 2).Value(), Variant::Number(250.75));
  EXPECT_EQ(Page()->model()->data(at).toString(), QString("250,75"));
}

TEST_F(BookWindowTest, PasteRaisesOneChangeForTheBlock) {
  Events();
  SheetTable* table = Page()->table();
  table->setCurrentIndex(Index(6, 1));
  QApplication::clipboard()->setText("1\tПродукты\r\n2\tТранспорт\r\n");
  QTest::keyClick(table, Qt::Key_V, Qt::ControlModifier);
  Spin(10);
  EXPECT_EQ(Events(), std::vector<std::string>{"Change Наличные!A6:B7"});
  EXPECT_EQ(Sheet(1).Cells(7, 1).Value(), Variant::Number(2));
  EXPECT_EQ(Sheet(1).Cells(7, 2).Value(), Variant::Text("Транспорт"));
}

TEST_F(BookWindowTest, DeleteClearsTheSelectionWithOneChange) {
  Events();
  SheetTable* table = Page()->table();
  table->setCurrentIndex(Index(2, 1));
  table->selectionModel()->select(QItemSelection(Index(2, 1), Index(3, 2)),
                                  QItemSelectionModel::ClearAndSelect);
  QTest::keyClick(table, Qt::Key_Delete);
  Spin(10);
  EXPECT_EQ(Events(), std::vector<std::string>{"Change Наличные!A2:B3"});
  EXPECT_TRUE(Sheet(1).Cells(2, 2).Value().IsEmpty());
  EXPECT_TRUE(Sheet(1).Cells(3, 2).Value().IsEmpty());
}

TEST_F(BookWindowTest, SelectionAndActiveSheetTravelBothWays) {
  Events();
  SheetTable* table = Page()->table();
  table->setCurrentIndex(Index(4, 3));
  EXPECT_EQ(Sheet(1).ActiveCell().Row(), 4);
  EXPECT_EQ(Sheet(1).ActiveCell().Column(), 3);

  // The engine selects a whole row: the view follows.
  Sheet(1).Rows(7).Select();
  window_->SyncFromHost();
  EXPECT_EQ(table->currentIndex().row(), 6);
  EXPECT_TRUE(table->selectionModel()->isRowSelected(6, QModelIndex()));

  // The user changes tabs: deactivate, then activate.
  window_->findChild<QTabWidget*>()->setCurrentIndex(1);
  EXPECT_EQ(Events(), (std::vector<std::string>{"Deactivate", "Activate Категории"}));
  EXPECT_EQ(&window_->book()->ActiveSheet(), &Sheet(2));
  // The engine activates a sheet: the tab follows, without further events.
  Sheet(1).Activate();
  Events();
  window_->SyncFromHost();
  EXPECT_EQ(window_->findChild<QTabWidget*>()->currentIndex(), 0);
  EXPECT_TRUE(Events().empty());
}

TEST_F(BookWindowTest, SheetButtonRunsItsMacroWithTheSheet) {
  Events();
  auto* button = Page()->findChild<QPushButton*>("B_Commom");
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button->text(), QString("Меню"));
  QTest::mouseClick(button, Qt::LeftButton);
  EXPECT_EQ(Events(), std::vector<std::string>{"Macro Action_Common Наличные"});
}

TEST_F(BookWindowTest, SaveAndCloseGoThroughTheWorkbookEvents) {
  Events();
  Sheet(1).Cells(9, 1).Value(Variant::Text("новое"));
  window_->book()->MarkChanged();
  fs::file_time_type before = fs::last_write_time(path_);
  Spin(20);
  QTest::keyClick(window_, Qt::Key_S, Qt::ControlModifier);
  EXPECT_EQ(Events(), std::vector<std::string>{"BeforeSave"});
  EXPECT_GT(fs::last_write_time(path_), before);

  QPointer<BookWindow> guard(window_);
  window_->close();
  EXPECT_EQ(Events(), std::vector<std::string>{"BeforeClose"});
  EXPECT_EQ(window_->book(), nullptr);
  Spin(30);
  EXPECT_TRUE(guard.isNull());  // the window went with its workbook
  window_ = nullptr;
}

TEST_F(BookWindowTest, OpeningAnOpenBookAgainBringsUpItsWindow) {
  Events();
  EXPECT_EQ(BookWindow::OpenFile(app_, QString::fromStdString(path_)), window_);
  EXPECT_TRUE(Events().empty());  // no second open event
  EXPECT_EQ(BookWindow::Count(), 1);
}

TEST_F(BookWindowTest, ReadOnlyFileOpensReadOnly) {
  std::string ro = path_ + ".ro.xlsx";
  fs::copy_file(path_, ro);
  fs::permissions(ro, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  BookWindow* w = BookWindow::OpenFile(app_, QString::fromStdString(ro));
  ASSERT_NE(w, nullptr);
  EXPECT_TRUE(w->book()->ReadOnly());
  EXPECT_TRUE(w->windowTitle().contains("[только чтение]"));
  w->book()->Close();
  w->WorkbookClosed();
}

TEST_F(BookWindowTest, AFileThatCannotBeReadIsReportedInAMessageBox) {
  qttest::MessageBoxAutoAnswer answer;
  EXPECT_EQ(BookWindow::OpenFile(app_, QString::fromStdString((dir_ / "нет-такой.xlsx").string())),
            nullptr);
  ASSERT_EQ(answer.texts().size(), 1);
  EXPECT_TRUE(answer.texts().front().contains("нет-такой.xlsx"));
}

}  // namespace
}  // namespace kassa::book
