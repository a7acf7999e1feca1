#include "calc/office.h"

#include <com/sun/star/awt/AsyncCallback.hpp>
#include <com/sun/star/awt/Toolkit.hpp>
#include <com/sun/star/awt/XCallback.hpp>
#include <com/sun/star/awt/XToolkitExperimental.hpp>
#include <com/sun/star/frame/DispatchHelper.hpp>
#include <com/sun/star/frame/XDispatchProvider.hpp>
#include <com/sun/star/util/URLTransformer.hpp>
#include <cppuhelper/implbase1.hxx>
#include <cstdio>
#include <mutex>

namespace kassa::calc {
namespace {

std::mutex g_mutex;
Reference<css::uno::XComponentContext> g_context;

// A posted job, run once by the office's asynchronous callback.
class Job : public cppu::WeakImplHelper1<css::awt::XCallback> {
 public:
  explicit Job(std::function<void()> job) : job_(std::move(job)) {}
  void SAL_CALL notify(const css::uno::Any&) override {
    auto job = std::move(job_);
    try {
      if (job) job();
    } catch (const css::uno::Exception& e) {
      std::fprintf(stderr, "kassa: a posted job failed: %s\n", S(e.Message).c_str());
    } catch (const std::exception& e) {
      std::fprintf(stderr, "kassa: a posted job failed: %s\n", e.what());
    }
  }

 private:
  std::function<void()> job_;
};

}  // namespace

Reference<css::uno::XComponentContext> Context() {
  std::lock_guard<std::mutex> lock(g_mutex);
  return g_context;
}

void SetContext(const Reference<css::uno::XComponentContext>& context) {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (!g_context.is()) g_context = context;
}

void Post(std::function<void()> job) {
  Reference<css::awt::XRequestCallback> async = css::awt::AsyncCallback::create(Context());
  async->addCallback(new Job(std::move(job)), css::uno::Any());
}

css::beans::PropertyValue Arg(const char* name, const css::uno::Any& value) {
  css::beans::PropertyValue p;
  p.Name = OUString::createFromAscii(name);
  p.Value = value;
  return p;
}

bool Dispatch(const Reference<css::frame::XFrame>& frame, const std::string& command,
              const css::uno::Sequence<css::beans::PropertyValue>& args) {
  Reference<css::frame::XDispatchProvider> provider(frame, css::uno::UNO_QUERY);
  if (!provider.is()) return false;
  css::util::URL url;
  url.Complete = U(command);
  css::util::URLTransformer::create(Context())->parseStrict(url);
  Reference<css::frame::XDispatch> dispatch = provider->queryDispatch(url, "", 0);
  if (!dispatch.is()) return false;
  css::uno::Sequence<css::beans::PropertyValue> all(args.getLength() + 1);
  for (sal_Int32 i = 0; i < args.getLength(); ++i) all.getArray()[i] = args[i];
  // Commands run before this call returns.
  all.getArray()[args.getLength()] = Arg("SynchronMode", css::uno::Any(true));
  dispatch->dispatch(url, all);
  return true;
}

void ProcessEvents() {
  Reference<css::awt::XToolkitExperimental> toolkit(css::awt::Toolkit::create(Context()),
                                                    css::uno::UNO_QUERY);
  if (toolkit.is()) toolkit->processEventsToIdle();
}

}  // namespace kassa::calc
