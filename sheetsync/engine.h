// The engine behind WB_Events: the instance state and the private operations,
// one source file per concern:
//   events.cpp     the seven public methods, book start-up, save/close/change
//   config.cpp     the workbook configuration object (Ini_Book)
//   gateway.cpp    the database object (ADB_cls) and the sticky Stop_Program
//   typing.cpp     cell values -> SQL literals, lookups, red marks
//   store.cpp      whole-sheet store (one transaction) and refresh
//   writeback.cpp  immediate write-back of edited cells
//   compare.cpp    sheet vs database comparison, emergency copy
// The progress window is progress.h; pure texts are literals.h/column_limits.h.
//
// All work is done on the active sheet of the served workbook. A host error
// (host::HostError) raised by an operation ends the event that called it; the
// event returns its code. Database failures never raise: they set
// Stop_Program, which stays True for the life of the instance.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "dbgate/adb.h"
#include "platform/host/host.h"
#include "platform/inibook/ini_book.h"
#include "sheetsync/column_limits.h"
#include "sheetsync/wb_events.h"

namespace kassa::sheetsync {

// A per-sheet Boolean array indexed 0..50 by sheet index; any other index
// raises the bounds error 9 (subscript out of range).
class SheetFlags {
 public:
  static constexpr long kHighest = 50;
  bool& operator[](long index);
  void Clear() { flags_.fill(false); }

 private:
  std::array<bool, kHighest + 1> flags_{};
};

// Item `index` of a switch vector delivered by the configuration object;
// bounds error 9 above 50 or past the vector's end.
bool SwitchOf(const std::vector<bool>& switches, long index);

// Lookups during one store, or one write-back of several cells. Each
// dictionary (table, compared field, stored field) met by a text is fetched
// once, whole: the literal to store for each compared value as the server
// upper-cases it, trailing blanks dropped (the ledger's text comparison
// ignores them; an entry met twice keeps the first, as a lookup finds it).
// Each sheet column also remembers the literals it has read -> the literal
// stored instead, and whether the dictionary missed it (a miss marks every
// cell that holds it).
struct LookupMemo {
  struct Answer {
    std::string literal;
    bool miss = false;
  };
  struct Column {
    std::unordered_map<std::string, Answer> by_literal;
  };
  using Dictionary = std::unordered_map<std::string, std::string>;
  std::vector<Column> columns;                     // by sheet column (1-based)
  std::map<std::string, Dictionary> dictionaries;  // by table, fields
};

// Remembers lookups (LookupMemo) while it lives: for one store or one
// write-back of several cells.
class LookupMemoScope {
 public:
  explicit LookupMemoScope(LookupMemo*& slot) : slot_(slot) { slot_ = &memo_; }
  ~LookupMemoScope() { slot_ = nullptr; }
  LookupMemoScope(const LookupMemoScope&) = delete;

 private:
  LookupMemo*& slot_;
  LookupMemo memo_;
};

// Raises the run-time error `code` (a host error) with a short description.
[[noreturn]] void RaiseError(int code);

class Engine final : public WB_Events {
 public:
  Engine();
  ~Engine() override;

  // WB_Events (events.cpp)
  int Workbook_Open(host::Workbook& Wb) override;
  int Workbook_BeforeClose(host::Workbook& Wb, bool& Cancel) override;
  int Workbook_BeforeSave(host::Workbook& Wb, bool& Cancel) override;
  int Workbook_SheetActivate(host::Worksheet& Sh) override;
  int Workbook_SheetChange(host::Worksheet& Sh, host::Range& Target) override;
  int Workbook_SheetDeactivate(host::Workbook& Wb) override;
  int Simple_Exp() override;

  // ---- book life (events.cpp)
  void Init_Book();
  void Reset_Book_State();
  // Closes the served workbook's window, saving a writable workbook; when
  // the workbook cannot be written, says so, keeps it open and sets Cancel.
  void Close_Own_Window(bool& Cancel);
  host::Worksheet& ActiveSheet();

  // ---- configuration (config.cpp)
  void Create_Config_Object();
  void Load_Book_Config();
  void Load_Sheet_Config();
  void Clear_Sheet_Config();

  // ---- database gateway (gateway.cpp). Each wrapper creates the database
  // object when needed and calls it only while Stop_Program is False.
  void Ensure_DB_Object();
  void Execute_SQL(const std::string& sql);
  // All statements in one transaction: all applied, or none and
  // Stop_Program True.
  void Execute_Transaction(const std::vector<std::string>& statements);
  std::string Get_Value(const std::string& sql);
  void Open_Rows(const std::string& sql);
  void Close_Rows();
  void Open_Value(const std::string& sql);
  void Close_Value();
  void Refresh_Sheet();
  void Close_DB();
  // The active sheet cannot be loaded whole (`reason`: the host's
  // kErrorResultTooLarge or kErrorQueryRefused): from now on it is never
  // written back, stored or compared. The user is told once per sheet.
  void Sheet_Not_Whole(int reason);
  // The column limits of Table_Name, asked of the server once per table
  // name, matched to the active sheet's columns; the typing checks values
  // against them until the next call. False (with Stop_Program True) when
  // the database failed.
  bool Learn_Table_Limits();

  // ---- cell typing (typing.cpp). Row and column on the active sheet.
  // The literal of the cell, lookup included; nullopt for a "Calc" column.
  // Empty text when the lookup stopped on a database failure.
  std::optional<std::string> Read_Cell(long row, int column);
  std::string Read_Date(long row, int column);
  std::string Read_Double(long row, int column);
  std::string Read_Text(long row, int column);
  std::string Read_Time(long row, int column);
  std::string Read_Integer(long row, int column);
  std::string Lookup_Value(const std::string& literal, long row, int column);
  // The dictionary of the column, fetched whole once while lookups are
  // remembered; nullptr when the database failed (Stop_Program True).
  const LookupMemo::Dictionary* Fetch_Dictionary(const inibook::ColumnDesc& d);
  void Mark_Error(long row, int column);
  void Clear_Mark(long row, int column);
  std::string Quote_Text(const std::string& text);
  const inibook::ColumnDesc& Column(int column) const;  // Col_Param for 1..Col_Count
  const ColumnLimit* LimitOf(int column) const;         // nullptr when unknown
  // Whether a number literal (nullopt: the value is no number) can be
  // stored in the column.
  bool StorableNumber(const std::optional<std::string>& literal, int column) const;

  // ---- whole-sheet store (store.cpp)
  void Store_Sheet(bool report);
  void Store_Marked_Sheets();
  long Last_Data_Row();
  void Delay_Pause(int16_t ms);

  // ---- write-back (writeback.cpp)
  void Sync_Range(host::Range& Target);
  void Update_Cell(long row, int column);
  // The Update statement of one cell; nullopt for a "Calc" column, and when
  // reading the cell stopped on a database failure.
  std::optional<std::string> Update_Statement(long row, int column);
  void Insert_Row_Ids(long first, long last);
  std::string Row_Id_Insert(long id);
  bool Data_Below(long row);
  void Format_Header();

  // ---- comparison and emergency copy (compare.cpp)
  bool Sheet_Differs();
  std::string Changed_Sheets();
  // Writes the emergency copy; false (and the user told) when its file
  // could not be written.
  bool Save_Copy();
  bool Emergency_Exit_Close();
  void Emergency_Exit_Save();

  // ---- state
  host::Workbook* WB = nullptr;
  std::shared_ptr<dbgate::ADB_cls> ADB;
  std::shared_ptr<inibook::IniBook> INI;
  dbgate::RecordsetRef RV_Set, OV_Set;
  bool Stop_Program = false;
  bool Sheet_Ready = false;
  bool Book_Ready = false;
  bool Closing = false;
  int16_t Col_Count = 0;
  std::string Table_Name;
  std::vector<inibook::ColumnDesc> Col_Param;
  std::string ID_Column;
  int16_t Error_Count = 0;  // saturates at 32767
  SheetFlags Sheet_Visited;
  SheetFlags Sheet_To_Store;
  // True once the sheet with that index was found not loadable whole.
  SheetFlags Sheet_Incomplete;
  std::vector<bool> Sync_On_Change, Sync_On_Save, Ask_On_Close;
  bool Skip_Check = false;

 private:
  // Runs an event body: 0, or the code of the host error that escaped it.
  template <class F>
  int Guard(F&& body);
  void Fill_WB(host::Workbook& wb) {
    if (!WB) WB = &wb;
  }
  // The workbook's status line tells that database work has stopped.
  void Show_Database_State();

  std::map<std::string, TableLimits> limits_;  // by table name in upper case
  // Limits of the active sheet's columns (nullptr: unknown or a lookup
  // column), valid while Table_Name is limits_table_.
  std::vector<const ColumnLimit*> column_limits_;
  std::string limits_table_;
  LookupMemo* lookup_memo_ = nullptr;  // set only while lookups are remembered
};

}  // namespace kassa::sheetsync
