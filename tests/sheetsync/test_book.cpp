#include "tests/sheetsync/test_book.h"

#include <vector>

namespace kassa::sheetsync::testing {

const char* const kCreateTypesTable =
    "CREATE TABLE T_TYPES (ID_Exl INTEGER NOT NULL PRIMARY KEY, D DATE, T TIME, X DOUBLE, "
    "N SMALLINT, S VARCHAR(10))";
const char* const kGrantTypesTable = "GRANT SELECT,UPDATE,DELETE,INSERT ON t_types TO pnrowner";

namespace {

const char* kConnection =
    "OLEDB;Provider=MSDASQL.1;Password=xxx;Persist Security Info=True;Extended Properties= "
    "\"DRIVER={MySQL ODBC 5.1 Driver};PWD=xxx;Server=localhost;Port=3306;Database=db_pnr_l;"
    "User=pnrowner;Option=3;\" ";

void Sheet(host::Worksheet& ws, const std::vector<std::string>& headers, const std::string& query) {
  for (size_t c = 0; c < headers.size(); ++c)
    ws.Cells(1, static_cast<int>(c) + 1).Value(Variant::Text(headers[c]));
  ws.AddQueryTable(kConnection, query);
}

}  // namespace

void BuildTestBook(host::Workbook& wb) {
  host::Worksheet& cash = wb.Sheets(1);
  cash.Name("Наличные");
  Sheet(cash, {"Date_On", "Name_Recipient", "Establish_Payment", "Sum_RUB", "Name_Category"},
        "Select * from Nal_Exl");
  Sheet(wb.AddSheet("Типы"), {"D", "T", "X", "N", "S", "C"},
        "select D, T, X, N, S, N * 2 C from T_TYPES order by ID_Exl");
  Sheet(wb.AddSheet("Справка"), {"NAME_SHORT"}, "select NAME_SHORT from OUR_MEMBERS_Exl");
  Sheet(wb.AddSheet("Расчёт"), {"C"}, "select N * 2 C from T_TYPES order by ID_Exl");
}

void WriteTestBook(const std::string& path, bool with_engine, const std::string& cash_query) {
  host::Application app;
  host::Workbook& wb = app.Add();
  BuildTestBook(wb);
  if (!cash_query.empty()) wb.Sheets(1).QueryTables(1).CommandText(cash_query);
  if (with_engine) wb.SetEventSinkProgId("Sheetsync.WB_Events");
  wb.SaveAs(path, 1);
}

}  // namespace kassa::sheetsync::testing
