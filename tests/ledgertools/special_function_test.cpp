// The class's dispatch of sheet macros and the Action methods' frame.
#include <gtest/gtest.h>

#include "ledgertools/module_state.h"
#include "ledgertools/special_function_impl.h"
#include "platform/ui/script/scripted.h"

namespace kassa::ledgertools {
namespace {

TEST(SpecialFunction, SheetMacrosOpenTheirMenusOnTheSheet) {
  ui::ScriptedBackend port;
  ui::Install(&port);
  host::Application app;
  host::Workbook& wb = app.Add();
  host::Worksheet& first = wb.Sheets(1);
  host::Worksheet& second = wb.AddSheet("Второй");
  auto a = Make_Special_Function();
  auto b = Make_Special_Function();

  struct Case {
    const char* macro;
    const char* form;
  } cases[] = {{"Action_Common", "Choice_Action_Common"},
               {"Action_Category", "Choice_Action_Category"},
               {"action_member", "Choice_Action_Member"},  // names match in any letter case
               {"ACTION_EXPENCES", "Choice_Action_Expences"}};
  for (const Case& c : cases) {
    EXPECT_EQ(a->Run_Macro(c.macro, first), 0) << c.macro;
    const ui::Form* f = ui::FindForm(c.form);
    ASSERT_NE(f, nullptr) << c.form;
    EXPECT_TRUE(f->visible()) << c.form;
    EXPECT_EQ(State().Target_Sheet, &first);
  }
  // Every object shares the module state: the last sheet handed in wins.
  b->Action_Common(second);
  EXPECT_EQ(State().Target_Sheet, &second);
  EXPECT_EQ(a->Run_Macro("Action_Unknown", first), 1004);
  EXPECT_EQ(State().Target_Sheet, &second);
  a->Set_SQL_Connections(nullptr);
  a->Set_SQL_Connections(&wb);
  EXPECT_EQ(State().Target_Sheet, &second);
  EXPECT_TRUE(port.messages().empty());
  ui::Install(nullptr);
}

}  // namespace
}  // namespace kassa::ledgertools
