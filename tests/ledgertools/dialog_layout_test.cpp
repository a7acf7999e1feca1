// The dialogs' names, captions, buttons and twips layout.
#include "ledgertools/dialog_layout.h"

#include <gtest/gtest.h>

namespace kassa::ledgertools {
namespace {

struct Expect {
  const char* name;
  ui::ControlKind kind;
  const char* text;
};

void Check_Controls(const ui::Form& f, std::initializer_list<Expect> expected) {
  ASSERT_EQ(f.controls().size(), expected.size()) << f.name();
  int i = 0;
  for (const Expect& e : expected) {
    const ui::Control& c = f.controls()[i];
    EXPECT_EQ(c.name, e.name);
    EXPECT_EQ(c.kind, e.kind) << e.name;
    EXPECT_EQ(c.text, e.text) << e.name;
    EXPECT_EQ(c.tab_index, i) << e.name;
    EXPECT_GT(c.width, 0);
    EXPECT_GT(c.height, 0);
    EXPECT_LE(c.left + c.width, f.width()) << e.name;
    EXPECT_LE(c.top + c.height, f.height()) << e.name;
    ++i;
  }
}

void Check_Button(const ui::Control& c, int top) {
  EXPECT_EQ(c.left, 120) << c.name;
  EXPECT_EQ(c.top, top) << c.name;
  EXPECT_EQ(c.width, 950) << c.name;
  EXPECT_EQ(c.height, 435) << c.name;
}

TEST(DialogLayout, CommonMenu) {
  auto f = Layout_Choice_Action_Common();
  EXPECT_EQ(f->name(), "Choice_Action_Common");
  EXPECT_EQ(f->caption(), "Меню");
  EXPECT_EQ(f->width(), 1170);
  Check_Controls(*f, {{"B_Save_Common", ui::ControlKind::Button, "Сохранить"},
                      {"B_Refresh_Common", ui::ControlKind::Button, "Обновить"},
                      {"B_Archive_Common", ui::ControlKind::Button, "Архивир."}});
  Check_Button(f->control("B_Save_Common"), 120);
  Check_Button(f->control("B_Refresh_Common"), 720);
  Check_Button(f->control("B_Archive_Common"), 1320);
}

TEST(DialogLayout, StatisticsMenu) {
  auto f = Layout_Choice_Action_Expences();
  EXPECT_EQ(f->name(), "Choice_Action_Expences");
  EXPECT_EQ(f->caption(), "Меню");
  EXPECT_EQ(f->width(), 1170);
  EXPECT_EQ(f->height(), 675);
  Check_Controls(*f, {{"B_Refresh_Expences", ui::ControlKind::Button, "Обновить"}});
  Check_Button(f->control("B_Refresh_Expences"), 120);
}

TEST(DialogLayout, DictionaryMenus) {
  auto c = Layout_Choice_Action_Category();
  EXPECT_EQ(c->name(), "Choice_Action_Category");
  EXPECT_EQ(c->caption(), "Меню");
  Check_Controls(*c, {{"B_Add_Category", ui::ControlKind::Button, "Добавить"},
                      {"B_Edit_Category", ui::ControlKind::Button, "Редактир."},
                      {"B_Del_Category", ui::ControlKind::Button, "Удалить"},
                      {"B_Refresh", ui::ControlKind::Button, "Обновить"}});
  auto m = Layout_Choice_Action_Member();
  EXPECT_EQ(m->name(), "Choice_Action_Member");
  EXPECT_EQ(m->caption(), "Меню");
  Check_Controls(*m, {{"B_Add_Member", ui::ControlKind::Button, "Добавить"},
                      {"B_Edit_Member", ui::ControlKind::Button, "Редактир."},
                      {"B_Del_Member", ui::ControlKind::Button, "Удалить"},
                      {"B_Refresh_Member", ui::ControlKind::Button, "Обновить"}});
}

TEST(DialogLayout, EntryDialogsInTabOrderWithoutOverlap) {
  auto c = Layout_Input_Nal_Category();
  EXPECT_EQ(c->name(), "Input_Nal_Category");
  EXPECT_EQ(c->caption(), "Ввод категории");
  Check_Controls(*c, {{"L_Name_Encipher", ui::ControlKind::Label, "Сокращенное название категории"},
                      {"TB_Name_Encipher", ui::ControlKind::TextBox, ""},
                      {"L_Description_Payment", ui::ControlKind::Label, "Описание категории"},
                      {"TB_Description_Payment", ui::ControlKind::TextBox, ""},
                      {"B_Input", ui::ControlKind::Button, "Ввести"},
                      {"B_Exit", ui::ControlKind::Button, "Выход"}});
  auto m = Layout_Input_Nal_Member();
  EXPECT_EQ(m->name(), "Input_Nal_Member");
  EXPECT_EQ(m->caption(), "Ввод сотрудника");
  Check_Controls(*m, {{"L_Name_Short", ui::ControlKind::Label, "Инициалы"},
                      {"TB_Name_Short", ui::ControlKind::TextBox, ""},
                      {"L_Last_Name", ui::ControlKind::Label, "Фамилия"},
                      {"TB_Last_Name", ui::ControlKind::TextBox, ""},
                      {"L_First_Name", ui::ControlKind::Label, "Имя"},
                      {"TB_First_Name", ui::ControlKind::TextBox, ""},
                      {"L_Middle_Name", ui::ControlKind::Label, "Отчество"},
                      {"TB_Middle_Name", ui::ControlKind::TextBox, ""},
                      {"L_Position_in_Firm", ui::ControlKind::Label, "Должность"},
                      {"TB_Position_in_Firm", ui::ControlKind::TextBox, ""},
                      {"B_Input", ui::ControlKind::Button, "Ввести"},
                      {"B_Exit", ui::ControlKind::Button, "Выход"}});
  for (const auto* f : {c.get(), m.get()}) {
    const auto& cs = f->controls();
    for (std::size_t i = 0; i < cs.size(); ++i)
      for (std::size_t j = i + 1; j < cs.size(); ++j) {
        const bool apart =
            cs[i].left + cs[i].width <= cs[j].left || cs[j].left + cs[j].width <= cs[i].left ||
            cs[i].top + cs[i].height <= cs[j].top || cs[j].top + cs[j].height <= cs[i].top;
        EXPECT_TRUE(apart) << cs[i].name << " overlaps " << cs[j].name;
      }
  }
}

}  // namespace
}  // namespace kassa::ledgertools
