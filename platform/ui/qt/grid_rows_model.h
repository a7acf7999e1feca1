// A read-only table model over the rows of a grid control: the column
// captions as headers, the cell texts as data. It holds a copy of the rows,
// replaced whenever the form is re-synchronised from its model.
#pragma once

#include <QAbstractTableModel>
#include <string>
#include <vector>

#include "platform/ui/form.h"

namespace kassa::ui::qt {

class GridRowsModel : public QAbstractTableModel {
 public:
  using QAbstractTableModel::QAbstractTableModel;

  // Takes the control's columns and rows; resets the model only when they
  // differ from what it shows. Returns true when something changed.
  bool SetFrom(const Control& grid);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;

 private:
  std::vector<GridColumn> columns_;
  std::vector<std::vector<std::string>> rows_;
};

}  // namespace kassa::ui::qt
