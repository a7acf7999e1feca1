// The grid of one worksheet: a table model over host::Worksheet (no widget
// per cell). It shows the cells laid out by their number formats with their
// red and grey marks and bold, row numbers and column letters; the editor
// gets a cell's value as it is typed. A typed value goes to `on_typed` after
// the editor has closed. It reads the sheet on demand; Refresh() repaints it
// when the sheet's revision has moved.
#pragma once

#include <QAbstractTableModel>
#include <QColor>
#include <functional>
#include <string>

namespace kassa::host {
class Worksheet;
}

namespace kassa::book {

class SheetModel : public QAbstractTableModel {
 public:
  SheetModel(host::Worksheet& sheet, QObject* parent = nullptr);

  // Null once detached (the workbook closed).
  host::Worksheet* sheet() const { return sheet_; }
  void Detach();

  // Repaints every cell when the sheet changed since the last call (or
  // always with `force`). Returns true when it repainted.
  bool Refresh(bool force = false);

  // The user typed `text` into the cell (row, column), 1-based; called from
  // the event loop once the editor has closed. May be empty.
  std::function<void(long row, int column, const std::string& text)> on_typed;

  // Colours of the two marks.
  static QColor Red();
  static QColor Grey();

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;

 private:
  host::Worksheet* sheet_;
  unsigned long seen_revision_ = 0;
};

}  // namespace kassa::book
