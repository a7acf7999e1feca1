// The engine's three configuration calls.
#include "platform/inibook/ini_book_object.h"

namespace kassa::inibook {

IniBookObject::IniBookObject(std::string path) : path_(std::move(path)) {}

void IniBookObject::Load() {
  error_.clear();
  ok_ = LoadBookConfig(path_, config_, error_);
  if (!ok_) config_ = BookConfig{};
  loaded_ = true;
}

int IniBookObject::Ini_Book(const std::vector<std::string>& Sheet_Names,
                            std::vector<bool>& Sync_On_Change, std::vector<bool>& Sync_On_Save,
                            std::vector<bool>& Ask_On_Close, bool& Book_Ready) {
  if (Sheet_Names.size() != kSheetSlots) return 9;  // subscript out of range
  Load();
  Sync_On_Change.assign(kSheetSlots, false);
  Sync_On_Save.assign(kSheetSlots, false);
  Ask_On_Close.assign(kSheetSlots, false);
  for (size_t i = 1; i < kSheetSlots; ++i) {
    if (Sheet_Names[i].empty()) continue;
    const SheetConfig* s = config_.Find(Sheet_Names[i]);
    if (!s) continue;
    Sync_On_Change[i] = s->sync_on_change;
    Sync_On_Save[i] = s->sync_on_save;
    Ask_On_Close[i] = s->ask_on_close;
  }
  Book_Ready = ok_;
  return 0;
}

int IniBookObject::Ini_Sheet(const std::string& sheet_name, std::string& Table_Name,
                             std::string& ID_Column, std::vector<ColumnDesc>& Col_Param,
                             int16_t& Col_Count, bool& Sheet_Ready) {
  if (!loaded_) Load();
  const SheetConfig* s = config_.Find(sheet_name);
  if (!s || !s->Synchronised())
    return Clear_Ini_Sheet(Table_Name, ID_Column, Col_Param, Col_Count, Sheet_Ready);
  Table_Name = s->table;
  ID_Column = s->id_column;
  Col_Param = s->columns;
  Col_Count = static_cast<int16_t>(s->columns.size());
  Sheet_Ready = true;
  return 0;
}

int IniBookObject::Clear_Ini_Sheet(std::string& Table_Name, std::string& ID_Column,
                                   std::vector<ColumnDesc>& Col_Param, int16_t& Col_Count,
                                   bool& Sheet_Ready) {
  Table_Name.clear();
  ID_Column.clear();
  Col_Param.clear();
  Col_Count = 0;
  Sheet_Ready = false;
  return 0;
}

}  // namespace kassa::inibook
