// Storing the active sheet into its table as a whole, then refreshing it.
// The delete and every insert run in one transaction: a failure leaves the
// table exactly as it was and a retry repeats the whole transaction. The
// cells are read (and looked up) before the transaction starts; rows are
// sent as multi-row inserts of the per-row value lists.
#include <map>
#include <unordered_map>

#include "platform/ui/ui.h"
#include "sheetsync/engine.h"
#include "sheetsync/progress.h"
#include "sheetsync/texts.h"

namespace kassa::sheetsync {

namespace {

// Rows joined into one insert statement, and a bound on its size in bytes.
constexpr size_t kRowsPerInsert = 500;
constexpr size_t kBytesPerInsert = 512 * 1024;

// Remembers lookups for the duration of one store.
class LookupMemoScope {
 public:
  LookupMemoScope(std::unordered_map<std::string, std::string>*& slot) : slot_(slot) {
    slot_ = &memo_;
  }
  ~LookupMemoScope() { slot_ = nullptr; }

 private:
  std::unordered_map<std::string, std::string>*& slot_;
  std::unordered_map<std::string, std::string> memo_;
};

}  // namespace

long Engine::Last_Data_Row() {
  host::Worksheet& ws = ActiveSheet();
  long last = 1;
  for (int c = 1; c <= Col_Count; ++c) {
    long r = ws.Cells(host::kMaxRows, c).End(host::xlUp).Row();
    if (r > last) last = r;
  }
  return last;
}

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
  if (Stop_Program) return;
  if (!Learn_Table_Limits()) return;

  ProgressWindow& progress = ProgressWindow::Instance();
  progress.Progress_Show(texts::kLoadingSheetPrefix + sheet_name + texts::kFiveDots, true);

  std::vector<std::string> statements;
  statements.push_back(texts::kDeleteFrom + Table_Name);
  std::string insert_head;  // "Insert Into T (fields) Values ("
  std::string batch;
  size_t batch_rows = 0;
  auto flush = [&]() {
    if (batch_rows == 0) return;
    statements.push_back(batch + ")");
    batch.clear();
    batch_rows = 0;
  };
  bool no_columns = false;
  {
    LookupMemoScope memo(lookup_memo_);
    const long last = Last_Data_Row();
    for (long r = 2; r <= last; ++r) {
      progress.Progress_Set(static_cast<double>(r) / static_cast<double>(last));
      std::string fields, values;
      if (!ID_Column.empty()) {
        fields = ID_Column + ", ";
        values = std::to_string(r) + ", ";
      }
      for (int c = 1; c <= Col_Count; ++c) {
        std::optional<std::string> literal = Read_Cell(r, c);
        if (Stop_Program) {
          progress.Progress_Hide();
          return;  // nothing was sent: the table is unchanged
        }
        if (!literal) continue;  // "Calc"
        fields += Column(c).field + ", ";
        values += *literal + ", ";
      }
      if (fields.empty()) {
        no_columns = true;
        break;
      }
      fields.resize(fields.size() - 2);
      values.resize(values.size() - 2);
      std::string head = texts::kInsertInto + Table_Name + " (" + fields + texts::kValues;
      if (head != insert_head || batch_rows >= kRowsPerInsert ||
          batch.size() + values.size() > kBytesPerInsert) {
        flush();
        insert_head = head;
        batch = head + values;
      } else {
        batch += "), (" + values;
      }
      ++batch_rows;
    }
    flush();
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
