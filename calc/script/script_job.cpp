// The scenario runner inside the office: a job the office runs once it has
// started. When the office was started by `kassa-script --calc` (the
// variables below are set), the scenario runs on the office's main thread
// with the office driver, its transcript goes to the named file, and the
// office ends with the run (exit status 0 after the last line, 1 when the
// run ended early). Otherwise the job does nothing.
//
//   KASSA_CALC_SCENARIO    the scenario file
//   KASSA_CALC_TRANSCRIPT  where the transcript goes
//   KASSA_CALC_CWD         the folder the scenario runs in
//   KASSA_CALC_DEPLOY      installer and Pass_Parametrs.ini (db commands)
//   KASSA_CALC_TOOLS       the folder of the kassa-db script
//   KASSA_CALC_KEYS        "real": keystrokes through the display (xdotool)
#include <unistd.h>

#include <com/sun/star/beans/NamedValue.hpp>
#include <com/sun/star/lang/XServiceInfo.hpp>
#include <com/sun/star/task/XJob.hpp>
#include <cppuhelper/implbase2.hxx>
#include <cppuhelper/implementationentry.hxx>
#include <cppuhelper/supportsservice.hxx>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "apps/kassa-script/runner.h"
#include "calc/office.h"
#include "calc/script/office_driver.h"
#include "calc/script/window_user.h"

namespace kassa::calc {
namespace {

constexpr char kImplementation[] = "org.kassa.calc.ScriptJob";

OUString ImplementationName() {
  return OUString::createFromAscii(kImplementation);
}
css::uno::Sequence<OUString> ServiceNames() {
  return Seq({ImplementationName()});
}

std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v ? v : "";
}

[[noreturn]] void End(std::FILE* out, int status, const std::string& line) {
  if (!line.empty()) std::fprintf(out, "%s\n", line.c_str());
  std::fflush(out);
  std::fflush(stderr);
  std::_Exit(status);
}

void RunScenario() {
  const std::string scenario = Env("KASSA_CALC_SCENARIO");
  std::FILE* out = std::fopen(Env("KASSA_CALC_TRANSCRIPT").c_str(), "w");
  if (!out) std::_Exit(2);
  if (!Env("KASSA_CALC_CWD").empty() && chdir(Env("KASSA_CALC_CWD").c_str()) != 0)
    End(out, 1, "FAIL cannot enter " + Env("KASSA_CALC_CWD"));
  std::ifstream in(scenario, std::ios::binary);
  if (!in) End(out, 1, "FAIL cannot read " + scenario);
  std::stringstream text;
  text << in.rdbuf();
  script::Script script;
  std::string error;
  if (!script.Parse(text.str(), error)) End(out, 1, "FAIL " + error);
  const bool display = Env("KASSA_CALC_KEYS") == "real";
  auto driver = std::make_unique<OfficeDriver>(display);
  // On a display the user sees the message boxes and dialogs and acts on them.
  std::unique_ptr<ui::ScriptedBackend> backend;
  if (display) backend = std::make_unique<WindowBackend>();
  // The runner ends the process itself when the run fails.
  script::Runner runner(std::move(script), Env("KASSA_CALC_DEPLOY"), Env("KASSA_CALC_TOOLS"),
                        std::move(driver), std::move(backend));
  runner.SetOutput(out);
  runner.Run();
  End(out, 0, "");
}

class ScriptJob : public cppu::WeakImplHelper2<css::task::XJob, css::lang::XServiceInfo> {
 public:
  css::uno::Any SAL_CALL execute(const css::uno::Sequence<css::beans::NamedValue>&) override {
    static bool started = false;
    if (!started && !Env("KASSA_CALC_SCENARIO").empty()) {
      started = true;
      // After the office's start-up has finished.
      Post(RunScenario);
    }
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
  return static_cast<cppu::OWeakObject*>(new ScriptJob);
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
