#include "calc/listeners.h"

#include <com/sun/star/awt/XControl.hpp>
#include <com/sun/star/sheet/XCellRangeAddressable.hpp>
#include <com/sun/star/util/ElementChange.hpp>
#include <cstdio>

namespace kassa::calc {

using css::uno::UNO_QUERY;

namespace {

// Runs a handler; nothing it throws reaches the office.
template <class Handler>
void Safely(const char* what, Handler handler) {
  try {
    handler();
  } catch (const css::uno::Exception& e) {
    std::fprintf(stderr, "kassa: %s: %s\n", what, S(e.Message).c_str());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "kassa: %s: %s\n", what, e.what());
  } catch (...) {
    std::fprintf(stderr, "kassa: %s failed\n", what);
  }
}

// The command without its arguments (".uno:Save?x=1" -> ".uno:Save").
OUString Command(const css::util::URL& url) {
  sal_Int32 q = url.Complete.indexOf('?');
  return q < 0 ? url.Complete : url.Complete.copy(0, q);
}

}  // namespace

void DocumentListener::changesOccurred(const css::util::ChangesEvent& event) {
  Safely("content change", [&] {
    auto adapter = adapter_.lock();
    if (!adapter) return;
    std::vector<css::table::CellRangeAddress> cells;
    bool structure = false;
    for (const css::util::ElementChange& change : event.Changes) {
      OUString kind;
      change.Accessor >>= kind;
      if (kind == "cell-change") {
        Reference<css::sheet::XCellRangeAddressable> range(change.ReplacedElement, UNO_QUERY);
        if (range.is()) cells.push_back(range->getRangeAddress());
      } else if (kind != "attribute") {
        // Rows or columns inserted or deleted: found by comparing.
        structure = true;
      }
    }
    if (!cells.empty()) adapter->CellsChanged(cells);
    if (structure) adapter->StructureChanged();
  });
}

void DocumentListener::activeSpreadsheetChanged(const css::sheet::ActivationEvent& event) {
  Safely("sheet activation", [&] {
    if (auto adapter = adapter_.lock()) adapter->SheetActivated(event.ActiveSheet);
  });
}

void DocumentListener::selectionChanged(const css::lang::EventObject&) {
  Safely("selection", [&] {
    if (auto adapter = adapter_.lock()) adapter->SelectionChanged();
  });
}

void DocumentListener::modified(const css::lang::EventObject&) {
  Safely("modification", [&] {
    if (auto adapter = adapter_.lock()) adapter->ContentModified();
  });
}

void DocumentListener::documentEventOccured(const css::document::DocumentEvent& event) {
  Safely("document event", [&] {
    if (event.EventName != "OnUnload") return;
    if (auto adapter = adapter_.lock()) adapter->DocumentGone();
  });
}

void DocumentListener::actionPerformed(const css::awt::ActionEvent& event) {
  Safely("button", [&] {
    auto adapter = adapter_.lock();
    Reference<css::awt::XControl> control(event.Source, UNO_QUERY);
    if (adapter && control.is()) adapter->ButtonPressed(control->getModel());
  });
}

void DocumentListener::disposing(const css::lang::EventObject& event) {
  Safely("disposing", [&] {
    auto adapter = adapter_.lock();
    if (adapter && event.Source == adapter->model()) adapter->DocumentGone();
  });
}

bool CommandInterceptor::Intercepts(const css::util::URL& url) const {
  if (adapter_.expired()) return false;
  const std::string command = S(Command(url));
  for (const std::string& c : DocumentAdapter::InterceptedCommands())
    if (c == command) return true;
  return false;
}

Reference<css::frame::XDispatch> CommandInterceptor::queryDispatch(const css::util::URL& url,
                                                                   const OUString& target,
                                                                   sal_Int32 flags) {
  if (Intercepts(url)) return this;
  return slave_.is() ? slave_->queryDispatch(url, target, flags) : nullptr;
}

css::uno::Sequence<Reference<css::frame::XDispatch>> CommandInterceptor::queryDispatches(
    const css::uno::Sequence<css::frame::DispatchDescriptor>& requests) {
  css::uno::Sequence<Reference<css::frame::XDispatch>> out(requests.getLength());
  for (sal_Int32 i = 0; i < requests.getLength(); ++i)
    out.getArray()[i] =
        queryDispatch(requests[i].FeatureURL, requests[i].FrameName, requests[i].SearchFlags);
  return out;
}

css::uno::Sequence<OUString> CommandInterceptor::getInterceptedURLs() {
  const auto& commands = DocumentAdapter::InterceptedCommands();
  css::uno::Sequence<OUString> out(static_cast<sal_Int32>(commands.size()));
  for (size_t i = 0; i < commands.size(); ++i) out.getArray()[i] = U(commands[i]) + "*";
  return out;
}

Reference<css::frame::XDispatch> CommandInterceptor::OfficeDispatch(const css::util::URL& url) {
  return slave_.is() ? slave_->queryDispatch(url, "", 0) : nullptr;
}

void CommandInterceptor::Forward(const css::util::URL& url,
                                 const css::uno::Sequence<css::beans::PropertyValue>& args) {
  if (!slave_.is()) return;
  Reference<css::frame::XDispatch> d = slave_->queryDispatch(url, "", 0);
  if (d.is()) d->dispatch(url, args);
}

void CommandInterceptor::dispatch(const css::util::URL& url,
                                  const css::uno::Sequence<css::beans::PropertyValue>& args) {
  // Keep this object alive while the command may close the window it sits in.
  Reference<css::frame::XDispatch> self(this);
  bool handled = false;
  Safely("command", [&] {
    if (auto adapter = adapter_.lock()) handled = adapter->Command(url, args);
  });
  if (!handled) Forward(url, args);
}

void CommandInterceptor::addStatusListener(const Reference<css::frame::XStatusListener>& listener,
                                           const css::util::URL& url) {
  if (!slave_.is()) return;
  Reference<css::frame::XDispatch> d = slave_->queryDispatch(url, "", 0);
  if (d.is()) d->addStatusListener(listener, url);
}

void CommandInterceptor::removeStatusListener(
    const Reference<css::frame::XStatusListener>& listener, const css::util::URL& url) {
  if (!slave_.is()) return;
  Reference<css::frame::XDispatch> d = slave_->queryDispatch(url, "", 0);
  if (d.is()) d->removeStatusListener(listener, url);
}

}  // namespace kassa::calc
