// The in-memory model: addresses, values and texts, End(xlUp), fonts,
// Replace, sheets by position and name, copies of sheets.
#include <gtest/gtest.h>

#include "platform/host/host.h"
#include "tests/host/recording.h"

namespace kassa::host {
namespace {

TEST(HostAddress, ColumnNamesAndA1) {
  EXPECT_EQ(ColumnName(1), "A");
  EXPECT_EQ(ColumnName(26), "Z");
  EXPECT_EQ(ColumnName(27), "AA");
  EXPECT_EQ(ColumnName(256), "IV");
  long r1, r2;
  int c1, c2;
  ASSERT_TRUE(ParseAddress("B2:C5", r1, c1, r2, c2));
  EXPECT_EQ(r1, 2);
  EXPECT_EQ(c1, 2);
  EXPECT_EQ(r2, 5);
  EXPECT_EQ(c2, 3);
  ASSERT_TRUE(ParseAddress("C:A", r1, c1, r2, c2));
  EXPECT_EQ(r1, 1);
  EXPECT_EQ(r2, kMaxRows);
  EXPECT_EQ(c1, 1);
  EXPECT_EQ(c2, 3);
  ASSERT_TRUE(ParseAddress("3:3", r1, c1, r2, c2));
  EXPECT_EQ(c2, kMaxColumns);
  EXPECT_FALSE(ParseAddress("A0", r1, c1, r2, c2));
  EXPECT_FALSE(ParseAddress("A65537", r1, c1, r2, c2));
  EXPECT_FALSE(ParseAddress("IW1", r1, c1, r2, c2));
  EXPECT_FALSE(ParseAddress("A", r1, c1, r2, c2));
  EXPECT_FALSE(ParseAddress("1A", r1, c1, r2, c2));
}

class HostModel : public ::testing::Test {
 protected:
  testing::RecordingUi ui;
  Application app;
  Workbook& wb = app.Add();
  Worksheet& ws = wb.Sheets(1);
};

TEST_F(HostModel, RangesHaveGeometryAndBounds) {
  Range r = ws.Range("B3:D7");
  EXPECT_EQ(r.Row(), 3);
  EXPECT_EQ(r.Column(), 2);
  EXPECT_EQ(r.RowsCount(), 5);
  EXPECT_EQ(r.ColumnsCount(), 3);
  EXPECT_EQ(r.Cells(2, 3).Address(), "D4");
  EXPECT_EQ(ws.Range(ws.Cells(5, 4), ws.Cells(2, 1)).Address(), "A2:D5");
  EXPECT_EQ(ws.Columns(3).Address(), "C:C");
  EXPECT_EQ(ws.Rows(4).Address(), "4:4");
  EXPECT_EQ(ws.Cells(kMaxRows, 1).Row(), kMaxRows);
  EXPECT_THROW(ws.Cells(kMaxRows + 1, 1), HostError);
  EXPECT_THROW(ws.Cells(1, 0), HostError);
  EXPECT_THROW(ws.Range("nonsense"), HostError);
}

TEST_F(HostModel, TextEqualsTheDatabaseLayersText) {
  const Variant values[] = {Variant::Number(1234.5),
                            Variant::Number(-0.25),
                            Variant::Number(12),
                            Variant::Date(MakeDate(2010, 1, 5)),
                            Variant::Date(MakeDate(1899, 12, 30, 9, 5, 0)),
                            Variant::Date(MakeDate(2026, 12, 7, 14, 30, 15)),
                            Variant::Text("Иванов И.И."),
                            Variant()};
  long row = 1;
  for (const Variant& v : values) {
    ws.Cells(row, 1).Value(v);
    EXPECT_EQ(ws.Cells(row, 1).Text(), *ToText(v)) << row;
    EXPECT_TRUE(ws.Cells(row, 1).Value() == v) << row;
    ++row;
  }
  EXPECT_EQ(ws.Cells(1, 1).Text(), "1234,5");
  EXPECT_EQ(ws.Cells(4, 1).Text(), "05.01.2010");
  EXPECT_EQ(ws.Cells(5, 1).Text(), "9:05:00");
  // A date entered gets a date display format, a time a time format.
  EXPECT_EQ(ws.FindCell(4, 1)->format.number_format, "dd.mm.yyyy");
  EXPECT_EQ(ws.FindCell(5, 1)->format.number_format, "h:mm:ss");
  // An explicit fixed-decimals format shows its decimals.
  ws.CellAt(1, 2).value = Variant::Number(2.5);
  ws.CellAt(1, 2).own_format = true;
  ws.CellAt(1, 2).format.number_format = "0.00";
  EXPECT_EQ(ws.Cells(1, 2).Text(), "2,50");
  ws.Cells(9, 1).Value(Variant::Error(2007));
  EXPECT_THROW(ws.Cells(9, 1).Text(), HostError);
}

TEST_F(HostModel, EndUpFindsTheLastFilledCellAcrossGaps) {
  EXPECT_EQ(ws.Cells(kMaxRows, 1).End(xlUp).Row(), 1);  // empty column
  ws.Cells(1, 1).Value(Variant::Text("head"));
  ws.Cells(2, 1).Value(Variant::Number(1));
  ws.Cells(3, 1).Value(Variant::Number(2));
  ws.Cells(7, 1).Value(Variant::Number(3));
  ws.Cells(20, 2).Value(Variant::Number(9));  // another column does not count
  EXPECT_EQ(ws.Cells(kMaxRows, 1).End(xlUp).Row(), 7);
  EXPECT_EQ(ws.Cells(7, 1).End(xlUp).Row(), 3);  // from a filled cell over the gap
  EXPECT_EQ(ws.Cells(3, 1).End(xlUp).Row(), 1);  // inside a block: its top
  EXPECT_EQ(ws.Cells(5, 1).End(xlUp).Row(), 3);
  EXPECT_EQ(ws.Cells(1, 1).End(xlUp).Row(), 1);
  EXPECT_EQ(ws.Cells(kMaxRows, 2).End(xlUp).Row(), 20);
  ws.Cells(kMaxRows, 3).Value(Variant::Number(1));
  EXPECT_EQ(ws.Cells(kMaxRows, 3).End(xlUp).Row(), 1);  // nothing above the last row
  // A cleared cell is empty again.
  ws.Cells(7, 1).Value(Variant());
  EXPECT_EQ(ws.Cells(kMaxRows, 1).End(xlUp).Row(), 3);
  EXPECT_THROW(ws.Cells(2, 1).End(12345), HostError);
}

TEST_F(HostModel, WholeColumnFontsAndCellFonts) {
  ws.Cells(2, 1).Value(Variant::Number(1));
  ws.Cells(3, 1).Font().ColorIndex(kColorRed);  // an own format
  ws.Columns(1).Font().ColorIndex(kColorGrey);
  // The column and every existing cell take it; a new cell reads the column's.
  EXPECT_EQ(ws.Cells(2, 1).Font().ColorIndex(), kColorGrey);
  EXPECT_EQ(ws.Cells(3, 1).Font().ColorIndex(), kColorGrey);
  EXPECT_EQ(ws.Cells(500, 1).Font().ColorIndex(), kColorGrey);
  EXPECT_EQ(ws.Columns(1).Font().ColorIndex(), kColorGrey);
  EXPECT_EQ(ws.Cells(2, 2).Font().ColorIndex(), kColorAutomatic);
  // A cell marked afterwards keeps its own mark; its neighbours keep the column's.
  Font f = ws.Cells(4, 1).Font();  // a Font may outlive the Range it came from
  f.ColorIndex(kColorRed);
  f.Bold(true);
  EXPECT_EQ(ws.Cells(4, 1).Font().ColorIndex(), kColorRed);
  EXPECT_TRUE(ws.Cells(4, 1).Font().Bold());
  EXPECT_EQ(ws.Cells(5, 1).Font().ColorIndex(), kColorGrey);
  EXPECT_FALSE(ws.Cells(5, 1).Font().Bold());
  // Unmarking a range of cells.
  ws.Range("A4:A4").Font().ColorIndex(kColorAutomatic);
  EXPECT_EQ(ws.Cells(4, 1).Font().ColorIndex(), kColorAutomatic);
  // Bold of a whole row of headers.
  ws.Rows(1).Font().Bold(true);
  EXPECT_TRUE(ws.Cells(1, 200).Font().Bold());
}

TEST_F(HostModel, ReplaceCountsCharactersNotBytes) {
  EXPECT_EQ(app.Replace("Привет", 2, 3, "ЫЫ"), "ПЫЫет");
  EXPECT_EQ(app.Replace("abc", 1, 0, "X"), "Xabc");
  EXPECT_EQ(app.Replace("abc", 3, 10, "Z"), "abZ");
  EXPECT_EQ(app.Replace("abc", 9, 1, "Z"), "abcZ");
  EXPECT_EQ(app.Replace("12,5", 3, 1, "."), "12.5");
  // A stray byte is one character, as everywhere else in the system.
  EXPECT_EQ(app.Replace("\xA1'", 2, 1, "\""), "\xA1\"");
  EXPECT_EQ(app.Replace("\xD0\xD0x", 2, 1, "y"), "\xD0yx");
  EXPECT_THROW(app.Replace("abc", 0, 1, ""), HostError);
}

TEST_F(HostModel, SheetsByPositionAndName) {
  ws.Name("Наличные");
  Worksheet& b = wb.AddSheet("Категории");
  EXPECT_EQ(wb.SheetsCount(), 2);
  EXPECT_EQ(&wb.Sheets(2), &b);
  EXPECT_EQ(&wb.Worksheets("Категории"), &b);
  EXPECT_EQ(b.Index(), 2);
  EXPECT_EQ(&b.Parent(), &wb);
  EXPECT_EQ(&b.Application(), &app);
  EXPECT_THROW(wb.Sheets(3), HostError);
  EXPECT_THROW(wb.Sheets(0), HostError);
  EXPECT_THROW(wb.Sheets("Нет такого"), HostError);
  EXPECT_THROW(b.Name("Наличные"), HostError);
  EXPECT_THROW(b.Name(""), HostError);
  EXPECT_THROW(b.Name("a/b"), HostError);
  EXPECT_EQ(wb.Path(), "");
  EXPECT_EQ(wb.Name(), "Книга1");
}

TEST_F(HostModel, QueryTablesAndShapesAreOptional) {
  EXPECT_EQ(ws.QueryTablesCount(), 0);
  EXPECT_THROW(ws.QueryTables(1), HostError);
  QueryTable& q = ws.AddQueryTable("OLEDB;x", "SELECT 1");
  EXPECT_EQ(&ws.QueryTables(1), &q);
  EXPECT_THROW(ws.QueryTables(2), HostError);
  EXPECT_EQ(q.CommandText(), "SELECT 1");
  q.Connection("OLEDB;y");
  EXPECT_EQ(q.Connection(), "OLEDB;y");
  q.EnableRefresh(false);
  EXPECT_THROW(q.Refresh(), HostError);  // refresh is switched off
  ws.Cells(1, 1).Value(Variant::Text("kept"));
  q.Delete();
  EXPECT_EQ(ws.QueryTablesCount(), 0);
  EXPECT_EQ(q.CommandText(), "SELECT 1");  // the object itself is still there
  EXPECT_EQ(ws.Cells(1, 1).Text(), "kept");
  EXPECT_THROW(ws.QueryTables(1).Delete(), HostError);
  ws.shapes().push_back(Shape{"B_Commom", "Меню", 1, 2, 3, 4, "P.Q", "Action_Common"});
  ASSERT_NE(ws.FindShape("B_Commom"), nullptr);
  ws.DeleteShape("B_Commom");
  EXPECT_EQ(ws.FindShape("B_Commom"), nullptr);
  EXPECT_THROW(ws.DeleteShape("B_Commom"), HostError);
}

TEST_F(HostModel, CopyMakesANewActiveWorkbookAndCopyAfterRenames) {
  ws.Name("Наличные");
  Worksheet& second = wb.AddSheet("Категории");
  ws.Cells(2, 1).Value(Variant::Number(5));
  ws.Cells(2, 1).Font().ColorIndex(kColorRed);
  ws.AddQueryTable("c", "SELECT * FROM Nal_Exl");
  ws.shapes().push_back(Shape{"B_Commom", "Меню", 0, 0, 10, 10, "P.Q", "Action_Common"});
  auto sink = std::make_shared<testing::RecordingSink>();
  wb.SetEventSink(sink);

  ws.Copy();
  Workbook& copy = app.ActiveWorkbook();
  ASSERT_NE(&copy, &wb);
  EXPECT_EQ(copy.SheetsCount(), 1);
  EXPECT_EQ(copy.EventSink(), nullptr);  // no macros in a copy
  EXPECT_TRUE(copy.EventSinkProgId().empty());
  Worksheet& c1 = copy.Sheets(1);
  EXPECT_EQ(c1.Name(), "Наличные");
  EXPECT_EQ(c1.Cells(2, 1).Text(), "5");
  EXPECT_EQ(c1.Cells(2, 1).Font().ColorIndex(), kColorRed);
  EXPECT_EQ(c1.QueryTablesCount(), 1);  // the copy loses them only when deleted
  c1.QueryTables(1).Delete();
  c1.DeleteShape("B_Commom");
  EXPECT_EQ(ws.QueryTablesCount(), 1);  // the original keeps its own
  EXPECT_NE(ws.FindShape("B_Commom"), nullptr);
  // Editing the copy leaves the original alone.
  c1.Cells(2, 1).Value(Variant::Number(6));
  EXPECT_EQ(ws.Cells(2, 1).Text(), "5");

  second.Copy(c1);
  EXPECT_EQ(copy.SheetsCount(), 2);
  EXPECT_EQ(copy.Sheets(2).Name(), "Категории");
  ws.Copy(copy.Sheets(1));  // a name already there
  EXPECT_EQ(copy.Sheets(2).Name(), "Наличные (2)");
  EXPECT_EQ(copy.Sheets(3).Name(), "Категории");
  EXPECT_EQ(&copy.ActiveSheet(), &copy.Sheets(2));
  // Nothing reached the source workbook's sink.
  EXPECT_TRUE(sink->log.empty());
  // Copy behind a sheet of the same workbook.
  second.Copy(second);
  EXPECT_EQ(wb.Sheets(3).Name(), "Категории (2)");
  EXPECT_EQ(&app.ActiveWorkbook(), &wb);
  EXPECT_EQ(sink->log, (std::vector<std::string>{"Deactivate", "Activate Категории (2)"}));
}

}  // namespace
}  // namespace kassa::host
