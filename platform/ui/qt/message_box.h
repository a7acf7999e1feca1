// The desktop message box: a modal QMessageBox without an icon, with the
// Russian captions of its buttons.
#pragma once

#include <optional>
#include <string>

#include "platform/ui/ui.h"

namespace kassa::ui::qt {

// Shows `text` under `title` with the given buttons and returns the button
// pressed. Closing the box without a button (Escape, window frame) gives
// Cancel where there is one, No for Yes/No, OK for OK alone. The default
// button (Enter) is the first one, or the one of `default_answer` when the
// box has it.
Answer ShowMessageBox(const std::string& text, Buttons buttons, const std::string& title,
                      std::optional<Answer> default_answer = std::nullopt);

}  // namespace kassa::ui::qt
