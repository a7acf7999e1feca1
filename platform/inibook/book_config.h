// The workbook configuration file "<book>.ini": a readable UTF-8 text.
//
//   # comment (also "; comment"); blank lines are ignored
//   [Наличные]                      one section per sheet, by its tab name
//   table  = NAL                    database table written from the sheet
//   id     = ID_Exl                 row-id column of that table
//   change = yes                    write each edit at once   (yes/no)
//   save   = yes                    store the sheet on save   (yes/no)
//   ask    = yes                    ask to store it on close  (yes/no)
//   column = DATE_ON | Dat                                   sheet column 1
//   column = RECIPIENT_ID | Str | OUR_MEMBERS | Name_Short | ID_Responsible
//
// `column` lines give the sheet's columns in order: field | type code
// ("Dat", "Str", "Doub", "Tim", "Integ", "Calc") and, for a lookup, the
// dictionary table | the field compared (upper-cased) with the cell | the
// field stored instead. A sheet counts as synchronised when its section
// names a table and at least one column; switches default to "no".
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/inibook/ini_book.h"

namespace kassa::inibook {

struct SheetConfig {
  std::string name;
  std::string table;
  std::string id_column;
  bool sync_on_change = false, sync_on_save = false, ask_on_close = false;
  std::vector<ColumnDesc> columns;
  bool Synchronised() const { return !table.empty() && !columns.empty(); }
};

struct BookConfig {
  std::vector<SheetConfig> sheets;
  const SheetConfig* Find(const std::string& sheet_name) const;
};

// Parses the text; false with `error` ("строка N: ...") and an empty `out` on
// the first fault.
bool ParseBookConfig(const std::string& text, BookConfig& out, std::string& error);

// The text of a configuration file; nullopt when there is none or it cannot
// be read.
std::optional<std::string> ReadConfigFile(const std::string& path);

// "INI_Kassa.Ini_Book" -> "Kassa"; "" when the ProgID has another form.
std::string BookNameOf(const std::string& progid);

}  // namespace kassa::inibook
