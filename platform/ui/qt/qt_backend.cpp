#include "platform/ui/qt/qt_backend.h"

#include <QApplication>
#include <QDateTime>
#include <QPointer>
#include <QTimer>
#include <QWindow>

#include "platform/ui/qt/form_window.h"
#include "platform/ui/qt/message_box.h"
#include "platform/variant/variant.h"

namespace kassa::ui::qt {
namespace {

// Longest time a wait sleeps before it looks at its clock or condition again.
constexpr int kSliceMs = 10;

bool Quitting() { return QCoreApplication::closingDown(); }

}  // namespace

QtBackend::QtBackend() { monotonic_.start(); }

Answer QtBackend::Message(const std::string& text, Buttons buttons, const std::string& title) {
  return ShowMessageBox(text, buttons, title.empty() ? DefaultTitle() : title);
}

Answer QtBackend::Question(const std::string& text, Buttons buttons, Answer safe,
                           const std::string& title) {
  return ShowMessageBox(text, buttons, title.empty() ? DefaultTitle() : title, safe);
}

FormWindow* QtBackend::WindowOf(Form& f, bool create) {
  if (!f.native && create) {
    auto* w = new FormWindow(f);
    f.native = w;
  }
  return static_cast<FormWindow*>(f.native);
}

void QtBackend::Flush(Form& f) {
  if (f.role() != FormRole::Progress && f.role() != FormRole::Wait) return;
  if (FormWindow* w = WindowOf(f, false)) w->repaint();
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void QtBackend::ShowForm(Form& f) {
  FormWindow* w = WindowOf(f, true);
  w->Sync();
  if (!w->isVisible()) {
    // Keep a dialog above the window the user works in, without that
    // window owning it.
    QWidget* active = QApplication::activeWindow();
    if (active && active != w) {
      w->winId();
      if (w->windowHandle() && active->windowHandle())
        w->windowHandle()->setTransientParent(active->windowHandle());
    }
    w->show();
  }
  w->raise();
  w->activateWindow();
  w->NextGeneration();
  if (f.max_shown_ms > 0) {
    QPointer<FormWindow> guard(w);
    unsigned generation = w->generation();
    QTimer::singleShot(f.max_shown_ms, w, [guard, generation] {
      if (!guard || guard->generation() != generation) return;
      if (Form* form = guard->form(); form && form->visible()) form->Hide();
    });
  }
  Flush(f);
}

void QtBackend::HideForm(Form& f) {
  FormWindow* w = WindowOf(f, false);
  if (!w) return;
  const bool had_keyboard = w->isActiveWindow();
  w->hide();
  // The keyboard goes back to the window the user worked in.
  QWindow* handle = w->windowHandle();
  if (had_keyboard && handle && handle->transientParent())
    handle->transientParent()->requestActivate();
}

void QtBackend::RepaintForm(Form& f) {
  FormWindow* w = WindowOf(f, false);
  if (!w) return;
  w->Sync();
  Flush(f);
}

void QtBackend::FormDestroyed(Form& f) {
  FormWindow* w = WindowOf(f, false);
  if (!w) return;
  f.native = nullptr;
  w->Detach();
  w->hide();
  // A form may go away inside one of its own window's signal handlers.
  w->deleteLater();
}

void QtBackend::Pause(int ms) {
  const qint64 end = monotonic_.elapsed() + (ms > 0 ? ms : 0);
  // The tick wakes the event loop at least every slice.
  QTimer tick;
  tick.start(kSliceMs);
  while (monotonic_.elapsed() < end && !Quitting())
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

bool QtBackend::WaitUntil(const std::function<bool()>& done) {
  QTimer tick;
  tick.start(kSliceMs);
  while (!done()) {
    if (Quitting()) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
  }
  return true;
}

void QtBackend::ProcessEvents() { QCoreApplication::processEvents(); }

double QtBackend::TimeOfDay() {
  return QTime::currentTime().msecsSinceStartOfDay() / 1000.0;
}

double QtBackend::Now() {
  QDateTime now = QDateTime::currentDateTime();
  QDate d = now.date();
  QTime t = now.time();
  return MakeDate(d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second()) +
         t.msec() / 86400000.0;
}

double QtBackend::Monotonic() { return monotonic_.elapsed() / 1000.0; }

void QtBackend::ReportError(const std::string& text) {
  ShowMessageBox(text, Buttons::OK, DefaultTitle());
}

}  // namespace kassa::ui::qt
