// Charts of a sheet: what they show, where a file keeps their figures, and
// their record in the host's own data.
#include <algorithm>
#include <map>

#include "platform/host/host.h"
#include "platform/host/internal.h"
#include "platform/host/texts.h"

namespace kassa::host {

namespace {

// The text a cell contributes to a label; "" for an empty or error cell.
std::string LabelText(const Worksheet& sheet, long row, int column) {
  const Cell* cell = sheet.FindCell(row, column);
  if (!cell) return "";
  return ToText(cell->value).value_or("");
}

bool ValidColumn(int c) {
  return c >= 1 && c <= kMaxColumns;
}

bool ValidChart(const Chart& c) {
  return !c.name.empty() && ValidColumn(c.label_first) && ValidColumn(c.label_last) &&
         c.label_first <= c.label_last && ValidColumn(c.value_column) &&
         (c.series_column == 0 || ValidColumn(c.series_column)) && c.width > 0 &&
         c.width <= kChartMaxSize && c.height > 0 && c.height <= kChartMaxSize;
}

int LastSourceColumn(const Chart& c) {
  return std::max({c.label_last, c.series_column, c.value_column});
}

}  // namespace

Extent ValueExtent(const Worksheet& sheet) {
  Extent e;
  const long last_row = sheet.LastUsedRow();
  const int last_col = sheet.LastUsedColumn();
  for (long r = 1; r <= last_row; ++r)
    for (int c = last_col; c >= 1; --c) {
      const Cell* cell = sheet.FindCell(r, c);
      if (cell && !cell->value.IsEmpty()) {
        e.rows = r;
        e.columns = std::max(e.columns, c);
        break;
      }
    }
  return e;
}

ChartSummary SummarizeChart(const Worksheet& sheet, const Chart& chart) {
  ChartSummary s;
  std::map<std::string, size_t> month_at, series_at;
  const long last = ValueExtent(sheet).rows;
  for (long r = 2; r <= last; ++r) {
    const Cell* value = sheet.FindCell(r, chart.value_column);
    if (!value || value->value.type() != Variant::Type::Number) continue;
    std::string month;
    for (int c = chart.label_first; c <= chart.label_last; ++c) {
      std::string piece = LabelText(sheet, r, c);
      if (piece.empty()) continue;
      month += (month.empty() ? "" : " ") + piece;
    }
    if (month.empty()) month = texts::kChartNoName;
    std::string series = chart.series_column ? LabelText(sheet, r, chart.series_column) : "";
    if (series.empty()) series = chart.series_column ? texts::kChartNoName : chart.title;
    auto m = month_at.try_emplace(month, s.months.size());
    if (m.second) {
      s.months.push_back(month);
      s.sums.emplace_back(s.series.size(), 0.0);
      s.month_totals.push_back(0);
    }
    auto k = series_at.try_emplace(series, s.series.size());
    if (k.second) {
      s.series.push_back(series);
      s.series_totals.push_back(0);
      for (auto& row : s.sums) row.push_back(0);
    }
    const double v = value->value.number();
    s.sums[m.first->second][k.first->second] += v;
    s.month_totals[m.first->second] += v;
    s.series_totals[k.first->second] += v;
    s.total += v;
  }
  return s;
}

std::vector<ChartBlock> ChartBlocks(const Worksheet& sheet,
                                    const std::vector<ChartSummary>& summaries) {
  std::vector<ChartBlock> blocks;
  int next = ValueExtent(sheet).columns + 2;
  for (const ChartSummary& s : summaries) {
    ChartBlock b;
    const long rows = static_cast<long>(s.months.size()) + 2;
    const int cols = static_cast<int>(s.series.size()) + 2;
    if (!s.empty() && next + cols - 1 <= kMaxColumns && rows <= kMaxRows) {
      b.row1 = 1;
      b.col1 = next;
      b.row2 = rows;
      b.col2 = next + cols - 1;
      next = b.col2 + 2;
    }
    blocks.push_back(b);
  }
  return blocks;
}

std::vector<std::vector<std::string>> ChartRecords(const Worksheet& sheet, int position) {
  std::vector<ChartSummary> summaries;
  for (const Chart& c : sheet.charts()) summaries.push_back(SummarizeChart(sheet, c));
  const std::vector<ChartBlock> blocks = ChartBlocks(sheet, summaries);
  std::vector<std::vector<std::string>> records;
  for (size_t i = 0; i < sheet.charts().size(); ++i) {
    const Chart& c = sheet.charts()[i];
    const ChartBlock& b = blocks[i];
    records.push_back({"chart", std::to_string(position), c.name, c.title,
                       std::to_string(c.label_first), std::to_string(c.label_last),
                       std::to_string(c.series_column), std::to_string(c.value_column),
                       std::to_string(c.width), std::to_string(c.height), std::to_string(b.row1),
                       std::to_string(b.col1), std::to_string(b.row2), std::to_string(b.col2)});
  }
  return records;
}

bool ApplyChartRecord(const std::vector<std::string>& f, Workbook& book) {
  if (f.size() != 14 || f[0] != "chart") return false;
  Worksheet& ws = book.Sheets(std::stoi(f[1]));  // throws for a sheet that is not there
  Chart c;
  c.name = f[2];
  c.title = f[3];
  c.label_first = std::stoi(f[4]);
  c.label_last = std::stoi(f[5]);
  c.series_column = std::stoi(f[6]);
  c.value_column = std::stoi(f[7]);
  c.width = std::stoi(f[8]);
  c.height = std::stoi(f[9]);
  if (!ValidChart(c)) return false;
  ChartBlock b;
  b.row1 = std::stol(f[10]);
  b.col1 = std::stoi(f[11]);
  b.row2 = std::stol(f[12]);
  b.col2 = std::stoi(f[13]);
  const bool none = b.row1 == 0 && b.col1 == 0 && b.row2 == 0 && b.col2 == 0;
  // The block holds figures the file derived from the table; they are not
  // the sheet's cells. Only a block right of the chart's own columns is
  // dropped, so a damaged record cannot take the table with it.
  if (!none && (b.row1 != 1 || b.row2 < b.row1 || b.row2 > kMaxRows ||
                b.col1 <= LastSourceColumn(c) || b.col2 < b.col1 || b.col2 > kMaxColumns))
    return false;
  ws.charts().push_back(c);
  ws.Touch();
  if (none) return true;
  for (long r = b.row1; r <= b.row2; ++r)
    for (int col = b.col1; col <= b.col2; ++col)
      if (ws.FindCell(r, col)) ws.CellAt(r, col) = Cell{};
  for (int col = b.col1; col <= b.col2; ++col) ws.ColumnWidth(col, kDefaultColumnWidth);
  return true;
}

}  // namespace kassa::host
