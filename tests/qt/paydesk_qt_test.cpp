// The cash entry program in Qt windows: the entry window and its two pickers
// rendered from the program's forms, the date picker set to today, the
// pickers filled from the database and a chosen row handed to the window.
#include <gtest/gtest.h>

#include <QCalendarWidget>
#include <QDateEdit>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <functional>

#include "paydesk/paydesk.h"
#include "platform/ui/form.h"
#include "platform/ui/qt/form_window.h"
#include "tests/qt/qt_test_support.h"
#include "tests/support/testsupport.h"

namespace kassa::paydesk {
namespace {

using qttest::Screenshot;

ui::qt::FormWindow* WindowOf(const char* form) {
  ui::Form* f = ui::FindForm(form);
  return f ? static_cast<ui::qt::FormWindow*>(f->native) : nullptr;
}

template <class W>
W* Widget(const char* form, const char* control) {
  ui::qt::FormWindow* w = WindowOf(form);
  return w ? qobject_cast<W*>(w->ControlWidget(control)) : nullptr;
}

// Runs the program; `script` acts as the user once its window is up and must
// end the program. Returns the program's exit status.
int RunWithUser(std::function<void()> script) {
  QTimer::singleShot(0, [script] {
    script();
    // Whatever the script left, the program ends through its own button.
    if (auto* exit = Widget<QPushButton>("Input_Nal_Pay", "Button_Exit"); exit && exit->isVisible())
      exit->click();
  });
  return RunPaydesk();
}

TEST(PaydeskQt, EntryWindowOpensWithTodayInTheDatePicker) {
  bool seen = false;
  int status = RunWithUser([&] {
    ui::qt::FormWindow* window = WindowOf("Input_Nal_Pay");
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->windowTitle().startsWith("Форма ввода"));
    auto* date = Widget<QDateEdit>("Input_Nal_Pay", "Date_On");
    ASSERT_NE(date, nullptr);
    EXPECT_EQ(date->date(), QDate::currentDate());
    // The Russian short date, and a calendar in Russian.
    EXPECT_EQ(date->displayFormat(), QString("dd.MM.yyyy"));
    EXPECT_EQ(date->text(), QDate::currentDate().toString("dd.MM.yyyy"));
    EXPECT_TRUE(date->calendarPopup());
    EXPECT_EQ(date->calendarWidget()->locale().language(), QLocale::Russian);
    EXPECT_EQ(date->calendarWidget()->firstDayOfWeek(), Qt::Monday);
    // The help menu above the entry fields.
    auto* menu = window->findChild<QMenuBar*>();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->actions().front()->text(), QString("&Справка"));
    // Escape does not end the program (only "Выход" does).
    QTest::keyClick(window, Qt::Key_Escape);
    EXPECT_TRUE(window->isVisible());
    auto* sum = Widget<QLineEdit>("Input_Nal_Pay", "Sum_RUB");
    ASSERT_NE(sum, nullptr);
    EXPECT_TRUE(sum->text().isEmpty());
    EXPECT_FALSE(Screenshot(window, "paydesk_entry_form").isEmpty());
    seen = true;
  });
  EXPECT_TRUE(seen);
  EXPECT_EQ(status, 0);
}

TEST(PaydeskQt, PickersListTheDictionariesAndHandTheChosenRowToTheWindow) {
  if (!testsupport::HaveTestEnv()) GTEST_SKIP() << "needs the database test environment";
  ASSERT_TRUE(testsupport::ResetDatabase());
  ASSERT_TRUE(testsupport::RootExec(
      "INSERT INTO CATEGORY_NAL VALUES (1,'ПРОД','Продукты'),(2,'ТРАН','Транспорт'),"
      "(3,'ХОЗ','Хозяйственные расходы')"));
  ASSERT_TRUE(testsupport::RootExec(
      "INSERT INTO OUR_MEMBERS VALUES (1,'ИвановИИ','Иванов','Иван','Иванович','Кассир'),"
      "(2,'ПетроваАС','Петрова','Анна','Сергеевна','Бухгалтер')"));
  QString category, recipient;
  int status = RunWithUser([&] {
    Widget<QPushButton>("Input_Nal_Pay", "List_Categories")->click();
    ui::qt::FormWindow* picker = WindowOf("Choice_Category");
    ASSERT_NE(picker, nullptr);
    EXPECT_TRUE(picker->isVisible());
    EXPECT_EQ(picker->windowTitle(), QString("Список"));
    auto* grid = Widget<QTableView>("Choice_Category", "Grid_List_Category");
    ASSERT_NE(grid, nullptr);
    ASSERT_EQ(grid->model()->rowCount(), 3);
    EXPECT_EQ(grid->model()->headerData(0, Qt::Horizontal).toString(), QString("Катег."));
    EXPECT_EQ(grid->model()->headerData(1, Qt::Horizontal).toString(), QString("  Описание"));
    EXPECT_FALSE(Screenshot(picker, "paydesk_picker_category").isEmpty());
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                      grid->visualRect(grid->model()->index(1, 0)).center());
    EXPECT_FALSE(picker->isVisible());
    category = Widget<QLineEdit>("Input_Nal_Pay", "Category_Payment")->text();

    Widget<QPushButton>("Input_Nal_Pay", "List_Members")->click();
    ui::qt::FormWindow* members = WindowOf("Choice_Member");
    ASSERT_NE(members, nullptr);
    auto* mgrid = Widget<QTableView>("Choice_Member", "Grid_List_Member");
    ASSERT_NE(mgrid, nullptr);
    ASSERT_EQ(mgrid->model()->rowCount(), 2);
    EXPECT_EQ(mgrid->model()->headerData(1, Qt::Horizontal).toString(),
              QString("            ФИО"));
    EXPECT_EQ(mgrid->model()->data(mgrid->model()->index(1, 1)).toString(),
              QString("Петрова Анна Сергеевна"));
    // The filter narrows the list as the user types.
    auto* filter = Widget<QLineEdit>("Choice_Member", "Find_Input_Member");
    ASSERT_NE(filter, nullptr);
    qttest::TypeText(filter, "анна");
    EXPECT_EQ(mgrid->model()->rowCount(), 1);
    EXPECT_FALSE(Screenshot(members, "paydesk_picker_member").isEmpty());
    QTest::mouseClick(mgrid->viewport(), Qt::LeftButton, {},
                      mgrid->visualRect(mgrid->model()->index(0, 0)).center());
    recipient = Widget<QLineEdit>("Input_Nal_Pay", "Recipient")->text();
    Screenshot(WindowOf("Input_Nal_Pay"), "paydesk_entry_form_filled");
  });
  EXPECT_EQ(status, 0);
  EXPECT_EQ(category, QString("ТРАН"));
  EXPECT_EQ(recipient, QString("ПетроваАС"));
}

}  // namespace
}  // namespace kassa::paydesk
