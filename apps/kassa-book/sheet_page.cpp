#include "apps/kassa-book/sheet_page.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "apps/kassa-book/sheet_model.h"
#include "platform/host/host.h"

namespace kassa::book {
namespace {

constexpr int kRowHeight = 20;
// Pixels of a column `chars` characters wide.
int ColumnPixels(double chars) { return static_cast<int>(chars * 8 + 5); }

}  // namespace

SheetTable::SheetTable(QWidget* parent) : QTableView(parent) {}

void SheetTable::keyPressEvent(QKeyEvent* event) {
  if (state() != QAbstractItemView::EditingState) {
    if (event->matches(QKeySequence::Paste)) {
      if (on_paste) on_paste();
      return;
    }
    if (event->key() == Qt::Key_Delete && event->modifiers() == Qt::NoModifier) {
      if (on_clear) on_clear();
      return;
    }
  }
  QTableView::keyPressEvent(event);
}

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
  table_->setModel(model_);
  table_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  table_->verticalHeader()->setDefaultSectionSize(kRowHeight);
  table_->horizontalHeader()->setDefaultSectionSize(ColumnPixels(8.43));
  table_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                          QAbstractItemView::AnyKeyPressed);
  layout->addWidget(table_, 1);

  table_->on_clear = [this] { ClearSelection(); };
  table_->on_paste = [this] { PasteText(QApplication::clipboard()->text()); };
  model_->after_edit = [this] { Done(); };
  connect(table_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          [this] { SelectionToHost(); });
  connect(table_->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this] { SelectionToHost(); });
  ApplyColumnWidths();
  SyncShapes();
  SyncSelection();
}

host::Worksheet* SheetPage::sheet() const { return model_->sheet(); }

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

void SheetPage::Done() {
  model_->Refresh(true);
  if (after_action) after_action();
}

void SheetPage::ClearSelection() {
  host::Worksheet* s = sheet();
  if (!s) return;
  const QItemSelection selection = table_->selectionModel()->selection();
  if (selection.isEmpty()) {
    QModelIndex cur = table_->currentIndex();
    if (!cur.isValid()) return;
    host::user::Clear(*s, cur.row() + 1, cur.column() + 1, cur.row() + 1, cur.column() + 1);
  } else {
    for (const QItemSelectionRange& r : selection) {
      if (!sheet()) break;
      host::user::Clear(*sheet(), r.top() + 1, r.left() + 1, r.bottom() + 1, r.right() + 1);
    }
  }
  Done();
}

void SheetPage::PasteText(const QString& text) {
  host::Worksheet* s = sheet();
  if (!s || text.isEmpty()) return;
  QModelIndex cur = table_->currentIndex();
  long row = cur.isValid() ? cur.row() + 1 : 1;
  int col = cur.isValid() ? cur.column() + 1 : 1;
  // The clipboard ends its last line; spreadsheet programs use CR LF.
  QString block = text;
  block.remove(QLatin1Char('\r'));
  if (block.endsWith(QLatin1Char('\n'))) block.chop(1);
  host::user::Paste(*s, row, col, block.toStdString());
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
}

void SheetPage::SyncFromHost() {
  if (!sheet()) return;
  model_->Refresh();
  SyncShapes();
  SyncSelection();
}

}  // namespace kassa::book
