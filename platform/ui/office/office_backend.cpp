// The office backend of the UI port.
#include <chrono>
#include <cmath>
#include <com/sun/star/awt/AsyncCallback.hpp>
#include <com/sun/star/awt/XCallback.hpp>
#include <com/sun/star/awt/XToolkitExperimental.hpp>
#include <com/sun/star/frame/Desktop.hpp>
#include <com/sun/star/frame/TerminationVetoException.hpp>
#include <com/sun/star/frame/XTerminateListener.hpp>
#include <cppuhelper/implbase1.hxx>
#include <ctime>
#include <map>
#include <thread>

#include "platform/ui/office/form_dialog.h"
#include "platform/ui/office/message_box.h"
#include "platform/ui/office/office_ui.h"
#include "platform/ui/office/toolkit.h"
#include "platform/variant/variant.h"

namespace kassa::ui::office {

using css::uno::UNO_QUERY;

namespace {

// Longest time a wait sleeps before it looks at its clock or condition again.
constexpr int kSliceMs = 10;

// Notes that the office is quitting: waits for the user end then.
class QuitWatch : public cppu::WeakImplHelper1<css::frame::XTerminateListener> {
 public:
  explicit QuitWatch(bool& quitting) : quitting_(quitting) {}
  void SAL_CALL queryTermination(const css::lang::EventObject&) override {}
  void SAL_CALL notifyTermination(const css::lang::EventObject&) override { quitting_ = true; }
  void SAL_CALL disposing(const css::lang::EventObject&) override { quitting_ = true; }

 private:
  bool& quitting_;
};

// Releases a dialog once the event that released its form has finished.
class Release : public cppu::WeakImplHelper1<css::awt::XCallback> {
 public:
  explicit Release(FormDialog* dialog) : dialog_(dialog) {}
  void SAL_CALL notify(const css::uno::Any&) override { delete dialog_; }

 private:
  FormDialog* dialog_;
};

class OfficeBackend final : public Backend {
 public:
  OfficeBackend(const Reference<css::uno::XComponentContext>& context, std::function<void()> settle)
      : settle_(std::move(settle)) {
    SetContext(context);
    experimental_.set(Toolkit(), UNO_QUERY);
    try {
      css::frame::Desktop::create(context)->addTerminateListener(new QuitWatch(quitting_));
    } catch (const css::uno::Exception&) {
    }
  }

  Answer Message(const std::string& text, Buttons buttons, const std::string& title) override {
    Settle();
    return ShowMessageBox(text, buttons, title.empty() ? DefaultTitle() : title);
  }

  void ShowForm(Form& f) override {
    FormDialog* d = DialogOf(f, true);
    d->Show();
    shown_at_[&f] = Monotonic();
    if (f.role() == FormRole::Progress || f.role() == FormRole::Wait)
      d->Flush();
    else
      Settle();
  }

  void HideForm(Form& f) override {
    shown_at_.erase(&f);
    if (FormDialog* d = DialogOf(f, false)) d->Hide();
  }

  void RepaintForm(Form& f) override {
    FormDialog* d = DialogOf(f, false);
    if (!d) return;
    d->Sync();
    d->Flush();
  }

  void FormDestroyed(Form& f) override {
    shown_at_.erase(&f);
    FormDialog* d = DialogOf(f, false);
    if (!d) return;
    f.native = nullptr;
    d->Detach();
    d->Hide();
    // A form may go away inside one of its own dialog's handlers.
    css::awt::AsyncCallback::create(Context())->addCallback(new Release(d), css::uno::Any());
  }

  void Pause(int ms) override {
    const double end = Monotonic() + (ms > 0 ? ms : 0) / 1000.0;
    while (!quitting_) {
      ProcessEvents();
      const double left = end - Monotonic();
      if (left <= 0) break;
      std::this_thread::sleep_for(
          std::chrono::milliseconds(std::min<int>(kSliceMs, static_cast<int>(left * 1000) + 1)));
    }
  }

  bool WaitUntil(const std::function<bool()>& done) override {
    Settle();
    while (!done()) {
      if (quitting_) return false;
      ProcessEvents();
      if (done()) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(kSliceMs));
    }
    return true;
  }

  void ProcessEvents() override {
    if (experimental_.is()) experimental_->processEventsToIdle();
    HideExpired();
  }

  double TimeOfDay() override {
    std::tm tm = LocalNow();
    return tm.tm_hour * 3600.0 + tm.tm_min * 60.0 + tm.tm_sec;
  }
  double Now() override {
    std::tm tm = LocalNow();
    return MakeDate(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min,
                    std::min(tm.tm_sec, 59));
  }
  double Monotonic() override {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
  }
  void ReportError(const std::string& text) override {
    ShowMessageBox(text, Buttons::OK, DefaultTitle());
  }

 private:
  static std::tm LocalNow() {
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    return tm;
  }
  FormDialog* DialogOf(Form& f, bool create) {
    if (!f.native && create) f.native = new FormDialog(f, [this] { Settle(); });
    return static_cast<FormDialog*>(f.native);
  }
  void Settle() {
    if (settle_ && !settling_) {
      settling_ = true;
      settle_();
      settling_ = false;
    }
  }
  // A form shown for longer than it may stay up is hidden as if the program
  // had hidden it.
  void HideExpired() {
    const double now = Monotonic();
    for (Form* f : AllForms()) {
      auto it = shown_at_.find(f);
      if (it == shown_at_.end() || f->max_shown_ms <= 0 || !f->visible()) continue;
      if (now - it->second >= f->max_shown_ms / 1000.0) {
        shown_at_.erase(it);
        f->Hide();
      }
    }
  }

  std::function<void()> settle_;
  bool settling_ = false;
  bool quitting_ = false;
  Reference<css::awt::XToolkitExperimental> experimental_;
  std::map<const Form*, double> shown_at_;
};

}  // namespace

Backend& Office(const Reference<css::uno::XComponentContext>& context,
                std::function<void()> settle) {
  // Never destroyed: forms released during the office's exit still reach it.
  static OfficeBackend* backend = new OfficeBackend(context, std::move(settle));
  return *backend;
}

void Install(const Reference<css::uno::XComponentContext>& context, std::function<void()> settle) {
  ui::Install(&Office(context, std::move(settle)));
}

}  // namespace kassa::ui::office

namespace kassa::ui::office {

ControlRef DialogOf(const Form& form) {
  auto* d = static_cast<FormDialog*>(form.native);
  return d ? d->DialogControl() : nullptr;
}

ControlRef ControlOf(const Form& form, const std::string& control) {
  auto* d = static_cast<FormDialog*>(form.native);
  return d ? d->Control(control) : nullptr;
}

}  // namespace kassa::ui::office
