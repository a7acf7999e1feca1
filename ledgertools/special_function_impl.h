// The factory of the library's one class (used by the component entry and
// by tests that link the library's logic directly).
#pragma once

#include <memory>

#include "ledgertools/special_function.h"

namespace kassa::ledgertools {

// A new Special_Function object; every object shares the module state.
std::unique_ptr<Special_Function> Make_Special_Function();

}  // namespace kassa::ledgertools
