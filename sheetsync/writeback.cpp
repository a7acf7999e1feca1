// Immediate write-back of edited cells: one Update per cell, records created
// first for new rows, records below the last filled row removed afterwards.
// An edit of several cells (a paste, a cleared block) is read whole first
// and written in one transaction.
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/ui.h"
#include "sheetsync/engine.h"
#include "sheetsync/texts.h"

namespace kassa::sheetsync {

namespace {
constexpr long kMaxSyncRows = 100;

long ToCount(const std::string& text) {
  return std::strtol(text.c_str(), nullptr, 10);
}
}  // namespace

void Engine::Sync_Range(host::Range& Target) {
  host::Worksheet& ws = ActiveSheet();
  if (!SwitchOf(Sync_On_Change, ws.Index())) return;
  const long first_row = Target.Row();
  const int first_col = Target.Column();
  const long last_row = first_row + Target.RowsCount() - 1;
  int last_col = first_col + Target.ColumnsCount() - 1;
  if (first_row == 1) return;
  if (Target.RowsCount() > kMaxSyncRows) {
    ui::Message(
        std::string(texts::kRangeTooLargePrefix) + texts::kRangeLimit + texts::kRangeTooLargeSuffix,
        ui::Buttons::OK);
    return;
  }
  if (!Sheet_Ready) Load_Sheet_Config();
  if (!Sheet_Ready) {
    ui::Message(texts::kSheetPrefix + ws.Name() + texts::kSheetNotReadySuffix, ui::Buttons::OK);
    return;
  }
  // A sheet that cannot hold its whole table is not written: its rows are
  // not the table's rows, and the records past the sheet's end would go.
  if (Sheet_Incomplete[ws.Index()]) return;
  Error_Count = 0;
  if (last_col > Col_Count) last_col = Col_Count;
  if (!Learn_Table_Limits()) return;

  const long n = ToCount(Get_Value(texts::kCountFrom + Table_Name));
  if (Stop_Program) return;
  if (n > host::kMaxRows - 1) {
    Sheet_Not_Whole(host::kErrorResultTooLarge);
    return;
  }
  if (first_row == last_row && first_col == last_col) {
    // One cell: its records, then its update.
    if (n + 1 < last_row) {
      Insert_Row_Ids(n + 2, last_row);
      if (Stop_Program) return;
    }
    Update_Cell(first_row, first_col);
    if (Stop_Program) return;
  } else {
    // Several cells: every cell is read (and looked up) first, then the
    // records and the updates go to the table in one transaction, so a
    // failure leaves the table as it was; the cells keep what was entered.
    std::vector<std::string> statements;
    if (n + 1 < last_row)
      for (long k = n + 2; k <= last_row; ++k) statements.push_back(Row_Id_Insert(k));
    {
      LookupMemoScope memo(lookup_memo_);
      for (long r = first_row; r <= last_row; ++r) {
        for (int c = first_col; c <= last_col; ++c) {
          std::optional<std::string> update = Update_Statement(r, c);
          if (Stop_Program) return;
          if (update) statements.push_back(std::move(*update));
        }
      }
    }
    if (statements.size() == 1)
      Execute_SQL(statements.front());
    else if (!statements.empty())
      Execute_Transaction(statements);
    if (Stop_Program) return;
  }
  if (Error_Count > 1) {
    ui::Message(
        texts::kNotStoredPrefix + std::to_string(Error_Count) + texts::kNotStoredMarkedSuffix,
        ui::Buttons::OK);
    Error_Count = 0;
  } else if (Error_Count == 1) {
    Error_Count = 0;
  }
  const long last_data = Last_Data_Row();
  const std::string m = Get_Value(texts::kMaxIdFrom + Table_Name);
  if (!Stop_Program && !m.empty() && m != texts::kNull && last_data < ToCount(m) &&
      !Data_Below(last_data)) {
    Execute_SQL(texts::kDeleteFrom + Table_Name + texts::kWhereIdAbove + std::to_string(last_data));
  }
}

std::optional<std::string> Engine::Update_Statement(long row, int column) {
  std::optional<std::string> literal = Read_Cell(row, column);
  if (!literal || Stop_Program) return std::nullopt;
  return texts::kUpdate + Table_Name + texts::kSet + Column(column).field + texts::kEquals +
         *literal + texts::kWhere + ID_Column + texts::kEquals + std::to_string(row);
}

void Engine::Update_Cell(long row, int column) {
  std::optional<std::string> update = Update_Statement(row, column);
  if (update) Execute_SQL(*update);
}

std::string Engine::Row_Id_Insert(long id) {
  return texts::kInsertInto + Table_Name + texts::kIdExlValues + std::to_string(id) + texts::kClose;
}

void Engine::Insert_Row_Ids(long first, long last) {
  for (long k = first; k <= last; ++k) {
    Execute_SQL(Row_Id_Insert(k));
    if (Stop_Program) break;
  }
}

bool Engine::Data_Below(long row) {
  host::Worksheet& ws = ActiveSheet();
  for (long r = row + 1; r <= row + 10 && r <= host::kMaxRows; ++r) {
    for (int c = 1; c <= Col_Count; ++c) {
      Variant v = ws.Cells(r, c).Value();
      std::optional<std::string> text = ToText(v);
      if (!text || !text->empty()) return true;
    }
  }
  return false;
}

void Engine::Format_Header() {
  host::Worksheet& ws = ActiveSheet();
  if (!SwitchOf(Sync_On_Save, ws.Index())) return;
  for (int c = 1; c <= Col_Count; ++c) {
    host::Range column = ws.Columns(c);
    column.Font().ColorIndex(Column(c).type == "Calc" ? host::kColorGrey : host::kColorAutomatic);
    column.Font().Bold(false);
    ws.Cells(1, c).Font().Bold(true);
  }
}

}  // namespace kassa::sheetsync
