#include "platform/waitbox/msg_box.h"

#include "platform/waitbox/texts.h"

namespace kassa::waitbox {
namespace {

// A small box: 4800 x 1200 twips client area, the text across its width.
constexpr int kWidth = 4800;
constexpr int kHeight = 1200;

std::unique_ptr<ui::Form> MakeForm(const std::string& caption) {
  auto form =
      std::make_unique<ui::Form>(texts::kFormName, caption, kWidth, kHeight, ui::FormRole::Wait);
  ui::Control label;
  label.name = texts::kLabelName;
  label.kind = ui::ControlKind::Label;
  label.left = 240;
  label.top = 360;
  label.width = kWidth - 480;
  label.height = kHeight - 600;
  label.multiline = true;
  form->Add(std::move(label));
  return form;
}

}  // namespace

MsgBox::~MsgBox() {
  if (form_) form_->Hide();
}

void MsgBox::ShowMsg(std::string& text, const std::string& caption, int16_t max_ms) {
  if (!form_)
    form_ = MakeForm(caption);
  else
    form_->set_caption(caption);
  form_->control(texts::kLabelName).text = text;
  form_->max_shown_ms = max_ms > 0 ? max_ms : 0;
  form_->Show();
  form_->Repaint();
}

void MsgBox::CloseMsg() {
  if (form_) form_->Hide();
}

}  // namespace kassa::waitbox
