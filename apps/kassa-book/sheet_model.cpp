#include "apps/kassa-book/sheet_model.h"

#include <QBrush>
#include <QFont>
#include <QTimer>
#include <functional>

#include "apps/kassa-book/cell_block.h"
#include "apps/kassa-book/display_format.h"
#include "platform/host/host.h"

namespace kassa::book {

SheetModel::SheetModel(host::Worksheet& sheet, QObject* parent)
    : QAbstractTableModel(parent), sheet_(&sheet), seen_revision_(sheet.revision()) {}

QColor SheetModel::Red() { return QColor(0xFF, 0x00, 0x00); }
QColor SheetModel::Grey() { return QColor(0x96, 0x96, 0x96); }

void SheetModel::Detach() {
  beginResetModel();
  sheet_ = nullptr;
  endResetModel();
}

bool SheetModel::Refresh(bool force) {
  if (!sheet_) return false;
  if (!force && sheet_->revision() == seen_revision_) return false;
  seen_revision_ = sheet_->revision();
  emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
  emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
  return true;
}

int SheetModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() || !sheet_ ? 0 : static_cast<int>(host::kMaxRows);
}

int SheetModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() || !sheet_ ? 0 : host::kMaxColumns;
}

QVariant SheetModel::data(const QModelIndex& index, int role) const {
  if (!sheet_ || !index.isValid()) return {};
  const long row = index.row() + 1;
  const int col = index.column() + 1;
  const host::Cell* cell = sheet_->FindCell(row, col);
  const host::CellFormat& format =
      cell && cell->own_format ? cell->format : sheet_->ColumnFormat(col);
  switch (role) {
    case Qt::DisplayRole:
      return QString::fromStdString(ShownText(*sheet_, row, col));
    case Qt::EditRole:
      // The editor shows the value as it is typed: the full number, no grouping.
      if (cell && cell->value.type() == Variant::Type::Error)
        return QString::fromStdString(ShownText(*sheet_, row, col));
      return QString::fromStdString(EditText(cell ? cell->value : Variant()));
    case Qt::ForegroundRole:
      if (format.color_index == host::kColorRed) return QBrush(Red());
      if (format.color_index == host::kColorGrey) return QBrush(Grey());
      return {};
    case Qt::FontRole:
      if (format.bold) {
        QFont f;
        f.setBold(true);
        return f;
      }
      return {};
    case Qt::TextAlignmentRole:
      if (cell && (cell->value.type() == Variant::Type::Number ||
                   cell->value.type() == Variant::Type::Date))
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
      return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    default:
      return {};
  }
}

bool SheetModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!sheet_ || !index.isValid() || role != Qt::EditRole) return false;
  // The host raises the change event, and the engine may show message boxes:
  // that runs after the editor has closed, never inside the editor's commit.
  const long row = index.row() + 1;
  const int col = index.column() + 1;
  const std::string text = value.toString().toStdString();
  QTimer::singleShot(0, this, [this, row, col, text] {
    if (sheet_ && on_typed) on_typed(row, col, text);
  });
  return true;
}

Qt::ItemFlags SheetModel::flags(const QModelIndex& index) const {
  if (!sheet_ || !index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable;
}

QVariant SheetModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) return {};
  if (orientation == Qt::Horizontal) return QString::fromStdString(host::ColumnName(section + 1));
  return section + 1;
}

}  // namespace kassa::book
