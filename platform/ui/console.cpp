// The console backend: the UI port of a program without a display.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <thread>

#include "platform/ui/ui.h"
#include "platform/variant/variant.h"

namespace kassa::ui {
namespace {

// Local calendar time now, with the fraction of the current second.
struct LocalNow {
  std::tm tm{};
  double fraction = 0;
};

LocalNow ReadLocalNow() {
  using namespace std::chrono;
  auto now = system_clock::now();
  std::time_t t = system_clock::to_time_t(now);
  LocalNow r;
  localtime_r(&t, &r.tm);
  auto since = now.time_since_epoch();
  r.fraction = duration<double>(since - duration_cast<seconds>(since)).count();
  if (r.fraction < 0) r.fraction = 0;
  return r;
}

class Console final : public Backend {
 public:
  Answer Message(const std::string& text, Buttons buttons, const std::string& title) override {
    std::fprintf(stderr, "%s: %s [%s]\n", (title.empty() ? DefaultTitle() : title).c_str(),
                 text.c_str(), ToString(buttons));
    std::fflush(stderr);
    return buttons == Buttons::YesNo || buttons == Buttons::YesNoCancel ? Answer::Yes : Answer::OK;
  }
  // Nobody can be asked: the line names the answer taken, the safe one.
  Answer Question(const std::string& text, Buttons buttons, Answer safe,
                  const std::string& title) override {
    std::fprintf(stderr, "%s: %s [%s] %s\n", (title.empty() ? DefaultTitle() : title).c_str(),
                 text.c_str(), ToString(buttons), ToString(safe));
    std::fflush(stderr);
    return safe;
  }
  void ShowForm(Form&) override {}
  void HideForm(Form&) override {}
  void RepaintForm(Form&) override {}
  void Pause(int ms) override {
    if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
  }
  bool WaitUntil(const std::function<bool()>& done) override { return done(); }
  void ProcessEvents() override {}
  double TimeOfDay() override {
    LocalNow n = ReadLocalNow();
    return n.tm.tm_hour * 3600.0 + n.tm.tm_min * 60.0 + n.tm.tm_sec + n.fraction;
  }
  double Now() override {
    LocalNow n = ReadLocalNow();
    return MakeDate(n.tm.tm_year + 1900, n.tm.tm_mon + 1, n.tm.tm_mday, n.tm.tm_hour, n.tm.tm_min,
                    std::min(n.tm.tm_sec, 59)) +
           n.fraction / 86400.0;
  }
  double Monotonic() override {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
  }
  void ReportError(const std::string& text) override {
    std::fprintf(stderr, "%s\n", text.c_str());
    std::fflush(stderr);
  }
};

}  // namespace

Backend& ConsoleBackend() {
  // Never destroyed: forms that outlive static destruction may still call it.
  static Backend* console = new Console;
  return *console;
}

}  // namespace kassa::ui
