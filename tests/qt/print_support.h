// Helpers of the printing and chart tests: workbooks to print, PDF files and
// page images looked at with the poppler tools.
#pragma once

#include <QImage>
#include <QString>
#include <QStringList>
#include <functional>
#include <string>
#include <vector>

namespace kassa::host {
class Workbook;
class Worksheet;
}  // namespace kassa::host

namespace kassa::printtest {

// Fills `sheet` as the cash sheet looks: a bold header row and `rows`
// payments whose purpose is "Платёж 001", "Платёж 002", ...
void FillPayments(host::Worksheet& sheet, int rows);

// Fills `sheet` as the statistics view does (month, year, category, sum:
// November 2026 1 800,50, December 2026 1 330,50 over three categories) and,
// with `chart`, gives it the month chart "Расходы по месяцам".
void FillStatistics(host::Worksheet& sheet, bool chart);

// The text of a PDF's page (1-based), laid out ("" on failure).
std::string PdfPageText(const std::string& pdf, int page);
// The number of pages of a PDF (0 on failure).
int PdfPages(const std::string& pdf);
// The pages of a PDF rendered at `dpi`, in page order.
std::vector<QImage> PdfImages(const std::string& pdf, int dpi);

// Pixels of `image` for which `keep` holds.
int CountPixels(const QImage& image, const std::function<bool(QRgb)>& keep);
// A saturated colour, as bars of a chart are and text and grid lines are not.
bool Colourful(QRgb p);

// Occurrences of `what` in `text`.
int Count(const std::string& text, const std::string& what);

}  // namespace kassa::printtest
