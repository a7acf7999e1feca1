// Main of every Qt test program: the offscreen platform, one QApplication
// made the way the programs make it, the desktop backend installed.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#include "platform/ui/qt/qt_ui.h"

namespace {

// The offscreen platform's notes about what it cannot do are noise here.
void QuietHandler(QtMsgType type, const QMessageLogContext& context, const QString& msg) {
  if (type == QtWarningMsg && msg.startsWith(QStringLiteral("This plugin does not support")))
    return;
  qt_message_output(type, context, msg);
}

}  // namespace

int main(int argc, char** argv) {
  qInstallMessageHandler(QuietHandler);
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  // Test programs are not in the deployment: the guide is named for them.
  setenv("KASSA_GUIDE", KASSA_GUIDE_FILE, 0);
  testing::InitGoogleTest(&argc, argv);
  if (!kassa::ui::qt::InstallIfDisplay(argc, argv)) return 1;
  // Programs the tests start (the installer) keep the console backend: a
  // message box nobody can see would wait for ever.
  setenv("KASSA_UI", "console", 1);
  return RUN_ALL_TESTS();
}
