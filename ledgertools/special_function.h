// Ledgertools: the ledger service class Special_Function, created by the
// ProgID "Ledgertools.Special_Function". The class holds nothing itself: the
// module state (database object, Stop_Program, Target_Sheet, engine object,
// dialogs) is shared by every object of the process. Sheet buttons reach the
// four Action methods through host::SheetMacroTarget::Run_Macro.
#pragma once

#include "platform/host/host.h"

namespace kassa::ledgertools {

class KASSA_EXPORT Special_Function : public host::SheetMacroTarget {
 public:
  // In the order of the class's interface.
  virtual void Load_Buffer() = 0;
  virtual void Set_SQL_Connections(host::Workbook* aWb) = 0;
  virtual void Action_Common(host::Worksheet& aWs) = 0;
  virtual void Action_Category(host::Worksheet& aWs) = 0;
  virtual void Action_Member(host::Worksheet& aWs) = 0;
  virtual void Action_Expences(host::Worksheet& aWs) = 0;
  virtual void Add_Member_Input_Nal() = 0;
  virtual void Add_Category_Input_Nal() = 0;
};

}  // namespace kassa::ledgertools
