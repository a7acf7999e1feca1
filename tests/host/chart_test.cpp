// Charts of a sheet: the sums they show, the native chart and its figures in
// a saved file, their way back from the file, copies of a charted sheet, and
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

namespace kassa::host {
namespace {

namespace fs = std::filesystem;

fs::path TempDir(const std::string& name) {
  fs::path dir = fs::path(::testing::TempDir()) / "host_charts" / name;
  fs::remove_all(dir);
  fs::create_directories(dir);
  return dir;
}

// The text of one part of an .xlsx file ("" when it is not there).
std::string Part(const fs::path& file, const std::string& part) {
  fs::path out = file.string() + ".part";
  std::string cmd =
      "python3 -c \"import zipfile,sys; z=zipfile.ZipFile(sys.argv[1]); "
      "n=sys.argv[2]; open(sys.argv[3],'wb').write(z.read(n) if n in z.namelist() else b'')\" '" +
      file.string() + "' '" + part + "' '" + out.string() + "'";
  if (std::system(cmd.c_str()) != 0) return "";
  std::ifstream in(out, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

std::vector<std::string> Formulas(const std::string& chart_xml) {
  std::vector<std::string> out;
  std::regex f("<c:f>([^<]*)</c:f>");
  for (auto it = std::sregex_iterator(chart_xml.begin(), chart_xml.end(), f);
       it != std::sregex_iterator(); ++it)
    out.push_back((*it)[1]);
  return out;
}

// A statistics table as its view fills it: month, year, category, sum.
void FillStatistics(Worksheet& s) {
  const char* header[] = {"NAME_MONTH", "YEAR_ON", "Category", "SUM_RUB"};
  for (int c = 0; c < 4; ++c) s.Cells(1, c + 1).Value(Variant::Text(header[c]));
  struct Row {
    const char* month;
    double year;
    const char* category;
    double sum;
  } rows[] = {{"Ноябрь", 2026, "ПРОД / Продукты", 1500},
              {"Ноябрь", 2026, "ТРАН / Транспорт", 300.5},
              {"Декабрь", 2026, "ПРОД / Продукты", 1130.5},
              {"Декабрь", 2026, "ХОЗ / Хозяйство", 80},
              {"Декабрь", 2026, "ТРАН / Транспорт", 120}};
  long r = 2;
  for (const Row& row : rows) {
    s.Cells(r, 1).Value(Variant::Text(row.month));
    s.Cells(r, 2).Value(Variant::Number(row.year));
    s.Cells(r, 3).Value(Variant::Text(row.category));
    s.Cells(r, 4).Value(Variant::Number(row.sum));
    ++r;
  }
}

Chart MonthChart() {
  Chart c;
  c.name = "Chart_Category";
  c.title = "Расходы по месяцам";
  c.label_first = 1;
  c.label_last = 2;
  c.series_column = 3;
  c.value_column = 4;
  return c;
}

TEST(Charts, SumByMonthAndSeriesInTheTablesOrder) {
  Application app;
  Worksheet& s = app.Add().Sheets(1);
  FillStatistics(s);
  // Rows that are not figures do not count: a text, an empty value, an
  // error, a row without month or category.
  s.Cells(7, 1).Value(Variant::Text("Декабрь"));
  s.Cells(7, 2).Value(Variant::Number(2026));
  s.Cells(7, 4).Value(Variant::Text("сто"));
  s.Cells(8, 1).Value(Variant::Text("Декабрь"));
  s.Cells(8, 4).Value(Variant::Error(2007));
  s.Cells(9, 3).Value(Variant::Text("ПРОД / Продукты"));
  s.Cells(9, 4).Value(Variant::Number(5));
  s.Cells(10, 1).Value(Variant::Text("Ноябрь"));
  s.Cells(10, 2).Value(Variant::Number(2026));
  s.Cells(10, 4).Value(Variant::Number(10));

  ChartSummary sum = SummarizeChart(s, MonthChart());
  EXPECT_EQ(sum.months, (std::vector<std::string>{"Ноябрь 2026", "Декабрь 2026", "(не указано)"}));
  EXPECT_EQ(sum.series, (std::vector<std::string>{"ПРОД / Продукты", "ТРАН / Транспорт",
                                                  "ХОЗ / Хозяйство", "(не указано)"}));
  EXPECT_EQ(sum.sums, (std::vector<std::vector<double>>{
                          {1500, 300.5, 0, 10}, {1130.5, 120, 80, 0}, {5, 0, 0, 0}}));
  EXPECT_EQ(sum.month_totals, (std::vector<double>{1810.5, 1330.5, 5}));
  EXPECT_EQ(sum.series_totals, (std::vector<double>{2635.5, 420.5, 80, 10}));
  EXPECT_DOUBLE_EQ(sum.total, 3146);

  // One series: every month's sum under the chart's title.
  Chart by_month = MonthChart();
  by_month.series_column = 0;
  by_month.label_last = 1;
  ChartSummary one = SummarizeChart(s, by_month);
  EXPECT_EQ(one.months, (std::vector<std::string>{"Ноябрь", "Декабрь", "(не указано)"}));
  EXPECT_EQ(one.series, (std::vector<std::string>{"Расходы по месяцам"}));
  EXPECT_EQ(one.month_totals, (std::vector<double>{1810.5, 1330.5, 5}));

  // A table with its header only has nothing to show.
  Worksheet& empty = app.ActiveWorkbook().AddSheet("Пусто");
  empty.Cells(1, 4).Value(Variant::Text("SUM_RUB"));
  EXPECT_TRUE(SummarizeChart(empty, MonthChart()).empty());
}

TEST(Charts, SavedFileHoldsANativeChartOverTheFiguresAndReadsBackClean) {
  testing::RecordingUi ui;
  Application app;
  Workbook& wb = app.Add();
  wb.Sheets(1).Name("Наличные");
  Worksheet& s = wb.AddSheet("Статистика по категориям");
  FillStatistics(s);
  s.ColumnWidth(3, 40);
  s.charts().push_back(MonthChart());
  Worksheet& other = wb.AddSheet("Без данных");
  other.Cells(1, 1).Value(Variant::Text("NAME_MONTH"));
  other.charts().push_back(MonthChart());  // nothing to draw yet

  const fs::path dir = TempDir("roundtrip");
  const fs::path file = dir / "Kassa.xls";
  wb.SaveAs(file.string());

  // The chart part names the figures beside the table: months in F2:F3,
  // one series per category in G..I, their names in row 1.
  const std::string chart = Part(file, "xl/charts/chart1.xml");
  ASSERT_FALSE(chart.empty());
  EXPECT_NE(chart.find("<c:barChart>"), std::string::npos);
  EXPECT_NE(chart.find("<c:grouping val=\"stacked\"/>"), std::string::npos);
  EXPECT_NE(chart.find("Расходы по месяцам"), std::string::npos);
  const std::string q = "'Статистика по категориям'!";
  EXPECT_EQ(Formulas(chart),
            (std::vector<std::string>{q + "$G$1", q + "$F$2:$F$3", q + "$G$2:$G$3", q + "$H$1",
                                      q + "$F$2:$F$3", q + "$H$2:$H$3", q + "$I$1", q + "$F$2:$F$3",
                                      q + "$I$2:$I$3"}));
  EXPECT_TRUE(Part(file, "xl/charts/chart2.xml").empty());  // the sheet without figures
  // The figures themselves, with the month totals and the totals row.
  const std::string sheet = Part(file, "xl/worksheets/sheet2.xml");
  EXPECT_NE(sheet.find("<c r=\"J2\" s=\""), std::string::npos);
  EXPECT_NE(sheet.find("<v>1800.5</v>"), std::string::npos);
  EXPECT_NE(sheet.find("<c r=\"J4\""), std::string::npos);
  EXPECT_NE(sheet.find("<v>3131</v>"), std::string::npos);
  EXPECT_NE(sheet.find("<drawing "), std::string::npos);
  wb.Close();

  // Back from the file: the charts, and only the table as cells.
  setenv("KASSA_COMPONENTS", (dir / "none.conf").c_str(), 1);
  Workbook& r = app.Open(file.string());
  Worksheet& rs = r.Sheets("Статистика по категориям");
  ASSERT_EQ(rs.charts().size(), 1u);
  const Chart& c = rs.charts()[0];
  EXPECT_EQ(c.name, "Chart_Category");
  EXPECT_EQ(c.title, "Расходы по месяцам");
  EXPECT_EQ(std::make_tuple(c.label_first, c.label_last, c.series_column, c.value_column, c.width,
                            c.height),
            std::make_tuple(1, 2, 3, 4, 360, 216));
  EXPECT_EQ(rs.LastUsedColumn(), 4);
  EXPECT_EQ(rs.LastUsedRow(), 6);
  EXPECT_DOUBLE_EQ(rs.ColumnWidth(3), 40);
  EXPECT_DOUBLE_EQ(rs.ColumnWidth(6), 8.43);
  EXPECT_EQ(r.Sheets("Без данных").charts().size(), 1u);
  EXPECT_EQ(r.Sheets("Наличные").charts().size(), 0u);

  // Saving again puts the figures at the same place: nothing drifts.
  r.Save();
  EXPECT_EQ(Formulas(Part(file, "xl/charts/chart1.xml")), Formulas(chart));
  r.Close();
  Workbook& again = app.Open(file.string());
  EXPECT_EQ(again.Sheets(2).LastUsedColumn(), 4);
  EXPECT_EQ(again.Sheets(2).charts().size(), 1u);
}

TEST(Charts, TravelWithACopiedSheetAndItsFile) {
  testing::RecordingUi ui;
  Application app;
  Workbook& wb = app.Add();
  Worksheet& s = wb.Sheets(1);
  s.Name("Статистика по категориям");
  FillStatistics(s);
  s.charts().push_back(MonthChart());
  s.AddQueryTable("OLEDB;x", "SELECT 1");

  // As the archive does: a copy into a new book, then one behind it.
  s.Copy();
  Workbook& arch = app.ActiveWorkbook();
  ASSERT_NE(&arch, &wb);
  s.Copy(arch.Sheets(1));
  ASSERT_EQ(arch.SheetsCount(), 2);
  EXPECT_EQ(arch.Sheets(2).Name(), "Статистика по категориям (2)");
  for (int i = 1; i <= 2; ++i) {
    arch.Sheets(i).DeleteQueryTable();
    ASSERT_EQ(arch.Sheets(i).charts().size(), 1u);
    EXPECT_EQ(arch.Sheets(i).charts()[0].name, "Chart_Category");
  }
  const fs::path file = TempDir("copy") / "Archiv_Kassa_071226.xls";
  arch.SaveAs(file.string());
  arch.Close();
  // Each copy's chart names its own sheet.
  EXPECT_NE(Part(file, "xl/charts/chart2.xml").find("'Статистика по категориям (2)'!$F$2:$F$3"),
            std::string::npos);
  setenv("KASSA_COMPONENTS", (file.parent_path() / "none.conf").c_str(), 1);
  Workbook& back = app.Open(file.string());
  EXPECT_EQ(back.Sheets(2).charts().size(), 1u);
  EXPECT_EQ(back.Sheets(2).LastUsedColumn(), 4);
  EXPECT_EQ(back.Sheets(2).Cells(3, 4).Value().number(), 300.5);
}

TEST(Charts, DamagedRecordsNeverTakeTheTable) {
  Application app;
  Workbook& wb = app.Add();
  Worksheet& s = wb.Sheets(1);
  FillStatistics(s);
  s.Cells(1, 7).Value(Variant::Text("figures"));
  s.Cells(9, 9).Value(Variant::Number(1));
  auto decode = [&](const std::string& record) {
    return DecodeHostData({{"KassaHost.000", record}}, wb);
  };
  // A block over the chart's own columns, or not starting in row 1, or a
  // column past the grid: refused, every cell stays.
  EXPECT_FALSE(decode("chart;1;C;T;1;2;3;4;360;216;1;1;10;9"));
  EXPECT_FALSE(decode("chart;1;C;T;1;2;3;4;360;216;1;4;10;9"));
  EXPECT_FALSE(decode("chart;1;C;T;1;2;3;4;360;216;2;7;10;9"));
  EXPECT_FALSE(decode("chart;1;C;T;1;2;3;4;360;216;1;7;10;300"));
  EXPECT_EQ(s.LastUsedRow(), 9);
  EXPECT_EQ(s.Cells(2, 4).Value().number(), 1500);
  EXPECT_EQ(s.Cells(1, 7).Text(), "figures");
  // Charts that make no sense are not taken at all.
  EXPECT_FALSE(decode("chart;1;C;T;2;1;3;4;360;216;0;0;0;0"));  // labels reversed
  EXPECT_FALSE(decode("chart;1;C;T;1;2;3;0;360;216;0;0;0;0"));  // no value column
  EXPECT_FALSE(decode("chart;1;C;T;1;2;3;4;-5;216;0;0;0;0"));   // no size
  EXPECT_FALSE(decode("chart;1;;T;1;2;3;4;360;216;0;0;0;0"));   // no name
  EXPECT_FALSE(decode("chart;1;C;T;1;2;3;4;360;216;0;0;0"));    // a field short
  EXPECT_FALSE(decode("chart;7;C;T;1;2;3;4;360;216;0;0;0;0"));  // no such sheet
  EXPECT_FALSE(decode("chart;1;C;T;1;x;3;4;360;216;0;0;0;0"));  // not a number
  EXPECT_TRUE(s.charts().empty());
  // A sound record drops exactly its block.
  EXPECT_TRUE(decode("chart;1;C;T;1;2;3;4;360;216;1;7;2;8"));
  EXPECT_EQ(s.charts().size(), 1u);
  EXPECT_TRUE(s.Cells(1, 7).Value().IsEmpty());
  EXPECT_EQ(s.Cells(9, 9).Value().number(), 1);
  EXPECT_EQ(s.Cells(6, 4).Value().number(), 120);
}

}  // namespace
}  // namespace kassa::host
