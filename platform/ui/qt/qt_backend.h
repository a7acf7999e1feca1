// The Qt implementation of the UI port (private to kassa_ui_qt).
#pragma once

#include <QElapsedTimer>
#include <string>

#include "platform/ui/ui.h"

namespace kassa::ui::qt {

class FormWindow;

class QtBackend final : public Backend {
 public:
  QtBackend();

  Answer Message(const std::string& text, Buttons buttons, const std::string& title) override;
  Answer Question(const std::string& text, Buttons buttons, Answer safe,
                  const std::string& title) override;
  void ShowForm(Form& f) override;
  void HideForm(Form& f) override;
  void RepaintForm(Form& f) override;
  void FormDestroyed(Form& f) override;
  void Pause(int ms) override;
  bool WaitUntil(const std::function<bool()>& done) override;
  void ProcessEvents() override;
  double TimeOfDay() override;
  double Now() override;
  double Monotonic() override;
  void ReportError(const std::string& text) override;

 private:
  FormWindow* WindowOf(Form& f, bool create);
  // Lets the progress and wait windows paint while the caller keeps the
  // thread busy (user input waits until the caller yields).
  void Flush(Form& f);

  QElapsedTimer monotonic_;
};

}  // namespace kassa::ui::qt
