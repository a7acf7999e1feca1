// Entry point of the component library libwaitbox.so.
#include <cstring>

#include "platform/waitbox/msg_box.h"
#include "platform/waitbox/texts.h"

KASSA_COMPONENT_ENTRY {
  if (progid && std::strcmp(progid, kassa::waitbox::texts::kProgId) == 0)
    return new kassa::waitbox::MsgBox;
  return nullptr;
}
