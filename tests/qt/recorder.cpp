// The recording components of recorder.h.
#include "tests/qt/recorder.h"

#include <cstring>

namespace kassa::qttest {
namespace {

std::vector<std::string>& SharedLog() {
  static std::vector<std::string> log;
  return log;
}

class Sink final : public RecordingSink {
 public:
  std::vector<std::string>& Log() override { return SharedLog(); }
  int Workbook_Open(host::Workbook& Wb) override {
    Log().push_back("Open " + Wb.Name());
    return 0;
  }
  int Workbook_BeforeClose(host::Workbook&, bool&) override {
    Log().push_back("BeforeClose");
    return 0;
  }
  int Workbook_BeforeSave(host::Workbook&, bool&) override {
    Log().push_back("BeforeSave");
    return 0;
  }
  int Workbook_SheetActivate(host::Worksheet& Sh) override {
    Log().push_back("Activate " + Sh.Name());
    return 0;
  }
  int Workbook_SheetChange(host::Worksheet& Sh, host::Range& Target) override {
    Log().push_back("Change " + Sh.Name() + "!" + Target.Address());
    return 0;
  }
  int Workbook_SheetDeactivate(host::Workbook&) override {
    Log().push_back("Deactivate");
    return 0;
  }
};

class Macros final : public host::SheetMacroTarget {
 public:
  int Run_Macro(const std::string& method, host::Worksheet& sheet) override {
    SharedLog().push_back("Macro " + method + " " + sheet.Name());
    return 0;
  }
};

}  // namespace
}  // namespace kassa::qttest

KASSA_COMPONENT_ENTRY {
  if (std::strcmp(progid, kassa::qttest::kRecorderProgId) == 0) return new kassa::qttest::Sink;
  if (std::strcmp(progid, kassa::qttest::kMacrosProgId) == 0) return new kassa::qttest::Macros;
  return nullptr;
}
