// The engine's progress window Dispay_Proccess: one line of text
// (Dialog_Information, Arial) and an optional bar (Progress_Status, 1..100).
// One window per thread: created on first use, afterwards only shown and
// hidden, never destroyed by the engine.
#pragma once

#include <string>

namespace kassa::ui {
class Form;
}

namespace kassa::sheetsync {

class ProgressWindow {
 public:
  // The thread's window (created on first call).
  static ProgressWindow& Instance();

  // Progress_Mode, then shown modeless and repainted.
  void Progress_Show(const std::string& text, bool with_bar);
  // Text set; bar shown or hidden; with the bar its value is 1 and the label
  // stands at 240 twips, without it at 360 (in the bar's place); repainted.
  void Progress_Mode(const std::string& text, bool with_bar);
  // Label text set; repainted.
  void Progress_Text(const std::string& text);
  // Bar value := ProgressValue(fraction); not repainted.
  void Progress_Set(double fraction);
  void Progress_Hide();

  ui::Form& form() { return *form_; }

 private:
  ProgressWindow();
  // Sets text, bar visibility and value, label position (no repaint).
  void ApplyMode(const std::string& text, bool with_bar);
  ui::Form* form_;
};

}  // namespace kassa::sheetsync
