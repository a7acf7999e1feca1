// The cash entry program. On a desktop it takes the Qt backend of the UI
// port; without a display it keeps the console backend, whose windows are
// invisible and which cannot wait for a user, so the program says so and
// ends.
#include <cstdio>
#include <exception>
#include <string>

#include "paydesk/paydesk.h"
#include "paydesk/texts.h"
#include "platform/ui/qt/desktop.h"
#include "platform/ui/ui.h"

int main(int argc, char** argv) {
  // Nothing escapes as an abort: the user is told, the program ends.
  try {
    const bool desktop = kassa::ui::qt::UseDesktopIfAvailable(argc, argv);
    if (!desktop) kassa::ui::Install(nullptr);  // the console backend
    const int status = kassa::paydesk::RunPaydesk();
    if (status != 0 && !desktop) std::fprintf(stderr, "%s\n", kassa::paydesk::texts::kNoDisplay);
    return status;
  } catch (const std::exception& e) {
    const std::string text = kassa::paydesk::texts::kInternalError + std::string(e.what());
    std::fprintf(stderr, "paydesk: %s\n", text.c_str());
    try {
      kassa::ui::Message(text, kassa::ui::Buttons::OK);
    } catch (...) {
    }
    return 1;
  }
}
