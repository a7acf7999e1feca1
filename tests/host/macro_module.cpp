// A component module for the host's tests: "Hosttest.Events" (a workbook
// event sink) and "Hosttest.Macros" (a sheet macro target). Each leaves a
// visible trace in the workbook, so a test sees what ran and on which
// instance.
#include <cstring>

#include "platform/component/component.h"
#include "platform/host/host.h"

namespace {

using kassa::Variant;
using namespace kassa::host;

int g_sinks = 0, g_targets = 0;

// Workbook_Open writes "opened <n>" into A1 of the active sheet (n counts
// the sinks made so far); the other events do nothing.
class Events : public WorkbookEventSink {
 public:
  Events() : serial_(++g_sinks) {}
  int Workbook_Open(Workbook& Wb) override {
    Wb.ActiveSheet().Cells(1, 1).Value(Variant::Text("opened " + std::to_string(serial_)));
    return 0;
  }
  int Workbook_BeforeClose(Workbook&, bool&) override { return 0; }
  int Workbook_BeforeSave(Workbook&, bool&) override { return 0; }
  int Workbook_SheetActivate(Worksheet&) override { return 0; }
  int Workbook_SheetChange(Worksheet&, Range&) override { return 0; }
  int Workbook_SheetDeactivate(Workbook&) override { return 0; }

 private:
  int serial_;
};

// Run_Macro writes "<method> <n>" into A2 of the sheet (n counts the
// targets made so far); the method "Fail" returns 1004.
class Macros : public SheetMacroTarget {
 public:
  Macros() : serial_(++g_targets) {}
  int Run_Macro(const std::string& method, Worksheet& sheet) override {
    if (method == "Fail") return 1004;
    sheet.Cells(2, 1).Value(Variant::Text(method + " " + std::to_string(serial_)));
    return 0;
  }

 private:
  int serial_;
};

}  // namespace

KASSA_COMPONENT_ENTRY {
  if (std::strcmp(progid, "Hosttest.Events") == 0) return new Events();
  if (std::strcmp(progid, "Hosttest.Macros") == 0) return new Macros();
  return nullptr;
}
