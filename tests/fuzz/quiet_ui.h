// A user interface for fuzz targets: every message box answered with its
// first button, nothing shown or printed.
#pragma once

#include "platform/ui/ui.h"

namespace kassa::fuzz {

class QuietUi : public ui::Backend {
 public:
  ui::Answer Message(const std::string&, ui::Buttons b, const std::string&) override {
    return b == ui::Buttons::YesNo || b == ui::Buttons::YesNoCancel ? ui::Answer::Yes
                                                                    : ui::Answer::OK;
  }
  void ShowForm(ui::Form&) override {}
  void HideForm(ui::Form&) override {}
  void RepaintForm(ui::Form&) override {}
  void Pause(int) override {}
  bool WaitUntil(const std::function<bool()>& done) override { return done(); }
  void ProcessEvents() override {}
  double TimeOfDay() override { return 0; }
  double Now() override { return 0; }
  double Monotonic() override { return 0; }
  void ReportError(const std::string&) override {}
  void Note(const std::string&) override {}
};

inline void InstallQuietUi() {
  static QuietUi ui;
  ui::Install(&ui);
}

}  // namespace kassa::fuzz
