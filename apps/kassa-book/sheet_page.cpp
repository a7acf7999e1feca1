#include "apps/kassa-book/sheet_page.h"

#include <QApplication>
#include <QClipboard>
#include <QFontMetrics>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMimeData>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "apps/kassa-book/cell_block.h"
#include "apps/kassa-book/sheet_model.h"
#include "apps/kassa-book/texts.h"
#include "platform/host/host.h"

namespace kassa::book {
namespace {

constexpr int kRowHeight = 20;
// Pixels of a column `chars` characters wide.
int ColumnPixels(double chars) {
  return static_cast<int>(chars * 8 + 5);
}
// Fitting a column to its contents looks at this many rows at most and makes
// it no wider than this.
constexpr long kFitRows = 5000;
constexpr int kFitMaxPixels = 480;
constexpr int kFitPadding = 12;

// The cells of a copy, as texts that type the same values in again; a paste
// within Kassa prefers them to the displayed texts.
const QString kCellsMime = QStringLiteral("application/x-kassa-cells");

}  // namespace

// ---- the frozen header row ----------------------------------------------

FrozenRow::FrozenRow(QWidget* parent) : QTableView(parent) {
  setFocusPolicy(Qt::NoFocus);
  horizontalHeader()->hide();
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  setFrameShape(QFrame::NoFrame);
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  verticalHeader()->setDefaultSectionSize(kRowHeight);
  setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                  QAbstractItemView::AnyKeyPressed);
  setObjectName(QStringLiteral("frozen_row"));
}

void FrozenRow::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
  QTableView::closeEditor(editor, QAbstractItemDelegate::NoHint);
  if (after_close) after_close(hint);
}

void FrozenRow::focusInEvent(QFocusEvent* event) {
  // The keyboard belongs to the grid beneath.
  QTableView::focusInEvent(event);
  if (parentWidget()) parentWidget()->setFocus();
}

// ---- the grid ------------------------------------------------------------

SheetTable::SheetTable(QWidget* parent) : QTableView(parent) {
  setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  frozen_ = new FrozenRow(this);
  frozen_->after_close = [this](QAbstractItemDelegate::EndEditHint hint) { AfterEditor(hint); };
  connect(horizontalHeader(), &QHeaderView::sectionResized, frozen_,
          [this](int section, int, int size) { frozen_->setColumnWidth(section, size); });
  connect(horizontalScrollBar(), &QScrollBar::valueChanged, frozen_->horizontalScrollBar(),
          &QScrollBar::setValue);
}

void SheetTable::setModel(QAbstractItemModel* model) {
  QTableView::setModel(model);
  frozen_->setModel(model);
  frozen_->setSelectionModel(selectionModel());
  for (int c = 0; c < model->columnCount(); ++c) frozen_->setColumnWidth(c, columnWidth(c));
  PlaceFrozenRow();
  frozen_->show();
}

void SheetTable::PlaceFrozenRow() {
  if (!model()) return;
  frozen_->verticalHeader()->setFixedWidth(verticalHeader()->width());
  frozen_->setGeometry(frameWidth(), frameWidth() + horizontalHeader()->height(),
                       verticalHeader()->width() + viewport()->width(), rowHeight(0));
  frozen_->horizontalScrollBar()->setValue(horizontalScrollBar()->value());
}

void SheetTable::resizeEvent(QResizeEvent* event) {
  QTableView::resizeEvent(event);
  PlaceFrozenRow();
}

void SheetTable::updateGeometries() {
  QTableView::updateGeometries();
  PlaceFrozenRow();
}

bool SheetTable::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
  // Row 1 lies under the frozen row: it is edited there.
  if (index.isValid() && index.row() == 0) return frozen_->EditCell(index, trigger, event);
  return QTableView::edit(index, trigger, event);
}

void SheetTable::scrollTo(const QModelIndex& index, ScrollHint hint) {
  if (!index.isValid()) return;
  const int top = verticalScrollBar()->value();
  QTableView::scrollTo(index, hint);
  if (index.row() == 0) {
    verticalScrollBar()->setValue(top);  // always in view
  } else if (index.row() <= verticalScrollBar()->value()) {
    // The row would lie under the frozen row: it comes out below it.
    verticalScrollBar()->setValue(index.row() - 1);
  }
}

bool SheetTable::Editing() const {
  return state() == QAbstractItemView::EditingState || frozen_->Editing();
}

void SheetTable::Step(int rows, int columns) {
  QModelIndex cur = currentIndex();
  if (!cur.isValid() || !model()) return;
  const int r = std::clamp(cur.row() + rows, 0, model()->rowCount() - 1);
  const int c = std::clamp(cur.column() + columns, 0, model()->columnCount() - 1);
  setCurrentIndex(model()->index(r, c));
}

void SheetTable::AfterEditor(QAbstractItemDelegate::EndEditHint hint) {
  switch (hint) {
    case QAbstractItemDelegate::EditNextItem:
      Step(0, 1);
      break;
    case QAbstractItemDelegate::EditPreviousItem:
      Step(0, -1);
      break;
    case QAbstractItemDelegate::SubmitModelCache:
      Step(1, 0);
      break;
    default:
      break;
  }
  setFocus();
}

void SheetTable::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
  // Tab and Enter end the edit and move on, without opening the next cell.
  QTableView::closeEditor(editor, QAbstractItemDelegate::NoHint);
  AfterEditor(hint);
}

void SheetTable::keyPressEvent(QKeyEvent* event) {
  if (state() != QAbstractItemView::EditingState) {
    const auto mods = event->modifiers() & ~Qt::KeypadModifier;
    switch (event->key()) {
      case Qt::Key_Return:
      case Qt::Key_Enter:
        if (mods == Qt::NoModifier || mods == Qt::ShiftModifier) {
          Step(mods == Qt::ShiftModifier ? -1 : 1, 0);
          return;
        }
        break;
      case Qt::Key_Tab:
        Step(0, 1);
        return;
      case Qt::Key_Backtab:
        Step(0, -1);
        return;
      case Qt::Key_Delete:
        if (mods == Qt::NoModifier) {
          if (on_clear) on_clear();
          return;
        }
        break;
      default:
        break;
    }
    if (event->matches(QKeySequence::Paste)) {
      if (on_paste) on_paste();
      return;
    }
  }
  QTableView::keyPressEvent(event);
}

// ---- the page ------------------------------------------------------------

SheetPage::SheetPage(host::Worksheet& sheet, QWidget* parent) : QWidget(parent) {
  setObjectName(QString::fromStdString(sheet.Name()));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  strip_ = new QWidget(this);
  strip_layout_ = new QHBoxLayout(strip_);
  strip_layout_->setContentsMargins(4, 2, 4, 2);
  strip_layout_->addStretch(1);
  layout->addWidget(strip_);
  table_ = new SheetTable(this);
  model_ = new SheetModel(sheet, this);
  table_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  table_->verticalHeader()->setDefaultSectionSize(kRowHeight);
  table_->horizontalHeader()->setDefaultSectionSize(ColumnPixels(8.43));
  table_->setModel(model_);
  table_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                          QAbstractItemView::AnyKeyPressed);
  layout->addWidget(table_, 1);
  // The keyboard goes to the grid whenever the page gets it.
  setFocusProxy(table_);

  table_->on_clear = [this] { ClearSelection(); };
  table_->on_paste = [this] { PasteClipboard(); };
  model_->on_typed = [this](long row, int column, const std::string& text) {
    Typed(row, column, text);
  };
  connect(table_->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
    SelectionToHost();
    if (on_selection) on_selection();
  });
  connect(table_->selectionModel(), &QItemSelectionModel::currentChanged, this, [this] {
    SelectionToHost();
    if (on_selection) on_selection();
  });
  ApplyColumnWidths();
  FitColumns();
  SyncShapes();
  SyncSelection();
}

host::Worksheet* SheetPage::sheet() const {
  return model_->sheet();
}

void SheetPage::Detach() {
  model_->Detach();
  for (QPushButton* b : strip_->findChildren<QPushButton*>()) b->setEnabled(false);
}

void SheetPage::ApplyColumnWidths() {
  host::Worksheet* s = sheet();
  if (!s) return;
  int last = std::max(s->LastUsedColumn(), 26);
  for (int c = 1; c <= last; ++c) table_->setColumnWidth(c - 1, ColumnPixels(s->ColumnWidth(c)));
}

void SheetPage::FitColumns() {
  // Each used column grows to show its widest text (within bounds); a
  // column the workbook made wider keeps its width.
  host::Worksheet* s = sheet();
  if (!s) return;
  const long rows = s->LastUsedRow();
  fitted_rows_ = rows;
  const long last_row = std::min(rows, kFitRows);
  const int columns = s->LastUsedColumn();
  QFont bold_font = table_->font();
  bold_font.setBold(true);
  const QFontMetrics plain(table_->font()), bold(bold_font);
  for (int c = 1; c <= columns; ++c) {
    int widest = 0;
    for (long r = 1; r <= last_row; ++r) {
      const host::Cell* cell = s->FindCell(r, c);
      if (!cell || cell->value.IsEmpty()) continue;
      const bool is_bold = cell->own_format ? cell->format.bold : s->ColumnFormat(c).bold;
      const QString text = QString::fromStdString(ShownText(*s, r, c));
      widest = std::max(widest, (is_bold ? bold : plain).horizontalAdvance(text));
    }
    const int want = std::min(widest + kFitPadding, kFitMaxPixels);
    if (want > table_->columnWidth(c - 1)) table_->setColumnWidth(c - 1, want);
  }
}

void SheetPage::FitColumnsIfGrown() {
  host::Worksheet* s = sheet();
  if (s && s->LastUsedRow() != fitted_rows_) FitColumns();
}

void SheetPage::Done() {
  model_->Refresh(true);
  FitColumnsIfGrown();
  if (after_action) after_action();
}

void SheetPage::Edit(std::vector<EditAction> actions, const QString& label) {
  if (actions.empty()) return;
  if (on_edit) {
    on_edit(std::move(actions), label);
  } else {
    host::Worksheet* s = sheet();
    if (!s) return;
    SheetEdit once([s] { return s; }, std::move(actions), label, nullptr);
    once.redo();
  }
}

void SheetPage::Typed(long row, int column, const std::string& text) {
  if (!sheet()) return;
  EditAction a;
  a.kind = EditAction::Kind::Type;
  a.row = row;
  a.column = column;
  a.text = text;
  Edit({a}, QString::fromUtf8(texts::kUndoTyping));
  host::Worksheet* s = sheet();
  if (!s) return;
  // Enter or Tab moved the current cell on while the value went in; unless
  // the engine selected something itself, the host follows the grid.
  host::Range sel = s->Selection();
  const QModelIndex cur = table_->currentIndex();
  if (sel.Row() == row && sel.LastRow() == row && sel.Column() == column &&
      sel.LastColumn() == column && cur.isValid() &&
      (cur.row() + 1 != row || cur.column() + 1 != column)) {
    std::fill(sent_, sent_ + 4, 0);
    SelectionToHost();
  }
  Done();
}

std::vector<SheetPage::Rect> SheetPage::SelectedRects() const {
  std::vector<Rect> out;
  for (const QItemSelectionRange& r : table_->selectionModel()->selection())
    out.push_back(Rect{r.top() + 1L, r.bottom() + 1L, r.left() + 1, r.right() + 1});
  if (out.empty()) {
    QModelIndex cur = table_->currentIndex();
    if (cur.isValid())
      out.push_back(Rect{cur.row() + 1L, cur.row() + 1L, cur.column() + 1, cur.column() + 1});
  }
  return out;
}

void SheetPage::GoTo(long row, int column) {
  table_->setCurrentIndex(model_->index(static_cast<int>(row - 1), column - 1));
}

void SheetPage::ClearSelection() {
  if (!sheet()) return;
  std::vector<EditAction> actions;
  for (const Rect& r : SelectedRects()) {
    EditAction a;
    a.kind = EditAction::Kind::Clear;
    a.row = r.row1;
    a.column = r.col1;
    a.last_row = r.row2;
    a.last_column = r.col2;
    actions.push_back(a);
  }
  Edit(std::move(actions), QString::fromUtf8(texts::kUndoClear));
  Done();
}

void SheetPage::PasteText(const QString& text) {
  if (!sheet() || text.isEmpty()) return;
  QModelIndex cur = table_->currentIndex();
  // The clipboard ends its last line; spreadsheet programs use CR LF.
  QString block = text;
  block.remove(QLatin1Char('\r'));
  if (block.endsWith(QLatin1Char('\n'))) block.chop(1);
  EditAction a;
  a.kind = EditAction::Kind::Paste;
  a.row = cur.isValid() ? cur.row() + 1 : 1;
  a.column = cur.isValid() ? cur.column() + 1 : 1;
  a.text = block.toStdString();
  Edit({a}, QString::fromUtf8(texts::kUndoPaste));
  Done();
}

void SheetPage::PasteClipboard() {
  const QMimeData* data = QApplication::clipboard()->mimeData();
  if (!data) return;
  if (data->hasFormat(kCellsMime))
    PasteText(QString::fromUtf8(data->data(kCellsMime)));
  else
    PasteText(data->text());
}

SheetPage::Rect SheetPage::CopyRect() const {
  // The rectangle that holds the current cell (spreadsheets copy one).
  const QModelIndex cur = table_->currentIndex();
  std::vector<Rect> rects = SelectedRects();
  for (const Rect& r : rects)
    if (cur.isValid() && r.row1 <= cur.row() + 1 && cur.row() + 1 <= r.row2 &&
        r.col1 <= cur.column() + 1 && cur.column() + 1 <= r.col2)
      return r;
  return rects.empty() ? Rect{1, 1, 1, 1} : rects.front();
}

void SheetPage::CopySelection() {
  host::Worksheet* s = sheet();
  if (!s) return;
  const Rect r = CopyRect();
  // Whole rows and columns end where the sheet's contents do.
  const bool whole = r.row2 == host::kMaxRows || r.col2 == host::kMaxColumns;
  CellBlock block = TakeBlock(*s, r.row1, r.col1, r.row2, r.col2, whole);
  if (block.IsEmpty()) block = TakeBlock(*s, r.row1, r.col1, r.row1, r.col1);
  auto* data = new QMimeData;
  data->setText(QString::fromStdString(BlockText(*s, block, true)));
  data->setData(kCellsMime, QByteArray::fromStdString(BlockText(*s, block, false)));
  QApplication::clipboard()->setMimeData(data);
}

void SheetPage::CutSelection() {
  if (!sheet()) return;
  CopySelection();
  const Rect r = CopyRect();
  EditAction a;
  a.kind = EditAction::Kind::Clear;
  a.row = r.row1;
  a.column = r.col1;
  a.last_row = r.row2;
  a.last_column = r.col2;
  Edit({a}, QString::fromUtf8(texts::kUndoCut));
  Done();
}

void SheetPage::ClickShape(const std::string& name) {
  host::Worksheet* s = sheet();
  if (!s) return;
  host::user::Click(*s, name);
  Done();
}

void SheetPage::SelectionToHost() {
  host::Worksheet* s = sheet();
  if (!s || syncing_selection_) return;
  QModelIndex cur = table_->currentIndex();
  if (!cur.isValid()) return;
  // The host keeps one rectangle whose top-left cell is the active cell: the
  // selected rectangle that holds the current cell, or that cell alone.
  long r1 = cur.row() + 1, r2 = r1;
  int c1 = cur.column() + 1, c2 = c1;
  for (const QItemSelectionRange& r : table_->selectionModel()->selection()) {
    if (r.contains(cur)) {
      r1 = r.top() + 1;
      r2 = r.bottom() + 1;
      c1 = r.left() + 1;
      c2 = r.right() + 1;
      break;
    }
  }
  const long now[4] = {r1, c1, r2, c2};
  if (std::equal(now, now + 4, sent_)) return;
  std::copy(now, now + 4, sent_);
  host::user::Select(*s, r1, c1, r2, c2);
}

void SheetPage::SyncShapes() {
  host::Worksheet* s = sheet();
  if (!s) return;
  std::vector<std::pair<std::string, std::string>> now;
  for (const host::Shape& shape : s->shapes()) now.emplace_back(shape.name, shape.caption);
  if (now == shapes_shown_) return;
  shapes_shown_ = now;
  for (QPushButton* b : strip_->findChildren<QPushButton*>()) {
    b->hide();
    b->deleteLater();
  }
  int at = 0;
  for (const auto& [name, caption] : now) {
    auto* b = new QPushButton(QString::fromStdString(caption.empty() ? name : caption), strip_);
    b->setObjectName(QString::fromStdString(name));
    b->setAutoDefault(false);
    b->setFocusPolicy(Qt::NoFocus);  // a click runs it; the keyboard stays in the grid
    connect(b, &QPushButton::clicked, this, [this, name = name] { ClickShape(name); });
    strip_layout_->insertWidget(at++, b);
  }
  strip_->setVisible(!now.empty());
}

void SheetPage::SyncSelection() {
  host::Worksheet* s = sheet();
  if (!s) return;
  host::Range sel = s->Selection();
  host::Range act = s->ActiveCell();
  const long now[4] = {sel.Row(), sel.Column(), sel.LastRow(), sel.LastColumn()};
  if (std::equal(now, now + 4, sent_) && table_->currentIndex().isValid()) return;
  std::copy(now, now + 4, sent_);
  syncing_selection_ = true;
  QItemSelection selection(model_->index(sel.Row() - 1, sel.Column() - 1),
                           model_->index(sel.LastRow() - 1, sel.LastColumn() - 1));
  table_->selectionModel()->setCurrentIndex(model_->index(act.Row() - 1, act.Column() - 1),
                                            QItemSelectionModel::NoUpdate);
  table_->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
  syncing_selection_ = false;
  if (on_selection) on_selection();
}

void SheetPage::SyncFromHost() {
  host::Worksheet* s = sheet();
  if (!s || table_->Editing()) return;
  if (model_->Refresh()) FitColumnsIfGrown();
  SyncShapes();
  SyncSelection();
}

}  // namespace kassa::book
