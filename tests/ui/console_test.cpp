// The console backend: what a program without a display gets.
#include <gtest/gtest.h>

#include "platform/ui/ui.h"
#include "platform/variant/variant.h"

namespace kassa::ui {
namespace {

TEST(Console, IsInEffectWhenNothingIsInstalledAndAssumesTheFirstButton) {
  Install(nullptr);
  Backend& c = Port();
  EXPECT_EQ(&c, &ConsoleBackend());
  testing::internal::CaptureStderr();
  EXPECT_EQ(Message("Данные в базу внесены!"), Answer::OK);
  EXPECT_EQ(Message("Сохранить?", Buttons::YesNoCancel, "Книга"), Answer::Yes);
  EXPECT_EQ(Message("x", Buttons::OKCancel), Answer::OK);
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(err,
            "Kassa: Данные в базу внесены! [OK]\nКнига: Сохранить? [YesNoCancel]\n"
            "Kassa: x [OKCancel]\n");
}

TEST(Console, AQuestionTakesItsSafeAnswerAndSaysSo) {
  Install(nullptr);
  testing::internal::CaptureStderr();
  EXPECT_EQ(Question("Удалить?", Buttons::YesNo, Answer::No), Answer::No);
  EXPECT_EQ(Question("Сохранить?", Buttons::YesNoCancel, Answer::Cancel, "Книга"), Answer::Cancel);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "Kassa: Удалить? [YesNo] No\nКнига: Сохранить? [YesNoCancel] Cancel\n");
}

TEST(Console, WaitsFailAtOnceUnlessTheConditionAlreadyHolds) {
  int calls = 0;
  EXPECT_FALSE(ConsoleBackend().WaitUntil([&] { return ++calls > 5; }));
  EXPECT_EQ(calls, 1);
  EXPECT_TRUE(ConsoleBackend().WaitUntil([] { return true; }));
}

TEST(Console, ClocksAreRealAndAgree) {
  Backend& c = ConsoleBackend();
  double m1 = c.Monotonic();
  c.Pause(20);
  double m2 = c.Monotonic();
  EXPECT_GE(m2 - m1, 0.019);
  double tod = c.TimeOfDay();
  double now = c.Now();
  EXPECT_GE(tod, 0);
  EXPECT_LT(tod, 86400);
  // Unless midnight fell between the two readings, Now's fraction is the time of day.
  double frac = (now - static_cast<long>(now)) * 86400;
  if (tod > 1 && tod < 86399) {
    EXPECT_NEAR(frac, tod, 1.0);
  }
  EXPECT_GT(now, MakeDate(2020, 1, 1));
}

}  // namespace
}  // namespace kassa::ui
