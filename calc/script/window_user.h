// The scripted user at a display: what the headless runner records, shown
// for real and acted on with the mouse and the keyboard (xdotool).
//
// WindowBackend records the transcript exactly as the scripted backend does
// and also shows every message box and form as the office shows them to a
// person; each message box is answered by clicking the button the scenario
// chose. With $KASSA_CALC_SCREENSHOTS set, the screen is saved there as a
// PNG when a form is first shown and when a message box is up.
#pragma once

#include <string>

#include "calc/office.h"
#include "platform/ui/office/office_ui.h"
#include "platform/ui/script/scripted.h"

namespace kassa::calc {

// Clicks the middle of an office control with the mouse; false when the
// control is not on the screen.
bool ClickControl(const ui::office::ControlRef& control);
// The X window of an office window, for xdotool ("" when unknown).
std::string XWindowId(const Reference<css::awt::XWindowPeer>& peer);
// Runs xdotool with `args`; false when it failed.
bool Xdotool(const std::vector<std::string>& args);
// Types text on the display's keyboard, one character at a time, letting
// the office take each before the next.
bool TypeOnDisplay(const std::string& text);
// Lets the office handle what the display sent for `seconds`.
void Absorb(double seconds);
// Saves the screen as <folder>/<nn>-<what>.png when $KASSA_CALC_SCREENSHOTS
// names a folder.
void Screenshot(const std::string& what);

class WindowBackend : public ui::ScriptedBackend {
 public:
  WindowBackend();
  ui::Answer Message(const std::string& text, ui::Buttons buttons,
                     const std::string& title) override;
  void ShowForm(ui::Form& f) override;
  void HideForm(ui::Form& f) override;
  void RepaintForm(ui::Form& f) override;
  void FormDestroyed(ui::Form& f) override;
  void Pause(int ms) override;
  void ProcessEvents() override;

 private:
  ui::Backend& office_;
};

}  // namespace kassa::calc
