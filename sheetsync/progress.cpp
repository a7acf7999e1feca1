#include "sheetsync/progress.h"

#include "platform/ui/form.h"
#include "sheetsync/literals.h"
#include "sheetsync/texts.h"

namespace kassa::sheetsync {

namespace {
constexpr int kWidth = 4800, kHeight = 1200;  // twips
constexpr int kLabelTopWithBar = 240, kLabelTopAlone = 360;
}  // namespace

ProgressWindow& ProgressWindow::Instance() {
  // Never destroyed: the window outlives every engine on its thread.
  thread_local ProgressWindow* window = new ProgressWindow();
  return *window;
}

ProgressWindow::ProgressWindow()
    : form_(new ui::Form(texts::kProgressForm, "", kWidth, kHeight, ui::FormRole::Progress)) {
  ui::Control label;
  label.name = texts::kProgressLabel;
  label.kind = ui::ControlKind::Label;
  label.left = 240;
  label.top = kLabelTopAlone;
  label.width = kWidth - 480;
  label.height = 285;
  label.font = texts::kProgressFont;
  form_->Add(label);
  ui::Control bar;
  bar.name = texts::kProgressBar;
  bar.kind = ui::ControlKind::ProgressBar;
  bar.left = 240;
  bar.top = 600;
  bar.width = kWidth - 480;
  bar.height = 255;
  bar.minimum = 1;
  bar.maximum = 100;
  bar.value = 1;
  bar.visible = false;
  form_->Add(bar);
}

void ProgressWindow::ApplyMode(const std::string& text, bool with_bar) {
  form_->control(texts::kProgressLabel).text = text;
  ui::Control& bar = form_->control(texts::kProgressBar);
  bar.visible = with_bar;
  if (with_bar) bar.value = 1;
  form_->control(texts::kProgressLabel).top = with_bar ? kLabelTopWithBar : kLabelTopAlone;
}

void ProgressWindow::Progress_Show(const std::string& text, bool with_bar) {
  ApplyMode(text, with_bar);
  form_->Show();
  form_->Repaint();
}

void ProgressWindow::Progress_Mode(const std::string& text, bool with_bar) {
  ApplyMode(text, with_bar);
  form_->Repaint();
}

void ProgressWindow::Progress_Text(const std::string& text) {
  form_->control(texts::kProgressLabel).text = text;
  form_->Repaint();
}

void ProgressWindow::Progress_Set(double fraction) {
  form_->control(texts::kProgressBar).value = ProgressValue(fraction);
}

void ProgressWindow::Progress_Hide() {
  form_->Hide();
}

}  // namespace kassa::sheetsync
