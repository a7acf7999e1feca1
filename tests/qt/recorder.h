// A recording event sink for the Qt tests: a component ("KassaTest.Recorder"
// for workbook events, "KassaTest.Macros" for sheet buttons) that writes
// every host event it receives as one line into a log shared by the module.
// Lines: "Open <book>", "BeforeClose", "BeforeSave", "Activate <sheet>",
// "Deactivate", "Change <sheet>!<address>", "Macro <method> <sheet>".
#pragma once

#include <string>
#include <vector>

#include "platform/host/host.h"

namespace kassa::qttest {

inline constexpr const char* kRecorderProgId = "KassaTest.Recorder";
inline constexpr const char* kMacrosProgId = "KassaTest.Macros";

class RecordingSink : public host::WorkbookEventSink {
 public:
  // The module's log (shared by every recorder object).
  virtual std::vector<std::string>& Log() = 0;
};

}  // namespace kassa::qttest
