// The declarative model of the system's dialogs and windows.
//
// A Form has a name, a caption, a client size and named controls with
// positions in twips (1 px = 15 twips at 96 dpi). It is shown modeless and
// hidden through the UI port, which renders it (Qt) or records it (scripted).
// User actions arrive through the handlers; the Act* functions are how a
// backend or the scenario runner performs them, so every backend drives a
// form the same way. A Form registers itself with the port while it lives,
// so the runner can find it by name (FindForm).
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kassa::ui {

enum class ControlKind { Label, TextBox, Button, ProgressBar, DatePicker, Grid };

struct GridColumn {
  std::string caption;
  std::string field;
};

struct Control {
  std::string name;
  ControlKind kind = ControlKind::Label;
  std::string text;                              // label/button caption, text box contents
  int left = 0, top = 0, width = 0, height = 0;  // twips, relative to the client area
  int tab_index = 0;
  bool visible = true;
  std::string font;  // font family; empty = backend default
  bool multiline = false;
  // ProgressBar
  int minimum = 1, maximum = 100, value = 1;
  // DatePicker: the chosen date (serial, whole days) and its display format
  double date = 0;
  std::string format;
  // Grid: column captions and data fields, rows of cell texts, current row
  std::vector<GridColumn> columns;
  std::vector<std::vector<std::string>> rows;
  int current_row = -1;
};

// What a form is for; backends render progress and wait windows specially
// and the scripted backend writes them to the transcript as PROGRESS / WAIT.
enum class FormRole { Dialog, Progress, Wait, Main };

class Form {
 public:
  Form(std::string name, std::string caption, int width_twips, int height_twips,
       FormRole role = FormRole::Dialog);
  ~Form();
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  const std::string& name() const { return name_; }
  const std::string& caption() const { return caption_; }
  void set_caption(std::string c) { caption_ = std::move(c); }
  int width() const { return width_; }  // client area, twips
  int height() const { return height_; }
  FormRole role() const { return role_; }

  Control& Add(Control c);                  // returns the stored control
  Control& control(std::string_view name);  // throws std::out_of_range if absent
  const Control& control(std::string_view name) const;
  bool has(std::string_view name) const;
  std::vector<Control>& controls() { return controls_; }
  const std::vector<Control>& controls() const { return controls_; }

  // Modeless show (repeated Show of a visible form only brings it up),
  // hide, and repaint after the program changed controls.
  void Show();
  void Hide();
  void Repaint();
  bool visible() const { return visible_; }

  // Handlers set by the program that owns the form.
  std::function<void(const std::string& button)> on_click;
  std::function<void(const std::string& control)> on_change;  // text box / date picker
  std::function<void(const std::string& grid, int row)> on_row_chosen;
  std::function<void()> on_closed;  // closed by its window frame (already hidden)

  // Longest time the form stays up once shown, in milliseconds (0 = until
  // hidden). The desktop backend hides a form whose time is up, as if the
  // program had hidden it (no on_closed); headless backends ignore it.
  int max_shown_ms = 0;

  // Backend bookkeeping (a backend's native window, if any).
  void* native = nullptr;

 private:
  friend void ActDismiss(Form&);
  std::string name_, caption_;
  int width_, height_;
  FormRole role_;
  bool visible_ = false;
  std::vector<Control> controls_;
};

// User actions on a form, as a person performs them. Each returns false
// (doing nothing) when the control does not exist or is of the wrong kind.
// ActFill: a text box takes the text; a date picker takes a date typed as
// "dd.mm.yyyy" or "d.m.yy" (refused when it is no date).
bool ActFill(Form& f, std::string_view control, const std::string& text);
bool ActPress(Form& f, std::string_view button);
bool ActChoose(Form& f, std::string_view grid, int row);  // row is 0-based
void ActDismiss(Form& f);  // close by the window frame: hidden, then on_closed

// The living form of that name (the most recently created one), or null.
Form* FindForm(std::string_view name);
std::vector<Form*> AllForms();

}  // namespace kassa::ui
