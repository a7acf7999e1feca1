// The implementation of ADB_cls (see adb.h for what callers rely on).
#pragma once

#include <memory>
#include <string>

#include "dbgate/adb.h"

namespace kassa::dbgate {

// A new instance that reads its connection parameters from
// `parameters_file` (the module passes the file beside the library).
std::unique_ptr<ADB_cls> MakeADB(std::string parameters_file);

}  // namespace kassa::dbgate
