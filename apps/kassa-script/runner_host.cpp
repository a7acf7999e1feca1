// The runner's workbook commands: the user at the workbook window.
#include <cstdlib>

#include "apps/kassa-script/cell_report.h"
#include "apps/kassa-script/runner.h"

namespace kassa::script {

host::Workbook& Runner::Book() {
  if (app_.Workbooks().empty()) Fail("no workbook is open");
  return app_.ActiveWorkbook();
}

host::Worksheet& Runner::Sheet() {
  return Book().ActiveSheet();
}

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
      app_.Open(line.words[1]);
    } else if (cmd == "activate") {
      Arity(line, 2, 2);
      host::Worksheet* sheet = Book().FindSheet(line.words[1]);
      if (!sheet) Fail("no sheet " + line.words[1]);
      host::user::Activate(*sheet);
    } else if (cmd == "select") {
      Arity(line, 2, 2);
      Address(line.words[1], r1, c1, r2, c2);
      host::user::Select(Sheet(), r1, c1, r2, c2);
    } else if (cmd == "type" || cmd == "paste") {
      Arity(line, 3, 3);
      Address(line.words[1], r1, c1, r2, c2);
      if (cmd == "type")
        host::user::Type(Sheet(), r1, c1, line.words[2]);
      else
        host::user::Paste(Sheet(), r1, c1, line.words[2]);
    } else if (cmd == "clear") {
      Arity(line, 2, 2);
      Address(line.words[1], r1, c1, r2, c2);
      host::user::Clear(Sheet(), r1, c1, r2, c2);
    } else if (cmd == "click") {
      Arity(line, 2, 2);
      host::Worksheet& sheet = Sheet();
      if (!sheet.FindShape(line.words[1]))
        Fail("no button " + line.words[1] + " on sheet " + sheet.Name());
      host::user::Click(sheet, line.words[1]);
    } else if (cmd == "save") {
      Arity(line, 1, 1);
      host::user::Save(Book());
    } else if (cmd == "saveas") {
      Arity(line, 2, 2);
      host::user::SaveAs(Book(), line.words[1]);
    } else if (cmd == "close") {
      Arity(line, 1, 1);
      host::user::Close(Book());
    }
  } catch (const host::HostError& e) {
    // What the host itself refuses the user sees as an error, and goes on.
    backend_.ReportError(e.what());
  }
}

void Runner::DoShow(const Line& line) {
  Arity(line, 1, 3);
  host::Workbook& book = Book();
  host::Worksheet* sheet = &book.ActiveSheet();
  std::string range;
  if (line.words.size() == 3) {
    sheet = book.FindSheet(line.words[1]);
    if (!sheet) Fail("no sheet " + line.words[1]);
    range = line.words[2];
  } else if (line.words.size() == 2) {
    if (host::Worksheet* named = book.FindSheet(line.words[1]))
      sheet = named;
    else
      range = line.words[1];
  }
  std::vector<std::string> lines;
  if (range.empty()) {
    lines = CellLines(*sheet);
  } else {
    long r1, r2;
    int c1, c2;
    Address(range, r1, c1, r2, c2);
    lines = CellLines(*sheet, r1, c1, r2, c2);
  }
  for (const std::string& l : lines) Out(l);
}

}  // namespace kassa::script
