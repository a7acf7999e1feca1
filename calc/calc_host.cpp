#include "calc/calc_host.h"

#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/beans/XPropertySetInfo.hpp>
#include <com/sun/star/document/XDocumentProperties.hpp>
#include <com/sun/star/document/XDocumentPropertiesSupplier.hpp>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "platform/component/component.h"
#include "platform/ui/office/office_ui.h"
#include "platform/ui/ui.h"

namespace kassa::calc {

using css::uno::UNO_QUERY;

namespace {

std::vector<std::shared_ptr<DocumentAdapter>>& Registry() {
  static auto* adapters = new std::vector<std::shared_ptr<DocumentAdapter>>;
  return *adapters;
}

void Prune() {
  auto& r = Registry();
  r.erase(std::remove_if(r.begin(), r.end(), [](const auto& a) { return a->detached(); }), r.end());
}

// The components of the installation this extension belongs to (the
// registry beside its libraries) come first, as a program of that
// installation takes them; unless $KASSA_COMPONENTS names a registry.
void UseOwnInstallation() {
  if (const char* set = std::getenv("KASSA_COMPONENTS"); set && *set) return;
  const std::string registry =
      component::LibraryFolderOf(reinterpret_cast<const void*>(&UseOwnInstallation)) +
      "/components.conf";
  std::error_code ec;
  if (std::filesystem::exists(registry, ec)) setenv("KASSA_COMPONENTS", registry.c_str(), 1);
}

void InstallUi() {
  if (&ui::Port() != &ui::ConsoleBackend()) return;
  ui::office::Install(Context(), [] { SyncAll(); });
}

}  // namespace

host::Application& HostApplication() {
  // Lives as long as the office: workbooks may be closed during its exit.
  static auto* app = new host::Application;
  return *app;
}

bool IsHostDocument(const Reference<css::frame::XModel>& model) {
  Reference<css::document::XDocumentPropertiesSupplier> supplier(model, UNO_QUERY);
  if (!supplier.is()) return false;
  Reference<css::beans::XPropertySet> user(
      supplier->getDocumentProperties()->getUserDefinedProperties(), UNO_QUERY);
  if (!user.is()) return false;
  for (const css::beans::Property& p : user->getPropertySetInfo()->getProperties())
    if (p.Name.startsWith("KassaHost.")) return true;
  return false;
}

void DocumentLoaded(const Reference<css::frame::XModel>& model) {
  try {
    if (!IsHostDocument(model) || FindAdapter(model)) return;
    UseOwnInstallation();
    InstallUi();
    auto adapter = DocumentAdapter::Attach(model, HostApplication());
    if (adapter && !adapter->detached()) Registry().push_back(adapter);
  } catch (const host::HostError& e) {
    ui::Port().ReportError(e.what());
  } catch (const css::uno::Exception& e) {
    std::fprintf(stderr, "kassa: taking on the document: %s\n", S(e.Message).c_str());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "kassa: taking on the document: %s\n", e.what());
  }
}

std::shared_ptr<DocumentAdapter> FindAdapter(const Reference<css::frame::XModel>& model) {
  Prune();
  for (const auto& a : Registry())
    if (a->model() == model) return a;
  return nullptr;
}

std::vector<std::shared_ptr<DocumentAdapter>> Adapters() {
  Prune();
  return Registry();
}

void SyncAll() {
  for (const auto& a : Adapters()) a->Sync();
}

}  // namespace kassa::calc
