// The wait-message server: its box on the UI port, directly and by ProgID.
#include "platform/waitbox/msg_box.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/ui/script/scripted.h"

namespace kassa::waitbox {
namespace {

using Lines = std::vector<std::string>;

class WaitboxTest : public ::testing::Test {
 protected:
  WaitboxTest() { ui::Install(&backend); }
  ui::ScriptedBackend backend{1};
};

TEST_F(WaitboxTest, ShowMsgShowsAWaitFormUntilCloseMsg) {
  MsgBox box;
  std::string text = "Выполняется команда к базе. Ожидайте завершения...";
  box.ShowMsg(text, " ", 3000);
  ASSERT_NE(box.form(), nullptr);
  EXPECT_EQ(box.form()->name(), "clsMsgBox");
  EXPECT_EQ(box.form()->caption(), " ");
  EXPECT_EQ(box.form()->role(), ui::FormRole::Wait);
  EXPECT_EQ(box.form()->max_shown_ms, 3000);  // the desktop hides it after 3 s
  EXPECT_TRUE(box.form()->visible());
  EXPECT_EQ(ui::FindForm("clsMsgBox"), box.form());
  box.CloseMsg();
  EXPECT_FALSE(box.form()->visible());
  box.CloseMsg();  // closing twice writes nothing more
  EXPECT_EQ(text, "Выполняется команда к базе. Ожидайте завершения...");
  EXPECT_EQ(backend.transcript(),
            (Lines{"WAIT \"Выполняется команда к базе. Ожидайте завершения...\"", "WAIT-CLOSE"}));
}

TEST_F(WaitboxTest, ASecondShowMsgReusesTheBoxWithTheNewText) {
  MsgBox box;
  std::string first = "Выполняется команда к базе. Ожидайте завершения...";
  std::string second = "Выполняется запрос к базе. Ожидайте завершения...";
  box.ShowMsg(first, " ", 3000);
  const ui::Form* form = box.form();
  box.ShowMsg(second, "Ждите", -1);
  EXPECT_EQ(box.form(), form);
  EXPECT_EQ(form->caption(), "Ждите");
  EXPECT_EQ(form->max_shown_ms, 0);  // no limit
  EXPECT_EQ(ui::AllForms().size(), 1u);
  EXPECT_EQ(backend.transcript(),
            (Lines{"WAIT \"Выполняется команда к базе. Ожидайте завершения...\"",
                   "WAIT \"Выполняется запрос к базе. Ожидайте завершения...\""}));
}

TEST_F(WaitboxTest, ReleasingTheServerTakesItsBoxAway) {
  {
    MsgBox box;
    std::string text = "x";
    box.ShowMsg(text, " ", 3000);
  }
  EXPECT_EQ(ui::FindForm("clsMsgBox"), nullptr);
  EXPECT_EQ(backend.transcript(), (Lines{"WAIT \"x\"", "WAIT-CLOSE"}));
  MsgBox never_shown;
  never_shown.CloseMsg();
  EXPECT_EQ(backend.transcript().size(), 2u);
}

TEST_F(WaitboxTest, TheModuleMakesTheServerByItsProgIdOnly) {
  auto registry = std::filesystem::temp_directory_path() /
                  ("waitbox_test_" + std::to_string(::getpid()) + ".conf");
  {
    std::ofstream out(registry);
    out << "Waitbox.clsMsgBox=" << KASSA_WAITBOX_MODULE << "\n"
        << "Waitbox.Other=" << KASSA_WAITBOX_MODULE << "\n";
  }
  ::setenv("KASSA_COMPONENTS", registry.c_str(), 1);
  auto server = component::Create<clsMsgBox>("Waitbox.clsMsgBox");
  ASSERT_NE(server, nullptr);
  std::string text = "Выполняется запрос значения к базе. Ожидайте завершения...";
  server->ShowMsg(text, " ", 3000);
  server->CloseMsg();
  EXPECT_EQ(component::CreateObject("Waitbox.Other"), nullptr);
  // Each creation is a new object with its own box.
  auto a = component::Create<clsMsgBox>("Waitbox.clsMsgBox");
  EXPECT_NE(a, server);
  std::filesystem::remove(registry);
  EXPECT_EQ(
      backend.transcript(),
      (Lines{"WAIT \"Выполняется запрос значения к базе. Ожидайте завершения...\"", "WAIT-CLOSE"}));
}

}  // namespace
}  // namespace kassa::waitbox
