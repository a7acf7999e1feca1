// The runner's workbook commands: the user at the workbook, through the
// runner's host driver.
#include <cstdlib>

#include "apps/kassa-script/runner.h"

namespace kassa::script {

void Runner::Address(const std::string& a1, long& r1, int& c1, long& r2, int& c2) {
  // A bare row number names the whole row.
  char* end = nullptr;
  long row = std::strtol(a1.c_str(), &end, 10);
  if (!a1.empty() && *end == '\0' && row >= 1 && row <= host::kMaxRows) {
    r1 = r2 = row;
    c1 = 1;
    c2 = host::kMaxColumns;
    return;
  }
  if (!host::ParseAddress(a1, r1, c1, r2, c2)) Fail("not a cell or range: " + a1);
}

void Runner::DoHost(const Line& line) {
  const std::string& cmd = line.words[0];
  long r1 = 0, r2 = 0;
  int c1 = 0, c2 = 0;
  try {
    if (cmd == "open") {
      Arity(line, 2, 2);
      driver_->Open(line.words[1]);
    } else if (cmd == "activate") {
      Arity(line, 2, 2);
      driver_->Activate(line.words[1]);
    } else if (cmd == "select") {
      Arity(line, 2, 2);
      Address(line.words[1], r1, c1, r2, c2);
      driver_->Select(r1, c1, r2, c2);
    } else if (cmd == "type" || cmd == "paste") {
      Arity(line, 3, 3);
      Address(line.words[1], r1, c1, r2, c2);
      if (cmd == "type")
        driver_->Type(r1, c1, line.words[2]);
      else
        driver_->Paste(r1, c1, line.words[2]);
    } else if (cmd == "clear") {
      Arity(line, 2, 2);
      Address(line.words[1], r1, c1, r2, c2);
      driver_->Clear(r1, c1, r2, c2);
    } else if (cmd == "click") {
      Arity(line, 2, 2);
      driver_->Click(line.words[1]);
    } else if (cmd == "save") {
      Arity(line, 1, 1);
      driver_->Save();
    } else if (cmd == "saveas") {
      Arity(line, 2, 2);
      driver_->SaveAs(line.words[1]);
    } else if (cmd == "close") {
      Arity(line, 1, 1);
      driver_->Close();
    }
  } catch (const host::HostError& e) {
    // What the host itself refuses the user sees as an error, and goes on.
    backend_.ReportError(e.what());
  }
}

void Runner::DoShow(const Line& line) {
  Arity(line, 1, 3);
  std::string sheet, range;
  if (line.words.size() == 3) {
    sheet = line.words[1];
    if (!driver_->HasSheet(sheet)) Fail("no sheet " + sheet);
    range = line.words[2];
  } else if (line.words.size() == 2) {
    if (driver_->HasSheet(line.words[1]))
      sheet = line.words[1];
    else
      range = line.words[1];
  }
  long r1 = 1, r2 = host::kMaxRows;
  int c1 = 1, c2 = host::kMaxColumns;
  if (!range.empty()) Address(range, r1, c1, r2, c2);
  for (const std::string& l : driver_->Show(sheet, range.empty(), r1, c1, r2, c2)) Out(l);
}

}  // namespace kassa::script
