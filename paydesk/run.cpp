#include "paydesk/database.h"
#include "paydesk/entry_form.h"
#include "paydesk/ledger_service.h"
#include "paydesk/paydesk.h"
#include "paydesk/program.h"
#include "platform/ui/ui.h"

namespace kassa::paydesk {

int RunPaydesk() {
  Program program;
  Database db(program);
  LedgerService service(program);
  EntryForm entry(program, db, service);
  entry.Show();
  ui::Port().WaitUntil([&program] { return program.ended; });
  entry.HideAll();
  return program.ended ? 0 : 1;
}

}  // namespace kassa::paydesk
