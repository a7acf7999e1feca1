// The user's guide in a window of its own (F1, the Справка menus).
#pragma once

#include <QString>

class QTextBrowser;

namespace kassa::ui::qt {

// The guide's file: the first that exists of $KASSA_GUIDE, <program
// folder>/doc/<name> (the build's deploy folder) and <program
// folder>/../share/doc/kassa/<name> (an installation); empty when none does.
QString GuideFile();

// Shows the guide window (one per process; raised when already open). When
// the guide is missing, the window says where it was looked for.
void ShowGuideWindow();

// The browser of the guide window, or null before it was first shown.
QTextBrowser* GuideBrowser();

}  // namespace kassa::ui::qt
