// Printing and PDF of a sheet, and the charts beside the statistics sheets:
// `kassa-book --pdf` without a display (page count, texts and page images
// through the poppler tools), the print preview and the chart panel of the
// workbook window.
#include <gtest/gtest.h>

#include <QAction>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QMenu>
#include <QMenuBar>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QSplitter>
#include <QStackedBarSeries>
#include <QTabWidget>
#include <QTableWidget>
#include <filesystem>
#include <regex>

#include "apps/kassa-book/book_window.h"
#include "apps/kassa-book/chart_view.h"
#include "apps/kassa-book/sheet_model.h"
#include "apps/kassa-book/sheet_page.h"
#include "apps/kassa-book/sheet_print.h"
#include "platform/host/host.h"
#include "tests/qt/print_support.h"
#include "tests/qt/qt_test_support.h"
#include "tests/support/testsupport.h"

namespace kassa::book {
namespace {

namespace fs = std::filesystem;
using namespace printtest;
using qttest::Screenshot;
using qttest::Spin;

class PrintTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("kassa-qt-print-" + std::to_string(getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    // No components: the books have no macros, and none may run.
    setenv("KASSA_COMPONENTS", (dir_ / "none.conf").c_str(), 1);
  }
  void TearDown() override { fs::remove_all(dir_); }

  // A book with a long cash sheet and a charted statistics sheet.
  std::string MakeBook(int payments) {
    const std::string path = (dir_ / "Kassa.xls").string();
    host::Application maker;
    host::Workbook& wb = maker.Add();
    wb.Sheets(1).Name("Наличные");
    FillPayments(wb.Sheets(1), payments);
    FillStatistics(wb.AddSheet("Статистика по категориям"), true);
    wb.SaveAs(path);
    return path;
  }

  testsupport::ProcessResult PdfCommand(const std::vector<std::string>& args) {
    std::vector<std::string> argv = {KASSA_BOOK_PROGRAM};
    argv.insert(argv.end(), args.begin(), args.end());
    // As from a console without a display.
    return testsupport::Run(argv, {"DISPLAY=", "WAYLAND_DISPLAY=", "QT_QPA_PLATFORM="});
  }

  fs::path dir_;
};

TEST_F(PrintTest, PdfOfALongSheetRepeatsItsHeaderOnEveryPage) {
  const std::string book = MakeBook(150);
  const std::string pdf = (dir_ / "cash.pdf").string();
  auto run = PdfCommand({"--pdf", pdf, book, "Наличные"});
  ASSERT_EQ(run.exit_code, 0) << run.error;

  const int pages = PdfPages(pdf);
  ASSERT_GE(pages, 3);
  std::vector<std::string> seen;  // payments in the order the pages show them
  const std::regex payment("Платёж (\\d{3})");
  for (int p = 1; p <= pages; ++p) {
    const std::string text = PdfPageText(pdf, p);
    SCOPED_TRACE("page " + std::to_string(p));
    EXPECT_EQ(Count(text, "Лист: Наличные"), 1);
    EXPECT_EQ(Count(text, "Kassa.xls"), 1);
    EXPECT_EQ(Count(text, "Страница " + std::to_string(p) + " из " + std::to_string(pages)), 1);
    // The header row, once, above the page's rows.
    EXPECT_EQ(Count(text, "Establish_Payment"), 1);
    EXPECT_EQ(Count(text, "Name_Recipient"), 1);
    const size_t header = text.find("Establish_Payment");
    const size_t first_row = text.find("Платёж");
    ASSERT_NE(first_row, std::string::npos);
    EXPECT_LT(header, first_row);
    for (auto it = std::sregex_iterator(text.begin(), text.end(), payment);
         it != std::sregex_iterator(); ++it)
      seen.push_back((*it)[1]);
  }
  // Every payment once, in the sheet's order, as the grid shows it.
  ASSERT_EQ(seen.size(), 150u);
  for (int i = 0; i < 150; ++i) {
    char want[8];
    std::snprintf(want, sizeof want, "%03d", i + 1);
    EXPECT_EQ(seen[i], want);
  }
  EXPECT_NE(PdfPageText(pdf, 1).find("06.12.2026"), std::string::npos);

  // Rendered: each page has the grey band of the header row and text.
  const std::vector<QImage> images = PdfImages(pdf, 50);
  ASSERT_EQ(static_cast<int>(images.size()), pages);
  for (int p = 0; p < pages; ++p) {
    const QImage& page = images[p];
    EXPECT_GT(CountPixels(page,
                          [](QRgb c) {
                            return qRed(c) >= 0xE0 && qRed(c) <= 0xEC && qRed(c) == qGreen(c) &&
                                   qRed(c) == qBlue(c);
                          }),
              500)
        << "page " << p + 1;
    EXPECT_GT(CountPixels(page, [](QRgb c) { return qGray(c) < 100; }), 300) << "page " << p + 1;
  }
  images[0].save(QStringLiteral(KASSA_SCREENSHOT_DIR "/pdf_cash_page1.png"));
}

TEST_F(PrintTest, PdfOfAStatisticsSheetAddsItsChartAndTotals) {
  const std::string book = MakeBook(3);
  const std::string pdf = (dir_ / "stat.pdf").string();
  auto run = PdfCommand({"--pdf", pdf, book, "Статистика по категориям"});
  ASSERT_EQ(run.exit_code, 0) << run.error;
  ASSERT_EQ(PdfPages(pdf), 2);
  const std::string table = PdfPageText(pdf, 1);
  EXPECT_NE(table.find("ТРАН / Транспорт"), std::string::npos);
  EXPECT_NE(table.find("Страница 1 из 2"), std::string::npos);
  const std::string chart = PdfPageText(pdf, 2);
  EXPECT_NE(chart.find("Лист: Статистика по категориям"), std::string::npos);
  EXPECT_NE(chart.find("Расходы по месяцам"), std::string::npos);
  EXPECT_NE(chart.find("Страница 2 из 2"), std::string::npos);
  // The month totals under the chart.
  EXPECT_TRUE(std::regex_search(chart, std::regex("Ноябрь 2026 +1 800,50")));
  EXPECT_TRUE(std::regex_search(chart, std::regex("Декабрь 2026 +1 330,50")));
  EXPECT_TRUE(std::regex_search(chart, std::regex("Итого +3 131,00")));
  // The bars: the table's page has no colour, the chart's page has.
  const std::vector<QImage> images = PdfImages(pdf, 50);
  ASSERT_EQ(images.size(), 2u);
  EXPECT_EQ(CountPixels(images[0], Colourful), 0);
  EXPECT_GT(CountPixels(images[1], Colourful), 3000);
  images[1].save(QStringLiteral(KASSA_SCREENSHOT_DIR "/pdf_statistics_chart_page.png"));
}

TEST_F(PrintTest, PdfCommandRefusesWhatItCannotDo) {
  const std::string book = MakeBook(3);
  const std::string pdf = (dir_ / "out.pdf").string();
  struct Case {
    std::vector<std::string> args;
    int status;
    const char* says;
  } cases[] = {
      {{"--pdf", pdf, book}, 2, "использование: kassa-book --pdf"},
      {{"--pdf", pdf, (dir_ / "none.xls").string(), "Наличные"}, 1, "книга не открылась"},
      {{"--pdf", pdf, book, "Касса"}, 1, "в книге нет листа Касса"},
      {{"--pdf", (dir_ / "no-folder" / "out.pdf").string(), book, "Наличные"},
       1,
       "Не удалось записать файл PDF"},
  };
  for (const Case& c : cases) {
    auto run = PdfCommand(c.args);
    EXPECT_EQ(run.exit_code, c.status) << c.says;
    EXPECT_NE(run.error.find(c.says), std::string::npos) << run.error;
    EXPECT_FALSE(fs::exists(pdf)) << c.says;
  }
}

TEST_F(PrintTest, WindowShowsTheChartBesideTheTableAndFollowsTheSheet) {
  const std::string book = MakeBook(40);
  host::Application app;
  BookWindow* window = BookWindow::OpenFile(app, QString::fromStdString(book));
  ASSERT_NE(window, nullptr);
  window->resize(1200, 640);
  ASSERT_EQ(window->PageCount(), 2);
  // The cash sheet has no chart: its grid alone.
  EXPECT_EQ(ChartPanelOf(*window->Page(0)), nullptr);
  SheetPage* page = window->Page(1);
  ChartPanel* panel = ChartPanelOf(*page);
  ASSERT_NE(panel, nullptr);
  auto* splitter = page->findChild<QSplitter*>(QStringLiteral("ChartSplitter"));
  ASSERT_NE(splitter, nullptr);
  EXPECT_EQ(splitter->widget(0), page->table());
  EXPECT_EQ(splitter->widget(1), panel);

  window->findChild<QTabWidget*>()->setCurrentIndex(1);
  Spin(100);
  EXPECT_EQ(window->book()->ActiveSheet().Name(), "Статистика по категориям");
  ASSERT_EQ(panel->ChartCount(), 1);
  QChart* chart = panel->View(0)->chart();
  EXPECT_EQ(chart->title(), QString("Расходы по месяцам"));
  ASSERT_EQ(chart->series().size(), 1);
  auto* bars = qobject_cast<QStackedBarSeries*>(chart->series()[0]);
  ASSERT_NE(bars, nullptr);
  ASSERT_EQ(bars->count(), 3);
  EXPECT_EQ(bars->barSets()[0]->label(), QString("ПРОД / Продукты"));
  EXPECT_EQ(bars->barSets()[0]->at(0), 1500);
  EXPECT_EQ(bars->barSets()[0]->at(1), 1130.5);
  EXPECT_EQ(bars->barSets()[2]->at(0), 0);  // no household costs in November
  QTableWidget* totals = panel->Totals(0);
  ASSERT_EQ(totals->rowCount(), 3);
  EXPECT_EQ(totals->item(0, 0)->text(), QString("Ноябрь 2026"));
  EXPECT_EQ(totals->item(0, 1)->text(), QString::fromUtf8("1\u00a0800,50"));
  EXPECT_EQ(totals->item(2, 0)->text(), QString("Итого"));
  EXPECT_EQ(totals->item(2, 1)->text(), QString::fromUtf8("3\u00a0131,00"));
  EXPECT_TRUE(panel->View(0)->isVisible());
  EXPECT_GT(panel->View(0)->width(), 300);
  Screenshot(window, "book_window_statistics_chart");

  // A changed table (as after a refresh) redraws the chart and its totals.
  host::Worksheet& sheet = *page->sheet();
  host::user::Type(sheet, 7, 1, "Январь");
  host::user::Type(sheet, 7, 2, "2027");
  host::user::Type(sheet, 7, 3, "ПРОД / Продукты");
  host::user::Type(sheet, 7, 4, "99,5");
  window->SyncFromHost();
  Spin(50);
  ASSERT_EQ(panel->Totals(0)->rowCount(), 4);
  EXPECT_EQ(panel->Totals(0)->item(2, 0)->text(), QString("Январь 2027"));
  EXPECT_EQ(panel->Totals(0)->item(3, 1)->text(), QString::fromUtf8("3\u00a0230,50"));
  auto* redrawn = qobject_cast<QStackedBarSeries*>(panel->View(0)->chart()->series()[0]);
  ASSERT_NE(redrawn, nullptr);
  EXPECT_EQ(redrawn->barSets()[0]->count(), 3);

  // The File menu carries the print entries.
  QStringList entries;
  for (QAction* a : window->menuBar()->actions().front()->menu()->actions()) entries << a->text();
  EXPECT_TRUE(entries.contains(QString("&Печать...")));
  EXPECT_TRUE(entries.contains(QString("Предварительный про&смотр...")));
  EXPECT_TRUE(entries.contains(QString("&Экспорт в PDF...")));

  // The preview of the sheet shown: its table page and its chart page.
  QPrintPreviewDialog* preview = ShowPrintPreview(*page, window);
  Spin(200);
  auto* pages = preview->findChild<QPrintPreviewWidget*>();
  ASSERT_NE(pages, nullptr);
  EXPECT_EQ(pages->pageCount(), 2);
  EXPECT_EQ(preview->windowTitle(), QString("Предварительный просмотр"));
  Screenshot(preview, "print_preview_statistics");
  preview->close();

  // The cash sheet in the window prints as the grid shows it.
  const std::string pdf = (dir_ / "from-window.pdf").string();
  QString error;
  ASSERT_TRUE(ExportSheetPdf(*window->Page(0)->sheet(), *window->Page(0)->model(),
                             QString::fromStdString(pdf), error))
      << error.toStdString();
  const std::string text = PdfPageText(pdf, 1);
  EXPECT_NE(text.find("Платёж 001"), std::string::npos);
  EXPECT_NE(text.find("Лист: Наличные"), std::string::npos);

  window->CloseBook();
  Spin(50);
}

}  // namespace
}  // namespace kassa::book
