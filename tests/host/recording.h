// Test helpers: a UI backend that records what the host tells the user, and
// an event sink that records the events it receives and can run actions
// inside them.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/host/host.h"
#include "platform/ui/ui.h"

namespace kassa::host::testing {

class RecordingUi : public ui::Backend {
 public:
  RecordingUi() { ui::Install(this); }
  ~RecordingUi() override { ui::Install(nullptr); }
  ui::Answer Message(const std::string& text, ui::Buttons, const std::string&) override {
    messages.push_back(text);
    return ui::Answer::OK;
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
  void ReportError(const std::string& text) override { errors.push_back(text); }
  void Note(const std::string& line) override { notes.push_back(line); }

  std::vector<std::string> messages, errors, notes;
};

// Records "Open", "BeforeClose", "BeforeSave", "Activate <sheet>",
// "Deactivate", "Change <sheet>!<address>"; an action set for an event runs
// inside it (once per event, re-entrantly).
class RecordingSink : public WorkbookEventSink {
 public:
  int Workbook_Open(Workbook&) override { return Hit("Open"); }
  int Workbook_BeforeClose(Workbook&, bool& Cancel) override {
    int s = Hit("BeforeClose");
    if (cancel_close) Cancel = true;
    return s;
  }
  int Workbook_BeforeSave(Workbook&, bool& Cancel) override {
    int s = Hit("BeforeSave");
    if (cancel_save) Cancel = true;
    return s;
  }
  int Workbook_SheetActivate(Worksheet& Sh) override { return Hit("Activate " + Sh.Name()); }
  int Workbook_SheetChange(Worksheet& Sh, Range& Target) override {
    return Hit("Change " + Sh.Name() + "!" + Target.Address());
  }
  int Workbook_SheetDeactivate(Workbook&) override { return Hit("Deactivate"); }

  std::vector<std::string> log;
  std::map<std::string, std::function<int()>> actions;  // event -> action (run once)
  bool cancel_close = false, cancel_save = false;

 private:
  int Hit(const std::string& what) {
    log.push_back(what);
    auto it = actions.find(what);
    if (it == actions.end()) return 0;
    auto action = it->second;
    actions.erase(it);
    return action();
  }
};

}  // namespace kassa::host::testing
