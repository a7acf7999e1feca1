// The charts of a sheet in the workbook window: for each chart of the sheet
// (host::Chart) a stacked bar chart of its month sums (Qt Charts) with the
// month totals below it, in a panel beside the sheet's grid. The panel only
// reads the sheet: it redraws when the sheet's revision has moved.
#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>
#include <vector>

namespace kassa::host {
class Worksheet;
struct Chart;
struct ChartSummary;
}  // namespace kassa::host

class QChart;
class QChartView;
class QTableWidget;

namespace kassa::book {

class SheetPage;

// A new chart (the caller owns it) drawing `summary` as `chart` says:
// stacked bars per month, one colour per series, the legend when there is
// more than one series.
QChart* MakeChart(const host::Chart& chart, const host::ChartSummary& summary);

// A sum as the window shows money: grouping and two decimals ("18 264,72").
QString MoneyText(double value);

// The totals of `summary`, one row per month then the overall row "Итого":
// {label, total} each.
std::vector<std::pair<QString, QString>> TotalRows(const host::ChartSummary& summary);

class ChartPanel : public QWidget {
 public:
  explicit ChartPanel(host::Worksheet& sheet, QWidget* parent = nullptr);

  // Redraws when the sheet changed since the last call (or always with
  // `force`). Returns true when it redrew.
  bool Refresh(bool force = false);
  // The workbook closed: the panel keeps what it shows and reads no more.
  void Detach();

  int ChartCount() const { return static_cast<int>(views_.size()); }
  QChartView* View(int index) const { return views_[index]; }
  QTableWidget* Totals(int index) const { return totals_[index]; }

 private:
  host::Worksheet* sheet_;
  unsigned long seen_revision_ = 0;
  std::vector<QChartView*> views_;
  std::vector<QTableWidget*> totals_;
};

// Puts a chart panel beside `page`'s grid when its sheet has charts (the
// grid and the panel share the page's width through a splitter); the panel
// follows the page's grid model. Returns the panel, or null for a sheet
// without charts.
ChartPanel* AttachChartPanel(SheetPage& page);

// The chart panel of `page`, or null.
ChartPanel* ChartPanelOf(const SheetPage& page);

}  // namespace kassa::book
