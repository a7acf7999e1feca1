#include "dbgate/statement_trace.h"

#include "platform/ui/ui.h"

namespace kassa::dbgate {

void TraceStatement(const std::string& text) {
  if (ui::Port().TraceSql()) ui::Port().Note("SQL " + ui::Quote(text));
}

}  // namespace kassa::dbgate
