#include "ledgertools/shared_procedures.h"

#include <cmath>

#include "ledgertools/module_state.h"
#include "ledgertools/texts.h"
#include "platform/component/component.h"

namespace kassa::ledgertools {

namespace {

// The database object, created when missing; null while Stop_Program is True.
dbgate::ADB_cls* Ready_ADB() {
  Module_State& s = State();
  if (!s.ADB) Create_ADB();
  if (s.Stop_Program || !s.ADB) return nullptr;
  return s.ADB.get();
}

}  // namespace

ui::Answer Say(const std::string& text, ui::Buttons buttons) {
  return ui::Message(text, buttons, "");
}

void Report_Host_Error(const host::HostError& e) {
  ui::Port().ReportError(std::string(texts::kRuntimeError) + std::to_string(e.code()) + ": " +
                         e.what());
}

void Create_ADB() {
  Module_State& s = State();
  s.ADB = component::Create<dbgate::ADB_cls>(texts::kProgIdADB);
  if (s.ADB) {
    s.Stop_Program = false;
  } else {
    Say(texts::kNoDbgate);
    s.Stop_Program = true;
  }
}

void Execute_SQL(const std::string& sql) {
  if (dbgate::ADB_cls* adb = Ready_ADB()) adb->SQL_Command_Execute(sql, State().Stop_Program);
}

void Execute_Transaction(const std::vector<std::string>& statements) {
  if (statements.empty()) return;
  if (dbgate::ADB_cls* adb = Ready_ADB())
    adb->SQL_Transaction_Execute(statements, State().Stop_Program);
}

std::string Get_Value(const std::string& sql) {
  dbgate::ADB_cls* adb = Ready_ADB();
  if (!adb) return "";
  try {
    return adb->Get_Value_by_SQL(sql, State().Stop_Program);
  } catch (const host::HostError& e) {
    // A first value that cannot be turned into text: no usable answer.
    Report_Host_Error(e);
    return "";
  }
}

std::optional<std::vector<long long>> Get_Keys(const std::string& sql) {
  dbgate::ADB_cls* adb = Ready_ADB();
  if (!adb) return std::nullopt;
  Module_State& s = State();
  dbgate::RecordsetRef rs;
  adb->SQL_RV_Open(sql, rs, s.Stop_Program);
  if (s.Stop_Program || !rs) return std::nullopt;
  std::vector<long long> keys;
  bool ok = true;
  try {
    while (ok && !rs->EOF()) {
      const Variant v = rs->Fields(0).Value();
      if (v.type() == Variant::Type::Number && std::floor(v.number()) == v.number()) {
        keys.push_back(static_cast<long long>(v.number()));
      } else if (v.type() == Variant::Type::Text && Whole_Number(v.text())) {
        keys.push_back(*Whole_Number(v.text()));
      } else {
        ok = false;
      }
      rs->MoveNext();
    }
  } catch (const host::HostError& e) {
    Report_Host_Error(e);
    ok = false;
  }
  adb->SQL_RV_Close();
  if (!ok) return std::nullopt;
  return keys;
}

namespace {

void Refresh(host::Worksheet* sheet, bool quiet) {
  dbgate::ADB_cls* adb = Ready_ADB();
  if (!adb || !sheet) return;
  host::QueryTable* qt = nullptr;
  try {
    qt = &sheet->QueryTables(1);
  } catch (const host::HostError&) {
    return;  // a sheet without a query table has nothing to refresh
  }
  try {
    const int error = adb->Query_Refresh(*qt, State().Stop_Program);
    // The sheet's query or its result was refused: the database is not
    // lost, the user learns which sheet.
    if (error == host::kErrorResultTooLarge || error == host::kErrorQueryRefused) {
      if (!quiet)
        Say((error == host::kErrorResultTooLarge ? texts::kSheetTooSmallHead
                                                 : texts::kQueryRefusedHead) +
            sheet->Name() +
            (error == host::kErrorResultTooLarge ? texts::kSheetTooSmallTail
                                                 : texts::kQueryRefusedTail));
      return;
    }
    // The parameters file could not be read: the refresh did not happen.
    if (error != 0) {
      State().Stop_Program = true;
      if (!quiet) ui::Port().ReportError(std::string(texts::kRuntimeError) + std::to_string(error));
    }
  } catch (const host::HostError& e) {
    if (!quiet) Report_Host_Error(e);
  }
}

}  // namespace

void Refresh_Sheet_Query(host::Worksheet* sheet) {
  Refresh(sheet, false);
}

void Refresh_Sheet_Query_Quietly(host::Worksheet* sheet) {
  Refresh(sheet, true);
}

void Pause_MS(int16_t ms) {
  if (dbgate::ADB_cls* adb = Ready_ADB()) adb->Delay_MS(ms);
}

void Create_WB_Engine() {
  Module_State& s = State();
  s.WB_Engine = component::Create<sheetsync::WB_Events>(texts::kProgIdEngine);
  if (!s.WB_Engine) {
    Say(texts::kNoSheetsync);
    s.Stop_Program = true;
  }
}

}  // namespace kassa::ledgertools
