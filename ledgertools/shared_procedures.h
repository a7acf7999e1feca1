// The shared procedures every operation of the library uses to reach the
// database object, the engine object and the user. Each skips its database
// work silently while Stop_Program is True; database failures have already
// been told to the user by the database object and show up here only as
// Stop_Program True (or an empty text / nullopt result).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ledgertools/sql_text.h"
#include "platform/host/host.h"
#include "platform/ui/ui.h"

namespace kassa::ledgertools {

// Creates the database object ("Dbgate.ADB_cls") into ADB: Stop_Program
// False on success; "Библиотека Dbgate не установлена" and Stop_Program True
// when it cannot be created.
void Create_ADB();

// Runs one statement (SQL_Command_Execute) unless Stop_Program is True.
void Execute_SQL(const std::string& sql);

// Runs the statements in order inside one transaction
// (SQL_Transaction_Execute) unless Stop_Program is True: either all of them
// take effect or none does.
void Execute_Transaction(const std::vector<std::string>& statements);

// First column of the first row as text ("Get_Value_By_SQL"); the empty text
// on failure or while Stop_Program is True; "Null" when there is no row.
std::string Get_Value(const std::string& sql);

// The first column of every row as whole numbers; nullopt on failure, while
// Stop_Program is True, or when a value is no whole number.
std::optional<std::vector<long long>> Get_Keys(const std::string& sql);

// Refreshes query table 1 of `sheet` (Query_Refresh) unless Stop_Program is
// True or `sheet` is none. A sheet without a query table is left as it is
// and nothing is reported.
void Refresh_Sheet_Query(host::Worksheet* sheet);

// The same refresh as a step of the archive: a failure inside the host (or
// an unreadable parameters file) only skips it, with no message of its own;
// Stop_Program still records a refresh that did not happen.
void Refresh_Sheet_Query_Quietly(host::Worksheet* sheet);

// Waits `ms` milliseconds through the database object's Delay_MS, the
// interface staying responsive; skipped while Stop_Program is True.
void Pause_MS(int16_t ms);

// Creates the engine object ("Sheetsync.WB_Events") into WB_Engine;
// "Библиотека Sheetsync не загружена." and Stop_Program True on failure.
void Create_WB_Engine();

// A message box without a title of its own.
ui::Answer Say(const std::string& text, ui::Buttons buttons = ui::Buttons::OK);

// A host error met by a button of the library: shown to the user, the
// program goes on.
void Report_Host_Error(const host::HostError& e);

}  // namespace kassa::ledgertools
