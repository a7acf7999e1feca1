#include "apps/kassa-book/chart_view.h"

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QHeaderView>
#include <QLocale>
#include <QSplitter>
#include <QStackedBarSeries>
#include <QTableView>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>

#include "apps/kassa-book/sheet_model.h"
#include "apps/kassa-book/sheet_page.h"
#include "apps/kassa-book/texts.h"
#include "platform/host/host.h"

namespace kassa::book {
namespace {

constexpr int kPanelWidth = 460;
constexpr int kChartHeight = 300;
constexpr int kTotalsRowHeight = 20;
constexpr int kTotalsMaxRows = 8;

QString Q(const std::string& s) {
  return QString::fromStdString(s);
}

}  // namespace

QString MoneyText(double value) {
  return QLocale(QLocale::Russian, QLocale::Russia).toString(value, 'f', 2);
}

std::vector<std::pair<QString, QString>> TotalRows(const host::ChartSummary& summary) {
  std::vector<std::pair<QString, QString>> rows;
  for (size_t m = 0; m < summary.months.size(); ++m)
    rows.emplace_back(Q(summary.months[m]), MoneyText(summary.month_totals[m]));
  rows.emplace_back(QString::fromUtf8(texts::kChartTotal), MoneyText(summary.total));
  return rows;
}

QChart* MakeChart(const host::Chart& chart, const host::ChartSummary& summary) {
  auto* c = new QChart;
  c->setTitle(Q(chart.title));
  QFont title = c->titleFont();
  title.setBold(true);
  title.setPointSizeF(title.pointSizeF() * 1.25);
  c->setTitleFont(title);
  c->setAnimationOptions(QChart::NoAnimation);
  c->legend()->setVisible(summary.series.size() > 1);
  c->legend()->setAlignment(Qt::AlignBottom);
  if (summary.empty()) return c;
  auto* bars = new QStackedBarSeries;
  for (size_t k = 0; k < summary.series.size(); ++k) {
    auto* set = new QBarSet(Q(summary.series[k]));
    for (size_t m = 0; m < summary.months.size(); ++m) set->append(summary.sums[m][k]);
    bars->append(set);
  }
  c->addSeries(bars);
  auto* months = new QBarCategoryAxis;
  for (const std::string& m : summary.months) months->append(Q(m));
  c->addAxis(months, Qt::AlignBottom);
  bars->attachAxis(months);
  auto* sums = new QValueAxis;
  sums->setLabelFormat(QStringLiteral("%.0f"));
  sums->setMin(0);
  c->addAxis(sums, Qt::AlignLeft);
  bars->attachAxis(sums);
  // Room above the highest month, on a round step.
  double top = 0;
  for (double t : summary.month_totals) top = std::max(top, t);
  if (top > 0) {
    sums->setMax(top * 1.1);
    sums->applyNiceNumbers();
  }
  return c;
}

ChartPanel::ChartPanel(host::Worksheet& sheet, QWidget* parent) : QWidget(parent), sheet_(&sheet) {
  setObjectName(QStringLiteral("ChartPanel"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  for (size_t i = 0; i < sheet.charts().size(); ++i) {
    auto* view = new QChartView(this);
    view->setObjectName(Q(sheet.charts()[i].name));
    view->setRenderHint(QPainter::Antialiasing);
    view->setMinimumHeight(kChartHeight);
    layout->addWidget(view, 1);
    auto* totals = new QTableWidget(0, 2, this);
    totals->setObjectName(Q(sheet.charts()[i].name) + QStringLiteral("_Totals"));
    totals->setHorizontalHeaderLabels(
        {QString::fromUtf8(texts::kChartMonth), QString::fromUtf8(texts::kChartTotal)});
    totals->verticalHeader()->hide();
    totals->verticalHeader()->setDefaultSectionSize(kTotalsRowHeight);
    totals->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    totals->horizontalHeader()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    totals->setEditTriggers(QAbstractItemView::NoEditTriggers);
    totals->setSelectionMode(QAbstractItemView::NoSelection);
    totals->setFocusPolicy(Qt::NoFocus);
    layout->addWidget(totals);
    views_.push_back(view);
    totals_.push_back(totals);
  }
  setMinimumWidth(kPanelWidth / 2);
  resize(kPanelWidth, height());
  Refresh(true);
}

bool ChartPanel::Refresh(bool force) {
  if (!sheet_) return false;
  if (!force && sheet_->revision() == seen_revision_) return false;
  seen_revision_ = sheet_->revision();
  const std::vector<host::Chart>& charts = sheet_->charts();
  for (size_t i = 0; i < views_.size() && i < charts.size(); ++i) {
    const host::ChartSummary summary = host::SummarizeChart(*sheet_, charts[i]);
    QChart* old = views_[i]->chart();
    views_[i]->setChart(MakeChart(charts[i], summary));
    delete old;  // the view does not own a chart it lets go of
    const auto rows = TotalRows(summary);
    QTableWidget* t = totals_[i];
    t->setRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
      auto* label = new QTableWidgetItem(rows[r].first);
      auto* sum = new QTableWidgetItem(rows[r].second);
      sum->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      if (r + 1 == static_cast<int>(rows.size())) {
        QFont bold = t->font();
        bold.setBold(true);
        label->setFont(bold);
        sum->setFont(bold);
      }
      t->setItem(r, 0, label);
      t->setItem(r, 1, sum);
    }
    const int shown = std::min(static_cast<int>(rows.size()), kTotalsMaxRows);
    t->setFixedHeight(t->horizontalHeader()->sizeHint().height() + shown * kTotalsRowHeight + 4);
  }
  return true;
}

void ChartPanel::Detach() {
  sheet_ = nullptr;
}

ChartPanel* AttachChartPanel(SheetPage& page) {
  host::Worksheet* sheet = page.sheet();
  if (!sheet || sheet->charts().empty()) return nullptr;
  QTableView* grid = page.table();
  QLayout* layout = page.layout();
  if (!layout) return nullptr;
  auto* splitter = new QSplitter(Qt::Horizontal, &page);
  splitter->setObjectName(QStringLiteral("ChartSplitter"));
  delete layout->replaceWidget(grid, splitter);
  splitter->addWidget(grid);
  auto* panel = new ChartPanel(*sheet, splitter);
  splitter->addWidget(panel);
  splitter->setStretchFactor(0, 1);
  splitter->setStretchFactor(1, 0);
  splitter->setSizes({2 * kPanelWidth, kPanelWidth});
  splitter->setCollapsible(0, false);
  // The panel follows the grid: redrawn when the grid repaints a changed
  // sheet, detached with it.
  SheetModel* model = page.model();
  QObject::connect(model, &QAbstractItemModel::dataChanged, panel, [panel] { panel->Refresh(); });
  QObject::connect(model, &QAbstractItemModel::modelReset, panel, [panel, model] {
    if (!model->sheet()) panel->Detach();
  });
  return panel;
}

ChartPanel* ChartPanelOf(const SheetPage& page) {
  return page.findChild<ChartPanel*>(QStringLiteral("ChartPanel"));
}

}  // namespace kassa::book
