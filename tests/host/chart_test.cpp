// Charts of a sheet: the sums they show, the native chart over its figures
// in a saved file, the way back from the file (also of a copied sheet), and
// damaged chart records.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "platform/host/host.h"
#include "platform/host/internal.h"
#include "tests/host/recording.h"
#include "tests/host/statistics_sample.h"

namespace kassa::host {
namespace {

namespace fs = std::filesystem;
using testing::FillStatistics;
using testing::MonthChart;

// The <c:f> formulas of one chart part of an .xlsx file.
std::vector<std::string> ChartFormulas(const fs::path& file, const std::string& part) {
  const fs::path out = file.string() + ".part";
  const std::string cmd =
      "python3 -c \"import zipfile,sys; z=zipfile.ZipFile(sys.argv[1]); n=sys.argv[2]; "
      "open(sys.argv[3],'wb').write(z.read(n) if n in z.namelist() else b'')\" '" +
      file.string() + "' '" + part + "' '" + out.string() + "'";
  std::vector<std::string> formulas;
  if (std::system(cmd.c_str()) != 0) return formulas;
  std::stringstream ss;
  ss << std::ifstream(out).rdbuf();
  const std::string xml = ss.str();
  const std::regex f("<c:f>([^<]*)</c:f>");
  for (auto it = std::sregex_iterator(xml.begin(), xml.end(), f); it != std::sregex_iterator();
       ++it)
    formulas.push_back((*it)[1]);
  return formulas;
}

TEST(Charts, SumByMonthAndSeriesInTheTablesOrder) {
  Application app;
  Worksheet& s = app.Add().Sheets(1);
  FillStatistics(s);
  // Not figures: a text, an error; without month or category: "(не указано)".
  s.Cells(7, 1).Value(Variant::Text("Декабрь"));
  s.Cells(7, 4).Value(Variant::Text("сто"));
  s.Cells(8, 4).Value(Variant::Error(2007));
  s.Cells(9, 3).Value(Variant::Text("ПРОД / Продукты"));
  s.Cells(9, 4).Value(Variant::Number(5));
  s.Cells(10, 1).Value(Variant::Text("Ноябрь"));
  s.Cells(10, 2).Value(Variant::Number(2026));
  s.Cells(10, 4).Value(Variant::Number(10));

  const ChartSummary sum = SummarizeChart(s, MonthChart());
  EXPECT_EQ(sum.months, (std::vector<std::string>{"Ноябрь 2026", "Декабрь 2026", "(не указано)"}));
  EXPECT_EQ(sum.series, (std::vector<std::string>{"ПРОД / Продукты", "ТРАН / Транспорт",
                                                  "ХОЗ / Хозяйство", "(не указано)"}));
  EXPECT_EQ(sum.sums, (std::vector<std::vector<double>>{
                          {1500, 300.5, 0, 10}, {1130.5, 120, 80, 0}, {5, 0, 0, 0}}));
  EXPECT_EQ(sum.month_totals, (std::vector<double>{1810.5, 1330.5, 5}));
  EXPECT_EQ(sum.series_totals, (std::vector<double>{2635.5, 420.5, 80, 10}));
  EXPECT_DOUBLE_EQ(sum.total, 3146);

  // One series, one label column: every month's sum under the chart's title.
  Chart by_month = MonthChart();
  by_month.series_column = 0;
  by_month.label_last = 1;
  const ChartSummary one = SummarizeChart(s, by_month);
  EXPECT_EQ(one.months, (std::vector<std::string>{"Ноябрь", "Декабрь", "(не указано)"}));
  EXPECT_EQ(one.series, (std::vector<std::string>{"Расходы по месяцам"}));
  EXPECT_EQ(one.month_totals, sum.month_totals);
}

TEST(Charts, SavedFileDrawsTheFiguresBesideTheTableAndReadsBackOnlyTheTable) {
  testing::RecordingUi ui;
  Application app;
  Workbook& wb = app.Add();
  wb.Sheets(1).Name("Наличные");
  Worksheet& s = wb.AddSheet("Статистика по категориям");
  FillStatistics(s);
  wb.AddSheet("Без данных").charts().push_back(MonthChart());  // nothing to draw yet
  // As the archive copies a sheet: into a new book, under a new name there.
  s.Copy();
  Workbook& arch = app.ActiveWorkbook();
  s.Copy(arch.Sheets(1));
  ASSERT_EQ(arch.Sheets(2).charts().size(), 1u);

  const fs::path dir = fs::path(::testing::TempDir()) / "host_charts";
  fs::create_directories(dir);
  const fs::path file = dir / "Kassa.xls", copy = dir / "Archiv_Kassa_071226.xls";
  wb.SaveAs(file.string());
  arch.SaveAs(copy.string());

  // Months in F2:F3 beside the table (columns A:D, whatever row 1's format
  // spans), one series per category in G:I named in row 1.
  const std::string q = "'Статистика по категориям'!";
  const std::vector<std::string> formulas = ChartFormulas(file, "xl/charts/chart1.xml");
  EXPECT_EQ(formulas, (std::vector<std::string>{q + "$G$1", q + "$F$2:$F$3", q + "$G$2:$G$3",
                                                q + "$H$1", q + "$F$2:$F$3", q + "$H$2:$H$3",
                                                q + "$I$1", q + "$F$2:$F$3", q + "$I$2:$I$3"}));
  EXPECT_TRUE(ChartFormulas(file, "xl/charts/chart2.xml").empty());  // the sheet without figures
  // Each copy's chart names its own sheet.
  EXPECT_EQ(ChartFormulas(copy, "xl/charts/chart2.xml").at(1),
            "'Статистика по категориям (2)'!$F$2:$F$3");
  wb.Close();
  arch.Close();

  setenv("KASSA_COMPONENTS", (dir / "none.conf").c_str(), 1);
  for (const fs::path& path : {file, copy}) {
    Workbook& r = app.Open(path.string());
    Worksheet& rs = r.Sheets(r.SheetsCount() == 3 ? 2 : 1);
    ASSERT_EQ(rs.charts().size(), 1u) << path;
    const Chart& c = rs.charts()[0];
    EXPECT_EQ(std::make_tuple(c.name, c.title, c.label_first, c.label_last, c.series_column,
                              c.value_column, c.width, c.height),
              std::make_tuple(std::string("Chart_Category"), std::string("Расходы по месяцам"), 1,
                              2, 3, 4, 360, 216));
    const Extent e = ValueExtent(rs);
    EXPECT_EQ(std::make_pair(e.rows, e.columns), std::make_pair(6L, 4)) << path;
    EXPECT_DOUBLE_EQ(rs.ColumnWidth(7), 8.43);
    // Saved again, the figures stay where they were.
    r.Save();
    if (r.SheetsCount() == 3) {
      EXPECT_EQ(ChartFormulas(file, "xl/charts/chart1.xml"), formulas);
      EXPECT_EQ(r.Sheets(3).charts().size(), 1u);
    }
    r.Close();
  }
}

TEST(Charts, DamagedRecordsNeverTakeTheTable) {
  Application app;
  Workbook& wb = app.Add();
  Worksheet& s = wb.Sheets(1);
  FillStatistics(s, false);
  s.Cells(1, 7).Value(Variant::Text("figures"));
  s.Cells(9, 9).Value(Variant::Number(1));
  auto decode = [&](const std::string& fields) {
    return DecodeHostData({{"KassaHost.000", "chart;1;C;T;" + fields}}, wb);
  };
  for (const char* bad : {
           "1;2;3;4;360;216;1;1;10;9",    // the block over the table
           "1;2;3;4;360;216;1;4;10;9",    // over the chart's value column
           "1;2;3;4;360;216;2;7;10;9",    // not from row 1
           "1;2;3;4;360;216;1;7;10;300",  // past the grid
           "2;1;3;4;360;216;0;0;0;0",     // labels reversed
           "1;2;3;0;360;216;0;0;0;0",     // no value column
           "1;2;3;4;-5;216;0;0;0;0",      // no size
           "1;2;3;4;360;216;0;0;0",       // a field short
           "1;x;3;4;360;216;0;0;0;0",     // not a number
       })
    EXPECT_FALSE(decode(bad)) << bad;
  EXPECT_FALSE(DecodeHostData({{"KassaHost.000", "chart;7;C;T;1;2;3;4;360;216;0;0;0;0"}}, wb));
  EXPECT_TRUE(s.charts().empty());
  EXPECT_EQ(s.Cells(1, 7).Text(), "figures");
  EXPECT_EQ(s.Cells(2, 4).Value().number(), 1500);
  // A sound record drops exactly its block.
  EXPECT_TRUE(decode("1;2;3;4;360;216;1;7;2;8"));
  EXPECT_EQ(s.charts().size(), 1u);
  EXPECT_TRUE(s.Cells(1, 7).Value().IsEmpty());
  EXPECT_EQ(s.Cells(9, 9).Value().number(), 1);
  EXPECT_EQ(s.Cells(6, 4).Value().number(), 120);
}

}  // namespace
}  // namespace kassa::host
