// The employee dictionary (table OUR_MEMBERS) behind the employee menu and
// the entry program's employee picker; built like the category dictionary
// (category_dictionary.h) with five texts per employee.
#pragma once

#include "platform/host/host.h"

namespace kassa::ledgertools {

// Asks for a new employee through Input_Nal_Member until accepted (a
// non-empty short name unique in any letter case, texts the columns can
// hold; a repeated surname only after Yes) or the user leaves; inserts it
// with the smallest free key.
void Add_Member(host::Worksheet* sheet);

// Edits the employee on the active cell's row, one statement per changed
// text, the short name first (after the usage question when payments use
// the employee); refreshes the sheet.
void Edit_Member(host::Worksheet* sheet);

// Deletes the employee on the active cell's row after confirmation, unless
// payments still use it.
void Delete_Member(host::Worksheet* sheet);

}  // namespace kassa::ledgertools
