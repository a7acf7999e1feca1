// The find bar under the grid (Ctrl+F): the text to look for, "Далее" (Enter,
// F3) and "Назад" (Shift+Enter, Shift+F3); Esc closes it. Looking goes
// through the active sheet's cells by their displayed texts, ignoring letter
// case, row by row from the cell after the current one, and wraps around the
// sheet's used range. A found cell becomes the current one; "not found" goes
// to the window's status bar.
#pragma once

#include <QString>
#include <QWidget>
#include <functional>

class QLineEdit;

namespace kassa::host {
class Worksheet;
}

namespace kassa::book {

class SheetPage;

// The next cell after (row, column) (before it, `backwards`) whose displayed
// text holds `what`, wrapping around; the start cell itself comes last.
// False when no cell holds it.
bool FindCell(const host::Worksheet& sheet, const QString& what, long row, int column,
              bool backwards, long& found_row, int& found_column);

class FindBar : public QWidget {
 public:
  explicit FindBar(QWidget* parent = nullptr);

  QLineEdit* field() const { return field_; }
  // Shows the bar with the field focused and its text selected.
  void Open();
  // Looks for the field's text on the current page; false when not found.
  bool Find(bool backwards = false);

  std::function<SheetPage*()> page;                // the page to look on
  std::function<void(const QString&)> on_message;  // for the status bar

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void Close();
  QLineEdit* field_;
};

}  // namespace kassa::book
