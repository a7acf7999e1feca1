// The progress window: one window, label position by mode, bar rounding,
// and what the user sees of it.
#include "sheetsync/progress.h"

#include <gtest/gtest.h>

#include "platform/ui/form.h"
#include "platform/ui/script/scripted.h"
#include "sheetsync/texts.h"

namespace kassa::sheetsync {
namespace {

class ProgressWindowTest : public ::testing::Test {
 protected:
  void SetUp() override { ui::Install(&ui_); }
  void TearDown() override {
    ProgressWindow::Instance().Progress_Hide();
    ui::Install(nullptr);
  }
  ui::ScriptedBackend ui_;
};

TEST_F(ProgressWindowTest, IsCreatedOnceAndShownAndHiddenAfterwards) {
  ProgressWindow& p = ProgressWindow::Instance();
  p.Progress_Show("инициализация книги...", false);
  p.Progress_Show("обновление листа...", false);
  EXPECT_EQ(&p, &ProgressWindow::Instance());
  int windows = 0;
  for (ui::Form* f : ui::AllForms())
    if (f->name() == texts::kProgressForm) ++windows;
  EXPECT_EQ(windows, 1);
  EXPECT_TRUE(p.form().visible());
  EXPECT_EQ(p.form().role(), ui::FormRole::Progress);
  p.Progress_Hide();
  EXPECT_FALSE(p.form().visible());
  const std::vector<std::string> expected = {"PROGRESS \"инициализация книги...\"",
                                             "PROGRESS \"обновление листа...\"", "PROGRESS-HIDE"};
  EXPECT_EQ(ui_.transcript(), expected);
}

TEST_F(ProgressWindowTest, TheTextTakesTheBarsPlaceWhenThereIsNoBar) {
  ProgressWindow& p = ProgressWindow::Instance();
  const ui::Control& label = p.form().control(texts::kProgressLabel);
  const ui::Control& bar = p.form().control(texts::kProgressBar);
  EXPECT_EQ(label.font, "Arial");
  EXPECT_EQ(bar.minimum, 1);
  EXPECT_EQ(bar.maximum, 100);
  p.Progress_Show("загрузка листа Наличные.....", true);
  EXPECT_TRUE(bar.visible);
  EXPECT_EQ(bar.value, 1);
  EXPECT_EQ(label.top, 240);
  p.Progress_Mode("обновление листа Наличные.....", false);
  EXPECT_FALSE(bar.visible);
  EXPECT_EQ(label.top, 360);
  EXPECT_EQ(label.text, "обновление листа Наличные.....");
}

TEST_F(ProgressWindowTest, TheBarMovesWithoutRepaintingAndRoundsHalvesToEven) {
  ProgressWindow& p = ProgressWindow::Instance();
  p.Progress_Show("проверка листа Наличные ...", true);
  const ui::Control& bar = p.form().control(texts::kProgressBar);
  const struct {
    double fraction;
    int value;
  } cases[] = {{0, 1}, {0.5, 50}, {0.125, 12}, {0.135, 14}, {1.2, 100}, {1, 100}};
  const size_t lines = ui_.transcript().size();
  for (const auto& c : cases) {
    p.Progress_Set(c.fraction);
    EXPECT_EQ(bar.value, c.value) << c.fraction;
  }
  EXPECT_EQ(ui_.transcript().size(), lines);  // a moving bar alone is not repainted
}

}  // namespace
}  // namespace kassa::sheetsync
