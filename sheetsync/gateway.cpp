// The engine's only road to the database: one ADB_cls instance and the
// sticky Stop_Program flag passed to every statement.
#include "platform/ui/ui.h"
#include "sheetsync/engine.h"
#include "sheetsync/literals.h"
#include "sheetsync/texts.h"

namespace kassa::sheetsync {

void Engine::Ensure_DB_Object() {
  ADB = component::Create<dbgate::ADB_cls>(texts::kDbProgId);
  if (!ADB) {
    ui::Message(texts::kNoDbObject, ui::Buttons::OK);
    Stop_Program = true;
  }
}

void Engine::Execute_SQL(const std::string& sql) {
  if (!ADB) Ensure_DB_Object();
  if (!Stop_Program && ADB) ADB->SQL_Command_Execute(sql, Stop_Program);
}

void Engine::Execute_Transaction(const std::vector<std::string>& statements) {
  if (!ADB) Ensure_DB_Object();
  if (!Stop_Program && ADB) ADB->SQL_Transaction_Execute(statements, Stop_Program);
}

std::string Engine::Get_Value(const std::string& sql) {
  if (!ADB) Ensure_DB_Object();
  if (Stop_Program || !ADB) return "";
  return ADB->Get_Value_by_SQL(sql, Stop_Program);
}

void Engine::Open_Rows(const std::string& sql) {
  if (!ADB) Ensure_DB_Object();
  if (!Stop_Program && ADB) ADB->SQL_RV_Open(sql, RV_Set, Stop_Program);
}

void Engine::Close_Rows() {
  if (!ADB) Ensure_DB_Object();
  if (Stop_Program || !ADB) return;
  ADB->SQL_RV_Close();
  if (RV_Set && RV_Set->State() != 0) RV_Set->Close();
}

void Engine::Open_Value(const std::string& sql) {
  if (!ADB) Ensure_DB_Object();
  if (!Stop_Program && ADB) ADB->SQL_OV_Open(sql, OV_Set, Stop_Program);
}

void Engine::Close_Value() {
  if (!ADB) Ensure_DB_Object();
  if (Stop_Program || !ADB) return;
  ADB->SQL_OV_Close();
  if (OV_Set && OV_Set->State() != 0) OV_Set->Close();
}

void Engine::Refresh_Sheet() {
  if (!ADB) Ensure_DB_Object();
  if (Stop_Program || !ADB) return;
  host::QueryTable& qt = ActiveSheet().QueryTables(1);
  int rc = ADB->Query_Refresh(qt, Stop_Program);
  if (rc == host::kErrorResultTooLarge || rc == host::kErrorQueryRefused) {
    Sheet_Not_Whole(rc);
    return;
  }
  if (rc != 0) RaiseError(rc);
}

void Engine::Sheet_Not_Whole(int reason) {
  host::Worksheet& ws = ActiveSheet();
  bool& known = Sheet_Incomplete[ws.Index()];
  if (known) return;
  known = true;
  const bool synchronised = Sheet_Ready && !Table_Name.empty();
  std::string text;
  if (reason == host::kErrorQueryRefused) {
    text = texts::kQueryRefusedPrefix + ws.Name() + texts::kQueryRefusedSuffix;
  } else if (synchronised) {
    text = texts::kTableTooLargePrefix + Table_Name + texts::kTableTooLargeMiddle + ws.Name() +
           texts::kTooLargeSuffix;
  } else {
    text = texts::kQueryTooLargePrefix + ws.Name() + texts::kQueryTooLargeMiddle +
           texts::kTooLargeSuffix;
  }
  if (synchronised) text += texts::kSheetNotStored;
  ui::Message(text, ui::Buttons::OK);
}

void Engine::Close_DB() {
  if (OV_Set) {
    if (OV_Set->State() != 0) OV_Set->Close();
    OV_Set.reset();
  }
  if (RV_Set) {
    if (RV_Set->State() != 0) RV_Set->Close();
    RV_Set.reset();
  }
  if (!ADB) Ensure_DB_Object();
  if (!Stop_Program && ADB) ADB->DisconnectDB();
}

bool Engine::Learn_Table_Limits() {
  const std::string key = UpperCase(Table_Name);
  auto known = limits_.find(key);
  if (known == limits_.end()) {
    // The table name goes into a text literal: apostrophes doubled.
    std::string name;
    for (char ch : Table_Name) name += ch == '\'' ? std::string("''") : std::string(1, ch);
    Open_Rows(texts::kColumnsQueryPrefix + name + texts::kColumnsQuerySuffix);
    if (Stop_Program) return false;
    TableLimits limits;
    auto text = [](const dbgate::Field& f) {
      if (f.ActualSize() == 0) return std::string();
      return ToText(f.Value()).value_or(std::string());
    };
    for (; !RV_Set->EOF(); RV_Set->MoveNext()) {
      limits[UpperCase(text(RV_Set->Fields(0)))] = ParseColumnLimit(
          text(RV_Set->Fields(1)), text(RV_Set->Fields(2)), text(RV_Set->Fields(3)),
          text(RV_Set->Fields(4)), text(RV_Set->Fields(5)));
    }
    Close_Rows();
    if (Stop_Program) return false;
    known = limits_.emplace(key, std::move(limits)).first;
  }
  column_limits_.assign(Col_Param.size(), nullptr);
  for (size_t c = 0; c < Col_Param.size(); ++c) {
    if (!Col_Param[c].dict_table.empty()) continue;  // the dictionary gives the stored value
    auto it = known->second.find(UpperCase(Col_Param[c].field));
    if (it != known->second.end()) column_limits_[c] = &it->second;
  }
  limits_table_ = Table_Name;
  return true;
}

}  // namespace kassa::sheetsync
