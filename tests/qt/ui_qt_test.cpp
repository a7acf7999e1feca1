// The desktop backend: message boxes, forms rendered from the form model,
// user edits written back through the model, progress and wait windows,
// pauses, waits and clocks.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCalendarWidget>
#include <QDateEdit>
#include <QDateTime>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QToolButton>
#include <cmath>
#include <memory>

#include "platform/ui/form.h"
#include "platform/ui/qt/form_window.h"
#include "platform/ui/qt/geometry.h"
#include "platform/ui/qt/help_window.h"
#include "platform/ui/qt/qt_ui.h"
#include "platform/ui/ui.h"
#include "platform/variant/variant.h"
#include "tests/qt/qt_test_support.h"

namespace kassa::ui {
namespace {

using qttest::ClickInNextMessageBox;
using qttest::Screenshot;

qt::FormWindow* WindowOf(Form& f) { return static_cast<qt::FormWindow*>(f.native); }

template <class W>
W* Widget(Form& f, const std::string& name) {
  return qobject_cast<W*>(WindowOf(f)->ControlWidget(name));
}

Control Make(const std::string& name, ControlKind kind, const std::string& text, int left,
             int top, int width, int height, int tab = 0) {
  Control c;
  c.name = name;
  c.kind = kind;
  c.text = text;
  c.left = left;
  c.top = top;
  c.width = width;
  c.height = height;
  c.tab_index = tab;
  return c;
}

// The common menu of the ledger service, as the service library lays it out.
std::unique_ptr<Form> ChoiceActionCommon() {
  auto f = std::make_unique<Form>("Choice_Action_Common", "Меню", 1170, 1875);
  f->Add(Make("B_Save_Common", ControlKind::Button, "Сохранить", 120, 120, 950, 435, 0));
  f->Add(Make("B_Refresh_Common", ControlKind::Button, "Обновить", 120, 720, 950, 435, 1));
  f->Add(Make("B_Archive_Common", ControlKind::Button, "Архивир.", 120, 1320, 950, 435, 2));
  return f;
}

// ---- message boxes ----

struct BoxCase {
  Buttons buttons;
  QStringList captions;
  QString click;
  Answer expected;
};

TEST(QtMessageBox, ClickedButtonGivesItsAnswerUnderRussianCaptions) {
  const BoxCase cases[] = {
      {Buttons::OK, {"ОК"}, "ОК", Answer::OK},
      {Buttons::OKCancel, {"ОК", "Отмена"}, "Отмена", Answer::Cancel},
      {Buttons::OKCancel, {"ОК", "Отмена"}, "ОК", Answer::OK},
      {Buttons::YesNo, {"Да", "Нет"}, "Да", Answer::Yes},
      {Buttons::YesNo, {"Да", "Нет"}, "Нет", Answer::No},
      {Buttons::YesNoCancel, {"Да", "Нет", "Отмена"}, "Отмена", Answer::Cancel},
      {Buttons::YesNoCancel, {"Да", "Нет", "Отмена"}, "Нет", Answer::No},
  };
  for (const BoxCase& c : cases) {
    QStringList seen;
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::Warning;
    ClickInNextMessageBox(c.click, [&](QMessageBox* box) {
      seen = qttest::ButtonTexts(box);
      title = box->windowTitle();
      text = box->text();
      icon = box->icon();
      if (c.buttons == Buttons::YesNoCancel) Screenshot(box, "message_box_yes_no_cancel");
    });
    Answer a = Message("Удалить категорию: ПРОД / Продукты ? ", c.buttons);
    EXPECT_EQ(a, c.expected) << ToString(c.buttons) << " " << c.click.toStdString();
    seen.sort();
    QStringList expected = c.captions;
    expected.sort();
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(title.toStdString(), Port().DefaultTitle());
    EXPECT_EQ(text, QString("Удалить категорию: ПРОД / Продукты ? "));
    EXPECT_EQ(icon, QMessageBox::NoIcon);
  }
}

TEST(QtMessageBox, GivenTitleIsShownAndClosingWithoutButtonIsTheEscapeAnswer) {
  QString title;
  QTimer::singleShot(0, [&] {
    QTimer::singleShot(0, [&] {
      QMessageBox* box = qttest::VisibleMessageBox();
      ASSERT_NE(box, nullptr);
      title = box->windowTitle();
      QTest::keyClick(box, Qt::Key_Escape);
    });
  });
  EXPECT_EQ(Message("Сохранить изменения?", Buttons::YesNoCancel, "Книга"), Answer::Cancel);
  EXPECT_EQ(title, QString("Книга"));

  QTimer::singleShot(0, [] {
    QTimer::singleShot(0, [] { QTest::keyClick(qttest::VisibleMessageBox(), Qt::Key_Escape); });
  });
  EXPECT_EQ(Message("Продолжить?", Buttons::YesNo), Answer::No);
}

TEST(QtMessageBox, EnterTakesTheFirstButtonButTheSafeAnswerOfAQuestion) {
  auto press_enter = [] {
    QTimer::singleShot(0, [] {
      QTimer::singleShot(0, [] { QTest::keyClick(qttest::VisibleMessageBox(), Qt::Key_Return); });
    });
  };
  press_enter();
  EXPECT_EQ(Message("Продолжить?", Buttons::YesNo), Answer::Yes);
  press_enter();
  EXPECT_EQ(Question("Удалить базу данных с платежами?", Buttons::YesNo, Answer::No), Answer::No);
  press_enter();
  EXPECT_EQ(Question("Сохранить?", Buttons::YesNoCancel, Answer::Cancel), Answer::Cancel);
}

TEST(QtMessageBox, ReportErrorShowsTheTextWithOK) {
  QString text;
  QStringList buttons;
  ClickInNextMessageBox("ОК", [&](QMessageBox* box) {
    text = box->text();
    buttons = qttest::ButtonTexts(box);
  });
  Port().ReportError("Ошибка выполнения 1004: лист не найден");
  EXPECT_EQ(text, QString("Ошибка выполнения 1004: лист не найден"));
  EXPECT_EQ(buttons, QStringList{"ОК"});
}

// ---- forms ----

TEST(QtForm, ControlsStandAtTheirTwipsGeometryInAWindowWideEnoughForItsCaption) {
  auto f = ChoiceActionCommon();
  f->Show();
  ASSERT_NE(WindowOf(*f), nullptr);
  EXPECT_TRUE(WindowOf(*f)->isVisible());
  EXPECT_EQ(WindowOf(*f)->windowTitle(), QString("Меню"));
  // The client area keeps the form's 78 x 125 pixels, centred in a window
  // wide enough for the caption and the title bar's buttons.
  QWidget* client = Widget<QPushButton>(*f, "B_Save_Common")->parentWidget();
  EXPECT_EQ(client->size(), QSize(78, 125));
  EXPECT_EQ(WindowOf(*f)->height(), 125);
  const int caption = QFontMetrics(QApplication::font()).horizontalAdvance("Меню");
  EXPECT_GE(WindowOf(*f)->width(), caption + 100);
  EXPECT_EQ(client->x(), (WindowOf(*f)->width() - 78) / 2);
  // A form wider than its caption needs keeps its own width.
  Form wide("Input_Nal_Category", "Ввод категории", 4800, 2400);
  wide.Show();
  EXPECT_EQ(WindowOf(wide)->size(), QSize(320, 160));
  wide.Hide();
  EXPECT_EQ(Widget<QPushButton>(*f, "B_Save_Common")->geometry(), QRect(8, 8, 63, 29));
  EXPECT_EQ(Widget<QPushButton>(*f, "B_Refresh_Common")->geometry(), QRect(8, 48, 63, 29));
  EXPECT_EQ(Widget<QPushButton>(*f, "B_Archive_Common")->geometry(), QRect(8, 88, 63, 29));
  EXPECT_EQ(Widget<QPushButton>(*f, "B_Archive_Common")->text(), QString("Архивир."));
  EXPECT_FALSE(Screenshot(WindowOf(*f), "form_choice_action_common").isEmpty());
  f->Hide();
}

TEST(QtForm, ButtonClickReachesTheHandlerAndFrameCloseHidesAndReports) {
  auto f = ChoiceActionCommon();
  std::vector<std::string> clicks;
  int closed = 0;
  f->on_click = [&](const std::string& b) {
    clicks.push_back(b);
    f->Hide();  // the service's handlers start by hiding their dialog
  };
  f->on_closed = [&] { ++closed; };
  f->Show();
  QWidget* window = WindowOf(*f);
  QTest::mouseClick(Widget<QPushButton>(*f, "B_Refresh_Common"), Qt::LeftButton);
  EXPECT_EQ(clicks, std::vector<std::string>{"B_Refresh_Common"});
  EXPECT_FALSE(f->visible());
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(closed, 0);

  // Shown again: the same window comes back.
  f->Show();
  EXPECT_EQ(WindowOf(*f), window);
  EXPECT_TRUE(window->isVisible());
  // The frame's close box: hidden, then on_closed once.
  window->close();
  EXPECT_FALSE(f->visible());
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(closed, 1);
  EXPECT_EQ(clicks.size(), 1u);
}

TEST(QtForm, EscapeLeavesADialogAsItsExitButtonOrItsFrameDoes) {
  // A menu without an exit button: Escape closes it as the frame does.
  auto menu = ChoiceActionCommon();
  int closed = 0;
  menu->on_closed = [&] { ++closed; };
  menu->Show();
  QTest::keyClick(WindowOf(*menu), Qt::Key_Escape);
  EXPECT_FALSE(menu->visible());
  EXPECT_EQ(closed, 1);

  // An entry dialog: Escape is its "Выход".
  Form entry("Input_Nal_Member", "Ввод сотрудника", 4440, 2400);
  entry.Add(Make("TB_Name_Short", ControlKind::TextBox, "", 120, 400, 4200, 315, 0));
  entry.Add(Make("B_Input", ControlKind::Button, "Ввести", 120, 1200, 950, 435, 1));
  entry.Add(Make("B_Exit", ControlKind::Button, "Выход", 3370, 1200, 950, 435, 2));
  std::vector<std::string> clicks;
  int entry_closed = 0;
  entry.on_click = [&](const std::string& b) {
    clicks.push_back(b);
    entry.Hide();
  };
  entry.on_closed = [&] { ++entry_closed; };
  entry.Show();
  QLineEdit* box = Widget<QLineEdit>(entry, "TB_Name_Short");
  box->setFocus();
  qttest::TypeText(box, "ИвановИИ");
  QTest::keyClick(box, Qt::Key_Escape);
  EXPECT_EQ(clicks, std::vector<std::string>{"B_Exit"});
  EXPECT_EQ(entry_closed, 0);
  EXPECT_FALSE(entry.visible());

  // The program's own window and a progress window stay.
  Form main("Input_Nal_Pay", "Форма ввода Kassa", 6000, 3600, FormRole::Main);
  main.Add(Make("Button_Exit", ControlKind::Button, "Выход", 4560, 3105, 1320, 375, 0));
  int main_clicks = 0;
  main.on_click = [&](const std::string&) { ++main_clicks; };
  main.Show();
  QTest::keyClick(WindowOf(main), Qt::Key_Escape);
  EXPECT_TRUE(main.visible());
  EXPECT_EQ(main_clicks, 0);
  main.Hide();
  auto progress = std::make_unique<Form>("Dispay_Proccess", "", 4800, 1200, FormRole::Progress);
  progress->Show();
  QTest::keyClick(WindowOf(*progress), Qt::Key_Escape);
  EXPECT_TRUE(progress->visible());
  progress->Hide();
}

TEST(QtForm, TheProgramsWindowHasAHelpMenuAndTheGuideOpensOnF1) {
  Form main("Input_Nal_Pay", "Форма ввода Kassa", 6000, 3600, FormRole::Main);
  main.Add(Make("Button_Exit", ControlKind::Button, "Выход", 4560, 3105, 1320, 375, 0));
  main.Show();
  auto* bar = WindowOf(main)->findChild<QMenuBar*>();
  ASSERT_NE(bar, nullptr);
  ASSERT_EQ(bar->actions().size(), 1);
  EXPECT_EQ(bar->actions().front()->text(), QString("&Справка"));
  // The controls keep their place below the menu.
  QWidget* client = Widget<QPushButton>(main, "Button_Exit")->parentWidget();
  EXPECT_EQ(client->y(), bar->height());
  EXPECT_EQ(WindowOf(main)->height(), 240 + bar->height());
  EXPECT_EQ(Widget<QPushButton>(main, "Button_Exit")->geometry(), QRect(304, 207, 88, 25));

  ASSERT_TRUE(QTest::qWaitForWindowActive(WindowOf(main)));
  QTest::keyClick(WindowOf(main), Qt::Key_F1);
  QTextBrowser* guide = qt::GuideBrowser();
  ASSERT_NE(guide, nullptr);
  EXPECT_TRUE(guide->window()->isVisible());
  EXPECT_EQ(guide->window()->windowTitle(), QString("Справка — Kassa"));
  // The guide shipped with the programs, in Russian.
  EXPECT_TRUE(guide->toPlainText().contains("Руководство"))
      << guide->toPlainText().left(200).toStdString();
  EXPECT_TRUE(guide->toPlainText().contains("красн"));
  Screenshot(guide->window(), "guide_window");
  guide->window()->close();
  main.Hide();
}

TEST(QtRussian, StandardDialogsButtonsAndCalendarSpeakRussian) {
  EXPECT_TRUE(qt::RussianLoaded());
  EXPECT_EQ(QLocale().language(), QLocale::Russian);
  // Qt's own texts: standard buttons and the file dialog.
  QDialogButtonBox buttons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel |
                           QDialogButtonBox::Save);
  EXPECT_EQ(buttons.button(QDialogButtonBox::Cancel)->text(), QString("Отмена"));
  EXPECT_EQ(buttons.button(QDialogButtonBox::Save)->text(), QString("Сохранить"));
  QFileDialog files(nullptr, "Открыть книгу");
  files.setOption(QFileDialog::DontUseNativeDialog);
  files.show();
  QStringList label_texts;
  for (QLabel* l : files.findChildren<QLabel*>()) label_texts << l->text();
  EXPECT_TRUE(label_texts.join(" ").contains("Перейти к:")) << label_texts.join("|").toStdString();
  EXPECT_FALSE(label_texts.join(" ").contains("Look in"));
  Screenshot(&files, "file_dialog_russian");
  files.hide();
  // The calendar: Russian month names, the week from Monday.
  QCalendarWidget calendar;
  calendar.setSelectedDate(QDate(2026, 12, 7));
  EXPECT_EQ(calendar.locale().language(), QLocale::Russian);
  EXPECT_EQ(calendar.firstDayOfWeek(), Qt::Monday);
  auto* month = calendar.findChild<QToolButton*>("qt_calendar_monthbutton");
  ASSERT_NE(month, nullptr);
  EXPECT_EQ(month->text().toLower(), QString("декабрь"));
}

TEST(QtForm, TypingWritesTheModelAndRepaintResynchronises) {
  Form f("Input_Nal_Category", "Ввод категории", 4800, 2400);
  f.Add(Make("L_Name_Encipher", ControlKind::Label, "Сокращенное название категории", 120, 120,
             4500, 255, 0));
  f.Add(Make("TB_Name_Encipher", ControlKind::TextBox, "", 120, 400, 2000, 315, 1));
  f.Add(Make("B_Input", ControlKind::Button, "Ввести", 120, 1200, 1000, 400, 2));
  std::vector<std::string> changes;
  std::vector<std::string> texts_at_change;
  f.on_change = [&](const std::string& c) {
    changes.push_back(c);
    texts_at_change.push_back(f.control(c).text);
  };
  f.Show();
  QLineEdit* box = Widget<QLineEdit>(f, "TB_Name_Encipher");
  ASSERT_NE(box, nullptr);
  qttest::TypeText(box, "ПР");
  EXPECT_EQ(f.control("TB_Name_Encipher").text, "ПР");
  EXPECT_EQ(changes, (std::vector<std::string>{"TB_Name_Encipher", "TB_Name_Encipher"}));
  EXPECT_EQ(texts_at_change.back(), "ПР");
  // Enter in the box presses no button.
  int pressed = 0;
  f.on_click = [&](const std::string&) { ++pressed; };
  QTest::keyClick(box, Qt::Key_Return);
  EXPECT_EQ(pressed, 0);

  // The program empties the box and hides the label; Repaint shows it and
  // raises no change of its own.
  f.control("TB_Name_Encipher").text = "";
  f.control("L_Name_Encipher").visible = false;
  f.control("B_Input").text = "Ввод";
  f.Repaint();
  EXPECT_EQ(box->text(), QString());
  EXPECT_FALSE(Widget<QLabel>(f, "L_Name_Encipher")->isVisibleTo(WindowOf(f)));
  EXPECT_EQ(Widget<QPushButton>(f, "B_Input")->text(), QString("Ввод"));
  EXPECT_EQ(changes.size(), 2u);
  f.Hide();
}

TEST(QtForm, DatePickerShowsItsFormatAndWritesTheChosenDate) {
  Form f("Input_Nal_Pay", "Форма ввода", 4000, 1500, FormRole::Main);
  Control d = Make("Date_On", ControlKind::DatePicker, "", 120, 120, 1500, 315);
  d.format = "dd/MM/yy";  // a form's own format is kept
  d.date = std::floor(Port().Now());
  f.Add(d);
  std::vector<std::string> changes;
  f.on_change = [&](const std::string& c) { changes.push_back(c); };
  f.Show();
  QDateEdit* edit = Widget<QDateEdit>(f, "Date_On");
  ASSERT_NE(edit, nullptr);
  EXPECT_TRUE(edit->calendarPopup());
  EXPECT_EQ(edit->displayFormat(), QString("dd/MM/yy"));
  EXPECT_EQ(edit->date(), QDate::currentDate());
  EXPECT_EQ(edit->text(), QDate::currentDate().toString("dd/MM/yy"));
  EXPECT_TRUE(changes.empty());  // showing is not a change

  // The user steps the day back with the arrow key.
  edit->setFocus();
  edit->setSelectedSection(QDateTimeEdit::DaySection);
  QTest::keyClick(edit, Qt::Key_Down);
  EXPECT_EQ(edit->date(), QDate::currentDate().addDays(-1));
  EXPECT_EQ(f.control("Date_On").date, std::floor(Port().Now()) - 1);
  EXPECT_EQ(changes, std::vector<std::string>{"Date_On"});
  // Its calendar speaks Russian.
  EXPECT_EQ(edit->calendarWidget()->locale().language(), QLocale::Russian);
  f.Hide();
}

TEST(QtForm, GridShowsCaptionsAndRowsAndAClickChoosesTheRow) {
  Form f("Choice_Category", "Список", 6000, 4000);
  Control g = Make("Grid_List_Category", ControlKind::Grid, "", 120, 480, 5700, 3300);
  g.columns = {{"Катег.", "NAME_ENCIPHER"}, {"  Описание", "DESCRIPTION_PAYMENT"}};
  g.rows = {{"ПРОД", "Продукты"}, {"ТРАН", "Транспорт"}, {"ХОЗ", "Хозяйственные"}};
  f.Add(g);
  std::vector<std::pair<std::string, int>> chosen;
  f.on_row_chosen = [&](const std::string& grid, int row) {
    chosen.emplace_back(grid, row);
    f.Hide();
  };
  f.Show();
  auto* view = Widget<QTableView>(f, "Grid_List_Category");
  ASSERT_NE(view, nullptr);
  QAbstractItemModel* m = view->model();
  ASSERT_EQ(m->rowCount(), 3);
  EXPECT_EQ(m->headerData(0, Qt::Horizontal).toString(), QString("Катег."));
  EXPECT_EQ(m->headerData(1, Qt::Horizontal).toString(), QString("  Описание"));
  EXPECT_EQ(m->data(m->index(1, 1)).toString(), QString("Транспорт"));
  Screenshot(WindowOf(f), "form_grid_choice_category");

  QRect cell = view->visualRect(m->index(1, 0));
  QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cell.center());
  ASSERT_EQ(chosen.size(), 1u);
  EXPECT_EQ(chosen[0], (std::pair<std::string, int>{"Grid_List_Category", 1}));
  EXPECT_EQ(f.control("Grid_List_Category").current_row, 1);
  EXPECT_FALSE(f.visible());

  // The program re-queries: the grid follows its model.
  f.control("Grid_List_Category").rows = {{"ТРАН", "Транспорт"}};
  f.control("Grid_List_Category").current_row = -1;
  f.Show();
  EXPECT_EQ(m->rowCount(), 1);
  f.Hide();
}

// ---- progress and wait windows ----

std::unique_ptr<Form> ProgressWindow() {
  auto f = std::make_unique<Form>("Dispay_Proccess", "", 4800, 1200, FormRole::Progress);
  Control label = Make("Dialog_Information", ControlKind::Label, "", 120, 240, 4560, 300);
  label.font = "Arial";
  f->Add(label);
  Control bar = Make("Progress_Status", ControlKind::ProgressBar, "", 120, 600, 4560, 300);
  f->Add(bar);
  return f;
}

TEST(QtProgress, LabelInArialBarFromOneToHundredPositionsFromTheModel) {
  auto f = ProgressWindow();
  f->control("Dialog_Information").text = "загрузка листа Наличные.....";
  f->Show();
  f->Repaint();
  auto* label = Widget<QLabel>(*f, "Dialog_Information");
  auto* bar = Widget<QProgressBar>(*f, "Progress_Status");
  ASSERT_NE(label, nullptr);
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(label->font().family(), QString("Arial"));
  EXPECT_EQ(label->text(), QString("загрузка листа Наличные....."));
  EXPECT_EQ(bar->minimum(), 1);
  EXPECT_EQ(bar->maximum(), 100);
  EXPECT_EQ(label->y(), 16);

  f->control("Progress_Status").value = 50;
  f->Repaint();
  EXPECT_EQ(bar->value(), 50);
  Screenshot(WindowOf(*f), "progress_window_bar");

  // Without the bar the text moves into its place.
  f->control("Progress_Status").visible = false;
  f->control("Dialog_Information").top = 360;
  f->control("Dialog_Information").text = "обновление листа Наличные.....";
  f->Repaint();
  EXPECT_EQ(label->y(), 24);
  EXPECT_FALSE(bar->isVisibleTo(WindowOf(*f)));
  Screenshot(WindowOf(*f), "progress_window_text");
  // A second Show does not make a second window.
  QWidget* first = WindowOf(*f);
  f->Show();
  EXPECT_EQ(WindowOf(*f), first);
  f->Hide();
  EXPECT_FALSE(first->isVisible());
}

TEST(QtWaitBox, GoesAfterItsLongestTimeWithoutReportingAClose) {
  Form f("clsMsgBox", "Подождите", 4800, 1200, FormRole::Wait);
  Control label = Make("Label_Msg", ControlKind::Label, "Выполняется запрос...", 240, 360, 4320, 600);
  label.multiline = true;
  f.Add(label);
  int closed = 0;
  f.on_closed = [&] { ++closed; };
  f.max_shown_ms = 150;
  f.Show();
  EXPECT_TRUE(WindowOf(f)->isVisible());
  Screenshot(WindowOf(f), "wait_box");
  Pause(50);
  EXPECT_TRUE(f.visible());
  Pause(250);
  EXPECT_FALSE(f.visible());
  EXPECT_FALSE(WindowOf(f)->isVisible());
  EXPECT_EQ(closed, 0);

  // A later showing without a limit is not cut short by an earlier timer.
  f.max_shown_ms = 150;
  f.Show();
  f.Hide();
  f.max_shown_ms = 0;
  f.Show();
  Pause(300);
  EXPECT_TRUE(f.visible());
  f.Hide();
}

TEST(QtForm, FormDestroyedWhileShownTakesItsWindowAway) {
  auto f = ChoiceActionCommon();
  f->Show();
  QPointer<QWidget> window = WindowOf(*f);
  f.reset();
  qttest::Spin(10);
  EXPECT_TRUE(window.isNull());
}

// ---- pauses, waits, clocks ----

TEST(QtPort, PauseKeepsEventsRunningAndLastsItsTime) {
  bool fired = false;
  QTimer::singleShot(20, [&] { fired = true; });
  double start = Port().Monotonic();
  Pause(120);
  double elapsed = Port().Monotonic() - start;
  EXPECT_TRUE(fired);
  EXPECT_GE(elapsed, 0.119);
  EXPECT_LT(elapsed, 1.0);
}

TEST(QtPort, WaitUntilReturnsWhenTheUserActed) {
  auto f = ChoiceActionCommon();
  bool pressed = false;
  f->on_click = [&](const std::string&) { pressed = true; };
  f->Show();
  QTimer::singleShot(30, [&] { Widget<QPushButton>(*f, "B_Save_Common")->click(); });
  EXPECT_TRUE(Port().WaitUntil([&] { return pressed; }));
  f->Hide();
}

TEST(QtPort, ClocksFollowTheSystemClock) {
  QDateTime before = QDateTime::currentDateTime();
  double now = Port().Now();
  double tod = Port().TimeOfDay();
  QDate d = before.date();
  double today = MakeDate(d.year(), d.month(), d.day());
  EXPECT_GE(now, today);
  EXPECT_LT(now, today + 1.0001);
  EXPECT_NEAR((now - std::floor(now)) * 86400.0, tod, 2.0);
  EXPECT_NEAR(tod, before.time().msecsSinceStartOfDay() / 1000.0, 2.0);
}

}  // namespace
}  // namespace kassa::ui
