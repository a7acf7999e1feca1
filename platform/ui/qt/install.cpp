#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <cstdlib>
#include <string>

#include "platform/ui/qt/help_window.h"
#include "platform/ui/qt/qt_backend.h"
#include "platform/ui/qt/qt_ui.h"

namespace kassa::ui::qt {
namespace {

bool Set(const char* name) {
  const char* v = std::getenv(name);
  return v && *v;
}

}  // namespace

namespace {

bool russian_loaded = false;

// Qt's own texts in Russian (the Debian package of Qt's translations puts
// them in Qt's translations folder), the Russian locale and the icon.
void MakeRussian(QApplication& app) {
  QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
  static bool done = false;
  if (done) return;
  done = true;
  auto* translator = new QTranslator(&app);
  russian_loaded =
      translator->load(QLocale(QLocale::Russian, QLocale::Russia), QStringLiteral("qtbase"),
                       QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
  if (russian_loaded)
    QCoreApplication::installTranslator(translator);
  else
    delete translator;
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/kassa/kassa.png")));
}

}  // namespace

bool RussianLoaded() {
  return russian_loaded;
}

void ShowGuide() {
  ShowGuideWindow();
}

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
  if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance())) MakeRussian(*app);
  QApplication::setQuitOnLastWindowClosed(false);
  Install(&Desktop());
  return true;
}

}  // namespace kassa::ui::qt
