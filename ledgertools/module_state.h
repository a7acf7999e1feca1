// The library's module state: one set per process, shared by every
// Special_Function object. Created on first use and never released while
// the library is loaded (the database object keeps its connection, the
// dialogs are hidden and shown again, never destroyed).
#pragma once

#include <memory>

#include "dbgate/adb.h"
#include "platform/host/host.h"
#include "platform/ui/form.h"
#include "sheetsync/wb_events.h"

namespace kassa::ledgertools {

struct Module_State {
  // The library's one database object; none until Create_ADB succeeds.
  std::shared_ptr<dbgate::ADB_cls> ADB;
  // Failure flag: True once a database call or an object creation failed;
  // while True every shared procedure skips its database work.
  bool Stop_Program = false;
  // The worksheet handed in by the last Action method; the menu buttons act
  // on it. Owned by the host.
  host::Worksheet* Target_Sheet = nullptr;
  // The synchronisation engine used by the save button; none until created.
  std::shared_ptr<sheetsync::WB_Events> WB_Engine;

  // The dialogs, created on first use (see dialogs.h).
  std::unique_ptr<ui::Form> Choice_Action_Common;
  std::unique_ptr<ui::Form> Choice_Action_Expences;
  std::unique_ptr<ui::Form> Choice_Action_Category;
  std::unique_ptr<ui::Form> Choice_Action_Member;
  std::unique_ptr<ui::Form> Input_Nal_Category;
  std::unique_ptr<ui::Form> Input_Nal_Member;

  // Outcome of the last use of each entry dialog ("Ввести" True, "Выход"
  // or closing by the frame False).
  bool Category_Accepted = false;
  bool Member_Accepted = false;
  // Set True by either button (or the frame) of either entry dialog; the
  // waiting operation sets it back to False.
  bool Entry_Closed = false;
  // True while a dictionary operation (add, edit, delete of either
  // dictionary) runs; a second one started meanwhile is refused, so the one
  // Entry_Closed always belongs to the one waiting operation.
  bool Dictionary_Busy = false;
};

// The module state of the process.
Module_State& State();

}  // namespace kassa::ledgertools
