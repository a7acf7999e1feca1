// The configuration object behind "INI_<book>.Ini_Book": answers the
// engine's three calls from the book's configuration file.
#pragma once

#include <memory>
#include <string>

#include "platform/inibook/book_config.h"
#include "platform/inibook/ini_book.h"

namespace kassa::inibook {

class IniBookObject : public IniBook {
 public:
  // `path` is the configuration file; it is read by every Ini_Book call (and
  // by the first Ini_Sheet when Ini_Book was not called). When it is absent,
  // the copy kept in the workbook is read instead. A configuration that
  // cannot be found, read or parsed leaves the book unconfigured (Book_Ready
  // False, every sheet not ready); the user is told once and `last_error()`
  // says why.
  explicit IniBookObject(std::string path);

  void Set_Workbook(host::Workbook& Wb) override { book_ = &Wb; }

  int Ini_Book(const std::vector<std::string>& Sheet_Names, std::vector<bool>& Sync_On_Change,
               std::vector<bool>& Sync_On_Save, std::vector<bool>& Ask_On_Close,
               bool& Book_Ready) override;
  int Ini_Sheet(const std::string& sheet_name, std::string& Table_Name, std::string& ID_Column,
                std::vector<ColumnDesc>& Col_Param, int16_t& Col_Count, bool& Sheet_Ready) override;
  int Clear_Ini_Sheet(std::string& Table_Name, std::string& ID_Column,
                      std::vector<ColumnDesc>& Col_Param, int16_t& Col_Count,
                      bool& Sheet_Ready) override;

  const std::string& last_error() const { return error_; }

 private:
  void Load();
  std::string path_;
  host::Workbook* book_ = nullptr;
  bool loaded_ = false, ok_ = false, told_ = false;
  BookConfig config_;
  std::string error_;
};

// Size of Sheet_Names and of the switch vectors: sheet indexes 0..50.
constexpr size_t kSheetSlots = 51;

}  // namespace kassa::inibook
