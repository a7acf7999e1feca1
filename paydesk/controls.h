// A control of a form at its place (twips) and tab position.
#pragma once

#include <string>

#include "platform/ui/form.h"

namespace kassa::paydesk {

inline ui::Control MakeControl(std::string name, ui::ControlKind kind, std::string text, int left,
                               int top, int width, int height, int tab_index) {
  ui::Control c;
  c.name = std::move(name);
  c.kind = kind;
  c.text = std::move(text);
  c.left = left;
  c.top = top;
  c.width = width;
  c.height = height;
  c.tab_index = tab_index;
  return c;
}

}  // namespace kassa::paydesk
