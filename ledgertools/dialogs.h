// The library's dialogs, created with their handlers on first use and kept
// in the module state. Menu buttons follow one frame: hide the menu, do the
// work on Target_Sheet, then forget Target_Sheet (unless an Action method
// handed in another sheet meanwhile). Entry-dialog buttons record the
// answer and end the operation's wait; closing an entry dialog by its frame
// counts as "Выход". A host error met by a button is shown and the program
// goes on.
#pragma once

#include "platform/ui/form.h"

namespace kassa::ledgertools {

ui::Form& Choice_Action_Common();
ui::Form& Choice_Action_Expences();
ui::Form& Choice_Action_Category();
ui::Form& Choice_Action_Member();
ui::Form& Input_Nal_Category();
ui::Form& Input_Nal_Member();

// Sets a text box (or empties it) and repaints the form.
void Set_Box(ui::Form& f, const char* box, const std::string& text);
const std::string& Box(ui::Form& f, const char* box);

}  // namespace kassa::ledgertools
