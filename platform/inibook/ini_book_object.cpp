// The engine's three configuration calls.
#include "platform/inibook/ini_book_object.h"

#include <filesystem>

#include "platform/inibook/texts.h"
#include "platform/ui/ui.h"

namespace kassa::inibook {

IniBookObject::IniBookObject(std::string path) : path_(std::move(path)) {}

void IniBookObject::Load() {
  error_.clear();
  loaded_ = true;
  std::error_code ec;
  std::string message;
  if (std::filesystem::exists(path_, ec)) {
    const std::optional<std::string> text = ReadConfigFile(path_);
    ok_ = text && ParseBookConfig(*text, config_, error_);
    if (!text) error_ = texts::kCannotRead;
    if (ok_ && book_) book_->StoredText(kStoredConfigKey, *text);
    if (!ok_) message = texts::FaultyConfiguration(path_, error_);
  } else if (const std::string copy = book_ ? book_->StoredText(kStoredConfigKey) : "";
             !copy.empty()) {
    ok_ = ParseBookConfig(copy, config_, error_);
    if (!ok_) message = texts::FaultyConfiguration(texts::CopyInBook(path_), error_);
  } else {
    ok_ = false;
    config_ = BookConfig{};
    message = texts::NoConfiguration(path_);
    error_ = message;
  }
  if (!ok_ && !told_) {
    told_ = true;
    ui::Message(message, ui::Buttons::OK);
  }
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
