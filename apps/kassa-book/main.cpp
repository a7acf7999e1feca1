// kassa-book: the workbook window. Opens the workbook named on the command
// line (or chosen in the file dialog); its macros then create the engine.
// `kassa-book --pdf OUT.pdf BOOK SHEET` writes a sheet into a PDF file
// instead, without a window.
#include <QApplication>
#include <QFileDialog>
#include <cstdio>
#include <exception>
#include <string>

#include "apps/kassa-book/book_window.h"
#include "apps/kassa-book/pdf_command.h"
#include "apps/kassa-book/texts.h"
#include "platform/host/host.h"
#include "platform/ui/qt/qt_ui.h"
#include "platform/ui/ui.h"

namespace {

int Run(int argc, char** argv) {
  if (kassa::book::IsPdfCommand(argc, argv)) return kassa::book::RunPdfCommand(argc, argv);
  if (!kassa::ui::qt::InstallIfDisplay(argc, argv)) {
    std::fputs(kassa::book::texts::kNoDisplay, stderr);
    return 2;
  }
  QApplication::setApplicationName(QStringLiteral("kassa-book"));
  kassa::host::Application app;
  QString path;
  if (argc > 1) {
    path = QString::fromLocal8Bit(argv[1]);
  } else {
    path =
        QFileDialog::getOpenFileName(nullptr, QString::fromUtf8(kassa::book::texts::kOpenTitle),
                                     QString(), QString::fromUtf8(kassa::book::texts::kOpenFilter));
    if (path.isEmpty()) return 0;
  }
  if (!kassa::book::BookWindow::OpenFile(app, path)) return 1;
  return QApplication::exec();
}

}  // namespace

int main(int argc, char** argv) {
  // Nothing escapes as an abort: the user is told, the program ends.
  try {
    return Run(argc, argv);
  } catch (const std::exception& e) {
    const std::string text = kassa::book::texts::kInternalError + std::string(e.what());
    std::fprintf(stderr, "kassa-book: %s\n", text.c_str());
    try {
      kassa::ui::Message(text, kassa::ui::Buttons::OK);
    } catch (...) {
    }
    return 1;
  }
}
