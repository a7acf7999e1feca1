// The wait-message server, created anew for each wait message by the ProgID
// "Waitbox.clsMsgBox". ShowMsg shows `text` in a small window (a Wait form of
// the UI port) until CloseMsg, for at most `max_ms` milliseconds on the
// desktop; `caption` is the window's caption.
#pragma once

#include <cstdint>
#include <string>

#include "platform/component/component.h"

namespace kassa::waitbox {

class KASSA_EXPORT clsMsgBox : public component::Object {
 public:
  virtual void ShowMsg(std::string& text, const std::string& caption, int16_t max_ms) = 0;
  virtual void CloseMsg() = 0;
};

}  // namespace kassa::waitbox
