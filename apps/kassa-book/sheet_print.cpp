#include "apps/kassa-book/sheet_print.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QBrush>
#include <QChart>
#include <QFont>
#include <QFontMetricsF>
#include <QGraphicsLayout>
#include <QGraphicsScene>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <algorithm>
#include <memory>
#include <vector>

#include "apps/kassa-book/chart_view.h"
#include "apps/kassa-book/texts.h"
#include "platform/host/host.h"

namespace kassa::book {
namespace {

constexpr double kCellPoints = 9;
constexpr double kTitlePoints = 11;
constexpr double kFootPoints = 8;
constexpr double kMarginMm = 12;
constexpr double kMaxColumnChars = 60;
// The chart's share of a chart page's height, and the size it is laid out
// at before it is scaled onto the page.
constexpr double kChartShare = 0.5;
constexpr double kChartLogicalWidth = 720;
const QColor kHeaderFill(0xE8, 0xE8, 0xE8);
const QColor kGridLine(0xA0, 0xA0, 0xA0);

struct PrintCell {
  QString text;
  bool bold = false;
  QColor color = Qt::black;
  Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter;
};

// A table to print: the header row repeated on every page, then the rows.
struct PrintTable {
  std::vector<double> widths;  // characters
  std::vector<double> pixels;  // device pixels, unscaled (Metrics::Measure)
  std::vector<PrintCell> header;
  std::vector<std::vector<PrintCell>> rows;
};

Qt::Alignment AlignmentOf(const QVariant& v) {
  if (!v.isValid()) return Qt::AlignLeft | Qt::AlignVCenter;
  if (v.metaType() == QMetaType::fromType<Qt::Alignment>()) return v.value<Qt::Alignment>();
  return Qt::Alignment(v.toInt());
}

PrintCell CellOf(const QAbstractItemModel& model, long row, int column) {
  const QModelIndex i = model.index(static_cast<int>(row - 1), column - 1);
  PrintCell c;
  c.text = model.data(i, Qt::DisplayRole).toString();
  const QVariant font = model.data(i, Qt::FontRole);
  c.bold = font.isValid() && font.value<QFont>().bold();
  const QVariant brush = model.data(i, Qt::ForegroundRole);
  if (brush.isValid()) c.color = brush.value<QBrush>().color();
  c.align = AlignmentOf(model.data(i, Qt::TextAlignmentRole));
  return c;
}

PrintTable SheetTable(const host::Worksheet& sheet, const QAbstractItemModel& model) {
  PrintTable t;
  const host::Extent extent = host::ValueExtent(sheet);
  const long last_row = extent.rows;
  const int last_col = extent.columns;
  for (int c = 1; c <= last_col; ++c) {
    t.widths.push_back(sheet.ColumnWidth(c));
    t.header.push_back(CellOf(model, 1, c));
  }
  for (long r = 2; r <= last_row; ++r) {
    std::vector<PrintCell> row;
    for (int c = 1; c <= last_col; ++c) row.push_back(CellOf(model, r, c));
    t.rows.push_back(std::move(row));
  }
  return t;
}

PrintTable TotalsTable(const host::ChartSummary& summary) {
  PrintTable t;
  t.widths = {24, 16};
  t.header = {PrintCell{QString::fromUtf8(texts::kChartMonth), true},
              PrintCell{QString::fromUtf8(texts::kChartTotal), true}};
  const auto rows = TotalRows(summary);
  for (size_t i = 0; i < rows.size(); ++i) {
    const bool last = i + 1 == rows.size();
    PrintCell label{rows[i].first, last};
    PrintCell sum{rows[i].second, last, Qt::black, Qt::AlignRight | Qt::AlignVCenter};
    t.rows.push_back({label, sum});
  }
  return t;
}

// One page: a slice of a table's rows, with a chart drawn above it or not.
struct Page {
  const PrintTable* table = nullptr;
  size_t first = 0, end = 0;  // rows [first, end)
  int chart = -1;             // index into the sheet's charts
};

// Sizes in device pixels of the printer.
class Metrics {
 public:
  Metrics(QPrinter& printer, const QFont& base) : device_(&printer) {
    cell_ = base;
    cell_.setPointSizeF(kCellPoints);
    bold_ = cell_;
    bold_.setBold(true);
    title_ = bold_;
    title_.setPointSizeF(kTitlePoints);
    foot_ = base;
    foot_.setPointSizeF(kFootPoints);
    const QFontMetricsF fm(cell_, device_);
    char_width_ = fm.horizontalAdvance(QLatin1Char('0'));
    row_height_ = fm.height() * 1.5;
    padding_ = char_width_ * 0.5;
    title_height_ = QFontMetricsF(title_, device_).height() * 2;
    foot_height_ = QFontMetricsF(foot_, device_).height() * 2;
  }
  QPaintDevice* device() const { return device_; }
  const QFont& cell() const { return cell_; }
  const QFont& bold() const { return bold_; }
  const QFont& title() const { return title_; }
  const QFont& foot() const { return foot_; }
  double char_width() const { return char_width_; }
  double row_height() const { return row_height_; }
  double padding() const { return padding_; }
  double title_height() const { return title_height_; }
  double foot_height() const { return foot_height_; }

  // Sets the table's column widths: the sheet's width in characters,
  // widened to the longest text of the column (header included, up to a
  // limit), so a printed date or name is not cut where the grid scrolls.
  void Measure(PrintTable& t) const {
    const QFontMetricsF plain(cell_, device_), strong(bold_, device_);
    t.pixels.clear();
    for (size_t c = 0; c < t.widths.size(); ++c) {
      double text = c < t.header.size() ? strong.horizontalAdvance(t.header[c].text) : 0;
      for (const std::vector<PrintCell>& row : t.rows)
        if (c < row.size())
          text = std::max(text, (row[c].bold ? strong : plain).horizontalAdvance(row[c].text));
      const double width = std::max(t.widths[c] * char_width_,
                                    std::min(text, kMaxColumnChars * char_width_));
      t.pixels.push_back(width + 2 * padding_);
    }
  }
  // The factor that fits the measured table into `width` (at most 1).
  double Fit(const PrintTable& t, double width) const {
    double total = 0;
    for (double w : t.pixels) total += w;
    return total > width ? width / total : 1.0;
  }

 private:
  QPaintDevice* device_;
  QFont cell_, bold_, title_, foot_;
  double char_width_, row_height_, padding_, title_height_, foot_height_;
};

// Rows of `t` that fit in `height` below the header row, at scale `scale`.
size_t RowsThatFit(const Metrics& m, double height, double scale) {
  const double row = m.row_height() * scale;
  const double n = height / row - 1;  // the header row first
  return n < 1 ? 1 : static_cast<size_t>(n);
}

void DrawCell(QPainter& p, const Metrics& m, const QRectF& r, const PrintCell& c, bool header) {
  if (header) p.fillRect(r, kHeaderFill);
  p.setPen(QPen(kGridLine, 0));
  p.drawRect(r);
  const QFont& f = c.bold || header ? m.bold() : m.cell();
  p.setFont(f);
  p.setPen(c.color);
  const QRectF inner = r.adjusted(m.padding(), 0, -m.padding(), 0);
  const QString text =
      QFontMetricsF(f, m.device()).elidedText(c.text, Qt::ElideRight, inner.width());
  p.drawText(inner, static_cast<int>(c.align), text);
}

// Draws rows [first, end) of `t` with its header row at `top`; returns the
// height used.
double DrawTable(QPainter& p, const Metrics& m, const PrintTable& t, size_t first, size_t end,
                 const QRectF& area) {
  const double scale = m.Fit(t, area.width());
  const std::vector<double>& widths = t.pixels;
  p.save();
  p.translate(area.topLeft());
  p.scale(scale, scale);
  auto draw_row = [&](const std::vector<PrintCell>& cells, double y, bool header) {
    double x = 0;
    for (size_t c = 0; c < widths.size(); ++c) {
      const PrintCell empty;
      DrawCell(p, m, QRectF(x, y, widths[c], m.row_height()), c < cells.size() ? cells[c] : empty,
               header);
      x += widths[c];
    }
  };
  draw_row(t.header, 0, true);
  double y = m.row_height();
  for (size_t r = first; r < end; ++r, y += m.row_height()) draw_row(t.rows[r], y, false);
  p.restore();
  return y * scale;
}

void DrawChart(QPainter& p, const host::Chart& chart, const host::ChartSummary& summary,
               const QRectF& target) {
  QGraphicsScene scene;
  QChart* c = MakeChart(chart, summary);
  scene.addItem(c);  // the scene owns it
  const QSizeF logical(kChartLogicalWidth, kChartLogicalWidth * target.height() / target.width());
  c->resize(logical);
  // Lay the chart out now: the scene is never shown. Only the chart's own
  // layout requests are delivered, nothing of the window's.
  QCoreApplication::sendPostedEvents(c, QEvent::LayoutRequest);
  if (c->layout()) c->layout()->activate();
  scene.setSceneRect(QRectF(QPointF(0, 0), logical));
  scene.render(&p, target, scene.sceneRect(), Qt::KeepAspectRatio);
}

}  // namespace

SheetPrinter::SheetPrinter(host::Worksheet& sheet, const QAbstractItemModel& model)
    : sheet_(&sheet), model_(&model) {}

int SheetPrinter::Print(QPrinter& printer) const {
  const host::Worksheet& sheet = *sheet_;
  QPainter p;
  if (!p.begin(&printer)) return 0;
  const Metrics m(printer, QApplication::font());
  const QRectF page = printer.pageLayout().paintRectPixels(printer.resolution()).toRectF();
  const QRectF body(page.left(), page.top() + m.title_height(), page.width(),
                    page.height() - m.title_height() - m.foot_height());

  // The sheet's table, then per chart its totals.
  PrintTable table = SheetTable(sheet, *model_);
  m.Measure(table);
  std::vector<host::ChartSummary> summaries;
  std::vector<PrintTable> totals;
  for (const host::Chart& c : sheet.charts()) {
    summaries.push_back(host::SummarizeChart(sheet, c));
    totals.push_back(TotalsTable(summaries.back()));
    m.Measure(totals.back());
  }

  std::vector<Page> pages;
  auto paginate = [&](const PrintTable& t, double first_height, int chart) {
    const double scale = m.Fit(t, body.width());
    size_t at = 0;
    double height = first_height;
    bool first = true;
    do {
      const size_t end = std::min(t.rows.size(), at + RowsThatFit(m, height, scale));
      pages.push_back(Page{&t, at, end, first ? chart : -1});
      first = false;
      at = end;
      height = body.height();
    } while (at < t.rows.size());
  };
  paginate(table, body.height(), -1);
  const double chart_height = body.height() * kChartShare;
  for (size_t i = 0; i < totals.size(); ++i)
    paginate(totals[i], body.height() - chart_height - m.row_height(), static_cast<int>(i));

  const QString sheet_caption =
      QString::fromUtf8(texts::kSheetCaption).arg(QString::fromStdString(sheet.Name()));
  const QString book_name = QString::fromStdString(sheet.Parent().Name());
  const int count = static_cast<int>(pages.size());
  for (int n = 0; n < count; ++n) {
    if (n > 0) printer.newPage();
    const Page& pg = pages[n];
    p.setPen(Qt::black);
    p.setFont(m.title());
    const QRectF top(page.left(), page.top(), page.width(), m.title_height());
    p.drawText(top, Qt::AlignLeft | Qt::AlignVCenter, sheet_caption);
    p.setFont(m.foot());
    p.drawText(top, Qt::AlignRight | Qt::AlignVCenter, book_name);
    QRectF area = body;
    if (pg.chart >= 0) {
      const QRectF target(body.left(), body.top(), body.width(), chart_height);
      DrawChart(p, sheet.charts()[pg.chart], summaries[pg.chart], target);
      area.setTop(target.bottom() + m.row_height());
    }
    DrawTable(p, m, *pg.table, pg.first, pg.end, area);
    p.setPen(Qt::black);
    p.setFont(m.foot());
    const QRectF foot(page.left(), page.bottom() - m.foot_height(), page.width(), m.foot_height());
    p.drawText(foot, Qt::AlignHCenter | Qt::AlignBottom,
               QString::fromUtf8(texts::kPageOf).arg(n + 1).arg(count));
  }
  p.end();
  return count;
}

void PreparePrinter(QPrinter& printer, const host::Worksheet& sheet) {
  printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                    QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm),
                                    QPageLayout::Millimeter));
  printer.setDocName(QString::fromStdString(sheet.Name()));
  printer.setCreator(QStringLiteral("Kassa"));
}

bool ExportSheetPdf(host::Worksheet& sheet, const QAbstractItemModel& model, const QString& path,
                    QString& error) {
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(path);
  PreparePrinter(printer, sheet);
  if (SheetPrinter(sheet, model).Print(printer) == 0) {
    error = QString::fromUtf8(texts::kPdfFailed) + path;
    return false;
  }
  return true;
}

}  // namespace kassa::book
