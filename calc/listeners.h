// The office-side objects through which a document reaches its adapter:
// one listener for the document's notifications and one interceptor for its
// commands. Both hold the adapter weakly; a notification arriving after the
// adapter is gone does nothing. No exception leaves them into the office.
#pragma once

#include <com/sun/star/awt/XActionListener.hpp>
#include <com/sun/star/document/XDocumentEventListener.hpp>
#include <com/sun/star/frame/XDispatch.hpp>
#include <com/sun/star/frame/XDispatchProviderInterceptor.hpp>
#include <com/sun/star/frame/XInterceptorInfo.hpp>
#include <com/sun/star/sheet/XActivationEventListener.hpp>
#include <com/sun/star/util/XChangesListener.hpp>
#include <com/sun/star/util/XModifyListener.hpp>
#include <com/sun/star/view/XSelectionChangeListener.hpp>
#include <cppuhelper/implbase3.hxx>
#include <cppuhelper/implbase6.hxx>
#include <memory>

#include "calc/document_adapter.h"

namespace kassa::calc {

class DocumentListener : public cppu::WeakImplHelper6<
                             css::util::XChangesListener, css::sheet::XActivationEventListener,
                             css::view::XSelectionChangeListener, css::util::XModifyListener,
                             css::document::XDocumentEventListener, css::awt::XActionListener> {
 public:
  explicit DocumentListener(std::weak_ptr<DocumentAdapter> adapter)
      : adapter_(std::move(adapter)) {}

  void SAL_CALL changesOccurred(const css::util::ChangesEvent& event) override;
  void SAL_CALL activeSpreadsheetChanged(const css::sheet::ActivationEvent& event) override;
  void SAL_CALL selectionChanged(const css::lang::EventObject& event) override;
  void SAL_CALL modified(const css::lang::EventObject& event) override;
  void SAL_CALL documentEventOccured(const css::document::DocumentEvent& event) override;
  void SAL_CALL actionPerformed(const css::awt::ActionEvent& event) override;
  void SAL_CALL disposing(const css::lang::EventObject& event) override;

 private:
  std::weak_ptr<DocumentAdapter> adapter_;
};

class CommandInterceptor
    : public cppu::WeakImplHelper3<css::frame::XDispatchProviderInterceptor,
                                   css::frame::XInterceptorInfo, css::frame::XDispatch> {
 public:
  explicit CommandInterceptor(std::weak_ptr<DocumentAdapter> adapter)
      : adapter_(std::move(adapter)) {}

  // Runs `url` as the office would have without the interceptor.
  void Forward(const css::util::URL& url,
               const css::uno::Sequence<css::beans::PropertyValue>& args);
  // The office's own handler of `url` (null when none); it stays usable
  // after the interceptor has been released.
  Reference<css::frame::XDispatch> OfficeDispatch(const css::util::URL& url);
  // The adapter is going: every command goes to the office from now on.
  void Release() { adapter_.reset(); }

  // XDispatchProvider
  Reference<css::frame::XDispatch> SAL_CALL queryDispatch(const css::util::URL& url,
                                                          const OUString& target,
                                                          sal_Int32 flags) override;
  css::uno::Sequence<Reference<css::frame::XDispatch>> SAL_CALL
  queryDispatches(const css::uno::Sequence<css::frame::DispatchDescriptor>& requests) override;
  // XDispatchProviderInterceptor
  Reference<css::frame::XDispatchProvider> SAL_CALL getSlaveDispatchProvider() override {
    return slave_;
  }
  void SAL_CALL
  setSlaveDispatchProvider(const Reference<css::frame::XDispatchProvider>& slave) override {
    slave_ = slave;
  }
  Reference<css::frame::XDispatchProvider> SAL_CALL getMasterDispatchProvider() override {
    return master_;
  }
  void SAL_CALL
  setMasterDispatchProvider(const Reference<css::frame::XDispatchProvider>& master) override {
    master_ = master;
  }
  // XInterceptorInfo
  css::uno::Sequence<OUString> SAL_CALL getInterceptedURLs() override;
  // XDispatch
  void SAL_CALL dispatch(const css::util::URL& url,
                         const css::uno::Sequence<css::beans::PropertyValue>& args) override;
  void SAL_CALL addStatusListener(const Reference<css::frame::XStatusListener>& listener,
                                  const css::util::URL& url) override;
  void SAL_CALL removeStatusListener(const Reference<css::frame::XStatusListener>& listener,
                                     const css::util::URL& url) override;

 private:
  bool Intercepts(const css::util::URL& url) const;
  std::weak_ptr<DocumentAdapter> adapter_;
  Reference<css::frame::XDispatchProvider> slave_, master_;
};

}  // namespace kassa::calc
