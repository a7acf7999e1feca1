// kassa-script [--calc | --calc-window] <scenario.ks>: runs a scenario
// headless and prints its transcript on standard output. Exit status 0 when
// every line ran, 1 when the run ended early (the last line says why), 2 on
// a bad invocation. With --calc the workbook is LibreOffice Calc's (a
// headless office), with --calc-window Calc on $DISPLAY typed into with
// real keystrokes (see office_launch.h).
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "apps/kassa-script/office_launch.h"
#include "apps/kassa-script/runner.h"
#include "apps/kassa-script/texts.h"

namespace {

std::string OwnFolder() {
  char buf[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return ".";
  std::string path(buf, static_cast<size_t>(n));
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : path.substr(0, slash);
}

}  // namespace

int main(int argc, char** argv) {
  std::string host;
  if (argc == 3) host = argv[1];
  if ((argc != 2 && argc != 3) || (argc == 3 && host != "--calc" && host != "--calc-window")) {
    std::fprintf(stderr, "%s\n", kassa::script::texts::kUsage);
    return 2;
  }
  const char* file = argv[argc - 1];
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "kassa-script: cannot read %s\n", file);
    return 2;
  }
  std::stringstream text;
  text << in.rdbuf();
  kassa::script::Script script;
  std::string error;
  if (!script.Parse(text.str(), error)) {
    std::printf("FAIL %s\n", error.c_str());
    std::fprintf(stderr, "kassa-script: %s: %s\n", file, error.c_str());
    return 1;
  }
  std::string tools = OwnFolder();
  const char* env_deploy = std::getenv("KASSA_DEPLOY");
  std::string deploy = env_deploy && *env_deploy ? env_deploy : tools;
  // The server control script reads the same parameters file.
  setenv("KASSA_DEPLOY", deploy.c_str(), 0);
  if (!host.empty())
    return kassa::script::RunInOffice(file, host == "--calc-window", deploy, tools);
  try {
    kassa::script::Runner runner(std::move(script), deploy, tools);
    return runner.Run();
  } catch (const std::exception& e) {
    std::printf("%s%s%s\n", kassa::script::texts::kFailPrefix, kassa::script::texts::kInternalError,
                e.what());
    return 1;
  }
}
