// The grid of one worksheet: a table model over host::Worksheet (no widget
// per cell). It shows the cells' displayed texts with their red and grey
// marks and bold, row numbers and column letters, and hands a typed value
// to the host as the user's typing (host::user::Type) after the editor has
// closed. It reads the sheet on demand; Refresh() repaints it when the
// sheet's revision has moved.
#pragma once

#include <QAbstractTableModel>
#include <QColor>
#include <functional>

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

  // Called after the host took a typed value (the window refreshes and
  // reports host state); may be empty.
  std::function<void()> after_edit;

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
