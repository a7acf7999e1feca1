// Printing a sheet: its cells as the grid shows them (texts, bold, marks,
// alignment, taken from the grid's model), laid out on the printer's pages.
// Every page carries the sheet's name and the book's file name on top, the
// sheet's header row (row 1) above its rows, and "Страница N из M" at the
// foot. Columns keep their proportions; a table wider than the page is
// scaled down to the page's width. A sheet with charts gets, after its
// table, a page per chart: the chart and its month totals (continued on
// further pages, header repeated, when they do not fit).
//
// Printing reads the sheet and the model and changes nothing.
#pragma once

#include <QString>

namespace kassa::host {
class Worksheet;
}

class QAbstractItemModel;
class QMenu;
class QPrinter;
class QPrintPreviewDialog;
class QWidget;

namespace kassa::book {

class BookWindow;
class SheetPage;

class SheetPrinter {
 public:
  // Both must outlive the printer object; `model` gives each cell's
  // display text, font, foreground and alignment (row r, column c of the
  // sheet at index (r - 1, c - 1)).
  SheetPrinter(host::Worksheet& sheet, const QAbstractItemModel& model);

  // Draws every page on `printer` (a printer, a PDF file or a preview).
  // Returns the number of pages drawn; 0 when the printer could not be
  // started (a PDF file that cannot be written).
  int Print(QPrinter& printer) const;

 private:
  host::Worksheet* sheet_;
  const QAbstractItemModel* model_;
};

// Sets `printer` up for the sheet: A4 portrait with margins of 12 mm, the
// sheet's name as the document's (a print dialog may change them after).
void PreparePrinter(QPrinter& printer, const host::Worksheet& sheet);

// Writes the sheet as an A4 PDF file at `path`. False with `error` set when
// the file cannot be written.
bool ExportSheetPdf(host::Worksheet& sheet, const QAbstractItemModel& model, const QString& path,
                    QString& error);

// The print preview of `page`'s sheet, shown (not modal) and deleted when
// closed; it draws the sheet as it is whenever it repaints. Null when the
// page's workbook has closed.
QPrintPreviewDialog* ShowPrintPreview(SheetPage& page, QWidget* parent);

// The File menu's print entries (print, preview, export to PDF) for the
// window's current sheet.
void AddPrintActions(QMenu& file, BookWindow& window);

}  // namespace kassa::book
