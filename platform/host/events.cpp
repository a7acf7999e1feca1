// Raising the workbook events through the workbook's sink.
#include <memory>

#include "platform/host/host.h"
#include "platform/host/internal.h"
#include "platform/host/texts.h"
#include "platform/ui/ui.h"

namespace kassa::host {

void EventDispatch::Report(int status) {
  if (status != 0) ui::Port().ReportError(texts::RuntimeError(status));
}

void EventDispatch::Report(const HostError& e) {
  ui::Port().ReportError(texts::RuntimeError(e.code(), e.what()));
}

template <class Call>
void EventDispatch::Raise(Workbook& wb, Call call) {
  // Our own reference: the workbook may release its sink during the event.
  std::shared_ptr<WorkbookEventSink> sink = wb.sink_;
  if (!sink) return;
  Running running(wb.Parent());
  try {
    Report(call(*sink));
  } catch (const HostError& e) {
    Report(e);
  } catch (const std::exception& e) {
    // Nothing else should escape a sink; if it does, it is shown like a
    // run-time error (51, internal error) and the program goes on.
    Report(HostError(51, e.what()));
  }
}

void EventDispatch::Open(Workbook& wb) {
  Raise(wb, [&](WorkbookEventSink& s) { return s.Workbook_Open(wb); });
}

bool EventDispatch::BeforeClose(Workbook& wb) {
  bool cancel = false;
  Raise(wb, [&](WorkbookEventSink& s) { return s.Workbook_BeforeClose(wb, cancel); });
  return cancel;
}

bool EventDispatch::BeforeSave(Workbook& wb) {
  bool cancel = false;
  Raise(wb, [&](WorkbookEventSink& s) { return s.Workbook_BeforeSave(wb, cancel); });
  return cancel;
}

void EventDispatch::SheetActivate(Worksheet& sh) {
  Raise(sh.Parent(), [&](WorkbookEventSink& s) { return s.Workbook_SheetActivate(sh); });
}

void EventDispatch::SheetDeactivate(Workbook& wb) {
  Raise(wb, [&](WorkbookEventSink& s) { return s.Workbook_SheetDeactivate(wb); });
}

void EventDispatch::SheetChange(Worksheet& sh, Range target) {
  Raise(sh.Parent(), [&](WorkbookEventSink& s) { return s.Workbook_SheetChange(sh, target); });
}

void EventDispatch::ActivateSheet(Worksheet& sheet) {
  Workbook& wb = sheet.Parent();
  if (wb.closed()) throw HostError(1004, texts::kNoWorkbook);
  Application& app = wb.Parent();
  app.SetActive(wb);
  int index = sheet.Index() - 1;
  if (index == wb.active_) return;  // the active sheet: nothing happens
  // As in the spreadsheet program, the new sheet is already active while the
  // deactivate event of the old one runs.
  wb.active_ = index;
  sheet.Touch();
  SheetDeactivate(wb);
  if (wb.closed() || sheet.Index() == 0) return;
  SheetActivate(sheet);
}

}  // namespace kassa::host
