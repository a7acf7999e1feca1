#include "calc/buttons.h"

#include <cmath>
#include <com/sun/star/awt/Point.hpp>
#include <com/sun/star/awt/Size.hpp>
#include <com/sun/star/awt/XButton.hpp>
#include <com/sun/star/awt/XControlModel.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/drawing/XControlShape.hpp>
#include <com/sun/star/drawing/XDrawPagesSupplier.hpp>
#include <com/sun/star/drawing/XShape.hpp>
#include <com/sun/star/drawing/XShapes.hpp>
#include <com/sun/star/lang/XMultiServiceFactory.hpp>
#include <com/sun/star/view/XControlAccess.hpp>
#include <com/sun/star/view/XFormLayerAccess.hpp>

namespace kassa::calc {

using css::uno::Any;
using css::uno::UNO_QUERY;
using css::uno::UNO_QUERY_THROW;

namespace {

// Points to the office's 1/100 mm.
sal_Int32 Hmm(int points) {
  return static_cast<sal_Int32>(std::lround(points * 2540.0 / 72.0));
}

Reference<css::drawing::XShapes> Page(const Reference<css::sheet::XSpreadsheetDocument>& doc,
                                      int index) {
  Reference<css::drawing::XDrawPagesSupplier> supplier(doc, UNO_QUERY_THROW);
  Reference<css::container::XIndexAccess> pages(supplier->getDrawPages(), UNO_QUERY_THROW);
  return Reference<css::drawing::XShapes>(pages->getByIndex(index - 1), UNO_QUERY_THROW);
}

}  // namespace

Reference<css::uno::XInterface> AddButton(const Reference<css::sheet::XSpreadsheetDocument>& doc,
                                          int index, const host::Shape& shape) {
  Reference<css::lang::XMultiServiceFactory> factory(doc, UNO_QUERY_THROW);
  Reference<css::beans::XPropertySet> model(
      factory->createInstance("com.sun.star.form.component.CommandButton"), UNO_QUERY_THROW);
  model->setPropertyValue("Name", Any(U(shape.name)));
  model->setPropertyValue("Label", Any(U(shape.caption)));
  model->setPropertyValue("Printable", Any(false));
  model->setPropertyValue("Tabstop", Any(false));
  Reference<css::drawing::XControlShape> control(
      factory->createInstance("com.sun.star.drawing.ControlShape"), UNO_QUERY_THROW);
  control->setControl(Reference<css::awt::XControlModel>(model, UNO_QUERY_THROW));
  Reference<css::drawing::XShape> s(control, UNO_QUERY_THROW);
  Page(doc, index)->add(s);
  s->setPosition(css::awt::Point(Hmm(shape.left), Hmm(shape.top)));
  s->setSize(css::awt::Size(Hmm(shape.width), Hmm(shape.height)));
  return Reference<css::uno::XInterface>(model, UNO_QUERY);
}

void RemoveButton(const Reference<css::sheet::XSpreadsheetDocument>& doc, int index,
                  const std::string& name) {
  Reference<css::drawing::XShapes> page = Page(doc, index);
  const OUString wanted = U(name);
  for (sal_Int32 i = page->getCount() - 1; i >= 0; --i) {
    Reference<css::drawing::XControlShape> control(page->getByIndex(i), UNO_QUERY);
    if (!control.is()) continue;
    Reference<css::beans::XPropertySet> model(control->getControl(), UNO_QUERY);
    OUString n;
    if (model.is()) model->getPropertyValue("Name") >>= n;
    if (n == wanted) page->remove(Reference<css::drawing::XShape>(control, UNO_QUERY));
  }
}

bool ListenToButton(const Reference<css::frame::XController>& controller,
                    const Reference<css::uno::XInterface>& model,
                    const Reference<css::awt::XActionListener>& listener,
                    std::vector<Reference<css::uno::XInterface>>& listened) {
  Reference<css::view::XControlAccess> access(controller, UNO_QUERY);
  if (!access.is()) return false;
  Reference<css::awt::XControl> control;
  try {
    control = access->getControl(Reference<css::awt::XControlModel>(model, UNO_QUERY));
  } catch (const css::uno::Exception&) {
    return false;
  }
  Reference<css::awt::XButton> button(control, UNO_QUERY);
  if (!button.is()) return false;
  Reference<css::uno::XInterface> key(control, UNO_QUERY);
  for (const auto& known : listened)
    if (known == key) return true;
  listened.push_back(key);
  button->addActionListener(listener);
  return true;
}

void UseButtons(const Reference<css::frame::XController>& controller) {
  Reference<css::view::XFormLayerAccess> forms(controller, UNO_QUERY);
  if (forms.is()) forms->setFormDesignMode(false);
}

}  // namespace kassa::calc
