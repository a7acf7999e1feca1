// The engine's test workbook "Sync.xls", configured by
// tests/scenarios/sheetsync/Sync.ini:
//   1 "Наличные"  the cash ledger NAL through the view Nal_Exl (two lookups)
//   2 "Типы"      the table T_TYPES: date, time, double, whole number, short
//                 text and a computed column (created by the test)
//   3 "Справка"   an unsynchronised sheet with a query of its own
//   4 "Расчёт"    T_TYPES again, with no stored column and no row-id column
// Every sheet holds only its headers; the engine fills it from the database.
#pragma once

#include <string>

#include "platform/host/host.h"

namespace kassa::sheetsync::testing {

// The statements (as root) that create T_TYPES and let the application use it.
extern const char* const kCreateTypesTable;
extern const char* const kGrantTypesTable;

// Adds the four sheets' headers and queries to `wb` (which has one sheet).
void BuildTestBook(host::Workbook& wb);

// Writes the test workbook to `path`; with `with_engine` its macros create
// "Sheetsync.WB_Events" when it is opened. A non-empty `cash_query` takes
// the place of the cash sheet's query (a workbook made elsewhere).
void WriteTestBook(const std::string& path, bool with_engine = true,
                   const std::string& cash_query = "");

}  // namespace kassa::sheetsync::testing
