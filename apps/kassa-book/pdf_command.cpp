#include "apps/kassa-book/pdf_command.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "apps/kassa-book/sheet_model.h"
#include "apps/kassa-book/sheet_print.h"
#include "apps/kassa-book/texts.h"
#include "platform/host/host.h"

namespace kassa::book {

bool IsPdfCommand(int argc, char** argv) {
  return argc > 1 && std::strcmp(argv[1], "--pdf") == 0;
}

int RunPdfCommand(int argc, char** argv) {
  if (argc != 5) {
    std::fputs(texts::kPdfUsage, stderr);
    return 2;
  }
  // Without a display the pages are drawn off screen.
  auto set = [](const char* name) {
    const char* v = std::getenv(name);
    return v && *v;
  };
  if (!set("DISPLAY") && !set("WAYLAND_DISPLAY") && !set("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  if (!QApplication::instance()) new QApplication(argc, argv);  // kept for the process
  const std::string out = argv[2], book_path = argv[3], sheet_name = argv[4];
  host::Application app;
  host::Workbook* book = nullptr;
  try {
    book = &app.OpenWithoutMacros(book_path);
  } catch (const host::HostError& e) {
    std::fprintf(stderr, "%s%s\n", texts::kPdfCannotOpen, e.what());
    return 1;
  }
  host::Worksheet* sheet = book->FindSheet(sheet_name);
  if (!sheet) {
    std::fprintf(stderr, "%s%s\n", texts::kPdfNoSheet, sheet_name.c_str());
    return 1;
  }
  SheetModel model(*sheet);
  QString error;
  if (!ExportSheetPdf(*sheet, model, QString::fromStdString(out), error)) {
    std::fprintf(stderr, "kassa-book: %s\n", error.toUtf8().constData());
    return 1;
  }
  return 0;
}

}  // namespace kassa::book
