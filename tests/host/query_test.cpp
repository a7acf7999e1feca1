// Query tables against the real server: values typed by column kind, a
// shorter result clearing what is left, failures, the masked password in
// the saved file, and the sample workbook's queries.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/host/host.h"
#include "tests/host/recording.h"
#include "tests/host/xlsx_parts.h"
#include "tests/support/testsupport.h"

namespace kassa::host {
namespace {

namespace fs = std::filesystem;
namespace ts = kassa::testsupport;

// The query-table form of a connection string, as the database layer builds it.
std::string QueryTableString(const sql::Params& p) {
  return "OLEDB;Provider=MSDASQL.1;Password=" + p.password +
         ";Persist Security Info=True;Extended Properties= \"DRIVER={MySQL ODBC 5.1 Driver};PWD=" +
         p.password + ";Server=localhost;Port=" + std::to_string(p.port) +
         ";Database=" + p.database + ";User=" + p.user + ";Option=3;\" ";
}

class HostQuery : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_TRUE(ts::HaveTestEnv()) << "run through CTest (database fixture)";
    std::string error;
    ASSERT_TRUE(
        ts::RootExec("CREATE DATABASE IF NOT EXISTS host_qt CHARACTER SET utf8mb4", &error, ""))
        << error;
    ASSERT_TRUE(ts::RootExec("DROP TABLE IF EXISTS t", &error, "host_qt")) << error;
    ASSERT_TRUE(
        ts::RootExec("CREATE TABLE t (id INT, d DATE, tm TIME, dt DATETIME, n DOUBLE, "
                     "amount DECIMAL(10,2), s VARCHAR(20))",
                     &error, "host_qt"))
        << error;
    ASSERT_TRUE(ts::RootExec(
        "INSERT INTO t VALUES "
        "(1, '2010-01-05', '09:05:00', '2011-03-01 09:07:00', 1234.5, 1234.50, 'Иванов'),"
        "(2, NULL, NULL, NULL, -0.25, 12.00, NULL),"
        "(3, '2026-12-07', '23:59:59', NULL, 12, NULL, '')",
        &error, "host_qt"))
        << error;
  }

  void SetUp() override {
    wb.SetEventSink(sink);
    params = ts::RootParams("host_qt");
  }

  testing::RecordingUi ui;
  Application app;
  Workbook& wb = app.Add();
  Worksheet& ws = wb.Sheets(1);
  std::shared_ptr<testing::RecordingSink> sink = std::make_shared<testing::RecordingSink>();
  sql::Params params;
};

TEST_F(HostQuery, RefreshWritesNamesAndValuesTypedByColumn) {
  QueryTable& q = ws.AddQueryTable(QueryTableString(params), "SELECT * FROM t ORDER BY id");
  unsigned long before = ws.revision();
  q.Refresh();
  EXPECT_GT(ws.revision(), before);
  EXPECT_TRUE(sink->log.empty());  // a refresh raises no change event
  const char* names[] = {"id", "d", "tm", "dt", "n", "amount", "s"};
  for (int c = 1; c <= 7; ++c) EXPECT_EQ(ws.Cells(1, c).Text(), names[c - 1]);
  // Row 2.
  EXPECT_EQ(ws.Cells(2, 1).Value().type(), Variant::Type::Number);
  EXPECT_EQ(ws.Cells(2, 2).Value().type(), Variant::Type::Date);
  EXPECT_EQ(ws.Cells(2, 2).Text(), "05.01.2010");
  EXPECT_EQ(ws.FindCell(2, 2)->format.number_format, "dd.mm.yyyy");
  EXPECT_EQ(ws.Cells(2, 3).Value().type(), Variant::Type::Date);
  EXPECT_EQ(ws.Cells(2, 3).Text(), "9:05:00");
  EXPECT_EQ(ws.FindCell(2, 3)->format.number_format, "h:mm:ss");
  EXPECT_EQ(ws.Cells(2, 4).Text(), "01.03.2011 9:07:00");
  EXPECT_EQ(ws.Cells(2, 5).Text(), "1234,5");
  EXPECT_EQ(ws.Cells(2, 6).Value().type(), Variant::Type::Number);
  EXPECT_EQ(ws.Cells(2, 6).Text(), "1234,5");
  EXPECT_EQ(ws.Cells(2, 7).Value().type(), Variant::Type::Text);
  EXPECT_EQ(ws.Cells(2, 7).Text(), "Иванов");
  // NULL gives an empty cell; "" stays text.
  for (int c : {2, 3, 4, 7}) EXPECT_TRUE(ws.Cells(3, c).Value().IsEmpty()) << c;
  EXPECT_EQ(ws.Cells(3, 5).Text(), "-0,25");
  EXPECT_EQ(ws.Cells(3, 6).Text(), "12");
  EXPECT_EQ(ws.Cells(4, 3).Text(), "23:59:59");
  EXPECT_TRUE(ws.Cells(4, 6).Value().IsEmpty());
  EXPECT_EQ(ws.Cells(kMaxRows, 1).End(xlUp).Row(), 4);
  // Each text equals the database layer's text of the same value.
  std::string error;
  auto conn = sql::Connection::Open(params, error);
  ASSERT_NE(conn, nullptr) << error;
  auto r = conn->Query("SELECT * FROM t ORDER BY id", error);
  ASSERT_NE(r, nullptr) << error;
  for (size_t i = 0; i < r->RowCount(); ++i)
    for (size_t c = 0; c < r->columns().size(); ++c)
      EXPECT_EQ(ws.Cells(static_cast<long>(i) + 2, static_cast<int>(c) + 1).Text(),
                *ToText(r->Value(i, c)))
          << i << "," << c;
}

TEST_F(HostQuery, AShorterResultClearsWhatIsLeftWithinItsColumns) {
  QueryTable& q = ws.AddQueryTable(QueryTableString(params), "SELECT id, s FROM t ORDER BY id");
  q.Refresh();
  ws.Cells(9, 1).Value(Variant::Text("typed below"));
  ws.Cells(3, 5).Value(Variant::Text("beside"));
  ws.Cells(3, 2).Font().ColorIndex(kColorRed);
  q.CommandText("SELECT id, s FROM t WHERE id = 1");
  q.Refresh();
  EXPECT_EQ(ws.Cells(2, 2).Text(), "Иванов");
  EXPECT_TRUE(ws.Cells(3, 1).Value().IsEmpty());
  EXPECT_TRUE(ws.Cells(4, 1).Value().IsEmpty());
  EXPECT_TRUE(ws.Cells(9, 1).Value().IsEmpty());
  EXPECT_EQ(ws.Cells(3, 5).Text(), "beside");                // outside the query's columns
  EXPECT_EQ(ws.Cells(3, 2).Font().ColorIndex(), kColorRed);  // formats stay
  EXPECT_EQ(ws.Cells(kMaxRows, 1).End(xlUp).Row(), 2);
  // No rows at all: the names only.
  q.CommandText("SELECT id, s FROM t WHERE id = 0");
  q.Refresh();
  EXPECT_EQ(ws.Cells(1, 1).Text(), "id");
  EXPECT_EQ(ws.Cells(kMaxRows, 1).End(xlUp).Row(), 1);
  EXPECT_TRUE(sink->log.empty());
}

TEST_F(HostQuery, FailuresThrowAndLeaveTheSheet) {
  QueryTable& q = ws.AddQueryTable(QueryTableString(params), "SELECT id FROM t ORDER BY id");
  q.Refresh();
  q.CommandText("SELECT nonsense FROM nowhere");
  EXPECT_THROW(q.Refresh(), HostError);
  EXPECT_EQ(ws.Cells(4, 1).Text(), "3");
  sql::Params wrong = params;
  wrong.password = "wrong";
  q.Connection(QueryTableString(wrong));
  q.CommandText("SELECT id FROM t");
  EXPECT_THROW(q.Refresh(), HostError);
  q.Connection("no connection string at all");
  EXPECT_THROW(q.Refresh(), HostError);
  EXPECT_EQ(ws.Cells(4, 1).Text(), "3");
}

// A workbook may come from anywhere: its query only ever reads.
TEST_F(HostQuery, AQueryThatIsNotOneSelectOrThatWouldWriteChangesNothing) {
  std::string error;
  ASSERT_TRUE(ts::RootExec("DROP FUNCTION IF EXISTS wipe", &error, "host_qt")) << error;
  ASSERT_TRUE(
      ts::RootExec("CREATE FUNCTION wipe() RETURNS INT MODIFIES SQL DATA "
                   "BEGIN DELETE FROM t; RETURN 1; END",
                   &error, "host_qt"))
      << error;
  // One SELECT runs, with or without its final ";".
  QueryTable& q = ws.AddQueryTable(QueryTableString(params), "SELECT id FROM t ORDER BY id;");
  q.Refresh();
  for (const char* text : {"DELETE FROM t", "SELECT 1; DELETE FROM t", "SELECT wipe()"}) {
    q.CommandText(text);
    try {
      q.Refresh();
      ADD_FAILURE() << "ran: " << text;
    } catch (const HostError& e) {
      // A text that is not one SELECT is refused before it reaches the
      // server; a SELECT that would write fails in its read-only transaction.
      EXPECT_EQ(e.code() == kErrorQueryRefused, std::string(text) != "SELECT wipe()") << text;
    }
    EXPECT_EQ(ws.Cells(4, 1).Text(), "3") << text;
  }
  EXPECT_EQ(ts::RootQuery("SELECT count(*) FROM t", "host_qt"),
            (std::vector<std::vector<std::string>>{{"3"}}));
}

// The sheet holds 65535 records below its header: a larger result loads
// those, says it was too large, and is never read whole.
TEST_F(HostQuery, AResultLargerThanTheSheetLoadsWhatFitsAndSaysSo) {
  std::string error;
  ASSERT_TRUE(ts::RootExec("CREATE OR REPLACE TABLE big (id INT PRIMARY KEY)", &error, "host_qt"))
      << error;
  ASSERT_TRUE(ts::RootExec("INSERT INTO big SELECT seq FROM seq_1_to_65535", &error, "host_qt"))
      << error;
  QueryTable& q = ws.AddQueryTable(QueryTableString(params), "SELECT id FROM big ORDER BY id");
  q.Refresh();  // exactly full
  EXPECT_EQ(ws.Cells(kMaxRows, 1).Text(), "65535");
  ASSERT_TRUE(ts::RootExec("INSERT INTO big VALUES (65536)", &error, "host_qt")) << error;
  for (const char* text :
       {"SELECT id FROM big ORDER BY id DESC", "SELECT id FROM big ORDER BY id DESC LIMIT 70000"}) {
    q.CommandText(text);
    try {
      q.Refresh();
      ADD_FAILURE() << "no refusal: " << text;
    } catch (const HostError& e) {
      EXPECT_EQ(e.code(), kErrorResultTooLarge) << text;
    }
    EXPECT_EQ(ws.Cells(2, 1).Text(), "65536") << text;
    EXPECT_EQ(ws.Cells(kMaxRows, 1).Text(), "2") << text;
  }
}

// The number format a cell shows with: its own, else its column's.
std::string LookOf(const Worksheet& sheet, long row, int column) {
  const Cell* cell = sheet.FindCell(row, column);
  return cell && cell->own_format ? cell->format.number_format
                                  : sheet.ColumnFormat(column).number_format;
}

// A column the book formats for money keeps its look through a refresh, in
// the grid and in the saved file, and the texts the engine compares stay as
// they were; a value of another kind in such a column shows as itself.
TEST_F(HostQuery, RefreshKeepsTheColumnsOwnNumberFormat) {
  const std::string money = "#,##0.00;-#,##0.00";
  ws.MutableColumnFormat(5).number_format = money;
  ws.MutableColumnFormat(6).number_format = money;
  ws.MutableColumnFormat(2).number_format = money;  // dates in it still show as dates
  // A cell a refresh of an earlier version left in its own General look.
  ws.CellAt(2, 6).own_format = true;
  QueryTable& q = ws.AddQueryTable(QueryTableString(params), "SELECT * FROM t ORDER BY id");
  q.Refresh();
  q.Refresh();
  for (long row : {2L, 3L, 4L}) {
    EXPECT_EQ(LookOf(ws, row, 5), money) << row;
    if (row != 4) {
      EXPECT_EQ(LookOf(ws, row, 6), money) << row;
    }
  }
  EXPECT_EQ(ws.Cells(2, 5).Text(), "1234,5");
  EXPECT_EQ(ws.Cells(3, 5).Text(), "-0,25");
  EXPECT_EQ(LookOf(ws, 2, 2), "dd.mm.yyyy");
  EXPECT_EQ(ws.Cells(2, 2).Text(), "05.01.2010");

  const std::string path = (fs::path(::testing::TempDir()) /
                            ("host_query_money_" + std::to_string(::getpid()) + ".xlsx"))
                               .string();
  wb.SaveAs(path);
  Workbook& r = app.Open(path);
  EXPECT_EQ(LookOf(r.Sheets(1), 2, 5), money);
  EXPECT_EQ(LookOf(r.Sheets(1), 3, 6), money);
  r.Close();
  fs::remove(path);
}

TEST_F(HostQuery, TheSavedFileHoldsNoPassword) {
  ASSERT_FALSE(params.password.empty());
  QueryTable& q = ws.AddQueryTable(QueryTableString(params), "SELECT id, s FROM t ORDER BY id");
  q.Refresh();
  std::string path =
      (fs::path(::testing::TempDir()) / ("host_query_saved_" + std::to_string(::getpid()) + ".xls"))
          .string();
  wb.SaveAs(path);
  std::string parts = testing::AllPartsText(path, path + ".parts");
  ASSERT_NE(parts.find("PWD=xxx"), std::string::npos);
  EXPECT_EQ(parts.find(params.password), std::string::npos);
  wb.Close();
  Workbook& r = app.Open(path);
  std::string conn = r.Sheets(1).QueryTables(1).Connection();
  EXPECT_EQ(conn.find(params.password), std::string::npos);
  EXPECT_NE(conn.find("Password=xxx;"), std::string::npos);
  EXPECT_NE(conn.find("PWD=xxx;"), std::string::npos);
  EXPECT_EQ(r.Sheets(1).Cells(2, 2).Text(), "Иванов");
}

TEST_F(HostQuery, SampleWorkbookQueriesFillItsSheetsInOrder) {
  ASSERT_TRUE(ts::ResetDatabase());
  std::string error;
  ASSERT_TRUE(ts::RootExec(
      "INSERT INTO OUR_MEMBERS VALUES (1, 'Иванов', 'Иванов', 'Иван', 'Иванович', 'кассир')",
      &error))
      << error;
  ASSERT_TRUE(ts::RootExec("INSERT INTO CATEGORY_NAL VALUES (1, 'КАНЦ', 'канцтовары')", &error))
      << error;
  ASSERT_TRUE(
      ts::RootExec("INSERT INTO NAL VALUES (3, '2010-01-07', 1, 'третья', 30, 1), "
                   "(2, '2010-01-05', 1, 'вторая', 20.5, 1), (4, NULL, 7, 'без ссылок', 1, 9)",
                   &error))
      << error;
  sql::Params app_params;
  ASSERT_TRUE(ts::AppParams(app_params));
  // Without the engine: the sample is opened with an empty component registry.
  setenv("KASSA_COMPONENTS", (fs::path(::testing::TempDir()) / "none.conf").c_str(), 1);
  Workbook& book = app.Open(ts::TestEnv::FromEnvironment().deploy + "/Kassa.xls");
  ASSERT_EQ(book.SheetsCount(), 5);
  const char* names[] = {"Наличные", "Категории", "Сотрудники", "Статистика по категориям",
                         "Статистика по сотрудникам"};
  for (int i = 1; i <= 5; ++i) {
    Worksheet& s = book.Sheets(i);
    EXPECT_EQ(s.Name(), names[i - 1]);
    ASSERT_EQ(s.QueryTablesCount(), 1) << s.Name();
    QueryTable& q = s.QueryTables(1);
    EXPECT_NE(q.Connection().find("PWD=xxx;"), std::string::npos);
    std::vector<std::string> headers;
    for (int c = 1; c <= s.LastUsedColumn(); ++c) headers.push_back(s.Cells(1, c).Text());
    q.Connection(QueryTableString(app_params));
    ASSERT_NO_THROW(q.Refresh()) << s.Name();
    // The query returns the sheet's columns in sheet order.
    for (int c = 1; c <= static_cast<int>(headers.size()); ++c)
      EXPECT_EQ(s.Cells(1, c).Text(), headers[c - 1]) << s.Name();
    EXPECT_NE(s.FindShape(i == 1   ? "B_Commom"
                          : i == 2 ? "B_Category"
                          : i == 3 ? "B_Member"
                          : i == 4 ? "B_Expences_Category"
                                   : "B_Member"),
              nullptr);
  }
  Worksheet& cash = book.Sheets(1);
  // Record n lands on row n + 1: ordered by ID_Exl.
  EXPECT_EQ(cash.Cells(2, 3).Text(), "вторая");
  EXPECT_EQ(cash.Cells(3, 3).Text(), "третья");
  EXPECT_EQ(cash.Cells(4, 3).Text(), "без ссылок");
  EXPECT_EQ(cash.Cells(2, 1).Text(), "05.01.2010");
  EXPECT_EQ(cash.Cells(2, 2).Text(), "Иванов");
  EXPECT_EQ(cash.Cells(2, 4).Text(), "20,5");
  EXPECT_EQ(cash.Cells(2, 5).Text(), "КАНЦ");
  EXPECT_TRUE(cash.Cells(4, 2).Value().IsEmpty());
  EXPECT_EQ(book.Sheets(2).Cells(2, 1).Text(), "КАНЦ");
  EXPECT_EQ(book.Sheets(3).Cells(2, 2).Text(), "Иванов");
  EXPECT_EQ(book.EventSinkProgId(), "Sheetsync.WB_Events");
  ASSERT_TRUE(ts::RootExec("DELETE FROM NAL", &error)) << error;
  ASSERT_TRUE(ts::RootExec("DELETE FROM OUR_MEMBERS", &error)) << error;
  ASSERT_TRUE(ts::RootExec("DELETE FROM CATEGORY_NAL", &error)) << error;
}

}  // namespace
}  // namespace kassa::host
