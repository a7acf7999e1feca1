// The system's message box as a modal office dialog (private to
// kassa_ui_office).
#pragma once

#include <com/sun/star/awt/XControl.hpp>
#include <functional>
#include <string>

#include "platform/ui/office/toolkit.h"
#include "platform/ui/ui.h"

namespace kassa::ui::office {

// Shows the box over the window the user works in and waits for a button;
// closing the box by its frame gives the Escape answer.
// `on_shown`, when set, runs once the box is up (see office_ui.h).
Answer ShowMessageBox(
    const std::string& text, Buttons buttons, const std::string& title,
    const std::function<void(const css::uno::Reference<css::awt::XControl>&)>& on_shown = nullptr);

}  // namespace kassa::ui::office
