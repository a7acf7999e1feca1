#include "paydesk/ledger_service.h"

#include "paydesk/texts.h"
#include "platform/ui/ui.h"

namespace kassa::paydesk {

ledgertools::Special_Function* LedgerService::Get() {
  if (!service_)
    service_ = component::Create<ledgertools::Special_Function>(texts::kLedgertoolsProgId);
  if (service_) return service_.get();
  ui::Message(texts::kLedgertoolsMissing, ui::Buttons::OK);
  program_.End();
  return nullptr;
}

}  // namespace kassa::paydesk
