// The wait message of one ADB_cls instance: a new wait-message server
// ("Waitbox.clsMsgBox") per message, at most one request per 10 seconds
// (monotonic clock, so the throttle holds across midnight).
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/waitbox/waitbox.h"

namespace kassa::dbgate {

class WaitMessage {
 public:
  // Show_Wait_Message: within 10 s of the last request shows nothing
  // (Wait_Shown False). Otherwise creates a new server and calls
  // ShowMsg(text, " ", 3000); when the server cannot be created, tells the
  // user it is not registered and goes on without a message.
  void Show(const std::string& text);
  // Close_Wait_Message: CloseMsg on the server if this instance's last
  // request showed a message; the server is released.
  void Close();
  bool shown() const { return Wait_Shown; }

 private:
  std::shared_ptr<waitbox::clsMsgBox> Wait_Server;
  bool Wait_Shown = false;
  std::optional<double> Wait_Shown_Time;  // none until the first request
};

}  // namespace kassa::dbgate
