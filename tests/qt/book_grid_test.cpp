// The workbook window as a spreadsheet user expects it: cells laid out by
// their number formats, Enter and Tab, copy, cut and paste of blocks, the
// context menu, undo and redo through the workbook's change events, find,
// the status bar's count and sum, the frozen header row, Save As, columns
// fitted to their contents, the icon and the help menu. Keyboard through
// QTest; the recording event sink shows what reached the workbook's macros.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QScrollBar>
#include <QStatusBar>
#include <QTest>
#include <QTabWidget>
#include <QTextBrowser>

#include "apps/kassa-book/find_bar.h"
#include "platform/ui/qt/help_window.h"
#include "tests/qt/book_fixture.h"

namespace kassa::book {
namespace {

const QString kNbsp = QString(QChar(0x00A0));
const char* const kMoney = "#,##0.00;-#,##0.00";

class BookGridTest : public BookWindowTest {
 protected:
  void SetUp() override {
    BookWindowTest::SetUp();
    window_->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_));
    // The keyboard starts in the grid.
    ASSERT_EQ(QApplication::focusWidget(), Table());
    Events();
  }

  SheetTable* Table() { return Page()->table(); }
  QString Shown(int row, int col) { return Page()->model()->data(Index(row, col)).toString(); }
  Variant Value(int row, int col) { return Sheet(1).Cells(row, col).Value(); }
  void Select(int row1, int col1, int row2, int col2) {
    Table()->setCurrentIndex(Index(row1, col1));
    Table()->selectionModel()->select(QItemSelection(Index(row1, col1), Index(row2, col2)),
                                      QItemSelectionModel::ClearAndSelect);
  }
  // The user's key on the grid (or on whatever has the keyboard).
  void Key(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : Table();
    QTest::keyClick(target, key, mods);
    Spin(20);
  }
  // Typing into the current cell: the first key opens the editor.
  void TypeIntoCell(const QString& text) {
    qttest::TypeText(Table(), text.left(1));
    QWidget* editor = QApplication::focusWidget();
    ASSERT_TRUE(qobject_cast<QLineEdit*>(editor) != nullptr);
    qttest::TypeText(editor, text.mid(1));
  }
  void MoneyInColumnB() {
    Sheet(1).MutableColumnFormat(2).number_format = kMoney;
    Sheet(1).Touch();
    window_->SyncFromHost();
  }
};

TEST_F(BookGridTest, CellsShowByTheirFormatsWhileTheEngineReadsWhatItDid) {
  const std::string engine_text = Sheet(1).Cells(2, 2).Text();
  MoneyInColumnB();
  Sheet(1).CellAt(2, 1).format.number_format = "D MMMM YYYY";
  Sheet(1).CellAt(2, 1).own_format = true;
  Sheet(1).Cells(2, 3).Value(Variant::Number(0.125));
  Sheet(1).CellAt(2, 3).format.number_format = "0%";
  Sheet(1).CellAt(2, 3).own_format = true;
  Sheet(1).Cells(3, 1).Value(Variant::Date(MakeDate(2026, 12, 1)));
  Sheet(1).CellAt(3, 1).format.number_format = "MMMM YYYY";
  Sheet(1).Cells(4, 2).Value(Variant::Number(-18264.72));
  window_->SyncFromHost();
  EXPECT_EQ(Shown(2, 2), "1" + kNbsp + "234,50");
  EXPECT_EQ(Shown(3, 2), "17,00");
  EXPECT_EQ(Shown(4, 2), "-18" + kNbsp + "264,72");
  EXPECT_EQ(Shown(2, 1), QString("6 декабря 2026"));
  EXPECT_EQ(Shown(3, 1), QString("Декабрь 2026"));
  EXPECT_EQ(Shown(2, 3), QString("13%"));
  // The editor gets the value as it is typed.
  EXPECT_EQ(Page()->model()->data(Index(2, 2), Qt::EditRole).toString(), QString("1234,5"));
  EXPECT_EQ(Page()->model()->data(Index(2, 1), Qt::EditRole).toString(), QString("06.12.2026"));
  // What the engine reads is the same as without the formats.
  EXPECT_EQ(Sheet(1).Cells(2, 2).Text(), engine_text);
  EXPECT_EQ(Sheet(1).Cells(2, 2).Value(), Variant::Number(1234.5));
  Screenshot(window_, "book_window_formats");
}

TEST_F(BookGridTest, EnterMovesDownAndTabRightAlsoWhenTheyEndAnEdit) {
  Table()->setCurrentIndex(Index(5, 2));
  TypeIntoCell("250,75");
  Key(Qt::Key_Return);
  EXPECT_EQ(Value(5, 2), Variant::Number(250.75));
  EXPECT_EQ(Events(), std::vector<std::string>{"Change Наличные!B5"});
  EXPECT_EQ(Table()->currentIndex(), Index(6, 2));
  EXPECT_EQ(Sheet(1).ActiveCell().Address(), "B6");  // the host follows the grid
  TypeIntoCell("Хлеб");
  Key(Qt::Key_Tab);
  EXPECT_EQ(Value(6, 2), Variant::Text("Хлеб"));
  EXPECT_EQ(Events(), std::vector<std::string>{"Change Наличные!B6"});
  EXPECT_EQ(Table()->currentIndex(), Index(6, 3));
  EXPECT_EQ(Sheet(1).ActiveCell().Address(), "C6");
  // Without an edit: Enter down, Shift+Enter up, Tab right, Shift+Tab left.
  Key(Qt::Key_Return);
  EXPECT_EQ(Table()->currentIndex(), Index(7, 3));
  Key(Qt::Key_Return, Qt::ShiftModifier);
  EXPECT_EQ(Table()->currentIndex(), Index(6, 3));
  Key(Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_EQ(Table()->currentIndex(), Index(6, 2));
  Key(Qt::Key_Tab);
  EXPECT_EQ(Table()->currentIndex(), Index(6, 3));
  EXPECT_TRUE(Events().empty());  // moving changes no cell
}

TEST_F(BookGridTest, ArrowKeysMoveInTheGridNotAcrossTheTabs) {
  Key(Qt::Key_Right);
  Key(Qt::Key_Down);
  EXPECT_EQ(Table()->currentIndex(), Index(2, 2));
  EXPECT_EQ(window_->CurrentPage(), window_->Page(0));
  // A sheet chosen by its tab has the keyboard at once.
  window_->findChild<QTabWidget*>()->setCurrentIndex(1);
  Spin(20);
  EXPECT_EQ(QApplication::focusWidget(), window_->Page(1)->table());
  Key(Qt::Key_Right);
  EXPECT_EQ(window_->CurrentPage(), window_->Page(1));
  EXPECT_EQ(window_->Page(1)->table()->currentIndex().column(), 1);
}

TEST_F(BookGridTest, CopyTakesTheShownBlockAndAPasteInKassaKeepsTheValues) {
  MoneyInColumnB();
  Select(2, 1, 3, 2);
  Key(Qt::Key_C, Qt::ControlModifier);
  const QMimeData* data = QApplication::clipboard()->mimeData();
  EXPECT_EQ(data->text(), "06.12.2026\t1" + kNbsp + "234,50\n\t17,00\n");
  EXPECT_TRUE(Events().empty());

  Select(10, 1, 10, 1);
  Key(Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(Events(), std::vector<std::string>{"Change Наличные!A10:B11"});
  EXPECT_EQ(Value(10, 1), Variant::Date(MakeDate(2026, 12, 6)));
  EXPECT_EQ(Value(10, 2), Variant::Number(1234.5));
  EXPECT_TRUE(Value(11, 1).IsEmpty());
  EXPECT_EQ(Value(11, 2), Variant::Number(17));

  // Text from elsewhere with grouped digits is read as the number it shows.
  QApplication::clipboard()->setText("18" + kNbsp + "264,72\r\n");
  Select(12, 2, 12, 2);
  Key(Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(Value(12, 2), Variant::Number(18264.72));
  EXPECT_EQ(Events(), std::vector<std::string>{"Change Наличные!B12"});
}

TEST_F(BookGridTest, CutCopiesAndClearsWithOneChangeAndComesBackWithUndo) {
  Select(2, 2, 3, 2);
  Key(Qt::Key_X, Qt::ControlModifier);
  EXPECT_EQ(QApplication::clipboard()->text(), QString("1234,5\n17\n"));
  EXPECT_EQ(Events(), std::vector<std::string>{"Change Наличные!B2:B3"});
  EXPECT_TRUE(Value(2, 2).IsEmpty());
  EXPECT_TRUE(Value(3, 2).IsEmpty());
  Key(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(Events(), std::vector<std::string>{"Change Наличные!B2:B3"});
  EXPECT_EQ(Value(2, 2), Variant::Number(1234.5));
  EXPECT_EQ(Value(3, 2), Variant::Number(17));
}

TEST_F(BookGridTest, TheContextMenuCutsCopiesPastesAndClears) {
  for (QTableView* view :
       {static_cast<QTableView*>(Table()), static_cast<QTableView*>(Table()->frozen_row())}) {
    EXPECT_EQ(view->contextMenuPolicy(), Qt::ActionsContextMenu);
    QStringList texts;
    for (QAction* a : view->actions()) texts << a->text();
    EXPECT_EQ(texts, (QStringList{"&Вырезать", "&Копировать", "Вст&авить", "О&чистить"}));
  }
  Select(3, 2, 3, 2);
  Table()->actions().at(3)->trigger();  // Очистить
  EXPECT_EQ(Events(), std::vector<std::string>{"Change Наличные!B3"});
  EXPECT_TRUE(Value(3, 2).IsEmpty());
  Select(2, 2, 2, 2);
  Table()->actions().at(1)->trigger();  // Копировать
  Select(3, 2, 3, 2);
  Table()->actions().at(2)->trigger();  // Вставить
  EXPECT_EQ(Value(3, 2), Variant::Number(1234.5));
}

TEST_F(BookGridTest, UndoAndRedoGoThroughTheChangeEventsOfTheCells) {
  // Typing over a value, undone and done again.
  Table()->setCurrentIndex(Index(2, 2));
  TypeIntoCell("999");
  Key(Qt::Key_Return);
  EXPECT_EQ(Value(2, 2), Variant::Number(999));
  Events();
  QAction* undo = window_->menuBar()->actions().at(1)->menu()->actions().at(0);
  EXPECT_EQ(undo->text(), QString("&Отменить ввод"));
  EXPECT_TRUE(undo->isEnabled());
  Key(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(Value(2, 2), Variant::Number(1234.5));
  EXPECT_EQ(Events(), std::vector<std::string>{"Change Наличные!B2"});
  EXPECT_EQ(Sheet(1).ActiveCell().Address(), "B2");
  Screenshot(window_, "book_window_undo");
  Key(Qt::Key_Y, Qt::ControlModifier);
  EXPECT_EQ(Value(2, 2), Variant::Number(999));
  EXPECT_EQ(Events(), std::vector<std::string>{"Change Наличные!B2"});

  // A date typed over a number: undo gives the number its own look back.
  Table()->setCurrentIndex(Index(3, 2));
  TypeIntoCell("7.12.26");
  Key(Qt::Key_Return);
  EXPECT_EQ(Shown(3, 2), QString("07.12.2026"));
  Key(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(Value(3, 2), Variant::Number(17));
  EXPECT_EQ(Shown(3, 2), QString("17"));

  // A pasted block over empty cells: undone by one clearing change.
  Events();
  QApplication::clipboard()->setText("1\tПродукты\n2\tТранспорт\n");
  Select(6, 1, 6, 1);
  Key(Qt::Key_V, Qt::ControlModifier);
  Events();
  Key(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(Events(), std::vector<std::string>{"Change Наличные!A6:B7"});
  for (int r : {6, 7})
    for (int c : {1, 2}) EXPECT_TRUE(Value(r, c).IsEmpty());

  // Clearing two ranges at once: one undo brings both back.
  Table()->setCurrentIndex(Index(2, 1));
  Table()->selectionModel()->select(QItemSelection(Index(2, 1), Index(2, 1)),
                                    QItemSelectionModel::ClearAndSelect);
  Table()->selectionModel()->select(QItemSelection(Index(3, 2), Index(3, 2)),
                                    QItemSelectionModel::Select);
  Key(Qt::Key_Delete);
  EXPECT_TRUE(Value(2, 1).IsEmpty());
  EXPECT_TRUE(Value(3, 2).IsEmpty());
  Events();
  Key(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(Value(2, 1), Variant::Date(MakeDate(2026, 12, 6)));
  EXPECT_EQ(Value(3, 2), Variant::Number(17));
  EXPECT_EQ(Events().size(), 2u);  // one change per range
}

TEST_F(BookGridTest, AnEditWhoseCellsChangedSinceIsNotUndone) {
  Table()->setCurrentIndex(Index(2, 2));
  TypeIntoCell("5");
  Key(Qt::Key_Return);
  // The engine (a refresh from the database) writes the cell meanwhile.
  Sheet(1).Cells(2, 2).Value(Variant::Number(7));
  window_->SyncFromHost();
  Events();
  Key(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(Value(2, 2), Variant::Number(7));
  EXPECT_TRUE(Events().empty());
  EXPECT_FALSE(window_->history().canUndo());
  EXPECT_TRUE(window_->StatusMessage().startsWith("Отменить нельзя"));
}

TEST_F(BookGridTest, FindGoesToTheCellsThatHoldTheText) {
  Sheet(1).Cells(5, 3).Value(Variant::Text("Проезд в транспорте"));
  Sheet(1).Cells(8, 1).Value(Variant::Text("ТРАНСПОРТ"));
  window_->SyncFromHost();
  Table()->setCurrentIndex(Index(1, 1));
  Key(Qt::Key_F, Qt::ControlModifier);
  FindBar* bar = window_->find_bar();
  ASSERT_TRUE(bar->isVisible());
  EXPECT_EQ(QApplication::focusWidget(), bar->field());
  qttest::TypeText(bar->field(), "трАнс");
  Key(Qt::Key_Return);
  EXPECT_EQ(Table()->currentIndex(), Index(5, 3));  // letter case does not matter
  EXPECT_EQ(Sheet(1).ActiveCell().Address(), "C5");
  Screenshot(window_, "book_window_find");
  Key(Qt::Key_Return);
  EXPECT_EQ(Table()->currentIndex(), Index(8, 1));
  Key(Qt::Key_Return);  // round again
  EXPECT_EQ(Table()->currentIndex(), Index(5, 3));
  Key(Qt::Key_Return, Qt::ShiftModifier);  // backwards, round the start
  EXPECT_EQ(Table()->currentIndex(), Index(8, 1));
  // The displayed text counts: the money format's grouping is found.
  MoneyInColumnB();
  bar->field()->setText("1" + kNbsp + "234");
  Key(Qt::Key_Return);
  EXPECT_EQ(Table()->currentIndex(), Index(2, 2));
  bar->field()->setText("нет такого");
  Key(Qt::Key_Return);
  EXPECT_EQ(Table()->currentIndex(), Index(2, 2));
  EXPECT_EQ(window_->StatusMessage(), QString("Не найдено: нет такого"));
  Key(Qt::Key_Escape);
  EXPECT_FALSE(bar->isVisible());
  EXPECT_EQ(QApplication::focusWidget(), Table());
  EXPECT_TRUE(Events().empty());
}

TEST_F(BookGridTest, TheStatusBarCountsAndSumsTheSelection) {
  MoneyInColumnB();
  Select(1, 1, 3, 2);
  EXPECT_EQ(window_->CountText(), QString("Количество: 5"));
  EXPECT_EQ(window_->SumText(), "Сумма: 1" + kNbsp + "251,50");  // the date is no amount
  Screenshot(window_, "book_window_status");
  // A whole column counts the cells in use.
  Table()->selectColumn(1);
  EXPECT_EQ(window_->CountText(), QString("Количество: 3"));
  EXPECT_EQ(window_->SumText(), "Сумма: 1" + kNbsp + "251,50");
  // Values change under the selection: the status follows.
  Sheet(1).Cells(3, 2).Value(Variant::Number(18));
  window_->SyncFromHost();
  EXPECT_EQ(window_->SumText(), "Сумма: 1" + kNbsp + "252,50");
  // Text alone: a count and no sum.
  Select(1, 1, 1, 2);
  EXPECT_EQ(window_->CountText(), QString("Количество: 2"));
  EXPECT_EQ(window_->SumText(), QString());
}

TEST_F(BookGridTest, TheHeaderRowStaysInViewAndIsEditedWhereItIsSeen) {
  FrozenRow* frozen = Table()->frozen_row();
  ASSERT_TRUE(frozen->isVisible());
  EXPECT_EQ(frozen->y(), Table()->horizontalHeader()->height() + Table()->frameWidth());
  EXPECT_EQ(frozen->height(), Table()->rowHeight(0));
  EXPECT_EQ(frozen->model(), Table()->model());
  Table()->setCurrentIndex(Index(300, 1));
  EXPECT_GT(Table()->verticalScrollBar()->value(), 200);
  EXPECT_EQ(frozen->indexAt(QPoint(5, 5)).row(), 0);  // still row 1 on top
  EXPECT_EQ(frozen->model()->data(frozen->indexAt(QPoint(5, 5))).toString(), QString("Дата"));
  // Row 2 comes out from under the header row when the cursor goes there.
  Table()->setCurrentIndex(Index(2, 1));
  EXPECT_EQ(Table()->verticalScrollBar()->value(), 1 - 1);
  // Scrolling sideways moves both.
  Table()->horizontalScrollBar()->setValue(120);
  EXPECT_EQ(frozen->horizontalScrollBar()->value(), Table()->horizontalScrollBar()->value());
  Table()->horizontalScrollBar()->setValue(0);
  // F2 on row 1 edits it in the frozen row.
  Table()->setCurrentIndex(Index(1, 2));
  Key(Qt::Key_F2);
  auto* editor = frozen->viewport()->findChild<QLineEdit*>();
  ASSERT_NE(editor, nullptr);
  EXPECT_TRUE(editor->isVisible());
  editor->setText("Сумма, руб.");
  Key(Qt::Key_Return);
  EXPECT_EQ(Value(1, 2), Variant::Text("Сумма, руб."));
  EXPECT_EQ(Table()->currentIndex(), Index(2, 2));
  EXPECT_EQ(QApplication::focusWidget(), Table());
  Table()->setCurrentIndex(Index(300, 1));
  Screenshot(window_, "book_window_frozen_header");
}

TEST_F(BookGridTest, SaveAsWritesTheBookUnderTheNewNameThroughTheHost) {
  const fs::path copy = dir_ / "Копия книги.xls";
  ASSERT_TRUE(window_->SaveBookAs(QString::fromStdString(copy.string())));
  EXPECT_TRUE(fs::exists(copy));
  EXPECT_EQ(window_->book()->Name(), "Копия книги.xls");
  EXPECT_EQ(window_->windowTitle(), QString("Копия книги.xls — Kassa"));
  EXPECT_TRUE(Events().empty());  // the host's SaveAs raises no event
  {
    host::Application other;
    host::Workbook& read = other.Open(copy.string());
    EXPECT_EQ(read.Sheets(1).Cells(2, 2).Value(), Variant::Number(1234.5));
    read.Close();
  }
  // A folder that cannot be written: the user is told and the name stays.
  qttest::MessageBoxAutoAnswer answer;
  EXPECT_FALSE(window_->SaveBookAs("/proc/нельзя/книга.xls"));
  ASSERT_EQ(answer.texts().size(), 1);
  EXPECT_EQ(window_->book()->Name(), "Копия книги.xls");
}

TEST_F(BookGridTest, ColumnsWidenToTheirContentsOnLoad) {
  const std::string purpose = "Хозяйственные расходы: моющие средства и бумага для кассы";
  {
    host::Application maker;
    host::Workbook& wb = maker.Open(path_);
    wb.Sheets(1).Cells(2, 3).Value(Variant::Text(purpose));
    wb.Sheets(1).ColumnWidth(4, 40);  // a column the workbook made wide
    wb.Save();
    wb.Close();
  }
  window_->book()->Close();
  window_->WorkbookClosed();
  Spin(10);
  window_ = BookWindow::OpenFile(app_, QString::fromStdString(path_));
  ASSERT_NE(window_, nullptr);
  SheetTable* table = window_->CurrentPage()->table();
  const int text = QFontMetrics(table->font()).horizontalAdvance(QString::fromStdString(purpose));
  EXPECT_GE(table->columnWidth(2), text);
  EXPECT_EQ(table->columnWidth(3), static_cast<int>(40 * 8 + 5));  // kept
  EXPECT_LT(table->columnWidth(4), 100);                           // unused: as it was
}

TEST_F(BookGridTest, TheWindowHasTheIconTheMenusAndTheGuide) {
  EXPECT_FALSE(window_->windowIcon().isNull());
  EXPECT_FALSE(QApplication::windowIcon().isNull());
  QStringList menus;
  for (QAction* a : window_->menuBar()->actions()) menus << a->text();
  EXPECT_EQ(menus, (QStringList{"&Файл", "&Правка", "&Справка"}));
  QStringList file;
  for (QAction* a : window_->menuBar()->actions().at(0)->menu()->actions())
    if (!a->isSeparator()) file << a->text();
  EXPECT_EQ(file, (QStringList{"&Открыть...", "&Сохранить", "Сохранить &как...", "&Печать...",
                               "Предварительный про&смотр...", "&Экспорт в PDF...", "&Закрыть"}));
  Key(Qt::Key_F1);
  QTextBrowser* guide = ui::qt::GuideBrowser();
  ASSERT_NE(guide, nullptr);
  EXPECT_TRUE(guide->window()->isVisible());
  EXPECT_TRUE(guide->toPlainText().contains("Ctrl+Z"));
  guide->window()->close();
}

}  // namespace
}  // namespace kassa::book
