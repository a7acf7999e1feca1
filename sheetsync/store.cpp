// Storing the active sheet into its table as a whole, then refreshing it.
// The delete and every insert run in one transaction: a failure leaves the
// table exactly as it was and a retry repeats the whole transaction. The
// cells are read (and looked up) before the transaction starts; rows are
// sent as multi-row inserts of the per-row value lists. A store that marked
// cells it could not store leaves the sheet unrefreshed, as typed.
#include <algorithm>
#include <utility>

#include "platform/ui/ui.h"
#include "sheetsync/engine.h"
#include "sheetsync/progress.h"
#include "sheetsync/texts.h"

namespace kassa::sheetsync {

namespace {

// Rows are joined into one insert statement up to this size in bytes: below
// 1 MiB, the smallest default packet limit of the servers the ledger runs
// on, so a sheet of ordinary size goes to the server as one statement.
constexpr size_t kBytesPerInsert = 1000 * 1000;

}  // namespace

// Moving up from the grid's last row finds the last filled cell of a column;
// a column whose last row is itself filled ends there (moving up from a
// filled cell would stop at the top of its block instead).
long Engine::Last_Data_Row() {
  host::Worksheet& ws = ActiveSheet();
  long last = 1;
  for (int c = 1; c <= Col_Count; ++c) {
    host::Range bottom = ws.Cells(host::kMaxRows, c);
    long r = bottom.Value().IsEmpty() ? bottom.End(host::xlUp).Row() : host::kMaxRows;
    if (r > last) last = r;
  }
  return last;
}

// Measured on the monotonic clock: a pause that spans midnight still ends
// after `ms`.
void Engine::Delay_Pause(int16_t ms) {
  ui::Pause(ms);
}

void Engine::Store_Sheet(bool report) {
  if (!Sheet_Ready) Load_Sheet_Config();
  const std::string sheet_name = ActiveSheet().Name();
  if (!Sheet_Ready) {
    ui::Message(texts::kSheetPrefix + sheet_name + texts::kSheetNotReadySuffix, ui::Buttons::OK);
    return;
  }
  if (Stop_Program || Sheet_Incomplete[ActiveSheet().Index()]) return;
  if (!Learn_Table_Limits()) return;

  ProgressWindow& progress = ProgressWindow::Instance();
  progress.Progress_Show(texts::kLoadingSheetPrefix + sheet_name + texts::kFiveDots, true);

  const int16_t marked_before = Error_Count;
  std::vector<std::string> statements;
  statements.push_back(texts::kDeleteFrom + Table_Name);
  // Every row has the same field list (it depends on the configuration
  // only): the statement head "Insert Into T (fields) Values (" is built
  // from the first row, and each row's value list is appended to it.
  std::string head, fields, values, batch;
  bool no_columns = false;
  {
    LookupMemoScope memo(lookup_memo_);
    const long last = Last_Data_Row();
    for (long r = 2; r <= last; ++r) {
      progress.Progress_Set(static_cast<double>(r) / static_cast<double>(last));
      values.clear();
      if (!ID_Column.empty()) {
        if (head.empty()) fields = ID_Column + ", ";
        values += std::to_string(r);
        values += ", ";
      }
      for (int c = 1; c <= Col_Count; ++c) {
        std::optional<std::string> literal = Read_Cell(r, c);
        if (Stop_Program) {
          progress.Progress_Hide();
          return;  // nothing was sent: the table is unchanged
        }
        if (!literal) continue;  // "Calc"
        if (head.empty()) {
          fields += Column(c).field;
          fields += ", ";
        }
        values += *literal;
        values += ", ";
      }
      if (values.empty()) {  // no row id and no stored column
        no_columns = true;
        break;
      }
      values.resize(values.size() - 2);
      if (head.empty()) {
        fields.resize(fields.size() - 2);
        head = texts::kInsertInto + Table_Name + texts::kFieldsOpen + fields + texts::kValues;
      }
      if (!batch.empty() && batch.size() + values.size() + 5 > kBytesPerInsert) {
        batch += texts::kClose;
        statements.push_back(std::move(batch));
        batch.clear();
      }
      if (batch.empty()) {
        const size_t rows_left = static_cast<size_t>(last - r + 1);
        batch.reserve(std::min(kBytesPerInsert, head.size() + (values.size() + 4) * rows_left));
        batch = head;
      } else {
        batch += texts::kNextRow;
      }
      batch += values;
    }
    if (!batch.empty()) {
      batch += texts::kClose;
      statements.push_back(std::move(batch));
    }
  }

  Execute_Transaction(statements);
  if (Stop_Program || no_columns) {
    progress.Progress_Hide();
    return;
  }
  Close_DB();
  progress.Progress_Mode(texts::kRefreshingSheetPrefix + sheet_name + texts::kFiveDots, false);
  if (report && Error_Count > 0) {
    ui::Message(
        texts::kNotStoredPrefix + std::to_string(Error_Count) + texts::kNotStoredMarkedSuffix,
        ui::Buttons::OK);
    Error_Count = 0;
    progress.Progress_Hide();
    return;
  }
  if (!report && Error_Count > marked_before) {
    // A store for closing that marked cells leaves the sheet as typed: the
    // close question about the values not stored sends the user back to
    // these cells, and they must still hold what was typed.
    progress.Progress_Hide();
    return;
  }
  Delay_Pause(500);
  Refresh_Sheet();
  progress.Progress_Hide();
}

void Engine::Store_Marked_Sheets() {
  for (int i = 1; i <= WB->SheetsCount(); ++i) {
    if (Sheet_To_Store[i] && SwitchOf(Sync_On_Save, i)) {
      WB->Sheets(i).Activate();
      Store_Sheet(false);
      if (Stop_Program) break;
    }
  }
}

}  // namespace kassa::sheetsync
