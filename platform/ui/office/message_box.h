// The system's message box as a modal office dialog (private to
// kassa_ui_office).
#pragma once

#include <string>

#include "platform/ui/ui.h"

namespace kassa::ui::office {

// Shows the box over the window the user works in and waits for a button;
// closing the box by its frame gives the Escape answer.
Answer ShowMessageBox(const std::string& text, Buttons buttons, const std::string& title);

}  // namespace kassa::ui::office
