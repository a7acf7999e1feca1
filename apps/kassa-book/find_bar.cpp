#include "apps/kassa-book/find_bar.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QToolButton>

#include "apps/kassa-book/cell_block.h"
#include "apps/kassa-book/sheet_page.h"
#include "apps/kassa-book/texts.h"
#include "platform/host/host.h"

namespace kassa::book {

bool FindCell(const host::Worksheet& sheet, const QString& what, long row, int column,
              bool backwards, long& found_row, int& found_column) {
  if (what.isEmpty()) return false;
  const long rows = sheet.LastUsedRow();
  const int columns = sheet.LastUsedColumn();
  if (rows < 1 || columns < 1) return false;
  // Positions run row by row over the used range; the start cell may lie
  // outside it.
  const long long total = static_cast<long long>(rows) * columns;
  long long start = (std::min<long>(row, rows) - 1) * static_cast<long long>(columns) +
                    (std::min(column, columns) - 1);
  if (row > rows || (row == rows && column > columns)) start = backwards ? total : total - 1;
  for (long long step = 1; step <= total; ++step) {
    const long long at = ((start + (backwards ? -step : step)) % total + total) % total;
    const long r = static_cast<long>(at / columns) + 1;
    const int c = static_cast<int>(at % columns) + 1;
    const host::Cell* cell = sheet.FindCell(r, c);
    if (!cell || cell->value.IsEmpty()) continue;
    if (QString::fromStdString(ShownText(sheet, r, c)).contains(what, Qt::CaseInsensitive)) {
      found_row = r;
      found_column = c;
      return true;
    }
  }
  return false;
}

FindBar::FindBar(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("find_bar"));
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(6, 2, 6, 2);
  layout->addWidget(new QLabel(QString::fromUtf8(texts::kFindLabel), this));
  field_ = new QLineEdit(this);
  field_->setObjectName(QStringLiteral("find_field"));
  field_->setClearButtonEnabled(true);
  layout->addWidget(field_, 1);
  auto* next = new QPushButton(QString::fromUtf8(texts::kFindNext), this);
  next->setObjectName(QStringLiteral("find_next"));
  auto* previous = new QPushButton(QString::fromUtf8(texts::kFindPrevious), this);
  previous->setObjectName(QStringLiteral("find_previous"));
  auto* close = new QToolButton(this);
  close->setText(QStringLiteral("✕"));
  close->setToolTip(QString::fromUtf8(texts::kFindClose));
  close->setAutoRaise(true);
  for (QPushButton* b : {next, previous}) b->setAutoDefault(false);
  layout->addWidget(next);
  layout->addWidget(previous);
  layout->addWidget(close);
  connect(next, &QPushButton::clicked, this, [this] { Find(false); });
  connect(previous, &QPushButton::clicked, this, [this] { Find(true); });
  connect(close, &QToolButton::clicked, this, [this] { Close(); });
  auto* again = new QShortcut(QKeySequence::FindNext, parent ? parent : this);
  connect(again, &QShortcut::activated, this, [this] { Find(false); });
  auto* back = new QShortcut(QKeySequence::FindPrevious, parent ? parent : this);
  connect(back, &QShortcut::activated, this, [this] { Find(true); });
  hide();
}

void FindBar::Open() {
  show();
  field_->setFocus();
  field_->selectAll();
}

void FindBar::Close() {
  hide();
  if (SheetPage* p = page ? page() : nullptr) p->table()->setFocus();
}

bool FindBar::Find(bool backwards) {
  SheetPage* p = page ? page() : nullptr;
  host::Worksheet* sheet = p ? p->sheet() : nullptr;
  const QString what = field_->text();
  if (!sheet || what.isEmpty()) return false;
  const QModelIndex cur = p->table()->currentIndex();
  const long row = cur.isValid() ? cur.row() + 1 : 1;
  const int column = cur.isValid() ? cur.column() + 1 : 1;
  long found_row = 0;
  int found_column = 0;
  if (!FindCell(*sheet, what, row, column, backwards, found_row, found_column)) {
    if (on_message) on_message(QString::fromUtf8(texts::kNotFound) + what);
    return false;
  }
  p->GoTo(found_row, found_column);
  if (on_message) on_message(QString());
  return true;
}

void FindBar::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Escape:
      Close();
      return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      Find(event->modifiers() & Qt::ShiftModifier);
      return;
    default:
      QWidget::keyPressEvent(event);
  }
}

}  // namespace kassa::book
