// The process-wide backend of the UI port.
#include "platform/ui/ui.h"

namespace kassa::ui {
namespace {
Backend* g_installed = nullptr;
}  // namespace

Backend::~Backend() = default;

const char* ToString(Buttons b) {
  switch (b) {
    case Buttons::OK:
      return "OK";
    case Buttons::OKCancel:
      return "OKCancel";
    case Buttons::YesNo:
      return "YesNo";
    case Buttons::YesNoCancel:
      return "YesNoCancel";
  }
  return "OK";
}

const char* ToString(Answer a) {
  switch (a) {
    case Answer::OK:
      return "OK";
    case Answer::Cancel:
      return "Cancel";
    case Answer::Yes:
      return "Yes";
    case Answer::No:
      return "No";
  }
  return "OK";
}

void Install(Backend* backend) {
  g_installed = backend;
}

Backend& Port() {
  return g_installed ? *g_installed : ConsoleBackend();
}

}  // namespace kassa::ui
