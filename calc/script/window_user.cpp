#include "calc/script/window_user.h"

#include <rtl/process.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <com/sun/star/accessibility/XAccessible.hpp>
#include <com/sun/star/accessibility/XAccessibleComponent.hpp>
#include <com/sun/star/awt/SystemDependentXWindow.hpp>
#include <com/sun/star/awt/XSystemDependentWindowPeer.hpp>
#include <com/sun/star/awt/XWindow2.hpp>
#include <com/sun/star/lang/SystemDependent.hpp>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <thread>

#include "apps/kassa-script/database.h"
#include "calc/calc_host.h"

namespace kassa::calc {

using css::uno::UNO_QUERY;

namespace {

double Seconds() {
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

bool Xdotool(const std::vector<std::string>& args) {
  // The office keeps handling the display's events while xdotool works: it
  // must see each change of the keyboard map xdotool makes for characters
  // the keyboard lacks (Cyrillic letters) before the key that uses it.
  std::vector<char*> argv;
  std::string program = "/usr/bin/xdotool";
  argv.push_back(program.data());
  std::vector<std::string> copy = args;
  for (std::string& a : copy) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::fflush(stdout);
  std::fflush(stderr);
  pid_t pid = fork();
  if (pid < 0) return false;
  if (pid == 0) {
    dup2(STDERR_FILENO, STDOUT_FILENO);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  int status = 0;
  for (;;) {
    pid_t r = waitpid(pid, &status, WNOHANG);
    if (r == pid) break;
    if (r < 0 && errno != EINTR) return false;
    calc::ProcessEvents();
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool TypeOnDisplay(const std::string& text) {
  // As a person does: Cyrillic letters are typed on the Russian layout,
  // everything else on the Latin one (xdotool would otherwise remap keys
  // while typing, and the office may miss letters).
  auto cyrillic = [](const std::string& s, size_t i) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    return c == 0xD0 || c == 0xD1;  // U+0400..U+047F
  };
  std::string layout;
  size_t i = 0;
  while (i < text.size()) {
    const bool ru = cyrillic(text, i);
    size_t j = i;
    while (j < text.size() && cyrillic(text, j) == ru) j += ru ? 2 : 1;
    const std::string want = ru ? "ru" : "us";
    if (layout != want) {
      std::string error;
      script::RunAndWait("/usr/bin/setxkbmap", {"-layout", want}, error);
      Absorb(0.05);
      layout = want;
    }
    if (!Xdotool({"type", "--delay", "30", "--", text.substr(i, j - i)})) return false;
    i = j;
  }
  if (layout == "ru") {
    std::string error;
    script::RunAndWait("/usr/bin/setxkbmap", {"-layout", "us"}, error);
    Absorb(0.05);
  }
  return true;
}

void Absorb(double seconds) {
  const double end = Seconds() + seconds;
  do {
    calc::ProcessEvents();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  } while (Seconds() < end);
}

std::string XWindowId(const Reference<css::awt::XWindowPeer>& peer) {
  Reference<css::awt::XSystemDependentWindowPeer> system(peer, UNO_QUERY);
  if (!system.is()) return "";
  css::uno::Sequence<sal_Int8> id(16);
  rtl_getGlobalProcessId(reinterpret_cast<sal_uInt8*>(id.getArray()));
  css::uno::Any handle = system->getWindowHandle(id, css::lang::SystemDependent::SYSTEM_XWINDOW);
  css::awt::SystemDependentXWindow x;
  if (handle >>= x) return std::to_string(x.WindowHandle);
  sal_Int64 h = 0;
  return (handle >>= h) ? std::to_string(h) : "";
}

bool ClickControl(const ui::office::ControlRef& control) {
  if (!control.is()) return false;
  Reference<css::accessibility::XAccessible> accessible(control->getPeer(), UNO_QUERY);
  if (!accessible.is()) return false;
  Reference<css::accessibility::XAccessibleComponent> where(accessible->getAccessibleContext(),
                                                            UNO_QUERY);
  if (!where.is()) return false;
  // The window must be on the screen before the mouse can reach it.
  Reference<css::awt::XWindow2> window(control->getPeer(), UNO_QUERY);
  const double end = Seconds() + 5;
  while (window.is() && !window->isVisible() && Seconds() < end) Absorb(0.05);
  Absorb(0.1);
  css::awt::Point p = where->getLocationOnScreen();
  css::awt::Size s = where->getSize();
  const bool ok = Xdotool({"mousemove", "--sync", std::to_string(p.X + s.Width / 2),
                           std::to_string(p.Y + s.Height / 2), "click", "1"});
  Absorb(0.3);
  return ok;
}

void Screenshot(const std::string& what) {
  static int count = 0;
  const char* folder = std::getenv("KASSA_CALC_SCREENSHOTS");
  if (!folder || !*folder) return;
  Absorb(0.3);
  char name[32];
  std::snprintf(name, sizeof name, "%02d-", ++count);
  const char* scenario = std::getenv("KASSA_CALC_SCREENSHOT_PREFIX");
  std::string file =
      std::string(folder) + "/" + (scenario ? scenario : std::string()) + name + what + ".png";
  std::string error;
  script::RunAndWait("/usr/bin/import", {"-window", "root", file}, error);
}

WindowBackend::WindowBackend() : office_(ui::office::Office(Context(), [] { SyncAll(); })) {}

ui::Answer WindowBackend::Message(const std::string& text, ui::Buttons buttons,
                                  const std::string& title) {
  // The transcript and the scenario's answer as headless; then the box as a
  // person sees it, answered with the mouse.
  const ui::Answer answer = ScriptedBackend::Message(text, buttons, title);
  SyncAll();
  ui::office::ShowMessage(text, buttons, title.empty() ? DefaultTitle() : title,
                          [answer](const ui::office::ControlRef& box) {
                            Screenshot("message");
                            // Clicked again while the box is still up (a
                            // click sent before the box reached the screen
                            // is lost).
                            Reference<css::awt::XWindow2> window(box->getPeer(), UNO_QUERY);
                            for (int i = 0; i < 10; ++i) {
                              ClickControl(ui::office::ButtonOf(box, answer));
                              if (!window.is() || !window->isVisible()) break;
                              Absorb(0.3);
                            }
                          });
  return answer;
}

void WindowBackend::ShowForm(ui::Form& f) {
  static std::set<std::string> seen;
  ScriptedBackend::ShowForm(f);
  office_.ShowForm(f);
  if (f.role() == ui::FormRole::Dialog || f.role() == ui::FormRole::Main) {
    SyncAll();
    if (seen.insert(f.name()).second) Screenshot(f.name());
  }
}

void WindowBackend::HideForm(ui::Form& f) {
  ScriptedBackend::HideForm(f);
  office_.HideForm(f);
}

void WindowBackend::RepaintForm(ui::Form& f) {
  ScriptedBackend::RepaintForm(f);
  office_.RepaintForm(f);
}

void WindowBackend::FormDestroyed(ui::Form& f) {
  ScriptedBackend::FormDestroyed(f);
  office_.FormDestroyed(f);
}

void WindowBackend::Pause(int ms) {
  // The scenario's clock moves; the office paints meanwhile.
  ScriptedBackend::Pause(ms);
  calc::ProcessEvents();
}

void WindowBackend::ProcessEvents() {
  calc::ProcessEvents();
}

}  // namespace kassa::calc
