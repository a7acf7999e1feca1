// The desktop backend of the UI port (Qt Widgets).
//
// A program that may run on a desktop calls InstallIfDisplay() first thing in
// main(). With a display (or an explicit Qt platform) it creates the one
// QApplication of the process and installs the Qt backend as the process-wide
// UI port; otherwise it changes nothing and the program keeps the console
// backend. Nothing in this header needs Qt, so programs that do not use Qt
// themselves may include it (see desktop.h for the build-independent seam).
#pragma once

#include <string>

#include "platform/ui/ui.h"

namespace kassa::ui::qt {

// True when $DISPLAY, $WAYLAND_DISPLAY or $QT_QPA_PLATFORM is set and not
// empty, unless $KASSA_UI is "console" (unattended runs: tests, scripts).
bool DisplayPresent();

// Creates the QApplication (unless one exists already, e.g. made by a test)
// and installs the Qt backend; returns false, doing nothing, when no display
// is present. `argc`/`argv` must outlive the application (main's own do).
// The application is kept for the life of the process and is never
// destroyed, so forms released during static destruction stay safe.
// Quitting on the last closed window is off: programs end on their own terms.
bool InstallIfDisplay(int& argc, char** argv);

// The Qt backend object (one per process). A QApplication must exist before
// any of its members is called. Install(&Desktop()) makes it the UI port.
Backend& Desktop();

// Everything the user sees is Russian: InstallIfDisplay makes Russia the
// default locale (dates, month names, the calendar, number editors) and
// loads Qt's own Russian translations (standard dialogs and buttons, the
// file dialog), and gives every window the program's icon. True when the
// translations were found and loaded.
bool RussianLoaded();

// Opens the user's guide (see help_window.h); the desktop windows call it
// on F1 and from their Справка menus.
void ShowGuide();

}  // namespace kassa::ui::qt
