// Sheetsync: the workbook synchronisation engine WB_Events, created by the
// ProgID "Sheetsync.WB_Events". One instance serves one open workbook; the
// workbook's macros forward the host's events to it (host::WorkbookEventSink)
// and it keeps the configured worksheets in step with their tables.
// Every method returns 0 or the run-time error number that escaped it.
#pragma once

#include "platform/host/host.h"

namespace kassa::sheetsync {

class KASSA_EXPORT WB_Events : public host::WorkbookEventSink {
 public:
  // Workbook_Open, Workbook_BeforeClose, Workbook_BeforeSave,
  // Workbook_SheetActivate, Workbook_SheetChange, Workbook_SheetDeactivate
  // come from host::WorkbookEventSink, in this slot order; then:
  virtual int Simple_Exp() = 0;  // shows " ДА "
};

}  // namespace kassa::sheetsync
