// The seven public methods of WB_Events: book start-up, sheet activation and
// deactivation, change, save and close.
#include <exception>

#include "platform/ui/ui.h"
#include "sheetsync/engine.h"
#include "sheetsync/progress.h"
#include "sheetsync/texts.h"

namespace kassa::sheetsync {

namespace {
constexpr int kApplicationError = 1004;
}

[[noreturn]] void RaiseError(int code) {
  switch (code) {
    case 9:
      throw host::HostError(code, "Subscript out of range");
    case 13:
      throw host::HostError(code, "Type mismatch");
    case 91:
      throw host::HostError(code, "Object variable or With block variable not set");
    default:
      throw host::HostError(code, "Run-time error " + std::to_string(code));
  }
}

bool& SheetFlags::operator[](long index) {
  if (index < 0 || index > kHighest) RaiseError(9);
  return flags_[static_cast<size_t>(index)];
}

bool SwitchOf(const std::vector<bool>& switches, long index) {
  if (index < 0 || index > SheetFlags::kHighest || index >= static_cast<long>(switches.size()))
    RaiseError(9);
  return switches[static_cast<size_t>(index)];
}

Engine::Engine() = default;
Engine::~Engine() = default;

template <class F>
int Engine::Guard(F&& body) {
  int status = 0;
  try {
    body();
  } catch (const host::HostError& e) {
    ProgressWindow::Instance().Progress_Hide();
    status = e.code();
  } catch (const std::exception&) {
    ProgressWindow::Instance().Progress_Hide();
    status = kApplicationError;
  }
  Show_Database_State();
  return status;
}

// Once the database is lost the engine writes nothing more for the life of
// the workbook; the workbook says so for as long as it is open, so the user
// knows the emergency copy on closing is where the edits are.
void Engine::Show_Database_State() {
  if (Stop_Program && WB && !WB->closed() && WB->Status().empty())
    WB->SetStatus(texts::kDatabaseLostStatus);
}

host::Worksheet& Engine::ActiveSheet() {
  return WB->ActiveSheet();
}

void Engine::Reset_Book_State() {
  Sheet_Ready = false;
  Book_Ready = false;
  Closing = false;
  Skip_Check = false;
  Error_Count = 0;
  ID_Column.clear();
  for (int i = 1; i <= WB->SheetsCount(); ++i) {
    Sheet_Visited[i] = false;
    Sheet_To_Store[i] = false;
    Sheet_Incomplete[i] = false;
  }
}

void Engine::Init_Book() {
  ProgressWindow& progress = ProgressWindow::Instance();
  progress.Progress_Show(texts::kInitBook, false);
  Reset_Book_State();
  Load_Book_Config();
  progress.Progress_Text(texts::kInitSheet);
  Load_Sheet_Config();
  progress.Progress_Text(texts::kRefreshSheet);
  Refresh_Sheet();
  Sheet_Visited[ActiveSheet().Index()] = true;
  progress.Progress_Hide();
}

int Engine::Workbook_Open(host::Workbook& Wb) {
  return Guard([&] {
    Fill_WB(Wb);
    Init_Book();
  });
}

int Engine::Workbook_SheetActivate(host::Worksheet& Sh) {
  return Guard([&] {
    Fill_WB(Sh.Parent());
    Load_Sheet_Config();
    if (!Sheet_Visited[Sh.Index()]) {
      Refresh_Sheet();
      Sheet_Visited[Sh.Index()] = true;
    }
  });
}

int Engine::Workbook_SheetDeactivate(host::Workbook& Wb) {
  return Guard([&] {
    Fill_WB(Wb);
    Clear_Sheet_Config();
  });
}

int Engine::Workbook_SheetChange(host::Worksheet& Sh, host::Range& Target) {
  return Guard([&] {
    Fill_WB(Sh.Parent());
    if (Target.Row() == 1) Format_Header();
    Sync_Range(Target);
  });
}

int Engine::Workbook_BeforeSave(host::Workbook& Wb, bool& Cancel) {
  return Guard([&] {
    Fill_WB(Wb);
    if (!Book_Ready) Load_Book_Config();
    if (!Sheet_Ready) Load_Sheet_Config();
    Cancel = WB->ReadOnly();
    if (SwitchOf(Sync_On_Save, ActiveSheet().Index()) && !Skip_Check) {
      if (Sheet_Differs()) {
        if (Stop_Program) {
          Emergency_Exit_Save();
        } else {
          Store_Sheet(true);
          if (Stop_Program) Emergency_Exit_Save();
        }
      } else if (Stop_Program) {
        Emergency_Exit_Save();
      }
    }
  });
}

int Engine::Workbook_BeforeClose(host::Workbook& Wb, bool& Cancel) {
  return Guard([&] {
    Fill_WB(Wb);
    if (Closing) return;
    const std::string list = Changed_Sheets();
    if (Stop_Program) {
      Cancel = Emergency_Exit_Close();
    } else if (!list.empty()) {
      Error_Count = 0;
      ui::Answer a = ui::Message(texts::kStoreQuestionPrefix + list + texts::kStoreQuestionSuffix,
                                 ui::Buttons::YesNoCancel, texts::kStoreQuestionTitle);
      if (a == ui::Answer::Cancel) {
        Cancel = true;
      } else if (a == ui::Answer::Yes) {
        Store_Marked_Sheets();
      } else {
        Cancel = false;
      }
      if (Stop_Program) Cancel = Emergency_Exit_Close();
      if (Error_Count > 0) {
        if (ui::Message(
                texts::kNotStoredPrefix + std::to_string(Error_Count) + texts::kInputErrorsSuffix,
                ui::Buttons::OKCancel, texts::kInputErrorsTitle) == ui::Answer::OK)
          Cancel = true;
        Error_Count = 0;
      }
    }
    Closing = !Cancel;
    if (!Cancel) {
      Close_DB();
      Skip_Check = true;
      Close_Own_Window(Cancel);
    }
  });
}

// The engine's own workbook is closed, whichever workbook is active. When
// the workbook cannot be written the close stops: the user is told and the
// workbook stays open with every edit, and the next close asks again.
void Engine::Close_Own_Window(bool& Cancel) {
  WB->Activate();
  try {
    WB->Parent().ActiveWindowClose(!WB->ReadOnly());
  } catch (const host::HostError& e) {
    Closing = false;
    Skip_Check = false;
    Cancel = true;
    ui::Message(texts::kBookNotSavedPrefix + WB->Name() + texts::kBookNotSavedMiddle + e.what() +
                    texts::kBookNotSavedSuffix,
                ui::Buttons::OK);
  }
}

int Engine::Simple_Exp() {
  return Guard([&] { ui::Message(texts::kSimpleExp, ui::Buttons::OK); });
}

}  // namespace kassa::sheetsync
