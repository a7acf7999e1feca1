// Several workstations on one ledger (see concurrency.h): the engine's side
// of the guards. The table's image is read as a sheet loads; the store runs
// its statements in a transaction that reads the table under lock first and
// keeps nothing that would take another workstation's rows unasked; the
// write-back switches from the plain statements to a guarded transaction at
// the first sign of another writer.
#include <cstdlib>
#include <map>
#include <utility>

#include "platform/sql/sql.h"
#include "platform/ui/ui.h"
#include "sheetsync/engine.h"
#include "sheetsync/progress.h"
#include "sheetsync/texts.h"

namespace kassa::sheetsync {

namespace {

// What the sessions of this process know, per sheet. A sheet's entry is
// dropped when its workbook is opened again (Forget_Knowledge).
std::map<const host::Worksheet*, SheetKnowledge>& Registry() {
  static std::map<const host::Worksheet*, SheetKnowledge> registry;
  return registry;
}

long ToId(const std::string& text) {
  return std::strtol(text.c_str(), nullptr, 10);
}

// The rows of an image query (id and signature, or the signature alone).
void ToImage(const std::vector<dbgate::Work::Row>& rows, bool with_ids, TableImage& image) {
  image = TableImage{};
  for (const dbgate::Work::Row& row : rows) {
    if (with_ids && row.size() >= 2 && row[0])
      image.rows[ToId(*row[0])] = row[1].value_or("");
    else if (!with_ids && !row.empty())
      image.unnamed.insert(row[0].value_or(""));
  }
}

unsigned long RefreshCountOf(host::Worksheet& ws) {
  return ws.QueryTablesCount() > 0 ? ws.QueryTables(1).RefreshCount() : 0;
}

}  // namespace

SheetKnowledge& Engine::Knowledge() {
  return Registry()[&ActiveSheet()];
}

void Engine::Forget_Knowledge() {
  if (!WB) return;
  for (int i = 1; i <= WB->SheetsCount(); ++i) Registry().erase(&WB->Sheets(i));
}

std::vector<std::string> Engine::Stored_Fields() const {
  std::vector<std::string> fields;
  for (const inibook::ColumnDesc& d : Col_Param)
    if (d.type != "Calc") fields.push_back(d.field);
  return fields;
}

bool Engine::Sheet_Synchronised() {
  if (!Sheet_Ready || Table_Name.empty()) return false;
  const long i = ActiveSheet().Index();
  if (i < 0 || i > SheetFlags::kHighest || Sheet_Incomplete[i]) return false;
  auto on = [i](const std::vector<bool>& v) {
    return i < static_cast<long>(v.size()) && v[static_cast<size_t>(i)];
  };
  return on(Sync_On_Change) || on(Sync_On_Save);
}

bool Engine::Read_Table_Image(TableImage& image) {
  image = TableImage{};
  if (!ADB) Ensure_DB_Object();
  if (Stop_Program || !ADB) return false;
  // Read as the query table reads the sheet's rows: a session of its own in
  // a read-only transaction, on the connection string of the refresh.
  std::string cn, qt, qt_empty;
  if (ADB->Get_Connection_Parametrs(cn, qt, qt_empty) != 0) return false;
  sql::Params params;
  if (!sql::ParseConnectionString(qt, params)) return false;
  std::string error;
  std::unique_ptr<sql::Connection> conn = sql::Connection::Open(params, error);
  if (!conn || !conn->BeginReadOnly(error)) return false;
  std::unique_ptr<sql::Result> r =
      conn->Query(ImageQuery(Table_Name, ID_Column, Stored_Fields(), false), error);
  conn->Rollback();
  if (!r) return false;
  const bool with_ids = !ID_Column.empty();
  for (size_t i = 0; i < r->RowCount(); ++i) {
    if (with_ids) {
      if (r->IsNull(i, 0)) continue;
      image.rows[ToId(r->Raw(i, 0))] = r->IsNull(i, 1) ? std::string() : r->Raw(i, 1);
    } else {
      image.unnamed.insert(r->IsNull(i, 0) ? std::string() : r->Raw(i, 0));
    }
  }
  return true;
}

void Engine::Sheet_Loaded(TableImage image) {
  SheetKnowledge& k = Knowledge();
  k = SheetKnowledge{};
  k.table = Table_Name;
  k.refreshes = RefreshCountOf(ActiveSheet());
  k.loaded = true;
  for (const auto& [id, sig] : image.rows) k.known.Add(id, id);
  k.base = std::move(image);
}

bool Engine::Ensure_Knowledge() {
  SheetKnowledge& k = Knowledge();
  if (k.loaded && k.table == Table_Name && k.refreshes == RefreshCountOf(ActiveSheet()))
    return true;
  // Loaded anew by someone else (or never through this engine): the image
  // is read now, after the load.
  TableImage image;
  if (!Read_Table_Image(image)) {
    k = SheetKnowledge{};
    return false;
  }
  const bool shared = k.loaded && k.table == Table_Name && k.shared;
  Sheet_Loaded(std::move(image));
  Knowledge().shared = shared;
  return true;
}

Engine::StoreResult Engine::Store_Guarded(const std::vector<std::string>& statements) {
  if (!ADB) Ensure_DB_Object();
  if (Stop_Program || !ADB) return StoreResult::Failed;
  Store_Held = false;
  // A sheet never loaded through this engine (kept in the workbook file) is
  // known from now on.
  Ensure_Knowledge();
  const bool with_ids = !ID_Column.empty();
  const std::vector<std::string> fields = Stored_Fields();
  const SheetKnowledge& k = Knowledge();
  const SheetKnowledge* known = k.loaded && k.table == Table_Name ? &k : nullptr;
  StoreConflicts conflicts;
  TableImage stored;  // the table as the committed store left it
  auto store = [&](bool overwrite) {
    return [&, overwrite](dbgate::Work& w) {
      conflicts = StoreConflicts{};
      std::vector<dbgate::Work::Row> rows;
      TableImage before, after;
      if (!overwrite) {
        // Under lock until the transaction ends: nobody changes the table
        // between this reading and the commit.
        if (!w.Inspect(ImageQuery(Table_Name, ID_Column, fields, true), rows))
          return dbgate::WorkEnd::Failed;
        ToImage(rows, with_ids, before);
      }
      for (const std::string& s : statements)
        if (!w.Execute(s)) return dbgate::WorkEnd::Failed;
      if (!w.Inspect(ImageQuery(Table_Name, ID_Column, fields, false), rows))
        return dbgate::WorkEnd::Failed;
      ToImage(rows, with_ids, after);
      stored = after;
      if (overwrite) return dbgate::WorkEnd::Keep;
      conflicts = FindStoreConflicts(before, after, known, with_ids);
      return conflicts.count > 0 ? dbgate::WorkEnd::Undo : dbgate::WorkEnd::Keep;
    };
  };
  // What this session knows after its store: the table as stored (the
  // sheet may stay unrefreshed, as typed, when cells were marked).
  auto known_as_stored = [&] {
    const bool shared = Knowledge().shared;
    Sheet_Loaded(std::move(stored));
    Knowledge().shared = shared;
    return StoreResult::Stored;
  };
  ADB->SQL_Work_Execute(true, store(false), Stop_Program);
  if (Stop_Program) return StoreResult::Failed;
  if (conflicts.count == 0) return known_as_stored();

  ProgressWindow& progress = ProgressWindow::Instance();
  progress.Progress_Hide();
  const std::string question =
      texts::kTableChangedPrefix + Table_Name + texts::kTableChangedMiddle + ActiveSheet().Name() +
      (conflicts.count % 10 == 1 && conflicts.count % 100 != 11 ? texts::kTableChangedRow
                                                                : texts::kTableChangedRows) +
      RowsCountText(conflicts.count) + texts::kTableChangedChoice;
  switch (ui::Message(question, ui::Buttons::YesNoCancel, texts::kTableChangedTitle)) {
    case ui::Answer::Yes:
      Store_Held = true;
      Reload_Sheet_With_Copy();
      return StoreResult::Held;
    case ui::Answer::No:
      progress.Progress_Show(texts::kLoadingSheetPrefix + ActiveSheet().Name() + texts::kFiveDots,
                             true);
      ADB->SQL_Work_Execute(true, store(true), Stop_Program);
      return Stop_Program ? StoreResult::Failed : known_as_stored();
    default:
      Store_Held = true;
      return StoreResult::Held;
  }
}

bool Engine::Reload_Sheet_With_Copy() {
  host::Worksheet& ws = ActiveSheet();
  std::string file;
  if (!Save_Copy(&file)) return false;
  ws.Activate();
  ProgressWindow& progress = ProgressWindow::Instance();
  progress.Progress_Show(texts::kRefreshingSheetPrefix + ws.Name() + texts::kFiveDots, false);
  Refresh_Sheet();
  progress.Progress_Hide();
  if (Stop_Program) return true;
  ui::Message(
      texts::kReloadedPrefix + ws.Name() + texts::kReloadedMiddle + file + texts::kReloadedSuffix,
      ui::Buttons::OK);
  return true;
}

bool Engine::Count_As_Known(long n) {
  SheetKnowledge& k = Knowledge();
  if (n == k.known.Count()) return true;
  k.shared = true;
  return false;
}

bool Engine::Max_As_Known(const std::string& m) {
  SheetKnowledge& k = Knowledge();
  const long max = m.empty() || m == texts::kNull ? 0 : ToId(m);
  if (max == k.known.Max()) return true;
  k.shared = true;
  return false;
}

void Engine::Written_Back(long first, long last) {
  SheetKnowledge& k = Knowledge();
  k.written.Add(first, last);
  for (auto it = k.own.lower_bound(first); it != k.own.end() && it->first <= last;)
    it = k.own.erase(it);
}

void Engine::Created_Rows(long first, long last) {
  Knowledge().known.Add(first, last);
  Written_Back(first, last);
}

void Engine::Deleted_Above(long last_data) {
  SheetKnowledge& k = Knowledge();
  const long max = k.known.Max();
  k.known.Remove(last_data + 1, max);
  k.written.Remove(last_data + 1, max);
  k.own.erase(k.own.upper_bound(last_data), k.own.end());
}

void Engine::Insert_Row_Ids(long first, long last) {
  if (!ADB) Ensure_DB_Object();
  for (long id = first; id <= last && !Stop_Program && ADB; ++id) {
    bool taken = false, maybe_stored = false;
    const std::string insert = Row_Id_Insert(id);
    ADB->SQL_Work_Execute(
        false,
        [&](dbgate::Work& w) {
          if (w.Execute(insert)) return dbgate::WorkEnd::Keep;
          if (w.Errno() != dbgate::kErrorDuplicateKey) {
            maybe_stored = true;  // the connection may have gone after the insert ran
            return dbgate::WorkEnd::Failed;
          }
          if (maybe_stored) {
            // This insert's own record, whose answer was lost, is still blank.
            std::vector<dbgate::Work::Row> rows;
            if (!w.Query(FoundRowsQuery(Table_Name, ID_Column, Stored_Fields(), id, id, id), rows))
              return dbgate::WorkEnd::Failed;
            for (const dbgate::Work::Row& row : rows)
              if (row.size() == 3 && row[0] && ToId(*row[0]) == id && row[2] == "1")
                return dbgate::WorkEnd::Keep;
          }
          taken = true;
          return dbgate::WorkEnd::Undo;
        },
        Stop_Program);
    if (Stop_Program) return;
    if (taken) {
      Knowledge().shared = true;  // another workstation took the id
      return;
    }
    Created_Rows(id, id);
  }
}

void Engine::Write_Back_Guarded(long first_row, long last_row, int first_col, int last_col) {
  if (!ADB) Ensure_DB_Object();
  if (Stop_Program || !ADB) return;
  host::Worksheet& ws = ActiveSheet();
  SheetKnowledge& k = Knowledge();
  k.shared = true;
  // Every cell is read (and looked up) before the transaction.
  std::map<long, std::vector<std::string>> updates;
  for (long r = first_row; r <= last_row; ++r) {
    for (int c = first_col; c <= last_col; ++c) {
      std::optional<std::string> literal = Read_Cell(r, c);
      if (Stop_Program) return;
      if (!literal) continue;
      updates[r].push_back(texts::kUpdate + Table_Name + texts::kSet + Column(c).field +
                           texts::kEquals + *literal + texts::kWhere + ID_Column + texts::kEquals +
                           std::to_string(r));
    }
  }
  const long last_data = Last_Data_Row();
  const bool data_below = Data_Below(last_data);
  const long above = std::min(last_data, k.known.Max());
  const std::vector<std::string> fields = Stored_Fields();

  WriteBackPlan plan;
  std::map<long, std::string> left;  // signatures of the records written
  ADB->SQL_Work_Execute(
      true,
      [&](dbgate::Work& w) {
        left.clear();
        std::vector<dbgate::Work::Row> rows;
        if (!w.Query(FoundRowsQuery(Table_Name, ID_Column, fields, first_row, last_row, above),
                     rows))
          return dbgate::WorkEnd::Failed;
        std::map<long, FoundRow> found;
        for (const dbgate::Work::Row& row : rows)
          if (row.size() == 3 && row[0])
            found[ToId(*row[0])] = FoundRow{row[1].value_or(""), row[2] == "1"};
        plan = PlanWriteBack(first_row, last_row, last_data, data_below, found, k);
        for (long id : plan.inserts)
          if (!w.Execute(Row_Id_Insert(id))) return dbgate::WorkEnd::Failed;
        for (long r : plan.writes)
          for (const std::string& u : updates[r])
            if (!w.Execute(u)) return dbgate::WorkEnd::Failed;
        if (!plan.deletes.empty() &&
            !w.Execute(DeleteIdsStatement(Table_Name, ID_Column, plan.deletes)))
          return dbgate::WorkEnd::Failed;
        std::vector<long> touched(plan.inserts);
        touched.insert(touched.end(), plan.writes.begin(), plan.writes.end());
        if (!touched.empty()) {
          if (!w.Query(RowsByIdQuery(Table_Name, ID_Column, fields, touched), rows))
            return dbgate::WorkEnd::Failed;
          for (const dbgate::Work::Row& row : rows)
            if (row.size() == 2 && row[0]) left[ToId(*row[0])] = row[1].value_or("");
        }
        return dbgate::WorkEnd::Keep;
      },
      Stop_Program);
  if (Stop_Program) return;

  // What this session knows now.
  auto keep = [&](long id) {
    k.known.Add(id, id);
    k.written.Remove(id, id);
    if (auto s = left.find(id); s != left.end()) k.own[id] = s->second;
  };
  for (long id : plan.inserts) keep(id);
  for (long id : plan.writes) keep(id);
  for (long id : plan.deletes) {
    k.known.Remove(id, id);
    k.written.Remove(id, id);
    k.own.erase(id);
  }

  if (Error_Count > 1) {
    ui::Message(
        texts::kNotStoredPrefix + std::to_string(Error_Count) + texts::kNotStoredMarkedSuffix,
        ui::Buttons::OK);
  }
  Error_Count = 0;
  if (plan.conflicts.empty()) return;
  for (long r : plan.conflicts) {
    for (int c = first_col; c <= last_col; ++c) {
      if (Column(c).type == "Calc") continue;
      host::Range cell = ws.Cells(r, c);
      cell.Font().ColorIndex(host::kColorRed);
      cell.Font().Bold(true);
    }
  }
  const bool one = plan.conflicts.size() == 1;
  const std::string text = (one ? texts::kRowChangedPrefix : texts::kRowsChangedPrefix) +
                           RowListText(plan.conflicts) + texts::kRowsChangedSheet + ws.Name() +
                           (one ? texts::kRowChangedSuffix : texts::kRowsChangedSuffix) +
                           texts::kReloadQuestion;
  if (ui::Message(text, ui::Buttons::YesNo, texts::kTableChangedTitle) == ui::Answer::Yes)
    Reload_Sheet_With_Copy();
}

}  // namespace kassa::sheetsync
