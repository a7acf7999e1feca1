#include <QApplication>
#include <cstdlib>
#include <string>

#include "platform/ui/qt/qt_backend.h"
#include "platform/ui/qt/qt_ui.h"

namespace kassa::ui::qt {
namespace {

bool Set(const char* name) {
  const char* v = std::getenv(name);
  return v && *v;
}

}  // namespace

bool DisplayPresent() {
  const char* forced = std::getenv("KASSA_UI");
  if (forced && std::string(forced) == "console") return false;
  return Set("DISPLAY") || Set("WAYLAND_DISPLAY") || Set("QT_QPA_PLATFORM");
}

Backend& Desktop() {
  // Never destroyed, like the application: forms released late still reach it.
  static QtBackend* backend = new QtBackend;
  return *backend;
}

bool InstallIfDisplay(int& argc, char** argv) {
  if (!DisplayPresent()) return false;
  if (!QApplication::instance()) {
    auto* app = new QApplication(argc, argv);  // kept for the life of the process
    (void)app;
  }
  QApplication::setQuitOnLastWindowClosed(false);
  Install(&Desktop());
  return true;
}

}  // namespace kassa::ui::qt
