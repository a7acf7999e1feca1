// The library's six dialogs as form models: names, captions, controls and
// their positions in twips, controls in tab order. No behaviour here; the
// handlers are attached by dialogs.cpp.
#pragma once

#include <memory>

#include "platform/ui/form.h"

namespace kassa::ledgertools {

// Menu of the cash sheet: B_Save_Common, B_Refresh_Common, B_Archive_Common.
std::unique_ptr<ui::Form> Layout_Choice_Action_Common();
// Menu of the statistics sheets: B_Refresh_Expences.
std::unique_ptr<ui::Form> Layout_Choice_Action_Expences();
// Category menu: B_Add_Category, B_Edit_Category, B_Del_Category, B_Refresh.
std::unique_ptr<ui::Form> Layout_Choice_Action_Category();
// Employee menu: B_Add_Member, B_Edit_Member, B_Del_Member, B_Refresh_Member.
std::unique_ptr<ui::Form> Layout_Choice_Action_Member();
// Category entry: the code and the description, then B_Input and B_Exit.
std::unique_ptr<ui::Form> Layout_Input_Nal_Category();
// Employee entry: the five texts, then B_Input and B_Exit.
std::unique_ptr<ui::Form> Layout_Input_Nal_Member();

}  // namespace kassa::ledgertools
