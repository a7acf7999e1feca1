// Comparison of a sheet with what its query returns, the list of changed
// sheets for the close question, and the emergency copy of the workbook
// when the database is lost.
#include <cstdlib>
#include <vector>

#include "platform/sql/sql.h"
#include "platform/ui/ui.h"
#include "sheetsync/engine.h"
#include "sheetsync/literals.h"
#include "sheetsync/progress.h"
#include "sheetsync/texts.h"

namespace kassa::sheetsync {

namespace {

// The time text of a "Tim" cell (H:MM:SS); the sheet text as is when the
// value is not a time.
std::string SheetTimeText(const host::Range& cell, const std::string& text) {
  std::optional<double> t = ToDate(cell.Value());
  if (!t) return text;
  return TimeText(SplitDate(*t));
}

std::string FieldText(const dbgate::Field& f) {
  if (f.ActualSize() == 0) return "";
  std::optional<std::string> t = ToText(f.Value());
  if (!t) RaiseError(13);
  return *t;
}

// Whether the cell shows the field's text, as the check compares them. A
// cell shows its value's own text unless it holds a number under a number
// format; such a cell holding the field's very value shows the field's text,
// so the texts need not be made.
bool CellShowsField(host::Worksheet& ws, long row, int column, bool time_column,
                    const dbgate::Field* field) {
  const host::Cell* cell = ws.FindCell(row, column);
  if (cell && field && !time_column && field->ActualSize() != 0) {
    const Variant& value = cell->value;
    const host::CellFormat& format = cell->own_format ? cell->format : ws.ColumnFormat(column);
    if ((value.type() != Variant::Type::Number || format.number_format.empty()) &&
        value == field->Value())
      return true;
  }
  host::Range range = ws.Cells(row, column);
  std::string sheet_text = range.Text();
  std::string db_text;
  if (field) db_text = FieldText(*field);
  if (time_column) {
    if (!sheet_text.empty()) sheet_text = SheetTimeText(range, sheet_text);
    // The time is the last 8 characters of the field's text; a date and
    // time before 10 o'clock leaves the blank between them in those 8,
    // and that blank is not part of the time (" 9:05:00" is 9:05:00).
    if (db_text.size() > 8) db_text = db_text.substr(db_text.size() - 8);
    while (!db_text.empty() && db_text.front() == ' ') db_text.erase(0, 1);
  }
  return db_text == sheet_text;
}

}  // namespace

// A sheet that cannot be loaded whole never differs: it is never stored.
bool Engine::Sheet_Differs() {
  host::Worksheet& ws = ActiveSheet();
  if (Sheet_Incomplete[ws.Index()]) return false;
  std::string sql = ws.QueryTables(1).CommandText();
  for (char& ch : sql)
    if (ch == '"') ch = '\'';
  // The query came with the workbook: only one SELECT is ever run.
  if (!sql::IsSingleSelect(sql)) {
    Sheet_Not_Whole(host::kErrorQueryRefused);
    return false;
  }
  const long last = Last_Data_Row();
  const std::string n_text =
      Get_Value(texts::kCountOfQueryPrefix + sql + texts::kCountOfQuerySuffix);
  if (Stop_Program) return false;
  const long n = std::strtol(n_text.c_str(), nullptr, 10);
  if (n > host::kMaxRows - 1) {  // more records than the sheet has rows
    Sheet_Not_Whole(host::kErrorResultTooLarge);
    return false;
  }
  if (n == 0) return last > 1;

  Open_Rows(sql);
  if (Stop_Program) return true;
  ProgressWindow& progress = ProgressWindow::Instance();
  bool differs = false;
  progress.Progress_Show(texts::kCheckingSheetPrefix + ws.Name() + texts::kCheckingSheetSuffix,
                         true);
  const long rows = last - 1;  // the area is rows 2..last
  std::vector<char> calc(static_cast<size_t>(Col_Count) + 1), time(calc.size());
  for (int o = 1; o <= Col_Count; ++o) {
    calc[o] = Column(o).type == "Calc";
    time[o] = Column(o).type == "Tim";
  }
  for (long i = 1;; ++i) {
    if (i > rows) {  // the query has more records than the sheet has rows
      differs = true;
      break;
    }
    if (RV_Set->EOF()) {  // no record for this row (the table shrank meanwhile)
      differs = true;
      break;
    }
    progress.Progress_Set(static_cast<double>(i) / static_cast<double>(rows));
    bool cell_differs = false;
    const int fields = RV_Set->FieldCount();
    for (int o = 1; o <= Col_Count && !cell_differs; ++o) {
      if (calc[o]) continue;
      const dbgate::Field* field = o - 1 < fields ? &RV_Set->Fields(o - 1) : nullptr;
      cell_differs = !CellShowsField(ws, i + 1, o, time[o], field);
    }
    if (cell_differs) {
      differs = true;
      break;
    }
    RV_Set->MoveNext();
    if (RV_Set->EOF()) {
      differs = i < rows;
      break;
    }
  }
  progress.Progress_Hide();
  Close_Rows();
  return differs;
}

std::string Engine::Changed_Sheets() {
  std::string list;
  for (int i = 1; i <= WB->SheetsCount(); ++i) {
    if (Sheet_Visited[i] && SwitchOf(Ask_On_Close, i)) {
      host::Worksheet& ws = WB->Sheets(i);
      ws.Activate();
      if (Sheet_Ready && Sheet_Differs()) {
        if (Stop_Program) return list;
        Sheet_To_Store[i] = true;
        list += ws.Name() + ", ";
      }
    }
  }
  if (!list.empty()) list.resize(list.size() - 2);
  return list;
}

bool Engine::Save_Copy() {
  ProgressWindow& progress = ProgressWindow::Instance();
  progress.Progress_Show(
      texts::kCopyingSheetPrefix + WB->Sheets(1).Name() + texts::kCopyingSheetSuffix, false);
  WB->Sheets(1).Copy();
  host::Workbook& copy = WB->Parent().ActiveWorkbook();
  auto skip_failure = [](auto&& step) {
    try {
      step();
    } catch (const host::HostError&) {
    }
  };
  skip_failure([&] { copy.Sheets(1).QueryTables(1).Delete(); });
  for (int k = 2; k <= WB->SheetsCount(); ++k) {
    skip_failure([&] {
      progress.Progress_Text(texts::kCopyingSheetPrefix + WB->Sheets(k).Name() +
                             texts::kCopyingSheetSuffix);
    });
    skip_failure([&] { WB->Sheets(k).Copy(copy.Sheets(k - 1)); });
    skip_failure([&] { copy.Sheets(k).QueryTables(1).Delete(); });
  }
  progress.Progress_Text(texts::kSavingCopy);
  const std::string file = CopyFileName(WB->Path(), WB->Name(), ui::Port().Now());
  std::string failure;
  try {
    copy.SaveAs(file, 1);
  } catch (const host::HostError& e) {
    failure = e.what();
  }
  skip_failure([&] { copy.Close(); });
  progress.Progress_Hide();
  if (failure.empty()) return true;
  ui::Message(texts::kCopyNotSavedPrefix + failure + texts::kCopyNotSavedSuffix, ui::Buttons::OK);
  return false;
}

bool Engine::Emergency_Exit_Close() {
  switch (
      ui::Message(texts::kEmergencyQuestion, ui::Buttons::YesNoCancel, texts::kEmergencyTitle)) {
    case ui::Answer::Yes:
      return !Save_Copy();  // without its copy the workbook is not closed
    case ui::Answer::Cancel:
      return true;
    default:
      return false;
  }
}

void Engine::Emergency_Exit_Save() {
  if (ui::Message(texts::kEmergencyQuestion, ui::Buttons::YesNo, texts::kEmergencyTitle) ==
      ui::Answer::Yes)
    Save_Copy();
}

}  // namespace kassa::sheetsync
