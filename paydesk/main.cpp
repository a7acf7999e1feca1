// The cash entry program. On a desktop it takes the Qt backend of the UI
// port; without a display it keeps the console backend, whose windows are
// invisible and which cannot wait for a user, so the program says so and
// ends.
#include <cstdio>

#include "paydesk/paydesk.h"
#include "paydesk/texts.h"
#include "platform/ui/qt/desktop.h"
#include "platform/ui/ui.h"

int main(int argc, char** argv) {
  const bool desktop = kassa::ui::qt::UseDesktopIfAvailable(argc, argv);
  if (!desktop) kassa::ui::Install(nullptr);  // the console backend
  const int status = kassa::paydesk::RunPaydesk();
  if (status != 0 && !desktop) std::fprintf(stderr, "%s\n", kassa::paydesk::texts::kNoDisplay);
  return status;
}
