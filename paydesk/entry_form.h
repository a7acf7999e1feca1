// The main window Input_Nal_Pay: date, employee and category (each with a
// "?" picker), purpose and amount; "Ввести" stores the entry, "Выход" or
// closing the window ends the program.
#pragma once

#include "paydesk/database.h"
#include "paydesk/ledger_service.h"
#include "paydesk/picker.h"
#include "paydesk/program.h"
#include "platform/ui/form.h"

namespace kassa::paydesk {

class EntryForm {
 public:
  EntryForm(Program& program, Database& db, LedgerService& service);
  // Loads the window (Date_On := today) and shows it.
  void Show();
  // Hides every window of the program that is still shown.
  void HideAll();
  ui::Form& form() { return form_; }

 private:
  void OnClick(const std::string& button);
  void Store();

  Program& program_;
  Database& db_;
  ui::Form form_;
  Picker categories_;
  Picker members_;
  bool storing_ = false;  // a store is running (a second click is refused)
};

}  // namespace kassa::paydesk
