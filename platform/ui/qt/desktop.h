// The seam through which a program takes the desktop backend when its build
// has Qt: link the target `kassa_ui_qt` when it exists (it defines
// KASSA_UI_QT for its users) and call UseDesktopIfAvailable(argc, argv) at
// the start of main(). Without Qt in the build the call does nothing and the
// program keeps the console backend.
#pragma once

#if defined(KASSA_UI_QT)
#include "platform/ui/qt/qt_ui.h"
#endif

namespace kassa::ui::qt {

// True when the desktop backend was installed.
inline bool UseDesktopIfAvailable(int& argc, char** argv) {
#if defined(KASSA_UI_QT)
  return InstallIfDisplay(argc, argv);
#else
  (void)argc;
  (void)argv;
  return false;
#endif
}

}  // namespace kassa::ui::qt
