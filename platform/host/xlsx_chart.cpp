// A sheet's charts in a workbook file: the month totals beside the sheet's
// cells and a native stacked column chart over them (libxlsxwriter), so any
// spreadsheet program shows the chart and its figures.
#include <xlsxwriter.h>

#include <algorithm>

#include "platform/host/host.h"
#include "platform/host/internal.h"
#include "platform/host/texts.h"

namespace kassa::host {

namespace {

constexpr const char* kMoneyFormat = "#,##0.00";
constexpr double kLabelWidth = 16;   // characters
constexpr double kFigureWidth = 14;  // characters
constexpr double kMaxFigureWidth = 40;
// libxlsxwriter's chart is 480 x 288 pixels before scaling; points -> pixels.
constexpr double kPixelsPerPoint = 96.0 / 72.0;

void Check(lxw_error e, const std::string& path) {
  if (e != LXW_NO_ERROR)
    throw HostError(1004, std::string(texts::kCannotWrite) + path + ": " + lxw_strerror(e));
}

struct Styles {
  lxw_format* head;
  lxw_format* money;
  lxw_format* money_total;
};

void WriteBlock(lxw_worksheet* out, const ChartSummary& s, const ChartBlock& b,
                const Styles& styles, const std::string& path) {
  auto row = [&](long r) { return static_cast<lxw_row_t>(b.row1 - 1 + r); };
  auto col = [&](int c) { return static_cast<lxw_col_t>(b.col1 - 1 + c); };
  const int nseries = static_cast<int>(s.series.size());
  const long nmonths = static_cast<long>(s.months.size());
  Check(worksheet_set_column(out, col(0), col(0), kLabelWidth, nullptr), path);
  for (int k = 0; k < nseries; ++k) {
    // Wide enough for the series' name, within reason.
    const double chars = static_cast<double>(Utf8Length(s.series[k])) + 2;
    Check(worksheet_set_column(out, col(k + 1), col(k + 1),
                               std::clamp(chars, kFigureWidth, kMaxFigureWidth), nullptr),
          path);
  }
  Check(worksheet_set_column(out, col(nseries + 1), col(nseries + 1), kFigureWidth, nullptr), path);
  Check(worksheet_write_string(out, row(0), col(0), texts::kChartMonth, styles.head), path);
  for (int k = 0; k < nseries; ++k)
    Check(worksheet_write_string(out, row(0), col(k + 1), s.series[k].c_str(), styles.head), path);
  Check(worksheet_write_string(out, row(0), col(nseries + 1), texts::kChartTotal, styles.head),
        path);
  for (long m = 0; m < nmonths; ++m) {
    Check(worksheet_write_string(out, row(m + 1), col(0), s.months[m].c_str(), nullptr), path);
    for (int k = 0; k < nseries; ++k)
      Check(worksheet_write_number(out, row(m + 1), col(k + 1), s.sums[m][k], styles.money), path);
    Check(worksheet_write_number(out, row(m + 1), col(nseries + 1), s.month_totals[m],
                                 styles.money_total),
          path);
  }
  const lxw_row_t last = row(nmonths + 1);
  Check(worksheet_write_string(out, last, col(0), texts::kChartTotal, styles.head), path);
  for (int k = 0; k < nseries; ++k)
    Check(worksheet_write_number(out, last, col(k + 1), s.series_totals[k], styles.money_total),
          path);
  Check(worksheet_write_number(out, last, col(nseries + 1), s.total, styles.money_total), path);
}

void InsertChart(lxw_workbook* book, lxw_worksheet* out, const Worksheet& ws, const Chart& c,
                 const ChartSummary& s, const ChartBlock& b, const std::string& path) {
  const bool stacked = s.series.size() > 1;
  lxw_chart* chart =
      workbook_add_chart(book, stacked ? LXW_CHART_COLUMN_STACKED : LXW_CHART_COLUMN);
  if (!chart) throw HostError(1004, std::string(texts::kCannotWrite) + path);
  if (!c.title.empty()) chart_title_set_name(chart, c.title.c_str());
  const char* sheet = ws.Name().c_str();
  const auto first = static_cast<lxw_row_t>(b.row1);  // 0-based: the first month's row
  const auto last = static_cast<lxw_row_t>(b.row1 + s.months.size() - 1);
  const auto label = static_cast<lxw_col_t>(b.col1 - 1);
  for (size_t k = 0; k < s.series.size(); ++k) {
    lxw_chart_series* series = chart_add_series(chart, nullptr, nullptr);
    if (!series) throw HostError(1004, std::string(texts::kCannotWrite) + path);
    const auto column = static_cast<lxw_col_t>(label + 1 + k);
    chart_series_set_categories(series, sheet, first, label, last, label);
    chart_series_set_values(series, sheet, first, column, last, column);
    chart_series_set_name_range(series, sheet, first - 1, column);
  }
  chart_legend_set_position(chart, stacked ? LXW_CHART_LEGEND_RIGHT : LXW_CHART_LEGEND_NONE);
  chart_axis_set_num_format(chart->y_axis, "#,##0");
  lxw_chart_options options{};
  options.x_scale = c.width * kPixelsPerPoint / 480.0;
  options.y_scale = c.height * kPixelsPerPoint / 288.0;
  // Below the figures, one empty row between.
  Check(worksheet_insert_chart_opt(out, static_cast<lxw_row_t>(b.row2 + 1), label, chart, &options),
        path);
}

}  // namespace

void WriteSheetCharts(lxw_workbook* book, lxw_worksheet* out, const Worksheet& ws,
                      const std::string& path) {
  if (ws.charts().empty()) return;
  std::vector<ChartSummary> summaries;
  for (const Chart& c : ws.charts()) summaries.push_back(SummarizeChart(ws, c));
  const std::vector<ChartBlock> blocks = ChartBlocks(ws, summaries);
  Styles styles{workbook_add_format(book), workbook_add_format(book), workbook_add_format(book)};
  format_set_bold(styles.head);
  format_set_num_format(styles.money, kMoneyFormat);
  format_set_num_format(styles.money_total, kMoneyFormat);
  format_set_bold(styles.money_total);
  // Printed from another spreadsheet program, the table, its figures and
  // the charts come on pages the width of the sheet: landscape, one page
  // wide.
  worksheet_set_landscape(out);
  worksheet_fit_to_pages(out, 1, 0);
  for (size_t i = 0; i < ws.charts().size(); ++i) {
    if (blocks[i].empty()) continue;  // nothing to draw yet
    WriteBlock(out, summaries[i], blocks[i], styles, path);
    InsertChart(book, out, ws, ws.charts()[i], summaries[i], blocks[i], path);
  }
}

}  // namespace kassa::host
