// kassa-mkbook: a book description becomes a workbook file; a faulty
// description is refused with the line named and no file written.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/host/host.h"
#include "tests/host/recording.h"

namespace kassa::host {
namespace {

namespace fs = std::filesystem;

int RunMkbook(const fs::path& description, const fs::path& out, const fs::path& log) {
  std::string cmd = std::string("'") + KASSA_MKBOOK + "' '" + description.string() + "' '" +
                    out.string() + "' 2>'" + log.string() + "'";
  return std::system(cmd.c_str());
}

std::string Read(const fs::path& p) {
  std::ifstream in(p);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(Mkbook, BuildsTheDescribedWorkbook) {
  fs::path dir = fs::path(::testing::TempDir()) / "mkbook";
  fs::create_directories(dir);
  fs::path desc = dir / "Small.book";
  std::ofstream(desc)
      << "# a book\nevents = Sheetsync.WB_Events\n"
         "connection = OLEDB;PWD=secret;Port=1;\" \n\n"
         "[Первый]\nquery = SELECT 1\nheaders = A | Б\nwidths = 5 | 7.5\n"
         "formats = dd.mm.yyyy | | #,##0.00;-#,##0.00\n"
         "button = B_X | Меню | Ledgertools.Special_Function | Action_Common | 1 | 2 | 3 | 4\n"
         "[Второй]\nactive = yes\n"
         "chart = Chart_A | По месяцам | A:B | D | E | 400 | 250\n"
         "chart = Chart_B | Итого | A | - | C | 300 | 200\n";
  fs::path out = dir / "Small.xls";
  fs::remove(out);
  ASSERT_EQ(RunMkbook(desc, out, dir / "log"), 0) << Read(dir / "log");
  testing::RecordingUi ui;
  Application app;
  setenv("KASSA_COMPONENTS", (dir / "none.conf").c_str(), 1);
  Workbook& wb = app.Open(out.string());
  ASSERT_EQ(wb.SheetsCount(), 2);
  EXPECT_EQ(wb.ActiveSheet().Name(), "Второй");
  Worksheet& s = wb.Sheets(1);
  EXPECT_EQ(s.Name(), "Первый");
  EXPECT_EQ(s.Cells(1, 2).Text(), "Б");
  EXPECT_TRUE(s.Cells(1, 2).Font().Bold());
  EXPECT_FALSE(s.Cells(1, 3).Font().Bold());
  EXPECT_DOUBLE_EQ(s.ColumnWidth(1), 5);
  EXPECT_EQ(s.ColumnFormat(1).number_format, "dd.mm.yyyy");
  EXPECT_EQ(s.ColumnFormat(2).number_format, "");
  EXPECT_EQ(s.ColumnFormat(3).number_format, "#,##0.00;-#,##0.00");
  EXPECT_EQ(s.QueryTables(1).CommandText(), "SELECT 1");
  EXPECT_EQ(s.QueryTables(1).Connection(), "OLEDB;PWD=xxx;Port=1;\" ");  // trailing blank kept
  ASSERT_NE(s.FindShape("B_X"), nullptr);
  EXPECT_EQ(s.FindShape("B_X")->method, "Action_Common");
  EXPECT_EQ(wb.Sheets(2).QueryTablesCount(), 0);
  EXPECT_EQ(wb.EventSinkProgId(), "Sheetsync.WB_Events");
  EXPECT_EQ(wb.StoredText("inibook.config"), "");  // the description names none
  EXPECT_TRUE(s.charts().empty());
  const std::vector<Chart>& charts = wb.Sheets(2).charts();
  ASSERT_EQ(charts.size(), 2u);
  EXPECT_EQ(charts[0].name, "Chart_A");
  EXPECT_EQ(charts[0].title, "По месяцам");
  EXPECT_EQ(std::make_tuple(charts[0].label_first, charts[0].label_last, charts[0].series_column,
                            charts[0].value_column, charts[0].width, charts[0].height),
            std::make_tuple(1, 2, 4, 5, 400, 250));
  EXPECT_EQ(std::make_tuple(charts[1].label_first, charts[1].label_last, charts[1].series_column,
                            charts[1].value_column),
            std::make_tuple(1, 1, 0, 3));
}

TEST(Mkbook, SampleStatisticsSheetsChartTheirSums) {
  fs::path dir = fs::path(::testing::TempDir()) / "mkbook";
  fs::create_directories(dir);
  fs::path out = dir / "Kassa.xls";
  ASSERT_EQ(RunMkbook(fs::path(KASSA_SOURCE_DIR) / "examples/Kassa.book", out, dir / "log"), 0)
      << Read(dir / "log");
  testing::RecordingUi ui;
  Application app;
  setenv("KASSA_COMPONENTS", (dir / "none.conf").c_str(), 1);
  Workbook& wb = app.Open(out.string());
  // The native charts in the file are the host's own: nothing is lost.
  EXPECT_TRUE(wb.UnkeptContent().empty());
  EXPECT_FALSE(wb.ReadOnly());
  // Sums by month, stacked by category / by employee.
  for (auto [sheet, series] : {std::pair{4, "Category"}, std::pair{5, "Member"}}) {
    Worksheet& s = wb.Sheets(sheet);
    ASSERT_EQ(s.charts().size(), 1u) << s.Name();
    const Chart& c = s.charts()[0];
    EXPECT_EQ(s.Cells(1, c.label_first).Text() + " " + s.Cells(1, c.label_last).Text(),
              "NAME_MONTH YEAR_ON");
    EXPECT_EQ(s.Cells(1, c.series_column).Text(), series);
    EXPECT_EQ(s.Cells(1, c.value_column).Text(), "SUM_RUB");
  }
  for (int i = 1; i <= 3; ++i) EXPECT_TRUE(wb.Sheets(i).charts().empty()) << i;
}

TEST(Mkbook, TheBookCarriesTheConfigurationItNames) {
  fs::path dir = fs::path(::testing::TempDir()) / "mkbook-config";
  fs::create_directories(dir);
  const std::string config = "[Первый]\ntable = NAL\ncolumn = DATE_ON | Dat\n";
  std::ofstream(dir / "Small.ini") << config;
  std::ofstream(dir / "Small.book") << "configuration = Small.ini\n[Первый]\n";
  fs::path out = dir / "Small.xls";
  ASSERT_EQ(RunMkbook(dir / "Small.book", out, dir / "log"), 0) << Read(dir / "log");
  testing::RecordingUi ui;
  Application app;
  EXPECT_EQ(app.Open(out.string()).StoredText("inibook.config"), config);
}

TEST(Mkbook, RefusesAFaultyDescription) {
  fs::path dir = fs::path(::testing::TempDir()) / "mkbook";
  fs::create_directories(dir);
  struct Case {
    const char* text;
    const char* error;
  } cases[] = {
      {"[A]\nbutton = B | c | p | m | 1 | 2\n", "line 2: button needs 8 fields"},
      {"[A]\ncolour = red\n", "line 2: unknown sheet setting: colour"},
      {"colour = red\n", "line 1: unknown book setting: colour"},
      {"# nothing\n", "no sheets"},
      {"[A]\n[A]\n", "недопустимое имя листа"},  // a duplicate name
      {"configuration = Absent.ini\n[A]\n", "line 1: cannot read Absent.ini"},
      {"[A]\nchart = C | T | A:B | C\n", "line 2: chart needs 7 fields"},
      {"[A]\nchart = C | T | A:B | 7 | D | 1 | 1\n", "line 2: chart columns"},
      {"[A]\nchart = C | T | A:B | C | - | 1 | 1\n", "line 2: chart columns"},
      {"[A]\nchart = C | T | A:B | C | D | 0 | 1\n", "line 2: chart size must be positive"},
  };
  for (const Case& c : cases) {
    fs::path desc = dir / "Bad.book", out = dir / "Bad.xls";
    std::ofstream(desc) << c.text;
    fs::remove(out);
    EXPECT_NE(RunMkbook(desc, out, dir / "log"), 0) << c.text;
    EXPECT_NE(Read(dir / "log").find(c.error), std::string::npos) << Read(dir / "log");
    EXPECT_FALSE(fs::exists(out)) << c.text;
  }
}

}  // namespace
}  // namespace kassa::host
