// The desktop message box: a modal QMessageBox without an icon, with the
// Russian captions of its buttons.
#pragma once

#include <string>

#include "platform/ui/ui.h"

namespace kassa::ui::qt {

// Shows `text` under `title` with the given buttons and returns the button
// pressed. Closing the box without a button (Escape, window frame) gives
// Cancel where there is one, No for Yes/No, OK for OK alone.
Answer ShowMessageBox(const std::string& text, Buttons buttons, const std::string& title);

}  // namespace kassa::ui::qt
