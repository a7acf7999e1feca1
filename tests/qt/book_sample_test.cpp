// The sample workbook in the workbook window with the real engine and
// service library against the test database: the sheets come from the
// database, an edit in the grid reaches the table, the sheet buttons open
// the service's dialogs at their layout, a category added through its
// dialog lands in the table and on the sheet, and a refreshed statistics
// sheet shows its chart and month totals and saves them.
#include <gtest/gtest.h>

#include <QAbstractBarSeries>
#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include "apps/kassa-book/book_window.h"
#include "apps/kassa-book/chart_view.h"
#include "apps/kassa-book/sheet_model.h"
#include "apps/kassa-book/sheet_page.h"
#include "platform/host/host.h"
#include "platform/ui/form.h"
#include "platform/ui/qt/form_window.h"
#include "tests/qt/qt_test_support.h"
#include "tests/support/testsupport.h"

namespace kassa::book {
namespace {

namespace fs = std::filesystem;
using qttest::Screenshot;
using qttest::Spin;

ui::qt::FormWindow* WindowOf(const char* form) {
  ui::Form* f = ui::FindForm(form);
  return f ? static_cast<ui::qt::FormWindow*>(f->native) : nullptr;
}

template <class W>
W* Widget(const char* form, const char* control) {
  ui::qt::FormWindow* w = WindowOf(form);
  return w ? qobject_cast<W*>(w->ControlWidget(control)) : nullptr;
}

// Takes one screenshot of the engine's progress window the first time it is
// up (the engine lets timers run while it repaints the window).
class ProgressCatcher {
 public:
  ProgressCatcher() {
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      ui::qt::FormWindow* w = WindowOf("Dispay_Proccess");
      if (!w || !w->isVisible() || caught_) return;
      caught_ = !Screenshot(w, "progress_window_engine").isEmpty();
    });
    timer_.start(0);
  }
  bool caught() const { return caught_; }

 private:
  QTimer timer_;
  bool caught_ = false;
};

// An empty ledger given two categories, two employees and three payments,
// the third of them `third`.
void FillLedger(const std::string& third) {
  ASSERT_TRUE(testsupport::ResetDatabase());
  ASSERT_TRUE(testsupport::RootExec(
      "INSERT INTO CATEGORY_NAL VALUES (1,'ПРОД','Продукты'),(2,'ТРАН','Транспорт')"));
  ASSERT_TRUE(testsupport::RootExec(
      "INSERT INTO OUR_MEMBERS VALUES (1,'ИвановИИ','Иванов','Иван','Иванович','Кассир'),"
      "(2,'ПетроваАС','Петрова','Анна','Сергеевна','Бухгалтер')"));
  ASSERT_TRUE(
      testsupport::RootExec("INSERT INTO NAL VALUES (2,'2026-12-01',1,'Хлеб и молоко',350.5,1),"
                            "(3,'2026-12-02',2,'Проезд',120,2)," +
                            third));
}

TEST(SampleBook, SampleWorkbookWorksThroughTheWindow) {
  if (!testsupport::HaveTestEnv()) GTEST_SKIP() << "needs the database test environment";
  const testsupport::TestEnv env = testsupport::TestEnv::FromEnvironment();
  const fs::path sample = fs::path(env.deploy) / "Kassa.xls";
  if (!fs::exists(sample)) GTEST_SKIP() << "no sample workbook in " << env.deploy;
  ASSERT_NO_FATAL_FAILURE(FillLedger("(4,'2026-12-03',1,'Канцтовары',780,1)"));

  const fs::path dir = fs::temp_directory_path() / ("kassa-qt-sample-" + std::to_string(getpid()));
  fs::create_directories(dir);
  const fs::path book_path = dir / "Kassa.xls";
  fs::copy_file(sample, book_path, fs::copy_options::overwrite_existing);

  host::Application app;
  qttest::MessageBoxAutoAnswer answers;
  BookWindow* window = nullptr;
  {
    ProgressCatcher progress;
    window = BookWindow::OpenFile(app, QString::fromStdString(book_path.string()));
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(progress.caught());
  }
  window->resize(1100, 500);
  ASSERT_EQ(window->PageCount(), 5);
  auto* tabs = window->findChild<QTabWidget*>();
  EXPECT_EQ(tabs->tabText(0), QString("Наличные"));
  EXPECT_EQ(tabs->tabText(4), QString("Статистика по сотрудникам"));
  SheetModel* cash = window->Page(0)->model();
  EXPECT_EQ(cash->data(cash->index(1, 1)).toString(), QString("ИвановИИ"));
  EXPECT_EQ(cash->data(cash->index(2, 2)).toString(), QString("Проезд"));
  EXPECT_EQ(cash->data(cash->index(3, 3)).toString(), QString("780,00"));  // money
  Screenshot(window, "book_window_sample");

  // An edit in the grid is written to its record.
  SheetTable* table = window->Page(0)->table();
  QModelIndex sum = cash->index(2, 3);  // D3: the amount of record 3
  table->setCurrentIndex(sum);
  table->edit(sum);
  auto* editor = table->viewport()->findChild<QLineEdit*>();
  ASSERT_NE(editor, nullptr);
  editor->setText("125,25");
  QTest::keyClick(editor, Qt::Key_Return);
  Spin(100);
  EXPECT_EQ(testsupport::RootQuery("SELECT SUM_RUB FROM NAL WHERE ID_EXL = 3"),
            (std::vector<std::vector<std::string>>{{"125.25"}}));

  // The common menu at its layout.
  auto* menu_button = window->Page(0)->findChild<QPushButton*>("B_Commom");
  ASSERT_NE(menu_button, nullptr);
  menu_button->click();
  ui::qt::FormWindow* common = WindowOf("Choice_Action_Common");
  ASSERT_NE(common, nullptr);
  EXPECT_TRUE(common->isVisible());
  EXPECT_EQ(common->ControlWidget("B_Save_Common")->geometry(), QRect(8, 8, 63, 29));
  EXPECT_EQ(common->ControlWidget("B_Refresh_Common")->geometry(), QRect(8, 48, 63, 29));
  EXPECT_EQ(common->ControlWidget("B_Archive_Common")->geometry(), QRect(8, 88, 63, 29));
  Screenshot(common, "ledgertools_choice_action_common");
  common->close();
  EXPECT_FALSE(common->isVisible());

  // The category sheet, its menu and the entry dialog.
  tabs->setCurrentIndex(1);
  Spin(50);
  EXPECT_EQ(window->book()->ActiveSheet().Name(), "Категории");
  SheetModel* categories = window->Page(1)->model();
  EXPECT_EQ(categories->data(categories->index(2, 0)).toString(), QString("ТРАН"));
  window->Page(1)->findChild<QPushButton*>("B_Category")->click();
  ui::qt::FormWindow* category_menu = WindowOf("Choice_Action_Category");
  ASSERT_NE(category_menu, nullptr);
  Screenshot(category_menu, "ledgertools_choice_action_category");
  bool entry_seen = false;
  QTimer::singleShot(50, [&] {
    ui::qt::FormWindow* entry = WindowOf("Input_Nal_Category");
    ASSERT_NE(entry, nullptr);
    entry_seen = entry->isVisible();
    qttest::TypeText(Widget<QLineEdit>("Input_Nal_Category", "TB_Name_Encipher"), "ХОЗ");
    qttest::TypeText(Widget<QLineEdit>("Input_Nal_Category", "TB_Description_Payment"),
                     "Хозяйственные расходы");
    Screenshot(entry, "ledgertools_input_nal_category");
    Widget<QPushButton>("Input_Nal_Category", "B_Input")->click();
  });
  // The add operation waits for the dialog inside this click.
  Widget<QPushButton>("Choice_Action_Category", "B_Add_Category")->click();
  EXPECT_TRUE(entry_seen);
  EXPECT_EQ(
      testsupport::RootQuery("SELECT ID_CATEGORY_PAYMENT, NAME_ENCIPHER FROM CATEGORY_NAL WHERE "
                             "DESCRIPTION_PAYMENT = 'Хозяйственные расходы'"),
      (std::vector<std::vector<std::string>>{{"3", "ХОЗ"}}));
  window->SyncFromHost();
  EXPECT_EQ(categories->data(categories->index(3, 0)).toString(), QString("ХОЗ"));
  Screenshot(window, "book_window_sample_categories");

  // The employee menu and its entry dialog, left by "Выход": nothing added.
  tabs->setCurrentIndex(2);
  Spin(50);
  window->Page(2)->findChild<QPushButton*>("B_Member")->click();
  ui::qt::FormWindow* member_menu = WindowOf("Choice_Action_Member");
  ASSERT_NE(member_menu, nullptr);
  Screenshot(member_menu, "ledgertools_choice_action_member");
  bool member_entry_seen = false;
  QTimer::singleShot(50, [&] {
    ui::qt::FormWindow* entry = WindowOf("Input_Nal_Member");
    ASSERT_NE(entry, nullptr);
    member_entry_seen = entry->isVisible();
    EXPECT_EQ(entry->windowTitle(), QString("Ввод сотрудника"));
    Screenshot(entry, "ledgertools_input_nal_member");
    Widget<QPushButton>("Input_Nal_Member", "B_Exit")->click();
  });
  Widget<QPushButton>("Choice_Action_Member", "B_Add_Member")->click();
  EXPECT_TRUE(member_entry_seen);
  EXPECT_EQ(testsupport::RootQuery("SELECT COUNT(*) FROM OUR_MEMBERS"),
            (std::vector<std::vector<std::string>>{{"2"}}));

  // The statistics menu.
  tabs->setCurrentIndex(3);
  Spin(50);
  window->Page(3)->findChild<QPushButton*>("B_Expences_Category")->click();
  ui::qt::FormWindow* expences = WindowOf("Choice_Action_Expences");
  ASSERT_NE(expences, nullptr);
  EXPECT_EQ(expences->ControlWidget("B_Refresh_Expences")->geometry(), QRect(8, 8, 63, 29));
  Screenshot(expences, "ledgertools_choice_action_expences");
  expences->close();
  Screenshot(window, "book_window_sample_statistics");

  // Its refresh fills the table from the view; the chart beside it and the
  // month totals follow, summed as the view sums.
  ChartPanel* panel = ChartPanelOf(*window->Page(3));
  ASSERT_NE(panel, nullptr);
  ASSERT_EQ(panel->ChartCount(), 1);
  window->Page(3)->findChild<QPushButton*>("B_Expences_Category")->click();
  Widget<QPushButton>("Choice_Action_Expences", "B_Refresh_Expences")->click();
  window->SyncFromHost();
  Spin(50);
  const auto month = testsupport::RootQuery(
      "SELECT NAME_MONTH, YEAR_ON, SUM(SUM_RUB) FROM Expences_Category_Exl "
      "GROUP BY NAME_MONTH, YEAR_ON");
  ASSERT_EQ(month.size(), 1u);
  ASSERT_EQ(panel->Totals(0)->rowCount(), 2);
  EXPECT_EQ(panel->Totals(0)->item(0, 0)->text(),
            QString::fromStdString(month[0][0] + " " + month[0][1]));
  EXPECT_EQ(panel->Totals(0)->item(0, 1)->text(), MoneyText(std::stod(month[0][2])));
  // One bar part per category the month has.
  auto* bars = qobject_cast<QAbstractBarSeries*>(panel->View(0)->chart()->series().value(0));
  ASSERT_NE(bars, nullptr);
  EXPECT_EQ(
      std::to_string(bars->count()),
      testsupport::RootQuery("SELECT COUNT(DISTINCT Category) FROM Expences_Category_Exl")[0][0]);
  Screenshot(window, "book_window_sample_statistics_chart");
  EXPECT_NE(ChartPanelOf(*window->Page(4)), nullptr);

  // Saved, the workbook carries the chart over the sheet's figures.
  window->SaveBook();
  Spin(50);
  {
    host::Application reader;
    host::Workbook& saved = reader.OpenWithoutMacros(book_path.string());
    EXPECT_EQ(saved.Sheets(4).charts().size(), 1u);
    EXPECT_EQ(saved.Sheets(5).charts().size(), 1u);
    EXPECT_EQ(host::ValueExtent(saved.Sheets(4)).columns, 4);
  }
  auto chart_part =
      testsupport::Run({"/usr/bin/python3", "-c",
                        "import sys, zipfile; "
                        "sys.stdout.write(zipfile.ZipFile(sys.argv[1]).read(sys.argv[2]).decode())",
                        book_path.string(), "xl/charts/chart1.xml"});
  EXPECT_NE(chart_part.output.find("<c:f>'Статистика по категориям'!$F$2</c:f>"), std::string::npos)
      << chart_part.output << chart_part.error;

  // Closing goes through the engine; the window goes with the workbook.
  QPointer<BookWindow> guard(window);
  window->close();
  Spin(100);
  EXPECT_TRUE(guard.isNull());
  fs::remove_all(dir);
}

using Rows = std::vector<std::vector<std::string>>;

Rows Payments() {
  return testsupport::RootQuery(
      "SELECT ID_EXL, DATE_ON, RECIPIENT_ID, ESTABLISH_PAYMENT, SUM_RUB, CATEGORY_PAYMENT_ID "
      "FROM NAL ORDER BY ID_EXL");
}

// Statements of a kind the server ran so far (all sessions; the test server
// serves this test alone).
long Statements(const char* kind) {
  Rows r = testsupport::RootQuery(std::string("SHOW GLOBAL STATUS LIKE '") + kind + "'");
  return r.empty() ? -1 : std::stol(r[0][1]);
}

TEST(SampleBook, MoneyLooksLikeMoneyAndUndoPutsTheDatabaseRowBack) {
  if (!testsupport::HaveTestEnv()) GTEST_SKIP() << "needs the database test environment";
  const testsupport::TestEnv env = testsupport::TestEnv::FromEnvironment();
  const fs::path sample = fs::path(env.deploy) / "Kassa.xls";
  if (!fs::exists(sample)) GTEST_SKIP() << "no sample workbook in " << env.deploy;
  ASSERT_NO_FATAL_FAILURE(FillLedger("(4,'2026-12-03',1,'Ремонт кассы',18264.72,1)"));
  const Rows before = Payments();

  const fs::path dir = fs::temp_directory_path() / ("kassa-qt-money-" + std::to_string(getpid()));
  fs::create_directories(dir);
  const fs::path book_path = dir / "Kassa.xls";
  fs::copy_file(sample, book_path, fs::copy_options::overwrite_existing);
  host::Application app;
  qttest::MessageBoxAutoAnswer answers;
  BookWindow* window = BookWindow::OpenFile(app, QString::fromStdString(book_path.string()));
  ASSERT_NE(window, nullptr);
  window->resize(1100, 500);
  ASSERT_TRUE(QTest::qWaitForWindowActive(window));
  SheetPage* cash = window->Page(0);
  SheetModel* m = cash->model();
  SheetTable* table = cash->table();
  table->setFocus();
  const QString nbsp(QChar(0x00A0));
  auto shown = [&](int row, int col) { return m->data(m->index(row - 1, col - 1)).toString(); };
  EXPECT_EQ(shown(2, 1), QString("01.12.2026"));
  EXPECT_EQ(shown(2, 4), QString("350,50"));
  EXPECT_EQ(shown(3, 4), QString("120,00"));
  EXPECT_EQ(shown(4, 4), "18" + nbsp + "264,72");
  // What the engine compares is the value's own text, as before.
  EXPECT_EQ(window->book()->Sheets(1).Cells(3, 4).Text(), "120");
  table->setCurrentIndex(m->index(1, 3));
  table->selectionModel()->select(QItemSelection(m->index(1, 3), m->index(3, 3)),
                                  QItemSelectionModel::ClearAndSelect);
  EXPECT_EQ(window->SumText(), "Сумма: 18" + nbsp + "735,22");
  Screenshot(window, "book_window_sample_formats");

  // The formatted sheet compares equal to the database: a save stores
  // nothing and asks nothing.
  const long deletes = Statements("Com_delete"), inserts = Statements("Com_insert");
  QTest::keyClick(table, Qt::Key_S, Qt::ControlModifier);
  Spin(50);
  EXPECT_EQ(Statements("Com_delete"), deletes);
  EXPECT_EQ(Statements("Com_insert"), inserts);
  EXPECT_TRUE(answers.texts().isEmpty()) << answers.texts().join("|").toStdString();
  EXPECT_EQ(Payments(), before);

  auto type = [&](int row, int col, const QString& text) {
    // The keyboard came back from the engine's progress and wait windows.
    ASSERT_TRUE(window->isActiveWindow());
    table->setCurrentIndex(m->index(row - 1, col - 1));
    qttest::TypeText(table, text.left(1));
    ASSERT_NE(qobject_cast<QLineEdit*>(QApplication::focusWidget()), nullptr);
    qttest::TypeText(QApplication::focusWidget(), text.mid(1));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    Spin(100);
  };
  auto key = [&](Qt::Key k, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QTest::keyClick(table, k, mods);
    Spin(100);
  };
  auto sum_of = [](int id) {
    return testsupport::RootQuery("SELECT SUM_RUB FROM NAL WHERE ID_EXL = " + std::to_string(id));
  };
  // Typing over a payment's amount, undone and done again.
  type(3, 4, "125,25");
  EXPECT_EQ(sum_of(3), (Rows{{"125.25"}}));
  key(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(sum_of(3), (Rows{{"120"}}));
  EXPECT_EQ(Payments(), before);
  key(Qt::Key_Y, Qt::ControlModifier);
  EXPECT_EQ(sum_of(3), (Rows{{"125.25"}}));
  key(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(Payments(), before);
  // The recipient goes through its dictionary both ways.
  type(2, 2, "ПетроваАС");
  EXPECT_EQ(testsupport::RootQuery("SELECT RECIPIENT_ID FROM NAL WHERE ID_EXL = 2"), (Rows{{"2"}}));
  key(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(Payments(), before);
  // Two amounts cleared, then back.
  table->setCurrentIndex(m->index(1, 3));
  table->selectionModel()->select(QItemSelection(m->index(1, 3), m->index(2, 3)),
                                  QItemSelectionModel::ClearAndSelect);
  key(Qt::Key_Delete);
  EXPECT_EQ(sum_of(2), (Rows{{"NULL"}}));
  key(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(Payments(), before);
  Screenshot(window, "book_window_sample_undo");
  // A grouped amount, as the sheet shows it, is stored as the number.
  type(5, 4, "1" + nbsp + "234,50");
  EXPECT_EQ(sum_of(5), (Rows{{"1234.5"}}));
  EXPECT_EQ(shown(5, 4), "1" + nbsp + "234,50");

  // Closing compares again: nothing differs, nothing is asked.
  QPointer<BookWindow> guard(window);
  window->close();
  Spin(100);
  EXPECT_TRUE(guard.isNull());
  EXPECT_TRUE(answers.texts().isEmpty()) << answers.texts().join("|").toStdString();
  fs::remove_all(dir);
}

}  // namespace
}  // namespace kassa::book
