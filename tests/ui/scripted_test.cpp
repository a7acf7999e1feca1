// The scripted backend: answers, actions, clocks and transcript lines.
#include "platform/ui/script/scripted.h"

#include <gtest/gtest.h>

#include "platform/variant/variant.h"

namespace kassa::ui {
namespace {

using Lines = std::vector<std::string>;

class ScriptedTest : public ::testing::Test {
 protected:
  ScriptedTest() : backend(MakeDate(2026, 12, 7, 23, 59, 50)) { Install(&backend); }
  ScriptedBackend backend;
};

TEST_F(ScriptedTest, QueuedAnswersAreTakenInOrderAndWrittenAfterTheirBox) {
  backend.QueueAnswer(Answer::Cancel);
  backend.QueueAnswer(Answer::Yes);
  EXPECT_EQ(
      Message("Запрос к базе данных не был выполнен. Показать текст запроса ?", Buttons::OKCancel),
      Answer::Cancel);
  EXPECT_EQ(Message("Сохранить?", Buttons::YesNoCancel, "Книга"), Answer::Yes);
  EXPECT_TRUE(backend.failures().empty());
  EXPECT_EQ(backend.transcript(),
            (Lines{"MSG OKCancel \"\" \"Запрос к базе данных не был выполнен. Показать текст "
                   "запроса ?\"",
                   "ANSWER Cancel", "MSG YesNoCancel \"Книга\" \"Сохранить?\"", "ANSWER Yes"}));
  ASSERT_EQ(backend.messages().size(), 2u);
  EXPECT_EQ(backend.messages()[1].title, "Книга");
  EXPECT_EQ(backend.messages()[1].answer, Answer::Yes);
}

TEST_F(ScriptedTest, TheAnswerSourceIsAskedOnlyWhenTheQueueIsEmpty) {
  int asked = 0;
  backend.answer_source = [&]() -> std::optional<Answer> {
    ++asked;
    return Answer::No;
  };
  backend.QueueAnswer(Answer::Yes);
  EXPECT_EQ(Message("a", Buttons::YesNo), Answer::Yes);
  EXPECT_EQ(asked, 0);
  EXPECT_EQ(Message("b", Buttons::YesNo), Answer::No);
  EXPECT_EQ(asked, 1);
}

TEST_F(ScriptedTest, AnUnexpectedMessageBoxIsRecordedAndTakesTheFirstButton) {
  backend.answer_source = [] { return std::optional<Answer>(); };
  EXPECT_EQ(Message(" Yes ! Yes ! "), Answer::OK);
  EXPECT_EQ(Message("Удалить?", Buttons::YesNo), Answer::Yes);
  ASSERT_EQ(backend.failures().size(), 2u);
  EXPECT_NE(backend.failures()[0].find("without an answer"), std::string::npos);
  EXPECT_NE(backend.failures()[0].find("\" Yes ! Yes ! \""), std::string::npos);
  EXPECT_EQ(backend.transcript().back(), "ANSWER Yes");
}

TEST_F(ScriptedTest, AnAnswerThatIsNotABoxButtonCountsAsNoAnswer) {
  backend.QueueAnswer(Answer::Yes);
  std::optional<RecordedMessage> seen;
  backend.unanswered = [&](const RecordedMessage& m) {
    seen = m;
    return Answer::OK;
  };
  EXPECT_EQ(Message("Данные в базу внесены!"), Answer::OK);
  ASSERT_TRUE(seen);
  EXPECT_EQ(seen->text, "Данные в базу внесены!");
  ASSERT_EQ(backend.failures().size(), 1u);
  EXPECT_EQ(backend.failures()[0], "answer Yes is not a button of the message box (OK)");
  EXPECT_TRUE(backend.queued_answers().empty());
}

TEST_F(ScriptedTest, PauseAdvancesBothClocksAndConsumesNoAction) {
  int actions = 0;
  backend.action_source = [&] { return ++actions, true; };
  int answers = 0;
  backend.answer_source = [&] { return ++answers, std::optional<Answer>(); };
  double mono = backend.Monotonic();
  double tod = backend.TimeOfDay();
  EXPECT_EQ(tod, 23 * 3600 + 59 * 60 + 50);
  Pause(300);
  Pause(300);
  EXPECT_DOUBLE_EQ(backend.Monotonic(), mono + 0.6);
  EXPECT_NEAR(backend.TimeOfDay(), tod + 0.6, 1e-6);
  EXPECT_EQ(actions, 0);
  EXPECT_EQ(answers, 0);
  EXPECT_TRUE(backend.transcript().empty());
}

TEST_F(ScriptedTest, TheWallClockPassesMidnightWhileTheMonotonicClockGoesOn) {
  double mono = backend.Monotonic();
  backend.Advance(15);
  EXPECT_NEAR(backend.TimeOfDay(), 5, 1e-6);
  EXPECT_NEAR(backend.Now(), MakeDate(2026, 12, 8, 0, 0, 5), 1e-9);
  EXPECT_DOUBLE_EQ(backend.Monotonic(), mono + 15);
  backend.Advance(-100);  // never goes back
  EXPECT_DOUBLE_EQ(backend.Monotonic(), mono + 15);
  backend.SetNow(MakeDate(2027, 3, 5, 12, 30, 0));
  EXPECT_EQ(backend.TimeOfDay(), 12 * 3600 + 30 * 60);
  EXPECT_DOUBLE_EQ(backend.Monotonic(), mono + 15);
}

TEST_F(ScriptedTest, TheDefaultStartIsTheRealLocalTimeAndMonotonicStartsAt1000) {
  ScriptedBackend fresh;
  EXPECT_NEAR(fresh.Now(), ConsoleBackend().Now(), 1.0 / 86400 * 5);
  EXPECT_EQ(fresh.Monotonic(), 1000);
}

TEST_F(ScriptedTest, WaitUntilRunsActionsUntilTheConditionHolds) {
  int step = 0;
  backend.action_source = [&] { return ++step, true; };
  EXPECT_TRUE(backend.WaitUntil([&] { return step == 3; }));
  EXPECT_EQ(step, 3);
  EXPECT_TRUE(backend.WaitUntil([] { return true; }));  // already holds: no action
  EXPECT_EQ(step, 3);
}

TEST_F(ScriptedTest, WaitUntilFailsWhenTheActionsRunOut) {
  int left = 2;
  backend.action_source = [&] { return left-- > 0; };
  EXPECT_FALSE(backend.WaitUntil([] { return false; }));
  EXPECT_EQ(left, -1);
  backend.action_source = nullptr;
  EXPECT_FALSE(backend.WaitUntil([] { return false; }));
}

TEST_F(ScriptedTest, ProgressLinesAreWrittenOnlyWhenTextOrBarVisibilityChange) {
  Form f("Dispay_Proccess", "", 4000, 1200, FormRole::Progress);
  Control label;
  label.name = "Dialog_Information";
  f.Add(label);
  Control bar;
  bar.name = "Progress_Status";
  bar.kind = ControlKind::ProgressBar;
  f.Add(bar);
  Control& text = f.control("Dialog_Information");
  Control& progress = f.control("Progress_Status");

  text.text = "загрузка листа Наличные.....";
  progress.value = 1;
  f.Show();
  f.Repaint();  // nothing changed
  progress.value = 50;
  f.Repaint();  // only the bar moved
  progress.visible = false;
  text.text = "обновление листа Наличные.....";
  f.Repaint();
  f.Repaint();
  progress.visible = true;
  f.Repaint();  // the bar came back
  f.Hide();
  f.Repaint();  // hidden: nothing
  f.Show();     // shown again: written again
  f.Hide();
  EXPECT_EQ(backend.transcript(),
            (Lines{"PROGRESS \"загрузка листа Наличные.....\" bar 1",
                   "PROGRESS \"обновление листа Наличные.....\"",
                   "PROGRESS \"обновление листа Наличные.....\" bar 50", "PROGRESS-HIDE",
                   "PROGRESS \"обновление листа Наличные.....\" bar 50", "PROGRESS-HIDE"}));
}

TEST_F(ScriptedTest, WaitBoxesAndDialogsWriteTheirLines) {
  Form wait("clsMsgBox", " ", 4000, 1000, FormRole::Wait);
  Control label;
  label.name = "Label_Msg";
  wait.Add(label).text = "Выполняется команда к базе. Ожидайте завершения...";
  Form menu("Choice_Action_Common", "Меню", 1170, 1800);
  wait.Show();
  wait.Show();  // the same text: one line
  menu.Show();
  wait.control("Label_Msg").text = "Выполняется запрос к базе. Ожидайте завершения...";
  wait.Show();
  wait.Hide();
  menu.Hide();
  EXPECT_EQ(backend.transcript(),
            (Lines{"WAIT \"Выполняется команда к базе. Ожидайте завершения...\"",
                   "FORM-SHOW Choice_Action_Common",
                   "WAIT \"Выполняется запрос к базе. Ожидайте завершения...\"", "WAIT-CLOSE",
                   "FORM-HIDE Choice_Action_Common"}));
}

TEST_F(ScriptedTest, ADestroyedFormIsForgottenWithoutALine) {
  {
    Form f("Input_Nal_Pay", "Форма ввода", 100, 100, FormRole::Main);
    f.Show();
  }
  Form g("Input_Nal_Pay", "Форма ввода", 100, 100, FormRole::Main);
  g.Show();  // possibly at the same address: shown anew
  EXPECT_EQ(backend.transcript(), (Lines{"FORM-SHOW Input_Nal_Pay", "FORM-SHOW Input_Nal_Pay"}));
}

TEST_F(ScriptedTest, ErrorsNotesAndTheLineCallbackShareTheTranscript) {
  Lines seen;
  backend.on_line = [&](const std::string& l) { seen.push_back(l); };
  EXPECT_FALSE(backend.TraceSql());
  backend.SetTrace(true);
  EXPECT_TRUE(backend.TraceSql());
  Port().ReportError("Ошибка 1004 в Workbook_SheetChange");
  Port().Note("SQL \"select 1\"");
  EXPECT_EQ(seen, (Lines{"ERROR Ошибка 1004 в Workbook_SheetChange", "SQL \"select 1\""}));
  EXPECT_EQ(backend.transcript(), seen);
  backend.ClearTranscript();
  EXPECT_TRUE(backend.transcript().empty());
}

TEST(ScriptedInstall, TheBackendUninstallsItselfWhenDestroyed) {
  {
    ScriptedBackend b;
    Install(&b);
    EXPECT_EQ(&Port(), &b);
  }
  EXPECT_EQ(&Port(), &ConsoleBackend());
}

TEST(Quote, EscapesQuotesBackslashesTabsAndNewlinesOnly) {
  EXPECT_EQ(Quote(""), "\"\"");
  EXPECT_EQ(Quote("Категория \"А\""), "\"Категория \\\"А\\\"\"");
  EXPECT_EQ(Quote("a\\b\tc\nd'e"), "\"a\\\\b\\tc\\nd'e\"");
}

}  // namespace
}  // namespace kassa::ui
