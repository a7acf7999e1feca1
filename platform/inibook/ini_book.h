// The workbook configuration component, created by "INI_<book>.Ini_Book"
// (the book's file name without ".xls"). It reads "<book>.ini" from the
// folder of the component library (a readable text file, see the sample
// examples/Kassa.ini) and answers the engine's three configuration calls.
//
// The configuration travels with the workbook: once the engine has handed
// the object its workbook (Set_Workbook), a configuration read from
// "<book>.ini" is kept in the workbook as well (saved with its file), and
// when "<book>.ini" is absent the copy kept in the workbook is used. So a
// workbook saved under another name, copied or re-saved as .xlsx keeps its
// sheets synchronised. A book without a usable configuration tells the user
// once, through the UI port, which file was looked for.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/component/component.h"
#include "platform/host/host.h"

namespace kassa::inibook {

// The key under which a workbook keeps its copy of the configuration
// (host::Workbook::StoredText): the text of "<book>.ini".
constexpr const char* kStoredConfigKey = "inibook.config";

// One configured sheet column, in sheet order.
struct ColumnDesc {
  std::string field;       // database field written from this column
  std::string type;        // "Dat", "Str", "Doub", "Tim", "Integ", "Calc"
  std::string dict_table;  // "" = no lookup
  std::string dict_key;    // dictionary field compared, upper-cased, with the cell
  std::string dict_value;  // dictionary field stored instead of the cell value
};

class KASSA_EXPORT IniBook : public component::Object {
 public:
  // The workbook this configuration serves; the caller keeps it alive for
  // the object's life. Without it, only "<book>.ini" is read.
  virtual void Set_Workbook(host::Workbook& Wb) = 0;
  // Sheet_Names[i] (i = 1..number of sheets) names sheet i; item 0 and the
  // items past the last sheet are empty (size 51). The three switch vectors
  // come back with the same size, indexed by sheet index. Returns 0, or a
  // run-time error number (9 when Sheet_Names is not 51 long).
  virtual int Ini_Book(const std::vector<std::string>& Sheet_Names,
                       std::vector<bool>& Sync_On_Change, std::vector<bool>& Sync_On_Save,
                       std::vector<bool>& Ask_On_Close, bool& Book_Ready) = 0;
  // Col_Param[c-1] describes sheet column c (c = 1..Col_Count).
  virtual int Ini_Sheet(const std::string& sheet_name, std::string& Table_Name,
                        std::string& ID_Column, std::vector<ColumnDesc>& Col_Param,
                        int16_t& Col_Count, bool& Sheet_Ready) = 0;
  virtual int Clear_Ini_Sheet(std::string& Table_Name, std::string& ID_Column,
                              std::vector<ColumnDesc>& Col_Param, int16_t& Col_Count,
                              bool& Sheet_Ready) = 0;
};

}  // namespace kassa::inibook
