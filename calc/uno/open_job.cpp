// The extension's component: the job the office runs when a document has
// been loaded. It hands the document to the Calc host, which takes on the
// workbooks that carry the host's own data (KassaHost.* properties) and
// leaves every other document alone. No macro of the document is involved,
// so the office's macro security stays as the user set it.
#include <com/sun/star/beans/NamedValue.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/lang/XServiceInfo.hpp>
#include <com/sun/star/task/XJob.hpp>
#include <cppuhelper/implbase2.hxx>
#include <cppuhelper/implementationentry.hxx>
#include <cppuhelper/supportsservice.hxx>
#include <cstdio>

#include "calc/calc_host.h"
#include "calc/office.h"

namespace kassa::calc {
namespace {

constexpr char kImplementation[] = "org.kassa.calc.OpenJob";

OUString ImplementationName() {
  return OUString::createFromAscii(kImplementation);
}

css::uno::Sequence<OUString> ServiceNames() {
  return Seq({ImplementationName()});
}

class OpenJob : public cppu::WeakImplHelper2<css::task::XJob, css::lang::XServiceInfo> {
 public:
  css::uno::Any SAL_CALL execute(const css::uno::Sequence<css::beans::NamedValue>& args) override {
    Reference<css::frame::XModel> model;
    for (const auto& a : args) {
      if (a.Name != "Environment") continue;
      css::uno::Sequence<css::beans::NamedValue> env;
      a.Value >>= env;
      for (const auto& e : env)
        if (e.Name == "Model") e.Value >>= model;
    }
    if (model.is()) DocumentLoaded(model);
    return css::uno::Any();
  }
  OUString SAL_CALL getImplementationName() override { return ImplementationName(); }
  sal_Bool SAL_CALL supportsService(const OUString& name) override {
    return cppu::supportsService(this, name);
  }
  css::uno::Sequence<OUString> SAL_CALL getSupportedServiceNames() override {
    return ServiceNames();
  }
};

Reference<css::uno::XInterface> SAL_CALL Create(const Reference<css::uno::XComponentContext>& ctx) {
  SetContext(ctx);
  return static_cast<cppu::OWeakObject*>(new OpenJob);
}

const cppu::ImplementationEntry kEntries[] = {
    {Create, ImplementationName, ServiceNames, cppu::createSingleComponentFactory, nullptr, 0},
    {nullptr, nullptr, nullptr, nullptr, nullptr, 0}};

}  // namespace
}  // namespace kassa::calc

extern "C" SAL_DLLPUBLIC_EXPORT void* component_getFactory(const char* implementation,
                                                           void* service_manager,
                                                           void* registry_key) {
  return cppu::component_getFactoryHelper(implementation, service_manager, registry_key,
                                          kassa::calc::kEntries);
}
