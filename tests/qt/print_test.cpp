// Printing and PDF of a sheet, and the charts of the statistics sheets:
// `kassa-book --pdf` without a display, the window's chart panel and print
// preview, and LibreOffice drawing a saved chart. PDF files are looked at
// with the poppler tools (text per page, page images).
#include <gtest/gtest.h>

#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QColor>
#include <QImage>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QSplitter>
#include <QStackedBarSeries>
#include <QTabWidget>
#include <QTableWidget>
#include <algorithm>
#include <filesystem>
#include <functional>
#include <regex>

#include "apps/kassa-book/book_window.h"
#include "apps/kassa-book/chart_view.h"
#include "apps/kassa-book/sheet_model.h"
#include "apps/kassa-book/sheet_page.h"
#include "apps/kassa-book/sheet_print.h"
#include "platform/host/host.h"
#include "tests/host/statistics_sample.h"
#include "tests/qt/qt_test_support.h"
#include "tests/support/testsupport.h"

namespace kassa::book {
namespace {

namespace fs = std::filesystem;
using host::testing::FillStatistics;
using qttest::Screenshot;
using qttest::Spin;

std::string PdfText(const std::string& pdf, int page) {
  const std::string n = std::to_string(page);
  return testsupport::Run({"/usr/bin/pdftotext", "-layout", "-f", n, "-l", n, pdf, "-"}).output;
}

int PdfPages(const std::string& pdf) {
  const std::string info = testsupport::Run({"/usr/bin/pdfinfo", pdf}).output;
  const size_t at = info.find("Pages:");
  return at == std::string::npos ? 0 : std::atoi(info.c_str() + at + 6);
}

// The pages rendered by pdftoppm, in order.
std::vector<QImage> PdfImages(const std::string& pdf) {
  const fs::path dir = pdf + "-pages";
  fs::remove_all(dir);
  fs::create_directories(dir);
  testsupport::Run({"/usr/bin/pdftoppm", "-r", "50", "-png", pdf, (dir / "p").string()});
  std::vector<fs::path> files(fs::directory_iterator(dir), fs::directory_iterator{});
  std::sort(files.begin(), files.end());
  std::vector<QImage> images;
  for (const fs::path& f : files) images.emplace_back(QString::fromStdString(f.string()));
  return images;
}

int CountPixels(const QImage& image, const std::function<bool(QColor)>& keep) {
  int n = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) n += keep(image.pixelColor(x, y));
  return n;
}

// Bars of a chart are saturated colours; text, grid lines and fills are not.
bool Colourful(QColor c) {
  return c.hsvSaturation() > 120 && c.value() > 60;
}

int Count(const std::string& text, const std::string& what) {
  int n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

class PrintTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("kassa-print-" + std::to_string(getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    setenv("KASSA_COMPONENTS", (dir_ / "none.conf").c_str(), 1);  // no macros run
  }
  void TearDown() override { fs::remove_all(dir_); }

  // A book with `payments` rows on its cash sheet ("Платёж 001", ...) and a
  // charted statistics sheet.
  std::string MakeBook(int payments, const std::string& name = "Kassa.xls") {
    host::Application maker;
    host::Workbook& wb = maker.Add();
    host::Worksheet& cash = wb.Sheets(1);
    cash.Name("Наличные");
    const char* header[] = {"DATE_ON", "Name_Recipient", "Establish_Payment", "Sum_RUB"};
    for (int c = 0; c < 4; ++c) cash.Cells(1, c + 1).Value(Variant::Text(header[c]));
    cash.ColumnWidth(3, 40);
    cash.Range("A1:D1").Font().Bold(true);
    for (int r = 2; r <= payments + 1; ++r) {
      char purpose[32];
      std::snprintf(purpose, sizeof purpose, "Платёж %03d", r - 1);
      cash.Cells(r, 1).Value(Variant::Date(MakeDate(2026, 12, 1 + r % 28)));
      cash.Cells(r, 2).Value(Variant::Text("ИвановИИ"));
      cash.Cells(r, 3).Value(Variant::Text(purpose));
      cash.Cells(r, 4).Value(Variant::Number(100 + r * 0.25));
    }
    FillStatistics(wb.AddSheet("Статистика по категориям"));
    const std::string path = (dir_ / name).string();
    wb.SaveAs(path);
    return path;
  }

  // `kassa-book` as from a console without a display.
  testsupport::ProcessResult PdfCommand(const std::vector<std::string>& args) {
    std::vector<std::string> argv = {KASSA_BOOK_PROGRAM};
    argv.insert(argv.end(), args.begin(), args.end());
    return testsupport::Run(argv, {"DISPLAY=", "WAYLAND_DISPLAY=", "QT_QPA_PLATFORM="});
  }

  fs::path dir_;
};

TEST_F(PrintTest, PdfOfALongSheetRepeatsItsHeaderOnEveryPage) {
  const std::string book = MakeBook(150), pdf = (dir_ / "cash.pdf").string();
  auto run = PdfCommand({"--pdf", pdf, book, "Наличные"});
  ASSERT_EQ(run.exit_code, 0) << run.error;
  const int pages = PdfPages(pdf);
  ASSERT_GE(pages, 3);
  const std::vector<QImage> images = PdfImages(pdf);
  ASSERT_EQ(static_cast<int>(images.size()), pages);
  std::string payments;  // their numbers, in the order the pages show them
  const std::regex payment("Платёж (\\d{3})");
  for (int p = 1; p <= pages; ++p) {
    SCOPED_TRACE("page " + std::to_string(p));
    const std::string text = PdfText(pdf, p);
    EXPECT_EQ(Count(text, "Лист: Наличные"), 1);
    EXPECT_EQ(Count(text, "Страница " + std::to_string(p) + " из " + std::to_string(pages)), 1);
    // The header row once, above the page's first payment, on its grey band.
    EXPECT_EQ(Count(text, "Establish_Payment"), 1);
    EXPECT_LT(text.find("Establish_Payment"), text.find("Платёж"));
    EXPECT_GT(CountPixels(images[p - 1], [](QColor c) { return c.name() == "#e8e8e8"; }), 500);
    for (auto it = std::sregex_iterator(text.begin(), text.end(), payment);
         it != std::sregex_iterator(); ++it)
      payments += (*it)[1].str() + " ";
  }
  std::string all;
  for (int i = 1; i <= 150; ++i)
    all += (i < 10 ? "00" : i < 100 ? "0" : "") + std::to_string(i) + " ";
  EXPECT_EQ(payments, all);  // each once, in the sheet's order
  EXPECT_NE(PdfText(pdf, 1).find("06.12.2026"), std::string::npos);  // as the grid shows dates
  images[0].save(QStringLiteral(KASSA_SCREENSHOT_DIR "/pdf_cash_page1.png"));

  // What the command cannot do it says, and writes nothing.
  const std::string out = (dir_ / "out.pdf").string();
  struct Case {
    std::vector<std::string> args;
    int status;
    const char* says;
  } cases[] = {
      {{"--pdf", out, book}, 2, "использование: kassa-book --pdf"},
      {{"--pdf", out, (dir_ / "none.xls").string(), "Наличные"}, 1, "книга не открылась"},
      {{"--pdf", out, book, "Касса"}, 1, "в книге нет листа Касса"},
      {{"--pdf", (dir_ / "no" / "out.pdf").string(), book, "Наличные"}, 1, "Не удалось записать"},
  };
  for (const Case& c : cases) {
    auto failed = PdfCommand(c.args);
    EXPECT_EQ(failed.exit_code, c.status) << c.says;
    EXPECT_NE(failed.error.find(c.says), std::string::npos) << failed.error;
    EXPECT_FALSE(fs::exists(out)) << c.says;
  }
}

TEST_F(PrintTest, PdfOfAStatisticsSheetAddsAPageWithItsChartAndTotals) {
  const std::string pdf = (dir_ / "stat.pdf").string();
  auto run = PdfCommand({"--pdf", pdf, MakeBook(3), "Статистика по категориям"});
  ASSERT_EQ(run.exit_code, 0) << run.error;
  ASSERT_EQ(PdfPages(pdf), 2);
  EXPECT_NE(PdfText(pdf, 1).find("ТРАН / Транспорт"), std::string::npos);
  const std::string chart = PdfText(pdf, 2);
  EXPECT_NE(chart.find("Расходы по месяцам"), std::string::npos);
  EXPECT_TRUE(std::regex_search(chart, std::regex("Ноябрь 2026 +1 800,50")));
  EXPECT_TRUE(std::regex_search(chart, std::regex("Декабрь 2026 +1 330,50")));
  EXPECT_TRUE(std::regex_search(chart, std::regex("Итого +3 131,00")));
  EXPECT_NE(chart.find("Страница 2 из 2"), std::string::npos);
  const std::vector<QImage> images = PdfImages(pdf);
  ASSERT_EQ(images.size(), 2u);
  EXPECT_EQ(CountPixels(images[0], Colourful), 0);
  EXPECT_GT(CountPixels(images[1], Colourful), 3000);  // the bars
  images[1].save(QStringLiteral(KASSA_SCREENSHOT_DIR "/pdf_statistics_chart_page.png"));
}

TEST_F(PrintTest, WindowShowsTheChartBesideTheTableAndFollowsTheSheet) {
  host::Application app;
  BookWindow* window = BookWindow::OpenFile(app, QString::fromStdString(MakeBook(40)));
  ASSERT_NE(window, nullptr);
  window->resize(1200, 640);
  EXPECT_EQ(ChartPanelOf(*window->Page(0)), nullptr);  // the cash sheet: its grid alone
  SheetPage* page = window->Page(1);
  ChartPanel* panel = ChartPanelOf(*page);
  ASSERT_NE(panel, nullptr);
  auto* splitter = page->findChild<QSplitter*>(QStringLiteral("ChartSplitter"));
  ASSERT_NE(splitter, nullptr);
  EXPECT_EQ(splitter->widget(0), page->table());
  window->findChild<QTabWidget*>()->setCurrentIndex(1);
  Spin(100);
  ASSERT_EQ(panel->ChartCount(), 1);
  EXPECT_TRUE(panel->View(0)->isVisible());
  EXPECT_GT(page->table()->width(), panel->width());

  auto bars = [&] {
    QChart* chart = panel->View(0)->chart();
    return chart->series().isEmpty() ? nullptr
                                     : qobject_cast<QStackedBarSeries*>(chart->series()[0]);
  };
  auto totals = [&](int row) {
    QTableWidget* t = panel->Totals(0);
    return t->item(row, 0)->text() + " = " + t->item(row, 1)->text();
  };
  const QString nbsp = QString(QChar(0xA0));
  ASSERT_NE(bars(), nullptr);
  ASSERT_EQ(bars()->count(), 3);
  EXPECT_EQ(bars()->barSets()[0]->label(), QString("ПРОД / Продукты"));
  EXPECT_EQ(bars()->barSets()[0]->at(1), 1130.5);
  EXPECT_EQ(bars()->barSets()[2]->at(0), 0);  // no household costs in November
  ASSERT_EQ(panel->Totals(0)->rowCount(), 3);
  EXPECT_EQ(totals(0), "Ноябрь 2026 = 1" + nbsp + "800,50");
  EXPECT_EQ(totals(2), "Итого = 3" + nbsp + "131,00");
  Screenshot(window, "book_window_statistics_chart");

  // A changed table (as after a refresh) redraws the chart and its totals.
  host::Worksheet& sheet = *page->sheet();
  const char* typed[] = {"Январь", "2027", "ПРОД / Продукты", "99,5"};
  for (int c = 0; c < 4; ++c) host::user::Type(sheet, 7, c + 1, typed[c]);
  window->SyncFromHost();
  Spin(50);
  ASSERT_EQ(panel->Totals(0)->rowCount(), 4);
  EXPECT_EQ(totals(2), "Январь 2027 = 99,50");
  EXPECT_EQ(totals(3), "Итого = 3" + nbsp + "230,50");
  ASSERT_NE(bars(), nullptr);
  EXPECT_EQ(bars()->barSets()[0]->count(), 3);

  // The preview: the table's page and the chart's page.
  QPrintPreviewDialog* preview = ShowPrintPreview(*page, window);
  ASSERT_NE(preview, nullptr);
  Spin(200);
  EXPECT_EQ(preview->findChild<QPrintPreviewWidget*>()->pageCount(), 2);
  Screenshot(preview, "print_preview_statistics");
  preview->close();

  // Printed from the window, as the grid shows it.
  const std::string pdf = (dir_ / "from-window.pdf").string();
  QString error;
  ASSERT_TRUE(ExportSheetPdf(*window->Page(0)->sheet(), *window->Page(0)->model(),
                             QString::fromStdString(pdf), error));
  EXPECT_NE(PdfText(pdf, 1).find("Платёж 040"), std::string::npos);
  window->CloseBook();
  Spin(50);
}

// LibreOffice (headless, its own profile) draws the saved chart; the same
// book without the chart is the control.
TEST_F(PrintTest, LibreOfficeDrawsTheSavedChart) {
  const std::string with = MakeBook(3, "with_chart.xlsx");
  {
    host::Application app;
    host::Workbook& wb = app.Open(with);
    wb.Sheets(2).charts().clear();
    wb.SaveAs((dir_ / "without_chart.xlsx").string());
  }
  auto run = testsupport::Run(
      {"/usr/bin/soffice", "--headless", "--norestore",
       "-env:UserInstallation=file://" + (dir_ / "profile").string(), "--convert-to", "pdf",
       "--outdir", dir_.string(), with, (dir_ / "without_chart.xlsx").string()},
      {"HOME=" + dir_.string()});
  ASSERT_EQ(run.exit_code, 0) << run.output << run.error;
  auto most_colourful = [](const std::string& pdf, QImage* keep) {
    int most = 0;
    for (const QImage& page : PdfImages(pdf))
      if (int n = CountPixels(page, Colourful); n > most) {
        most = n;
        if (keep) *keep = page;
      }
    return most;
  };
  const std::string pdf = (dir_ / "with_chart.pdf").string();
  std::string text;
  for (int p = 1; p <= PdfPages(pdf); ++p) text += PdfText(pdf, p);
  EXPECT_NE(text.find("Расходы по месяцам"), std::string::npos);
  EXPECT_TRUE(std::regex_search(text, std::regex("Итого(.|\\n)*1.800[.,]50")));
  QImage chart;
  EXPECT_GT(most_colourful(pdf, &chart), 2000);
  EXPECT_EQ(most_colourful((dir_ / "without_chart.pdf").string(), nullptr), 0);
  chart.save(QStringLiteral(KASSA_SCREENSHOT_DIR "/office_statistics_chart.png"));
}

}  // namespace
}  // namespace kassa::book
