// Large workbook files are read part by part as they are inflated: whole
// sheets of rows come back exactly, and files whose markup defeats reading
// in runs (end tags inside CDATA or comments) are read correctly too.
#include <gtest/gtest.h>
#include <zip.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "platform/host/host.h"
#include "tests/host/recording.h"

namespace kassa::host {
namespace {

namespace fs = std::filesystem;

std::string TempPath(const std::string& name) {
  fs::path dir = fs::path(::testing::TempDir()) / "host_large_files";
  fs::create_directories(dir);
  return (dir / name).string();
}

class LargeFiles : public ::testing::Test {
 protected:
  testing::RecordingUi ui;
  Application app;
};

void ExpectSameCell(const Worksheet& a, const Worksheet& b, long r, int c) {
  const Cell* x = a.FindCell(r, c);
  const Cell* y = b.FindCell(r, c);
  const bool x_used = x && (!x->value.IsEmpty() || x->own_format);
  const bool y_used = y && (!y->value.IsEmpty() || y->own_format);
  ASSERT_EQ(x_used, y_used) << "row " << r << ", column " << c;
  if (!x_used) return;
  EXPECT_TRUE(x->value == y->value) << "row " << r << ", column " << c;
  const CellFormat& fx = x->own_format ? x->format : a.ColumnFormat(c);
  const CellFormat& fy = y->own_format ? y->format : b.ColumnFormat(c);
  EXPECT_EQ(fx.number_format, fy.number_format) << "row " << r << ", column " << c;
  EXPECT_EQ(fx.color_index, fy.color_index) << "row " << r << ", column " << c;
  EXPECT_EQ(fx.bold, fy.bold) << "row " << r << ", column " << c;
}

TEST_F(LargeFiles, AWholeSheetComesBackCellForCell) {
  constexpr long kRows = 30000;
  Workbook& wb = app.Add();
  Worksheet& ws = wb.Sheets(1);
  ws.Name("Наличные");
  ws.Columns(4).Font().ColorIndex(kColorGrey);
  ws.ColumnWidth(3, 40);
  for (long r = 1; r <= kRows; ++r) {
    const long i = r - 1;
    ws.Cells(r, 1).Value(Variant::Date(MakeDate(2010, 1 + i % 12, 1 + i % 28)));
    ws.Cells(r, 2).Value(Variant::Text("Имя" + std::to_string(100 + i % 100)));  // shared
    ws.Cells(r, 3).Value(
        Variant::Text("платёж " + std::to_string(i) + " <&> \"" + std::string(i % 7, ' ') + "'"));
    ws.Cells(r, 4).Value(Variant::Number(static_cast<double>(i) + 0.25));
    if (i % 5 != 0) ws.Cells(r, 5).Value(Variant::Text("К" + std::to_string(i % 37)));
    if (i % 97 == 0) {
      ws.Cells(r, 4).Font().ColorIndex(kColorRed);
      ws.Cells(r, 4).Font().Bold(true);
      ws.Cells(r, 6).Font().ColorIndex(kColorRed);  // a marked empty cell
    }
  }
  const std::string path = TempPath("large.xls");
  wb.SaveAs(path);
  Workbook& back = app.Open(path);
  Worksheet& rs = back.Sheets(1);
  EXPECT_EQ(rs.Name(), "Наличные");
  ASSERT_EQ(rs.LastUsedRow(), kRows);
  EXPECT_EQ(rs.LastUsedColumn(), 6);
  EXPECT_NEAR(rs.ColumnWidth(3), 40, 0.01);
  for (long r = 1; r <= kRows; ++r)
    for (int c = 1; c <= 6; ++c) {
      ExpectSameCell(ws, rs, r, c);
      if (HasFailure()) return;
    }
  EXPECT_EQ(rs.Cells(kRows, 3).Text(), "платёж 29999 <&> \"" + std::string(29999 % 7, ' ') + "'");
}

void WritePart(zipFile z, const std::string& name, const std::string& text) {
  ASSERT_EQ(zipOpenNewFileInZip64(z, name.c_str(), nullptr, nullptr, 0, nullptr, 0, nullptr,
                                  Z_DEFLATED, Z_DEFAULT_COMPRESSION, 1),
            ZIP_OK);
  ASSERT_EQ(zipWriteInFileInZip(z, text.data(), static_cast<unsigned>(text.size())), ZIP_OK);
  ASSERT_EQ(zipCloseFileInZip(z), ZIP_OK);
}

// A file whose every row and shared string holds the end tag the reader
// cuts at, inside CDATA and comments, and whose rows carry no numbers (they
// count on from the row before); the second sheet's rows also hold the
// sheet data's end tag, and a comment before them its start tag.
TEST_F(LargeFiles, EndTagsInsideCdataAndCommentsDoNotCutRows) {
  constexpr int kRows = 6000;
  const std::string kWorksheetType =
      "http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet";
  const std::string ns = "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"";
  std::string strings = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<sst " + ns + ">";
  // The rows of each sheet: the first cell holds `inside` as CDATA.
  auto rows = [](const std::string& inside) {
    std::string text;
    for (int i = 0; i < kRows; ++i)
      text += "<row><!-- </row> --><c t=\"inlineStr\"><is><t><![CDATA[" + inside +
              "]]></t></is></c><c t=\"s\"><v>" + std::to_string(i) + "</v></c><c><v>" +
              std::to_string(i) + "</v></c><c t=\"str\"><v>" + std::string(200, 'x') +
              "</v></c></row>\n";
    return text;
  };
  for (int i = 0; i < kRows; ++i)
    strings += "<si><t><![CDATA[</si></sst>" + std::to_string(i) + "]]></t><!-- </si> --></si>";
  strings += "</sst>";
  const std::string head = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<worksheet " + ns + ">";
  const std::string path = TempPath("cdata.xlsx");
  zipFile z = zipOpen64(path.c_str(), 0);
  ASSERT_NE(z, nullptr);
  WritePart(z, "[Content_Types].xml",
            "<?xml version=\"1.0\"?><Types xmlns=\"http://schemas.openxmlformats.org/package/2006/"
            "content-types\"/>");
  WritePart(z, "xl/workbook.xml",
            "<?xml version=\"1.0\"?><workbook " + ns +
                " xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
                "<sheets><sheet name=\"Первый\" sheetId=\"1\" r:id=\"rId1\"/><sheet "
                "name=\"Второй\" sheetId=\"2\" r:id=\"rId2\"/></sheets></workbook>");
  WritePart(z, "xl/_rels/workbook.xml.rels",
            "<?xml version=\"1.0\"?><Relationships xmlns=\"http://schemas.openxmlformats.org/"
            "package/2006/relationships\"><Relationship Id=\"rId1\" Type=\"" +
                kWorksheetType +
                "\" Target=\"worksheets/sheet1.xml\"/><Relationship Id=\"rId2\" "
                "Type=\"" +
                kWorksheetType + "\" Target=\"worksheets/sheet2.xml\"/></Relationships>");
  WritePart(z, "xl/sharedStrings.xml", strings);
  WritePart(z, "xl/worksheets/sheet1.xml",
            head + "<sheetData>" + rows("</row>") + "</sheetData></worksheet>");
  WritePart(z, "xl/worksheets/sheet2.xml",
            head + "<!-- <sheetData> --><sheetData>" + rows("</row></sheetData>") +
                "</sheetData></worksheet>");
  ASSERT_EQ(zipClose(z, nullptr), ZIP_OK);

  Workbook& wb = app.Open(path);
  ASSERT_EQ(wb.SheetsCount(), 2);
  for (int s = 1; s <= 2; ++s) {
    Worksheet& ws = wb.Sheets(s);
    ASSERT_EQ(ws.LastUsedRow(), kRows) << s;
    EXPECT_EQ(ws.LastUsedColumn(), 4) << s;
    for (long r = 1; r <= kRows; ++r) {
      const std::string n = std::to_string(r - 1);
      ASSERT_EQ(ws.Cells(r, 1).Text(), s == 1 ? "</row>" : "</row></sheetData>") << s << ", " << r;
      ASSERT_EQ(ws.Cells(r, 2).Text(), "</si></sst>" + n) << s << ", " << r;
      ASSERT_EQ(ws.Cells(r, 3).Text(), n) << s << ", " << r;
      ASSERT_EQ(ws.Cells(r, 4).Text(), std::string(200, 'x')) << s << ", " << r;
    }
  }
}

}  // namespace
}  // namespace kassa::host
