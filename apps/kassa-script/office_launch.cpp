#include "apps/kassa-script/office_launch.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

#include "apps/kassa-script/database.h"

namespace kassa::script {
namespace {

constexpr char kOffice[] = "/usr/lib/libreoffice/program/soffice.bin";

std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v ? v : "";
}

int Trouble(const std::string& why) {
  std::printf("FAIL %s\n", why.c_str());
  std::fflush(stdout);
  std::fprintf(stderr, "kassa-script: %s\n", why.c_str());
  return 2;
}

std::string ProfileTemplate(const std::string& tools, std::string& error) {
  std::string profile = Env("KASSA_CALC_PROFILE");
  if (profile.empty()) {
    std::string cache = Env("XDG_CACHE_HOME");
    if (cache.empty()) cache = Env("HOME") + "/.cache";
    profile = cache + "/kassa/calc-profile";
  }
  // Made, or brought up to date with the extensions, by the profile script.
  if (RunAndWait("/bin/bash",
                 {tools + "/calc-profile.sh", profile, tools + "/kassa-calc.oxt",
                  tools + "/kassa-calc-script.oxt"},
                 error) != 0) {
    if (error.empty()) error = "the office profile could not be made";
    return "";
  }
  return profile;
}

}  // namespace

int RunInOffice(const std::string& scenario, bool window, const std::string& deploy,
                const std::string& tools) {
  namespace fs = std::filesystem;
  std::error_code ec;
  if (!fs::exists(kOffice)) return Trouble("LibreOffice is not installed");
  if (window && Env("DISPLAY").empty()) return Trouble("--calc-window needs $DISPLAY");
  std::string error;
  const std::string profile = ProfileTemplate(tools, error);
  if (profile.empty()) return Trouble(error);

  char pattern[] = "/tmp/kassa-calc.XXXXXX";
  if (!mkdtemp(pattern)) return Trouble("no temporary folder");
  const std::string work = pattern;
  struct Cleanup {
    std::string dir;
    ~Cleanup() {
      std::error_code e;
      std::filesystem::remove_all(dir, e);
    }
  } cleanup{work};
  if (RunAndWait("/bin/cp", {"-a", profile, work + "/profile"}, error) != 0)
    return Trouble("cannot copy the office profile " + profile);
  const std::string transcript = work + "/transcript";
  const std::string cwd = fs::current_path(ec).string();

  const std::string limit = Env("KASSA_CALC_TIMEOUT");
  const double timeout = limit.empty() ? 280 : std::atof(limit.c_str());
  const auto start = std::chrono::steady_clock::now();
  int status = 0;
  bool timed_out = false;
  // The office asks to be started again (status 81) after it has set up a
  // new profile, as its own launcher would do.
  for (int attempt = 0; attempt < 3; ++attempt) {
    std::fflush(stdout);
    std::fflush(stderr);
    pid_t pid = fork();
    if (pid < 0) return Trouble("cannot start the office");
    if (pid == 0) {
      setpgid(0, 0);
      setenv("KASSA_CALC_SCENARIO", fs::absolute(scenario, ec).string().c_str(), 1);
      setenv("KASSA_CALC_TRANSCRIPT", transcript.c_str(), 1);
      setenv("KASSA_CALC_CWD", cwd.c_str(), 1);
      setenv("KASSA_CALC_DEPLOY", deploy.c_str(), 1);
      setenv("KASSA_CALC_TOOLS", tools.c_str(), 1);
      setenv("KASSA_CALC_KEYS", window ? "real" : "office", 1);
      setenv("SAL_USE_VCLPLUGIN", window ? "gen" : "svp", 1);
      // The programs the scenario runs (the installer) ask nobody on the display.
      setenv("KASSA_UI", "console", 1);
      // The office's own messages go to standard error, never into the transcript.
      dup2(STDERR_FILENO, STDOUT_FILENO);
      const std::string user = "-env:UserInstallation=file://" + work + "/profile";
      std::vector<const char*> argv = {kOffice,       "--norestore",   "--nologo",
                                       "--nodefault", "--nolockcheck", "--nofirststartwizard",
                                       user.c_str()};
      if (!window) argv.insert(argv.begin() + 1, "--headless");
      argv.push_back(nullptr);
      execv(kOffice, const_cast<char* const*>(argv.data()));
      _exit(127);
    }
    for (;;) {
      pid_t r = waitpid(pid, &status, WNOHANG);
      if (r == pid) break;
      if (std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() >
          timeout) {
        kill(-pid, SIGKILL);
        waitpid(pid, &status, 0);
        timed_out = true;
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    // Helpers the office left behind go with it.
    kill(-pid, SIGKILL);
    if (timed_out || !WIFEXITED(status) || WEXITSTATUS(status) != 81) break;
  }

  std::ifstream in(transcript, std::ios::binary);
  std::string line, last;
  while (std::getline(in, line)) {
    std::printf("%s\n", line.c_str());
    last = line;
  }
  std::fflush(stdout);
  if (last.rfind("FAIL ", 0) == 0) return 1;
  if (timed_out) return Trouble("the office did not finish the scenario in time");
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
    return Trouble("the office ended unexpectedly (status " + std::to_string(status) + ")");
  return 0;
}

}  // namespace kassa::script
