#include "ledgertools/dialogs.h"

#include <functional>
#include <string>

#include "ledgertools/category_dictionary.h"
#include "ledgertools/common_actions.h"
#include "ledgertools/dialog_layout.h"
#include "ledgertools/member_dictionary.h"
#include "ledgertools/module_state.h"
#include "ledgertools/shared_procedures.h"
#include "ledgertools/texts.h"

namespace kassa::ledgertools {

namespace {

// The frame of a menu button. `work` returns whether Target_Sheet is to be
// forgotten afterwards.
void Menu_Button(ui::Form& menu, const std::function<bool(host::Worksheet*)>& work) {
  menu.Hide();
  Module_State& s = State();
  host::Worksheet* sheet = s.Target_Sheet;
  bool forget = true;
  try {
    forget = work(sheet);
  } catch (const host::HostError& e) {
    Report_Host_Error(e);
  }
  if (forget && s.Target_Sheet == sheet) s.Target_Sheet = nullptr;
}

bool Always(void (*op)(host::Worksheet*), host::Worksheet* sheet) {
  op(sheet);
  return true;
}

// The two buttons and the frame of an entry dialog.
void Wire_Entry(ui::Form& f, bool Module_State::*accepted,
                std::initializer_list<const char*> boxes) {
  std::vector<const char*> names(boxes);
  auto finish = [&f, accepted, names](bool ok) {
    Module_State& s = State();
    s.*accepted = ok;
    if (!ok)
      for (const char* b : names) Set_Box(f, b, "");
    if (f.visible()) f.Hide();
    s.Entry_Closed = true;
  };
  f.on_click = [finish](const std::string& button) {
    if (button == texts::kBInput) finish(true);
    if (button == texts::kBExit) finish(false);
  };
  f.on_closed = [finish] { finish(false); };
}

}  // namespace

void Set_Box(ui::Form& f, const char* box, const std::string& text) {
  f.control(box).text = text;
  f.Repaint();
}

const std::string& Box(ui::Form& f, const char* box) {
  return f.control(box).text;
}

ui::Form& Choice_Action_Common() {
  auto& slot = State().Choice_Action_Common;
  if (!slot) {
    slot = Layout_Choice_Action_Common();
    ui::Form& f = *slot;
    f.on_click = [&f](const std::string& b) {
      if (b == texts::kBSaveCommon) Menu_Button(f, Save_Common);
      if (b == texts::kBRefreshCommon)
        Menu_Button(f, [](host::Worksheet* s) { return Always(Refresh_Common, s); });
      if (b == texts::kBArchiveCommon)
        Menu_Button(f, [](host::Worksheet* s) { return Always(Archive_Workbook, s); });
    };
  }
  return *slot;
}

ui::Form& Choice_Action_Expences() {
  auto& slot = State().Choice_Action_Expences;
  if (!slot) {
    slot = Layout_Choice_Action_Expences();
    ui::Form& f = *slot;
    f.on_click = [&f](const std::string& b) {
      if (b == texts::kBRefreshExpences)
        Menu_Button(f, [](host::Worksheet* s) { return Always(Refresh_Sheet_Query, s); });
    };
  }
  return *slot;
}

ui::Form& Choice_Action_Category() {
  auto& slot = State().Choice_Action_Category;
  if (!slot) {
    slot = Layout_Choice_Action_Category();
    ui::Form& f = *slot;
    f.on_click = [&f](const std::string& b) {
      if (b == texts::kBAddCategory)
        Menu_Button(f, [](host::Worksheet* s) { return Always(Add_Category, s); });
      if (b == texts::kBEditCategory)
        Menu_Button(f, [](host::Worksheet* s) { return Always(Edit_Category, s); });
      if (b == texts::kBDelCategory)
        Menu_Button(f, [](host::Worksheet* s) { return Always(Delete_Category, s); });
      if (b == texts::kBRefreshCategory)
        Menu_Button(f, [](host::Worksheet* s) { return Always(Refresh_Sheet_Query, s); });
    };
  }
  return *slot;
}

ui::Form& Choice_Action_Member() {
  auto& slot = State().Choice_Action_Member;
  if (!slot) {
    slot = Layout_Choice_Action_Member();
    ui::Form& f = *slot;
    f.on_click = [&f](const std::string& b) {
      if (b == texts::kBAddMember)
        Menu_Button(f, [](host::Worksheet* s) { return Always(Add_Member, s); });
      if (b == texts::kBEditMember)
        Menu_Button(f, [](host::Worksheet* s) { return Always(Edit_Member, s); });
      if (b == texts::kBDelMember)
        Menu_Button(f, [](host::Worksheet* s) { return Always(Delete_Member, s); });
      if (b == texts::kBRefreshMember)
        Menu_Button(f, [](host::Worksheet* s) { return Always(Refresh_Sheet_Query, s); });
    };
  }
  return *slot;
}

ui::Form& Input_Nal_Category() {
  auto& slot = State().Input_Nal_Category;
  if (!slot) {
    slot = Layout_Input_Nal_Category();
    Wire_Entry(*slot, &Module_State::Category_Accepted,
               {texts::kTBNameEncipher, texts::kTBDescriptionPayment});
  }
  return *slot;
}

ui::Form& Input_Nal_Member() {
  auto& slot = State().Input_Nal_Member;
  if (!slot) {
    slot = Layout_Input_Nal_Member();
    Wire_Entry(*slot, &Module_State::Member_Accepted,
               {texts::kTBNameShort, texts::kTBLastName, texts::kTBFirstName, texts::kTBMiddleName,
                texts::kTBPositionInFirm});
  }
  return *slot;
}

}  // namespace kassa::ledgertools
