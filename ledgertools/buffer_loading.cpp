#include "ledgertools/buffer_loading.h"

#include "ledgertools/buffer_plan.h"
#include "ledgertools/entry_dialog.h"
#include "ledgertools/shared_procedures.h"
#include "ledgertools/texts.h"

namespace kassa::ledgertools {

void Load_NAL_Buffer() {
  const auto waiting = Count(texts::kBufferCount);
  if (!waiting || *waiting <= 0) return;
  const auto ledger_rows = Count(texts::kNalCount);
  if (!ledger_rows) return;
  const auto keys = Get_Keys(texts::kBufferKeys);
  if (!keys || keys->empty()) return;
  Execute_Transaction(Buffer_Load_Statements(*keys, *ledger_rows));
}

}  // namespace kassa::ledgertools
