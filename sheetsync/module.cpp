// The component entry of libsheetsync.so: "Sheetsync.WB_Events".
#include <strings.h>

#include "sheetsync/engine.h"
#include "sheetsync/texts.h"

KASSA_COMPONENT_ENTRY {
  if (progid && strcasecmp(progid, kassa::sheetsync::texts::kEngineProgId) == 0)
    return new kassa::sheetsync::Engine();
  return nullptr;
}
