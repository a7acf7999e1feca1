// The buttons of the cash-sheet menu and of the statistics menu. Each takes
// the sheet the menu was opened for (none: the button does nothing).
#pragma once

#include "platform/host/host.h"

namespace kassa::ledgertools {

// Runs the engine's pre-save processing (Workbook_BeforeSave) for the
// sheet's workbook, creating the engine object on first use and reusing it
// afterwards. Returns whether the save step ran (the menu then forgets the
// sheet); False when the engine cannot be created or Stop_Program is True.
bool Save_Common(host::Worksheet* sheet);

// Loads the buffered payments into the ledger, then refreshes the sheet.
void Refresh_Common(host::Worksheet* sheet);

// Writes the archive copy of the sheet's workbook: every sheet refreshed and
// copied with its values into a new workbook, which loses its query tables
// and command buttons and is saved as
// <folder>/Archiv_<book name without its last four characters>_ddmmyy.xls
// (replacing an archive of the same day) and closed. A failing step is
// skipped; if the copy workbook cannot be made nothing else is done, and
// nothing but that copy is ever deleted from, saved or closed. No message
// when done.
void Archive_Workbook(host::Worksheet* sheet);

}  // namespace kassa::ledgertools
