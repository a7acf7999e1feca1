// The run of the entry program: it ends after one stored entry, on
// "Выход", when its window is closed, or when a library it needs is
// missing. Whoever ends it sets `ended`; RunPaydesk waits for that.
#pragma once

namespace kassa::paydesk {

struct Program {
  bool ended = false;
  void End() { ended = true; }
};

}  // namespace kassa::paydesk
