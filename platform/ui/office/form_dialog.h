// The office dialog of one form of the UI port (private to
// kassa_ui_office).
//
// Sync() brings the dialog's controls in line with the form (creating the
// office controls of new form controls); the user's actions reach the form
// only through ActFill, ActPress, ActChoose and ActDismiss, after which the
// `settle` hook runs. Programmatic changes made by Sync() report nothing.
#pragma once

#include <com/sun/star/awt/XControl.hpp>
#include <functional>
#include <set>
#include <string>

#include "platform/ui/form.h"
#include "platform/ui/office/toolkit.h"

namespace kassa::ui::office {

class FormListener;

class FormDialog {
 public:
  FormDialog(Form& form, std::function<void()> settle);
  ~FormDialog();

  void Sync();
  void Show();
  void Hide();
  bool visible() const;
  // Paints the dialog now, while the caller keeps the thread busy.
  void Flush();
  // The form is being destroyed; the dialog no longer refers to it.
  void Detach();
  Form* form() const { return form_; }
  // The office control of a form control (tests, screenshots), or null.
  Reference<css::awt::XControl> Control(const std::string& name) const;
  Reference<css::awt::XControl> DialogControl() const { return dialog_; }

  // From the listener.
  void Action(const std::string& control);
  void TextChanged(const std::string& control);
  void RowChosen(const std::string& control, int row);
  void Closing();

 private:
  void Make(const ui::Control& c);
  void SyncControl(const ui::Control& c);
  void Settle();

  Form* form_;
  std::function<void()> settle_;
  Reference<css::beans::XPropertySet> model_;
  Reference<css::awt::XControl> dialog_;
  Reference<FormListener> listener_;
  std::set<std::string> made_;
  bool syncing_ = false;
};

}  // namespace kassa::ui::office
