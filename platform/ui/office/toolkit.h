// Shared pieces of the office backend (private to kassa_ui_office).
#pragma once

#include <cmath>
#include <com/sun/star/awt/XControlContainer.hpp>
#include <com/sun/star/awt/XToolkit.hpp>
#include <com/sun/star/awt/XWindowPeer.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XNameContainer.hpp>
#include <com/sun/star/lang/XMultiServiceFactory.hpp>
#include <com/sun/star/uno/XComponentContext.hpp>
#include <rtl/ustring.hxx>
#include <string>

namespace kassa::ui::office {

using ::rtl::OString;
using ::rtl::OUString;
namespace css = ::com::sun::star;
using css::uno::Reference;

inline OUString U(const std::string& s) {
  return OUString(s.data(), static_cast<sal_Int32>(s.size()), RTL_TEXTENCODING_UTF8);
}
inline std::string S(const OUString& s) {
  OString o = OUStringToOString(s, RTL_TEXTENCODING_UTF8);
  return std::string(o.getStr(), static_cast<size_t>(o.getLength()));
}

// The office's toolkit and component context, set once by Office().
void SetContext(const Reference<css::uno::XComponentContext>& context);
Reference<css::uno::XComponentContext> Context();
Reference<css::awt::XToolkit> Toolkit();

// The window the user works in (the active document window), to keep
// dialogs above it; null when there is none.
Reference<css::awt::XWindowPeer> WorkWindow();

// Dialog units (the office's "app font" units) per pixel, measured once on
// the screen's standard font; twips are 15 to the pixel at 96 dpi.
struct Units {
  double x = 0.5, y = 0.5;
  sal_Int32 X(int twips) const { return static_cast<sal_Int32>(std::lround(twips / 15.0 * x)); }
  sal_Int32 Y(int twips) const { return static_cast<sal_Int32>(std::lround(twips / 15.0 * y)); }
};
const Units& DialogUnits();

// A new, empty modeless dialog model and its control-model factory.
Reference<css::beans::XPropertySet> NewDialogModel();
// Adds a control model of `service` named `name` to a dialog model.
Reference<css::beans::XPropertySet> AddControl(const Reference<css::beans::XPropertySet>& dialog,
                                               const char* service, const std::string& name);

}  // namespace kassa::ui::office

namespace kassa::ui::office {
// Places a dialog model of the given size (dialog units) in the middle of
// the window the user works in.
void Center(const Reference<css::beans::XPropertySet>& dialog, sal_Int32 width, sal_Int32 height);
}  // namespace kassa::ui::office
