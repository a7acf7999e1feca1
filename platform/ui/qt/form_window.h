// The desktop window of one form of the UI port.
//
// A FormWindow renders its Form's controls at their twips geometry (15 twips
// a pixel): labels, text boxes, buttons, progress bars, date pickers and
// grids. Sync() re-reads the model; what the user does is written back and
// reported only through the Act* functions of the form model, so the form
// behaves exactly as under the scenario runner. Closing by the window frame
// is ActDismiss (hidden, then on_closed). Escape in a dialog presses its
// exit button (a button named "..._Exit") or, without one, closes it as the
// frame does. The controls sit in a client area of the form's size; the
// window is made wider when its caption needs it. The program's main window
// has a Справка menu; F1 opens the user's guide.
#pragma once

#include <QDialog>
#include <map>
#include <string>

#include "platform/ui/form.h"

class QCloseEvent;
class QMenuBar;

namespace kassa::ui::qt {

class GridRowsModel;

class FormWindow : public QDialog {
 public:
  explicit FormWindow(Form& form);

  Form* form() const { return form_; }
  // The form is being destroyed: the window no longer refers to it.
  void Detach() { form_ = nullptr; }

  // Brings every widget in line with the model (creating widgets for new
  // controls); user handlers are not called.
  void Sync();

  // The widget of a control (its objectName is the control's name), or null.
  QWidget* ControlWidget(const std::string& name) const;

  // Counts ShowForm calls, so a timer started by one showing does not hide
  // the form of a later one.
  unsigned generation() const { return generation_; }
  void NextGeneration() { ++generation_; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void reject() override;

 private:
  QWidget* Make(const Control& c);
  void SyncControl(const Control& c, QWidget* w);
  void SyncTabOrder();

  Form* form_;
  QWidget* client_ = nullptr;  // the controls, at the form's size
  QMenuBar* menu_ = nullptr;   // the main window's menu
  std::map<std::string, QWidget*> widgets_;
  std::map<std::string, GridRowsModel*> grids_;
  bool syncing_ = false;
  bool tab_order_dirty_ = true;
  unsigned generation_ = 0;
};

}  // namespace kassa::ui::qt
