#include "ledgertools/common_actions.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "ledgertools/archive_name.h"
#include "ledgertools/buffer_loading.h"
#include "ledgertools/module_state.h"
#include "ledgertools/shared_procedures.h"
#include "ledgertools/texts.h"

namespace kassa::ledgertools {

namespace {

// Runs one archive step; a host error only skips it.
template <class F>
void Step(F&& f) {
  try {
    f();
  } catch (const host::HostError&) {
  }
}

}  // namespace

bool Save_Common(host::Worksheet* sheet) {
  Module_State& s = State();
  if (!s.WB_Engine) Create_WB_Engine();
  if (s.Stop_Program || !s.WB_Engine || !sheet) return false;
  bool Cancel = false;
  const int status = s.WB_Engine->Workbook_BeforeSave(sheet->Parent(), Cancel);
  if (status != 0)
    ui::Port().ReportError(std::string(texts::kRuntimeError) + std::to_string(status));
  return true;
}

void Refresh_Common(host::Worksheet* sheet) {
  Load_NAL_Buffer();
  Refresh_Sheet_Query(sheet);
}

void Archive_Workbook(host::Worksheet* sheet) {
  if (!sheet) return;
  host::Workbook& wb = sheet->Parent();
  host::Application& app = wb.Parent();

  Step([&] { Refresh_Sheet_Query_Quietly(&wb.Sheets(1)); });

  // The copy must be a workbook that did not exist before: only it is ever
  // changed, saved and closed below.
  const std::vector<host::Workbook*> before = app.Workbooks();
  host::Workbook* arch = nullptr;
  try {
    wb.Sheets(1).Copy();
    host::Workbook& active = app.ActiveWorkbook();
    if (std::find(before.begin(), before.end(), &active) == before.end()) arch = &active;
  } catch (const host::HostError&) {
  }
  if (!arch) return;

  Step([&] { arch->Sheets(1).QueryTables(1).Delete(); });
  const int c = wb.SheetsCount();
  for (int i = 2; i <= c; ++i) {
    Step([&] { Refresh_Sheet_Query_Quietly(&wb.Sheets(i)); });
    Step([&] { wb.Sheets(i).Copy(arch->Sheets(i - 1)); });
    Step([&] { arch->Sheets(i).QueryTables(1).Delete(); });
  }
  for (const texts::SheetButton& b : texts::kArchiveButtons)
    Step([&] { arch->Sheets(b.sheet).DeleteShape(b.shape); });
  Step([&] { arch->Sheets(1).Activate(); });

  const std::string name = Archive_File_Name(wb.Path(), wb.Name(), ui::Port().Now());
  std::string failure;
  try {
    arch->SaveAs(name);
  } catch (const host::HostError& e) {
    failure = e.what();
  }
  Step([&] { arch->Close(); });
  // An archive that could not be written is never passed over in silence.
  if (!failure.empty()) Say(texts::kArchiveNotSavedHead + failure + texts::kArchiveNotSavedTail);
}

}  // namespace kassa::ledgertools
