// Helpers for code that runs inside the office process: the component
// context, text conversion, the main thread, dispatching commands.
//
// Everything here is called on the office's main thread (the thread that
// runs its user interface and raises document events), with the office's
// own lock held, as the office calls extensions.
#pragma once

#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/frame/XFrame.hpp>
#include <com/sun/star/uno/Reference.hxx>
#include <com/sun/star/uno/Sequence.hxx>
#include <com/sun/star/uno/XComponentContext.hpp>
#include <functional>
#include <initializer_list>
#include <rtl/ustring.hxx>
#include <string>

namespace kassa::calc {

using ::rtl::OString;
using ::rtl::OUString;
namespace css = ::com::sun::star;
using css::uno::Reference;

// The office's component context, kept from the first component the office
// created from this extension; null before that.
Reference<css::uno::XComponentContext> Context();
void SetContext(const Reference<css::uno::XComponentContext>& context);

// Text between the office (UTF-16) and the system (UTF-8).
inline OUString U(const std::string& s) {
  return OUString(s.data(), static_cast<sal_Int32>(s.size()), RTL_TEXTENCODING_UTF8);
}
inline std::string S(const OUString& s) {
  OString o = OUStringToOString(s, RTL_TEXTENCODING_UTF8);
  return std::string(o.getStr(), static_cast<size_t>(o.getLength()));
}

// Runs `job` on the main thread once the current event has finished (the
// office's asynchronous callback). A job that throws is reported on
// standard error and dropped.
void Post(std::function<void()> job);

// A sequence of the given elements.
template <class T>
css::uno::Sequence<T> Seq(std::initializer_list<T> elements) {
  return css::uno::Sequence<T>(elements.begin(), static_cast<sal_Int32>(elements.size()));
}

// A property value for command arguments and load options.
css::beans::PropertyValue Arg(const char* name, const css::uno::Any& value);

// Runs an office command (".uno:...") on `frame` as the user would from a
// menu, synchronously. False when the frame offers no such command.
bool Dispatch(const Reference<css::frame::XFrame>& frame, const std::string& command,
              const css::uno::Sequence<css::beans::PropertyValue>& args = {});

// Lets the office handle every pending event (painting, input, timers)
// until it is idle.
void ProcessEvents();

}  // namespace kassa::calc
