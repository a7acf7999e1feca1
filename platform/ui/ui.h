// The UI port: the one door through which the system talks to the user.
//
// One process-wide Backend is installed by the program at start (the Qt
// backend for the desktop, the console backend without a display) or by a
// test or the scenario runner (the scripted backend). System code calls only
// the free functions below; nothing here depends on Qt.
#pragma once

#include <functional>
#include <string>

#include "platform/ui/form.h"

namespace kassa::ui {

enum class Buttons { OK, OKCancel, YesNo, YesNoCancel };
enum class Answer { OK, Cancel, Yes, No };

const char* ToString(Buttons b);  // "OK", "OKCancel", "YesNo", "YesNoCancel"
const char* ToString(Answer a);   // "OK", "Cancel", "Yes", "No"

class Backend {
 public:
  virtual ~Backend();
  // A message box; an empty title means the program's default title.
  virtual Answer Message(const std::string& text, Buttons buttons, const std::string& title) = 0;
  // A question whose answer `safe` leaves everything as it is (No to "drop
  // the ledger?"). A backend that shows it to a person makes `safe` the
  // default button; one that cannot ask anybody takes `safe` itself. By
  // default it is an ordinary Message().
  virtual Answer Question(const std::string& text, Buttons buttons, Answer safe,
                          const std::string& title) {
    (void)safe;
    return Message(text, buttons, title);
  }
  // Forms: show modeless / hide / repaint after a change of its controls.
  virtual void ShowForm(Form& f) = 0;
  virtual void HideForm(Form& f) = 0;
  virtual void RepaintForm(Form& f) = 0;
  // Called by a form as it is destroyed (visible or not); no lines, no events.
  virtual void FormDestroyed(Form&) {}
  // A timed wait that keeps the interface responsive; consumes no user action.
  virtual void Pause(int ms) = 0;
  // Waits for the user until `done` holds. False when it can never hold
  // (the scripted user ran out of actions, the application is quitting).
  virtual bool WaitUntil(const std::function<bool()>& done) = 0;
  // Lets pending interface events run once.
  virtual void ProcessEvents() = 0;
  // Seconds since midnight (local time), as a clock on the wall shows it.
  virtual double TimeOfDay() = 0;
  // Current local date and time as a serial date (see variant.h).
  virtual double Now() = 0;
  // Seconds from an arbitrary origin; never goes back, ignores midnight.
  virtual double Monotonic() = 0;
  // A host error that escaped an event: shown to the user, work goes on.
  virtual void ReportError(const std::string& text) = 0;
  // A line for the transcript (SQL trace, written files). Only the scripted
  // backend keeps it; others may log or ignore it.
  virtual void Note(const std::string& line) { (void)line; }
  // Whether SQL statements are to be traced through Note().
  virtual bool TraceSql() const { return false; }
  // The program's default message-box title.
  virtual std::string DefaultTitle() const { return "Kassa"; }
};

// Installs the process-wide backend (not owned); null restores the console
// backend, which is also in effect when nothing was installed.
void Install(Backend* backend);
Backend& Port();

// Shortcuts for system code.
inline Answer Message(const std::string& text, Buttons b = Buttons::OK,
                      const std::string& title = "") {
  return Port().Message(text, b, title);
}
inline Answer Question(const std::string& text, Buttons b, Answer safe,
                       const std::string& title = "") {
  return Port().Question(text, b, safe, title);
}
// clang-format off
inline void Pause(int ms) { Port().Pause(ms); }
inline double Monotonic() { return Port().Monotonic(); }
// clang-format on

// Quotes a word for a transcript or a scenario line: "..." with \" \\ \t \n
// escapes; every other byte (UTF-8 text included) stays as it is.
std::string Quote(const std::string& s);

// The console backend: messages go to standard error, OK (or Yes) assumed,
// a Question takes its safe answer; forms are invisible; pauses sleep; waits
// fail at once.
Backend& ConsoleBackend();

}  // namespace kassa::ui
