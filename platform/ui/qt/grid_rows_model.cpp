#include "platform/ui/qt/grid_rows_model.h"

namespace kassa::ui::qt {
namespace {

bool SameColumns(const std::vector<GridColumn>& a, const std::vector<GridColumn>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (a[i].caption != b[i].caption || a[i].field != b[i].field) return false;
  return true;
}

}  // namespace

bool GridRowsModel::SetFrom(const Control& grid) {
  if (SameColumns(columns_, grid.columns) && rows_ == grid.rows) return false;
  beginResetModel();
  columns_ = grid.columns;
  rows_ = grid.rows;
  endResetModel();
  return true;
}

int GridRowsModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int GridRowsModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QVariant GridRowsModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || role != Qt::DisplayRole) return {};
  const auto& row = rows_[static_cast<size_t>(index.row())];
  size_t col = static_cast<size_t>(index.column());
  if (col >= row.size()) return QString();
  return QString::fromStdString(row[col]);
}

QVariant GridRowsModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) return {};
  if (orientation == Qt::Vertical) return section + 1;
  if (section < 0 || section >= static_cast<int>(columns_.size())) return {};
  return QString::fromStdString(columns_[static_cast<size_t>(section)].caption);
}

}  // namespace kassa::ui::qt
