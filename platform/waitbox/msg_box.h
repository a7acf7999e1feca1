// The wait-message box behind "Waitbox.clsMsgBox" (private to the module and
// its tests).
#pragma once

#include <memory>

#include "platform/ui/form.h"
#include "platform/waitbox/waitbox.h"

namespace kassa::waitbox {

// ShowMsg shows a Wait-role form "clsMsgBox" with the caption and a label
// "Label_Msg" holding the text; it carries max_ms as the form's longest
// showing time (max_ms <= 0: until CloseMsg). A second ShowMsg on the same
// object replaces the text and shows the box again. CloseMsg hides it; the
// box also goes when the object is released.
class MsgBox final : public clsMsgBox {
 public:
  ~MsgBox() override;
  void ShowMsg(std::string& text, const std::string& caption, int16_t max_ms) override;
  void CloseMsg() override;

  // The box, null before the first ShowMsg.
  const ui::Form* form() const { return form_.get(); }

 private:
  std::unique_ptr<ui::Form> form_;
};

}  // namespace kassa::waitbox
