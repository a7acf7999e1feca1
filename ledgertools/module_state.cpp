#include "ledgertools/module_state.h"

namespace kassa::ledgertools {

Module_State& State() {
  // Intentionally never destroyed: the dialogs and the database object live
  // as long as the library, and tearing them down after the UI port or the
  // client library is gone at process exit would be unsafe.
  static Module_State* state = new Module_State;
  return *state;
}

}  // namespace kassa::ledgertools
