// A saved statistics sheet's chart as LibreOffice shows it: the workbook
// written by the host, converted to PDF by LibreOffice headless (its own
// profile), the pages looked at with the poppler tools. The same book
// without the chart is the control: no chart colour on any of its pages.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "platform/host/host.h"
#include "tests/qt/print_support.h"
#include "tests/support/testsupport.h"

namespace kassa::book {
namespace {

namespace fs = std::filesystem;
using namespace printtest;

// The most chart-coloured page of a PDF: its colourful pixel count; the
// page itself into `image` when given.
int MostColourfulPage(const std::string& pdf, QImage* image = nullptr) {
  int most = 0;
  for (const QImage& page : PdfImages(pdf, 50)) {
    const int n = CountPixels(page, Colourful);
    if (n <= most) continue;
    most = n;
    if (image) *image = page;
  }
  return most;
}

TEST(OfficeChart, LibreOfficeDrawsTheSavedChartOfAStatisticsSheet) {
  const std::string soffice = "/usr/bin/soffice";
  ASSERT_TRUE(fs::exists(soffice)) << "LibreOffice (libreoffice-calc) is not installed";
  const fs::path dir =
      fs::temp_directory_path() / ("kassa-office-chart-" + std::to_string(getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  for (bool chart : {true, false}) {
    host::Application app;
    host::Workbook& wb = app.Add();
    wb.Sheets(1).Name("Статистика по категориям");
    FillStatistics(wb.Sheets(1), chart);
    wb.SaveAs((dir / (chart ? "with_chart.xlsx" : "without_chart.xlsx")).string());
  }
  auto run =
      testsupport::Run({soffice, "--headless", "--norestore",
                        "-env:UserInstallation=file://" + (dir / "profile").string(),
                        "--convert-to", "pdf", "--outdir", dir.string(),
                        (dir / "with_chart.xlsx").string(), (dir / "without_chart.xlsx").string()},
                       {"HOME=" + dir.string()});
  ASSERT_EQ(run.exit_code, 0) << run.output << run.error;
  const std::string with = (dir / "with_chart.pdf").string();
  const std::string without = (dir / "without_chart.pdf").string();
  ASSERT_TRUE(fs::exists(with)) << run.output << run.error;
  ASSERT_TRUE(fs::exists(without)) << run.output << run.error;

  // The chart's title and the figures it stands on, beside the table.
  std::string text;
  for (int p = 1; p <= PdfPages(with); ++p) text += PdfPageText(with, p);
  EXPECT_NE(text.find("Расходы по месяцам"), std::string::npos);
  EXPECT_NE(text.find("ХОЗ / Хозяйство"), std::string::npos);
  EXPECT_NE(text.find("Декабрь 2026"), std::string::npos);
  EXPECT_NE(text.find("Итого"), std::string::npos);
  EXPECT_TRUE(std::regex_search(text, std::regex("1.?800[.,]50")));  // November's total
  std::string control;
  for (int p = 1; p <= PdfPages(without); ++p) control += PdfPageText(without, p);
  EXPECT_NE(control.find("ХОЗ / Хозяйство"), std::string::npos);
  EXPECT_EQ(control.find("Итого"), std::string::npos);

  // The bars on a page, and none without the chart.
  QImage chart_page;
  EXPECT_GT(MostColourfulPage(with, &chart_page), 2000);
  EXPECT_EQ(MostColourfulPage(without), 0);
  chart_page.save(QStringLiteral(KASSA_SCREENSHOT_DIR "/office_statistics_chart.png"));
  fs::remove_all(dir);
}

}  // namespace
}  // namespace kassa::book
