// The form model: registry of living forms and the user actions.
#include "platform/ui/form.h"

#include <gtest/gtest.h>

#include "platform/ui/script/scripted.h"
#include "platform/variant/variant.h"

namespace kassa::ui {
namespace {

Control Make(std::string name, ControlKind kind) {
  Control c;
  c.name = std::move(name);
  c.kind = kind;
  return c;
}

class FormTest : public ::testing::Test {
 protected:
  FormTest() : backend(MakeDate(2026, 12, 7, 10, 0, 0)) { Install(&backend); }
  ScriptedBackend backend;
};

TEST_F(FormTest, RegistryFindsTheNewestLivingFormOfAName) {
  EXPECT_EQ(FindForm("Input_Nal_Category"), nullptr);
  Form first("Input_Nal_Category", "Ввод категории", 4000, 3000);
  {
    Form second("Input_Nal_Category", "Ввод категории", 4000, 3000);
    EXPECT_EQ(FindForm("Input_Nal_Category"), &second);
    EXPECT_EQ(AllForms().size(), 2u);
  }
  EXPECT_EQ(FindForm("Input_Nal_Category"), &first);
  EXPECT_EQ(AllForms().size(), 1u);
  EXPECT_EQ(FindForm("input_nal_category"), nullptr);  // names are exact
}

TEST_F(FormTest, ControlLookupThrowsForAnUnknownName) {
  Form f("F", "", 100, 100);
  f.Add(Make("TB_A", ControlKind::TextBox)).text = "x";
  EXPECT_TRUE(f.has("TB_A"));
  EXPECT_FALSE(f.has("TB_B"));
  EXPECT_EQ(f.control("TB_A").text, "x");
  EXPECT_THROW(f.control("TB_B"), std::out_of_range);
}

TEST_F(FormTest, FillSetsTextBoxesAndParsesDatesOnlyWhereTheKindFits) {
  Form f("F", "", 100, 100);
  f.Add(Make("TB", ControlKind::TextBox));
  f.Add(Make("Date_On", ControlKind::DatePicker));
  f.Add(Make("B", ControlKind::Button)).text = "Ввести";
  std::vector<std::string> changed;
  f.on_change = [&](const std::string& c) { changed.push_back(c); };

  EXPECT_TRUE(ActFill(f, "TB", "Иванов И.И."));
  EXPECT_EQ(f.control("TB").text, "Иванов И.И.");

  EXPECT_TRUE(ActFill(f, "Date_On", "05.03.2027"));
  EXPECT_EQ(f.control("Date_On").date, MakeDate(2027, 3, 5));
  EXPECT_TRUE(ActFill(f, "Date_On", "6.12.26"));
  EXPECT_EQ(f.control("Date_On").date, MakeDate(2026, 12, 6));

  // Refused: not a date, a button, an unknown control; nothing changes.
  EXPECT_FALSE(ActFill(f, "Date_On", "завтра"));
  EXPECT_EQ(f.control("Date_On").date, MakeDate(2026, 12, 6));
  EXPECT_FALSE(ActFill(f, "B", "x"));
  EXPECT_EQ(f.control("B").text, "Ввести");
  EXPECT_FALSE(ActFill(f, "Nope", "x"));
  EXPECT_EQ(changed, (std::vector<std::string>{"TB", "Date_On", "Date_On"}));
}

TEST_F(FormTest, PressAndChooseReachTheHandlersOnlyForTheirKinds) {
  Form f("F", "", 100, 100);
  f.Add(Make("B_Input", ControlKind::Button));
  f.Add(Make("TB", ControlKind::TextBox));
  Control grid = Make("Grid", ControlKind::Grid);
  grid.rows = {{"A", "1"}, {"B", "2"}};
  f.Add(grid);
  std::vector<std::string> log;
  f.on_click = [&](const std::string& b) { log.push_back("click " + b); };
  f.on_row_chosen = [&](const std::string& g, int r) {
    log.push_back("row " + g + " " + std::to_string(r));
  };
  EXPECT_TRUE(ActPress(f, "B_Input"));
  EXPECT_FALSE(ActPress(f, "TB"));
  EXPECT_FALSE(ActPress(f, "B_Other"));
  EXPECT_TRUE(ActChoose(f, "Grid", 1));
  EXPECT_EQ(f.control("Grid").current_row, 1);
  EXPECT_FALSE(ActChoose(f, "Grid", 2));
  EXPECT_FALSE(ActChoose(f, "Grid", -1));
  EXPECT_FALSE(ActChoose(f, "TB", 0));
  EXPECT_EQ(f.control("Grid").current_row, 1);
  EXPECT_EQ(log, (std::vector<std::string>{"click B_Input", "row Grid 1"}));
}

TEST_F(FormTest, AHandlerMayDestroyItsOwnForm) {
  auto f = std::make_unique<Form>("F", "", 100, 100);
  f->Add(Make("B", ControlKind::Button));
  f->on_click = [&](const std::string&) { f.reset(); };
  EXPECT_TRUE(ActPress(*f, "B"));
  EXPECT_EQ(f, nullptr);
  EXPECT_EQ(FindForm("F"), nullptr);
}

TEST_F(FormTest, DismissHidesFirstThenTellsTheOwner) {
  Form f("Choice_Category", "", 100, 100);
  bool visible_in_handler = true;
  int closed = 0;
  f.on_closed = [&] {
    ++closed;
    visible_in_handler = f.visible();
  };
  f.Show();
  ActDismiss(f);
  EXPECT_EQ(closed, 1);
  EXPECT_FALSE(visible_in_handler);
  EXPECT_FALSE(f.visible());
  EXPECT_EQ(backend.transcript(),
            (std::vector<std::string>{"FORM-SHOW Choice_Category", "FORM-HIDE Choice_Category"}));
}

TEST_F(FormTest, ShowingTwiceShowsOnceAndHidingAHiddenFormDoesNothing) {
  Form f("Choice_Action_Common", "Меню", 1170, 1800);
  f.Hide();
  f.Show();
  f.Show();
  EXPECT_TRUE(f.visible());
  f.Hide();
  f.Hide();
  f.Show();
  EXPECT_EQ(backend.transcript(), (std::vector<std::string>{"FORM-SHOW Choice_Action_Common",
                                                            "FORM-HIDE Choice_Action_Common",
                                                            "FORM-SHOW Choice_Action_Common"}));
}

}  // namespace
}  // namespace kassa::ui
