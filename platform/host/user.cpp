// What a person does in the workbook window, with the events that follow.
#include <sstream>

#include "platform/host/host.h"
#include "platform/host/internal.h"
#include "platform/host/texts.h"
#include "platform/ui/ui.h"

namespace kassa::host::user {

namespace {

// Puts a typed value into a cell (a date or time gets its display format
// when the cell has none).
void Enter(Worksheet& sheet, long row, int column, const std::string& text) {
  Variant v = ParseTyped(text);
  Range(sheet, row, column, row, column).Value(v);
}

// Runs a user action; a host error it raises is shown and work goes on.
template <class Action>
void Guarded(Action action) {
  try {
    action();
  } catch (const HostError& e) {
    EventDispatch::Report(e);
  } catch (const std::exception& e) {
    EventDispatch::Report(HostError(51, e.what()));
  }
}

}  // namespace

void Activate(Worksheet& sheet) {
  Guarded([&] { sheet.Activate(); });
}

void Select(Worksheet& sheet, long row1, int col1, long row2, int col2) {
  Guarded([&] {
    if (&sheet.Parent().ActiveSheet() != &sheet) sheet.Activate();
    sheet.SetSelection(row1, col1, row2, col2);
  });
}

void Type(Worksheet& sheet, long row, int column, const std::string& text) {
  Guarded([&] {
    Enter(sheet, row, column, text);
    sheet.SetSelection(row, column, row, column);
    EventDispatch::SheetChange(sheet, Range(sheet, row, column, row, column));
  });
}

std::vector<std::vector<std::string>> SplitTabbedLines(const std::string& tsv) {
  std::vector<std::vector<std::string>> lines;
  std::string line;
  std::istringstream in(tsv);
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::vector<std::string> cells;
    size_t start = 0;
    for (;;) {
      size_t tab = line.find('\t', start);
      cells.push_back(line.substr(start, tab - start));
      if (tab == std::string::npos) break;
      start = tab + 1;
    }
    lines.push_back(std::move(cells));
  }
  return lines;
}

void Paste(Worksheet& sheet, long row, int column, const std::string& tsv) {
  Guarded([&] {
    const std::vector<std::vector<std::string>> lines = SplitTabbedLines(tsv);
    if (lines.empty()) return;
    size_t width = 0;
    for (auto& l : lines) width = std::max(width, l.size());
    long last_row = row + static_cast<long>(lines.size()) - 1;
    int last_col = column + static_cast<int>(width) - 1;
    Range target(sheet, row, column, last_row, last_col);  // validates the block
    for (size_t i = 0; i < lines.size(); ++i)
      for (size_t j = 0; j < lines[i].size(); ++j)
        Enter(sheet, row + static_cast<long>(i), column + static_cast<int>(j), lines[i][j]);
    sheet.SetSelection(row, column, last_row, last_col);
    EventDispatch::SheetChange(sheet, target);
  });
}

void Clear(Worksheet& sheet, long row1, int col1, long row2, int col2) {
  Guarded([&] {
    Range target(sheet, row1, col1, row2, col2);
    sheet.ClearCells(row1, col1, row2, col2);
    EventDispatch::SheetChange(sheet, target);
  });
}

void Click(Worksheet& sheet, const std::string& shape) {
  Guarded([&] {
    const Shape* s = sheet.FindShape(shape);
    if (!s) throw HostError(1004, texts::kNoShape);
    Workbook& wb = sheet.Parent();
    std::string progid = s->progid, method = s->method;
    std::shared_ptr<SheetMacroTarget> target;
    auto it = wb.macro_targets_.find(progid);
    if (it != wb.macro_targets_.end()) {
      target = it->second;
    } else {
      target = component::Create<SheetMacroTarget>(progid);
      if (!target) {
        ui::Message(texts::ComponentNotCreated(progid));
        return;
      }
      wb.macro_targets_[progid] = target;
    }
    EventDispatch::Running running(wb.Parent());
    EventDispatch::Report(target->Run_Macro(method, sheet));
  });
}

void Save(Workbook& book) {
  Guarded([&] {
    if (book.closed()) return;
    bool cancel = EventDispatch::BeforeSave(book);
    if (cancel || book.closed() || book.ReadOnly()) return;
    book.Save();
  });
}

void SaveAs(Workbook& book, const std::string& path) {
  Guarded([&] {
    if (book.closed()) return;
    bool cancel = EventDispatch::BeforeSave(book);
    if (cancel || book.closed()) return;
    book.SaveAs(path);
  });
}

void Close(Workbook& book) {
  Guarded([&] {
    if (book.closed()) return;
    bool cancel = EventDispatch::BeforeClose(book);
    // The event may have closed the workbook itself (through the window).
    if (cancel || book.closed()) return;
    book.Close();
  });
}

}  // namespace kassa::host::user
