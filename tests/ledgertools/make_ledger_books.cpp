// make_ledger_books <folder>: writes the workbooks of the ledger service's
// scenarios into <folder>:
//   Ledger.xls  the five sheets of the cash workbook ("Наличные",
//               "Категории", "Сотрудники", "Статистика по категориям",
//               "Статистика по сотрудникам"), each with its query table and
//               its command button calling Special_Function; no event sink.
//   One.xls     the cash sheet alone, with its query table and button.
//   Plain.xls   a sheet "Прочее" without a query table, with a statistics
//               button, beside the category sheet.
#include <cstdio>
#include <string>

#include "platform/host/host.h"

namespace {

using kassa::host::Shape;
using kassa::host::Workbook;
using kassa::host::Worksheet;

const char* kConnection =
    "ODBC;DRIVER={MySQL ODBC 5.1 Driver};SERVER=localhost;DATABASE=db_pnr_l;UID=pnrowner;PWD=xxx";

void Sheet(Worksheet& s, const std::string& name, const std::string& query,
           const std::string& button, const std::string& method) {
  s.Name(name);
  if (!query.empty()) s.AddQueryTable(kConnection, query);
  Shape b;
  b.name = button;
  b.caption = "Меню";
  b.left = 420;
  b.top = 2;
  b.width = 60;
  b.height = 22;
  b.progid = "Ledgertools.Special_Function";
  b.method = method;
  s.shapes().push_back(b);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_ledger_books <folder>\n");
    return 2;
  }
  const std::string dir = argv[1];
  try {
    kassa::host::Application app;
    Workbook& ledger = app.Add();
    Sheet(ledger.Sheets(1), "Наличные", "select * from Nal_Exl", "B_Commom", "Action_Common");
    Sheet(ledger.AddSheet("Категории"), "Категории", "select * from CATEGORY_NAL_Exl", "B_Category",
          "Action_Category");
    Sheet(ledger.AddSheet("Сотрудники"), "Сотрудники", "select * from OUR_MEMBERS_Exl", "B_Member",
          "Action_Member");
    Sheet(ledger.AddSheet("Статистика по категориям"), "Статистика по категориям",
          "select * from Expences_Category_Exl", "B_Expences_Category", "Action_Expences");
    Sheet(ledger.AddSheet("Статистика по сотрудникам"), "Статистика по сотрудникам",
          "select * from Expences_Category_Member_Exl", "B_Member", "Action_Expences");
    ledger.SaveAs(dir + "/Ledger.xls");

    Workbook& one = app.Add();
    Sheet(one.Sheets(1), "Наличные", "select * from Nal_Exl", "B_Commom", "Action_Common");
    one.SaveAs(dir + "/One.xls");

    Workbook& plain = app.Add();
    Sheet(plain.Sheets(1), "Прочее", "", "B_Expences_Category", "Action_Expences");
    Sheet(plain.AddSheet("Категории"), "Категории", "select * from CATEGORY_NAL_Exl", "B_Category",
          "Action_Category");
    plain.SaveAs(dir + "/Plain.xls");
  } catch (const kassa::host::HostError& e) {
    std::fprintf(stderr, "make_ledger_books: %s\n", e.what());
    return 1;
  }
  return 0;
}
