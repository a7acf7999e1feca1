// The form model and the registry of living forms.
#include "platform/ui/form.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "platform/ui/ui.h"
#include "platform/variant/variant.h"

namespace kassa::ui {
namespace {

// Living forms in order of creation; FindForm searches from the newest.
std::vector<Form*>& Registry() {
  static std::vector<Form*> forms;
  return forms;
}

Control* Find(Form& f, std::string_view name) {
  for (Control& c : f.controls())
    if (c.name == name) return &c;
  return nullptr;
}

}  // namespace

Form::Form(std::string name, std::string caption, int width_twips, int height_twips, FormRole role)
    : name_(std::move(name)),
      caption_(std::move(caption)),
      width_(width_twips),
      height_(height_twips),
      role_(role) {
  Registry().push_back(this);
}

Form::~Form() {
  auto& forms = Registry();
  forms.erase(std::remove(forms.begin(), forms.end(), this), forms.end());
  Port().FormDestroyed(*this);
}

Control& Form::Add(Control c) {
  controls_.push_back(std::move(c));
  return controls_.back();
}

Control& Form::control(std::string_view name) {
  if (Control* c = Find(*this, name)) return *c;
  throw std::out_of_range("form " + name_ + " has no control " + std::string(name));
}

const Control& Form::control(std::string_view name) const {
  return const_cast<Form*>(this)->control(name);
}

bool Form::has(std::string_view name) const {
  return Find(const_cast<Form&>(*this), name) != nullptr;
}

void Form::Show() {
  visible_ = true;
  Port().ShowForm(*this);
}

void Form::Hide() {
  if (!visible_) return;
  visible_ = false;
  Port().HideForm(*this);
}

void Form::Repaint() {
  Port().RepaintForm(*this);
}

bool ActFill(Form& f, std::string_view control, const std::string& text) {
  Control* c = Find(f, control);
  if (!c) return false;
  if (c->kind == ControlKind::TextBox) {
    c->text = text;
  } else if (c->kind == ControlKind::DatePicker) {
    std::optional<double> d = ToDate(Variant::Text(text));
    if (!d) return false;
    c->date = std::floor(*d);
  } else {
    return false;
  }
  // The handler may change the form's controls: copy what is needed first.
  auto handler = f.on_change;
  std::string name = c->name;
  if (handler) handler(name);
  return true;
}

bool ActPress(Form& f, std::string_view button) {
  Control* c = Find(f, button);
  if (!c || c->kind != ControlKind::Button) return false;
  auto handler = f.on_click;
  std::string name = c->name;
  if (handler) handler(name);
  return true;
}

bool ActChoose(Form& f, std::string_view grid, int row) {
  Control* c = Find(f, grid);
  if (!c || c->kind != ControlKind::Grid) return false;
  if (row < 0 || row >= static_cast<int>(c->rows.size())) return false;
  c->current_row = row;
  auto handler = f.on_row_chosen;
  std::string name = c->name;
  if (handler) handler(name, row);
  return true;
}

void ActDismiss(Form& f) {
  if (f.visible_) {
    f.visible_ = false;
    Port().HideForm(f);
  }
  auto handler = f.on_closed;
  if (handler) handler();
}

Form* FindForm(std::string_view name) {
  auto& forms = Registry();
  for (auto it = forms.rbegin(); it != forms.rend(); ++it)
    if ((*it)->name() == name) return *it;
  return nullptr;
}

std::vector<Form*> AllForms() {
  return Registry();
}

}  // namespace kassa::ui
