#include "platform/ui/office/toolkit.h"

#include <algorithm>
#include <com/sun/star/awt/Toolkit.hpp>
#include <com/sun/star/awt/XUnitConversion.hpp>
#include <com/sun/star/awt/XWindow.hpp>
#include <com/sun/star/frame/Desktop.hpp>
#include <com/sun/star/frame/XFrame.hpp>
#include <com/sun/star/util/MeasureUnit.hpp>

namespace kassa::ui::office {

using css::uno::UNO_QUERY;
using css::uno::UNO_QUERY_THROW;

namespace {
Reference<css::uno::XComponentContext> g_context;
Reference<css::awt::XToolkit> g_toolkit;
}  // namespace

void SetContext(const Reference<css::uno::XComponentContext>& context) {
  if (g_context.is()) return;
  g_context = context;
  g_toolkit.set(css::awt::Toolkit::create(context), UNO_QUERY_THROW);
}

Reference<css::uno::XComponentContext> Context() {
  return g_context;
}
Reference<css::awt::XToolkit> Toolkit() {
  return g_toolkit;
}

Reference<css::awt::XWindowPeer> WorkWindow() {
  try {
    Reference<css::frame::XDesktop2> desktop = css::frame::Desktop::create(g_context);
    Reference<css::frame::XFrame> frame = desktop->getCurrentFrame();
    if (!frame.is()) return nullptr;
    return Reference<css::awt::XWindowPeer>(frame->getContainerWindow(), UNO_QUERY);
  } catch (const css::uno::Exception&) {
    return nullptr;
  }
}

const Units& DialogUnits() {
  static Units units = [] {
    Units u;
    try {
      Reference<css::awt::XUnitConversion> conversion(WorkWindow(), UNO_QUERY);
      if (!conversion.is()) conversion.set(g_toolkit->getDesktopWindow(), UNO_QUERY);
      if (conversion.is()) {
        css::awt::Size s = conversion->convertSizeToLogic(css::awt::Size(1000, 1000),
                                                          css::util::MeasureUnit::APPFONT);
        if (s.Width > 0 && s.Height > 0) u.x = s.Width / 1000.0, u.y = s.Height / 1000.0;
      }
    } catch (const css::uno::Exception&) {
    }
    return u;
  }();
  return units;
}

Reference<css::beans::XPropertySet> NewDialogModel() {
  return Reference<css::beans::XPropertySet>(
      g_context->getServiceManager()->createInstanceWithContext(
          "com.sun.star.awt.UnoControlDialogModel", g_context),
      UNO_QUERY_THROW);
}

Reference<css::beans::XPropertySet> AddControl(const Reference<css::beans::XPropertySet>& dialog,
                                               const char* service, const std::string& name) {
  Reference<css::lang::XMultiServiceFactory> factory(dialog, UNO_QUERY_THROW);
  Reference<css::beans::XPropertySet> model(
      factory->createInstance(OUString::createFromAscii(service)), UNO_QUERY_THROW);
  model->setPropertyValue("Name", css::uno::Any(U(name)));
  Reference<css::container::XNameContainer> container(dialog, UNO_QUERY_THROW);
  container->insertByName(U(name), css::uno::Any(model));
  return model;
}

}  // namespace kassa::ui::office

namespace kassa::ui::office {

void Center(const Reference<css::beans::XPropertySet>& dialog, sal_Int32 width, sal_Int32 height) {
  sal_Int32 x = 20, y = 20;
  Reference<css::awt::XWindow> work(WorkWindow(), css::uno::UNO_QUERY);
  if (work.is()) {
    const Units& u = DialogUnits();
    css::awt::Rectangle r = work->getPosSize();
    x = std::max<sal_Int32>(0, static_cast<sal_Int32>(r.Width * u.x - width) / 2);
    y = std::max<sal_Int32>(0, static_cast<sal_Int32>(r.Height * u.y - height) / 3);
  }
  dialog->setPropertyValue("PositionX", css::uno::Any(x));
  dialog->setPropertyValue("PositionY", css::uno::Any(y));
}

}  // namespace kassa::ui::office
