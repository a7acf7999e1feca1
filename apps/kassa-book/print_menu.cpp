// The window's print entries: print, preview and export to PDF of the
// current sheet, drawn by SheetPrinter from the sheet and its grid's model.
#include <QFileDialog>
#include <QMenu>
#include <QPointer>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

#include "apps/kassa-book/book_window.h"
#include "apps/kassa-book/sheet_model.h"
#include "apps/kassa-book/sheet_page.h"
#include "apps/kassa-book/sheet_print.h"
#include "apps/kassa-book/texts.h"
#include "platform/host/host.h"
#include "platform/ui/ui.h"

namespace kassa::book {
namespace {

// Prints the page's sheet on `printer` unless the workbook has closed.
void PrintPage(const QPointer<SheetPage>& page, QPrinter& printer) {
  if (!page || !page->sheet()) return;
  SheetPrinter(*page->sheet(), *page->model()).Print(printer);
}

QString DefaultPdfName(const SheetPage& page) {
  return QString::fromStdString(page.sheet()->Name()) + QStringLiteral(".pdf");
}

}  // namespace

QPrintPreviewDialog* ShowPrintPreview(SheetPage& page, QWidget* parent) {
  if (!page.sheet()) return nullptr;
  auto* dialog = new QPrintPreviewDialog(parent);
  PreparePrinter(*dialog->printer(), *page.sheet());
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->setWindowTitle(QString::fromUtf8(texts::kPreviewTitle));
  QPointer<SheetPage> guard(&page);
  QObject::connect(dialog, &QPrintPreviewDialog::paintRequested, dialog,
                   [guard](QPrinter* printer) { PrintPage(guard, *printer); });
  dialog->resize(900, 700);
  dialog->show();
  return dialog;
}

void AddPrintActions(QMenu& file, BookWindow& window) {
  QAction* print = file.addAction(QString::fromUtf8(texts::kPrint));
  print->setShortcut(QKeySequence::Print);
  QObject::connect(print, &QAction::triggered, &window, [&window] {
    SheetPage* page = window.CurrentPage();
    if (!page || !page->sheet()) return;
    QPrinter printer(QPrinter::HighResolution);
    PreparePrinter(printer, *page->sheet());
    QPrintDialog dialog(&printer, &window);
    if (dialog.exec() != QDialog::Accepted) return;
    PrintPage(QPointer<SheetPage>(page), printer);
  });
  QAction* preview = file.addAction(QString::fromUtf8(texts::kPrintPreview));
  QObject::connect(preview, &QAction::triggered, &window, [&window] {
    if (SheetPage* page = window.CurrentPage(); page && page->sheet())
      ShowPrintPreview(*page, &window);
  });
  QAction* pdf = file.addAction(QString::fromUtf8(texts::kExportPdf));
  QObject::connect(pdf, &QAction::triggered, &window, [&window] {
    SheetPage* page = window.CurrentPage();
    if (!page || !page->sheet()) return;
    const QString path =
        QFileDialog::getSaveFileName(&window, QString::fromUtf8(texts::kPdfTitle),
                                     DefaultPdfName(*page), QString::fromUtf8(texts::kPdfFilter));
    if (path.isEmpty() || !page->sheet()) return;
    QString error;
    if (!ExportSheetPdf(*page->sheet(), *page->model(), path, error))
      ui::Message(error.toStdString());
  });
}

}  // namespace kassa::book
