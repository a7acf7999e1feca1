#include "dbgate/wait_message.h"

#include "dbgate/texts.h"
#include "platform/component/component.h"
#include "platform/ui/ui.h"

namespace kassa::dbgate {

namespace {
constexpr double kThrottleSeconds = 10;
}

void WaitMessage::Show(const std::string& text) {
  const double now = ui::Monotonic();
  if (Wait_Shown_Time && *Wait_Shown_Time + kThrottleSeconds >= now) {
    Wait_Shown = false;
    return;
  }
  Wait_Shown_Time = now;
  Wait_Server = component::Create<waitbox::clsMsgBox>(texts::kWaitServerProgId);
  if (!Wait_Server) {
    ui::Message(texts::kWaitServerMissing, ui::Buttons::OK);
    Wait_Shown = false;
    return;
  }
  std::string shown_text = text;
  Wait_Server->ShowMsg(shown_text, texts::kWaitCaption, texts::kWaitMaxMs);
  Wait_Shown = true;
}

void WaitMessage::Close() {
  if (!Wait_Shown) return;
  if (Wait_Server) Wait_Server->CloseMsg();
  Wait_Server.reset();
}

}  // namespace kassa::dbgate
