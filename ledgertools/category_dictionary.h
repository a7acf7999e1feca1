// The payment-category dictionary (table CATEGORY_NAL) behind the category
// menu and the entry program's category picker. Each operation runs to its
// end inside the button click that starts it; `sheet` is the category sheet
// it works on (none when started from the entry program: no refresh then).
// Only one dictionary operation runs at a time (see entry_dialog.h).
#pragma once

#include "platform/host/host.h"

namespace kassa::ledgertools {

// Asks for a new category through Input_Nal_Category until it is accepted
// (a non-empty code unique in any letter case, texts the columns can hold)
// or the user leaves; inserts it with the smallest free key.
void Add_Category(host::Worksheet* sheet);

// Edits the category on the active cell's row: asks with the old texts,
// writes only what changed (the code first, after the usage question when
// payments use the category), and refreshes the sheet.
void Edit_Category(host::Worksheet* sheet);

// Deletes the category on the active cell's row after confirmation, unless
// payments still use it.
void Delete_Category(host::Worksheet* sheet);

}  // namespace kassa::ledgertools
