// setupdb: installs the ledger database. No arguments, no window; reads
// Pass_Parametrs.ini from its own folder and writes DLLs/Connect_Parametrs.ini
// there. Messages appear only on failure and for the question before a
// ledger holding payments is dropped; the exit status tells the outcome (see
// installer.h). Any argument prints the usage and changes nothing.
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <string>

#include "platform/ui/qt/desktop.h"
#include "setupdb/installer.h"
#include "setupdb/texts.h"

namespace {

// The folder of this program's file.
std::string OwnFolder() {
  char path[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return ".";
  std::string exe(path, static_cast<size_t>(n));
  const size_t slash = exe.rfind('/');
  return slash == std::string::npos ? "." : (slash == 0 ? "/" : exe.substr(0, slash));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1) {
    std::fputs(kassa::setupdb::texts::kUsage, stderr);
    return kassa::setupdb::kUsage;
  }
  // On a desktop the messages appear as message boxes (desktop.h).
  kassa::ui::qt::UseDesktopIfAvailable(argc, argv);
  return kassa::setupdb::RunInstaller(OwnFolder());
}
