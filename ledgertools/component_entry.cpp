// The component entry of libledgertools.so: makes "Ledgertools.Special_Function".
#include <cstring>

#include "ledgertools/special_function_impl.h"
#include "ledgertools/texts.h"

KASSA_COMPONENT_ENTRY {
  if (progid == nullptr || std::strcmp(progid, kassa::ledgertools::texts::kProgIdSelf) != 0)
    return nullptr;
  return kassa::ledgertools::Make_Special_Function().release();
}
