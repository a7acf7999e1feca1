// The workbook's configuration object: which sheets are synchronised, with
// which table, row-id column and columns.
#include "platform/ui/ui.h"
#include "sheetsync/engine.h"
#include "sheetsync/texts.h"

namespace kassa::sheetsync {

namespace {
constexpr int kObjectNotSet = 91;  // object variable not set
}

void Engine::Create_Config_Object() {
  std::string name = WB->Name();
  const std::string ext = texts::kBookExtension;
  if (name.size() >= ext.size() && name.compare(name.size() - ext.size(), ext.size(), ext) == 0)
    name.erase(name.size() - ext.size());
  INI =
      component::Create<inibook::IniBook>(texts::kIniProgIdPrefix + name + texts::kIniProgIdSuffix);
  if (!INI)
    ui::Message(texts::kNoIniObject, ui::Buttons::OK);
  else
    INI->Set_Workbook(*WB);  // the configuration is kept with the workbook
}

void Engine::Load_Book_Config() {
  if (!INI) Create_Config_Object();
  if (!INI) RaiseError(kObjectNotSet);
  std::vector<std::string> names(SheetFlags::kHighest + 1);
  for (int i = 1; i <= WB->SheetsCount(); ++i) {
    if (i > SheetFlags::kHighest) RaiseError(9);
    names[i] = WB->Sheets(i).Name();
  }
  int rc = INI->Ini_Book(names, Sync_On_Change, Sync_On_Save, Ask_On_Close, Book_Ready);
  if (rc != 0) RaiseError(rc);
}

void Engine::Load_Sheet_Config() {
  if (!INI) Create_Config_Object();
  if (!INI) RaiseError(kObjectNotSet);
  int rc = INI->Ini_Sheet(ActiveSheet().Name(), Table_Name, ID_Column, Col_Param, Col_Count,
                          Sheet_Ready);
  if (rc != 0) RaiseError(rc);
}

void Engine::Clear_Sheet_Config() {
  if (!INI) Create_Config_Object();
  if (!INI) RaiseError(kObjectNotSet);
  int rc = INI->Clear_Ini_Sheet(Table_Name, ID_Column, Col_Param, Col_Count, Sheet_Ready);
  if (rc != 0) RaiseError(rc);
}

}  // namespace kassa::sheetsync
