#include "tests/qt/print_support.h"

#include <QColor>
#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "platform/host/host.h"
#include "tests/support/testsupport.h"

namespace kassa::printtest {

namespace fs = std::filesystem;

void FillPayments(host::Worksheet& sheet, int rows) {
  const char* header[] = {"DATE_ON", "Name_Recipient", "Establish_Payment", "Sum_RUB",
                          "Name_Category"};
  const double widths[] = {12, 16, 40, 12, 16};
  for (int c = 0; c < 5; ++c) {
    sheet.Cells(1, c + 1).Value(Variant::Text(header[c]));
    sheet.ColumnWidth(c + 1, widths[c]);
  }
  sheet.Rows(1).Font().Bold(true);
  for (int r = 2; r <= rows + 1; ++r) {
    char purpose[32];
    std::snprintf(purpose, sizeof purpose, "Платёж %03d", r - 1);
    sheet.Cells(r, 1).Value(Variant::Date(MakeDate(2026, 12, 1 + (r % 28))));
    sheet.Cells(r, 2).Value(Variant::Text(r % 2 ? "ИвановИИ" : "ПетроваАС"));
    sheet.Cells(r, 3).Value(Variant::Text(purpose));
    sheet.Cells(r, 4).Value(Variant::Number(100 + r * 0.25));
    sheet.Cells(r, 5).Value(Variant::Text("ПРОД"));
  }
}

void FillStatistics(host::Worksheet& s, bool chart) {
  const char* header[] = {"NAME_MONTH", "YEAR_ON", "Category", "SUM_RUB"};
  const double widths[] = {12, 8, 40, 12};
  for (int c = 0; c < 4; ++c) {
    s.Cells(1, c + 1).Value(Variant::Text(header[c]));
    s.ColumnWidth(c + 1, widths[c]);
  }
  s.Rows(1).Font().Bold(true);
  struct Row {
    const char* month;
    const char* category;
    double sum;
  } rows[] = {{"Ноябрь", "ПРОД / Продукты", 1500},
              {"Ноябрь", "ТРАН / Транспорт", 300.5},
              {"Декабрь", "ПРОД / Продукты", 1130.5},
              {"Декабрь", "ХОЗ / Хозяйство", 80},
              {"Декабрь", "ТРАН / Транспорт", 120}};
  long r = 2;
  for (const Row& row : rows) {
    s.Cells(r, 1).Value(Variant::Text(row.month));
    s.Cells(r, 2).Value(Variant::Number(2026));
    s.Cells(r, 3).Value(Variant::Text(row.category));
    s.Cells(r, 4).Value(Variant::Number(row.sum));
    ++r;
  }
  if (!chart) return;
  host::Chart c;
  c.name = "Chart_Category";
  c.title = "Расходы по месяцам";
  c.label_first = 1;
  c.label_last = 2;
  c.series_column = 3;
  c.value_column = 4;
  c.width = 420;
  c.height = 260;
  s.charts().push_back(c);
}

std::string PdfPageText(const std::string& pdf, int page) {
  const std::string n = std::to_string(page);
  auto r = testsupport::Run({"/usr/bin/pdftotext", "-layout", "-f", n, "-l", n, pdf, "-"});
  return r.exit_code == 0 ? r.output : "";
}

int PdfPages(const std::string& pdf) {
  auto r = testsupport::Run({"/usr/bin/pdfinfo", pdf});
  if (r.exit_code != 0) return 0;
  const size_t at = r.output.find("Pages:");
  return at == std::string::npos ? 0 : std::atoi(r.output.c_str() + at + 6);
}

std::vector<QImage> PdfImages(const std::string& pdf, int dpi) {
  const fs::path dir = fs::path(pdf).parent_path() / (fs::path(pdf).stem().string() + "-pages");
  fs::remove_all(dir);
  fs::create_directories(dir);
  std::vector<QImage> images;
  auto r = testsupport::Run(
      {"/usr/bin/pdftoppm", "-r", std::to_string(dpi), "-png", pdf, (dir / "page").string()});
  if (r.exit_code != 0) return images;
  std::vector<fs::path> files;
  for (const auto& e : fs::directory_iterator(dir)) files.push_back(e.path());
  // page-1.png ... or page-01.png ...: the same width within one run.
  std::sort(files.begin(), files.end());
  for (const fs::path& f : files) images.emplace_back(QString::fromStdString(f.string()));
  return images;
}

int CountPixels(const QImage& image, const std::function<bool(QRgb)>& keep) {
  int n = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (keep(image.pixel(x, y))) ++n;
  return n;
}

bool Colourful(QRgb p) {
  const QColor c(p);
  return c.hsvSaturation() > 120 && c.value() > 60;
}

int Count(const std::string& text, const std::string& what) {
  int n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

}  // namespace kassa::printtest
