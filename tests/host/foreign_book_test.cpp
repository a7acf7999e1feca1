// Workbooks from outside: a file holding content the host does not keep
// opens read-only, says why and is never written over; a formula without a
// stored result shows no made-up value; a file that would inflate beyond
// any real workbook is refused as unreadable; a Kassa workbook re-saved by
// another spreadsheet program opens as it was, writable.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/host/host.h"
#include "platform/host/texts.h"
#include "tests/host/recording.h"

namespace kassa::host {
namespace {

namespace fs = std::filesystem;

std::string Foreign(const std::string& name) {
  const char* dir = std::getenv("KASSA_FOREIGN_BOOKS");
  return dir ? (fs::path(dir) / (name + ".xlsx")).string() : name;
}

std::string Bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

std::string Scratch(const std::string& name) {
  fs::path dir = fs::path(::testing::TempDir()) / "host_foreign";
  fs::create_directories(dir);
  return (dir / name).string();
}

class ForeignBooks : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(std::getenv("KASSA_FOREIGN_BOOKS"), nullptr) << "set by the test set-up";
    // No components: a workbook naming an event sink opens without one.
    setenv("KASSA_COMPONENTS", Scratch("no-components.conf").c_str(), 1);
  }
  testing::RecordingUi ui;
  Application app;
};

TEST_F(ForeignBooks, EachKindOfUnkeptContentOpensTheBookReadOnly) {
  const struct {
    const char* file;
    size_t kind;  // position in texts::kUnkeptKinds
  } cases[] = {
      {"formulas", 0},
      {"merged", 1},
      {"fills", 2},
      {"borders", 3},
      {"fonts", 4},
      {"fonts_size", 4},
      {"fonts_colour", 4},
      {"alignment", 5},
      {"number_formats", 6},
      {"rich_text", 7},
      {"comments", 8},
      {"filters", 9},
      {"panes", 10},
      {"drawings", 11},
      {"hyperlinks", 12},
      {"validation", 13},
      {"conditional_formats", 14},
      {"tables", 15},
      {"names", 16},
      {"hidden_sheets", 17},
      {"other_sheets", 18},
      {"rows_and_columns", 19},
      {"rows_height", 19},
      {"protection", 20},
      {"macros", 21},
      {"external_links", 23},
      {"error_values", 24},
      {"outside_grid", 25},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    ui.messages.clear();
    Workbook& wb = app.Open(Foreign(c.file));
    const std::vector<std::string> kinds = {texts::kUnkeptKinds[c.kind]};
    EXPECT_EQ(wb.UnkeptContent(), kinds);
    EXPECT_TRUE(wb.ReadOnly());
    EXPECT_EQ(
        ui.messages,
        (std::vector<std::string>{texts::OpenedReadOnly(std::string(c.file) + ".xlsx", kinds)}));
    // The values the model does keep are there.
    EXPECT_EQ(wb.Sheets(1).Cells(1, 1).Text(), "Сумма");
    EXPECT_EQ(wb.Sheets(1).Cells(3, 1).Text(), "20");
    wb.Close();
  }
}

TEST_F(ForeignBooks, ABookThatWouldLoseContentIsNeverWrittenOver) {
  const std::string path = Scratch("Чужая книга.xlsx");
  fs::copy_file(Foreign("merged"), path, fs::copy_options::overwrite_existing);
  const std::string before = Bytes(path);
  Workbook& wb = app.Open(path);
  ASSERT_TRUE(wb.ReadOnly());
  user::Type(wb.Sheets(1), 3, 1, "30");
  user::Save(wb);
  EXPECT_EQ(Bytes(path), before);
  // Even when the read-only mark is lifted, neither its own file nor a new
  // one is written from it.
  wb.SetReadOnly(false);
  user::Save(wb);
  ASSERT_EQ(ui.errors.size(), 1u);
  EXPECT_NE(ui.errors[0].find(texts::kUnkeptKinds[1]), std::string::npos) << ui.errors[0];
  EXPECT_THROW(wb.Save(), HostError);
  EXPECT_THROW(wb.SaveAs(Scratch("copy.xlsx")), HostError);
  EXPECT_FALSE(fs::exists(Scratch("copy.xlsx")));
  EXPECT_TRUE(ui.notes.empty());  // no file written
  EXPECT_EQ(Bytes(path), before);
  // A copy of a sheet holds values only; that copy may be written (the
  // emergency copy and the archive are made this way).
  wb.Sheets(1).Copy();
  Workbook& copy = app.ActiveWorkbook();
  EXPECT_TRUE(copy.UnkeptContent().empty());
  copy.SaveAs(Scratch("values.xlsx"));
  copy.Close();
  EXPECT_EQ(app.Open(Scratch("values.xlsx")).Sheets(1).Cells(3, 1).Text(), "30");
}

TEST_F(ForeignBooks, AFormulaWithoutAStoredResultShowsNoMadeUpValue) {
  Workbook& wb = app.Open(Foreign("formulas"));
  // "=SUM(A2:A3)" stored without its result: not 0, not empty, but #N/A.
  EXPECT_TRUE(wb.Sheets(1).Cells(4, 1).Value() == Variant::Error(2042));
  EXPECT_THROW(wb.Sheets(1).Cells(4, 1).Text(), HostError);
  // A formula whose result the file stores shows that result.
  const char* handmade = std::getenv("KASSA_HANDMADE_BOOK");
  ASSERT_NE(handmade, nullptr);
  EXPECT_EQ(app.Open(handmade).Sheets(1).Cells(1, 3).Text(), "формула");
}

TEST_F(ForeignBooks, AFileInflatingBeyondAnyWorkbookIsRefused) {
  // A few hundred kilobytes that inflate to 300 MiB in one part, and to
  // 600 MiB in three parts of 200 MiB.
  for (const char* bomb : {"bomb_part", "bomb_total"}) {
    SCOPED_TRACE(bomb);
    const std::string path = Foreign(bomb);
    ASSERT_LT(fs::file_size(path), 1u << 20);
    try {
      app.Open(path);
      ADD_FAILURE() << "opened";
    } catch (const HostError& e) {
      EXPECT_EQ(e.what(), texts::TooLargeToRead(path));
    }
  }
  EXPECT_TRUE(app.Workbooks().empty());
}

TEST_F(ForeignBooks, ColumnWidthsNoColumnCanHaveAreKeptWithinBounds) {
  // Widths of 9.14e625 (beyond any number), -4, nan and 300 characters.
  Workbook& wb = app.Open(Foreign("odd_widths"));
  EXPECT_TRUE(wb.UnkeptContent().empty());
  Worksheet& ws = wb.Sheets(1);
  EXPECT_DOUBLE_EQ(ws.ColumnWidth(1), 255);
  EXPECT_DOUBLE_EQ(ws.ColumnWidth(2), 8.43);  // no width: the default
  EXPECT_DOUBLE_EQ(ws.ColumnWidth(3), 8.43);
  EXPECT_DOUBLE_EQ(ws.ColumnWidth(4), 255);
}

TEST_F(ForeignBooks, AKassaBookResavedByAnotherProgramOpensWritableAsItWas) {
  // A book the host wrote (dates, times, numbers, a truth value, marks,
  // widths, a query table, the configuration it keeps), re-saved by
  // LibreOffice Calc: its styles, fonts and truth values are its own forms
  // of what the host keeps.
  Workbook& wb = app.Open(std::string(KASSA_HOST_TEST_DATA) + "/resaved_by_calc.xlsx");
  EXPECT_TRUE(wb.UnkeptContent().empty()) << texts::JoinedKinds(wb.UnkeptContent());
  EXPECT_FALSE(wb.ReadOnly());
  EXPECT_EQ(ui.messages,
            (std::vector<std::string>{texts::ComponentNotCreated("Sheetsync.WB_Events")}));
  Worksheet& ws = wb.Sheets("Наличные");
  EXPECT_EQ(ws.Cells(2, 1).Text(), "03.03.2024");
  EXPECT_EQ(ws.Cells(2, 6).Text(), "2:05:07");
  EXPECT_EQ(ws.Cells(2, 4).Text(), "20,5");
  EXPECT_EQ(ws.Cells(2, 3).Text(), "Канцтовары «бумага» 'x'");
  EXPECT_TRUE(ws.Cells(4, 4).Value() == Variant::Boolean(true));
  EXPECT_EQ(ws.Cells(5, 4).Font().ColorIndex(), kColorRed);
  EXPECT_EQ(ws.Cells(6, 5).Font().ColorIndex(), kColorRed);
  EXPECT_EQ(ws.Cells(3, 7).Font().ColorIndex(), kColorGrey);
  EXPECT_TRUE(ws.Cells(1, 1).Font().Bold());
  EXPECT_FALSE(ws.Cells(2, 1).Font().Bold());
  EXPECT_DOUBLE_EQ(ws.ColumnWidth(3), 40);
  EXPECT_EQ(wb.Sheets("Категории").QueryTables(1).CommandText(), "SELECT * FROM CATEGORY_NAL_Exl");
  EXPECT_NE(wb.StoredText("inibook.config").find("table = NAL"), std::string::npos);
  // It is written back.
  user::Type(ws, 2, 4, "21,5");
  wb.SaveAs(Scratch("resaved.xlsx"));
  wb.Close();
  EXPECT_EQ(app.Open(Scratch("resaved.xlsx")).Sheets(1).Cells(2, 4).Text(), "21,5");
}

}  // namespace
}  // namespace kassa::host
