#include "platform/ui/office/message_box.h"

#include <algorithm>
#include <com/sun/star/awt/AsyncCallback.hpp>
#include <com/sun/star/awt/PushButtonType.hpp>
#include <com/sun/star/awt/XActionListener.hpp>
#include <com/sun/star/awt/XButton.hpp>
#include <com/sun/star/awt/XCallback.hpp>
#include <com/sun/star/awt/XControl.hpp>
#include <com/sun/star/awt/XControlContainer.hpp>
#include <com/sun/star/awt/XDialog.hpp>
#include <com/sun/star/awt/XLayoutConstrains.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <cppuhelper/implbase1.hxx>
#include <vector>

#include "platform/ui/office/office_ui.h"
#include "platform/ui/office/texts.h"
#include "platform/ui/office/toolkit.h"

namespace kassa::ui::office {

using css::uno::Any;
using css::uno::UNO_QUERY;
using css::uno::UNO_QUERY_THROW;

namespace {

struct ButtonSpec {
  Answer answer;
  const char* caption;
  const char* name;
};

std::vector<ButtonSpec> SpecsFor(Buttons buttons) {
  const ButtonSpec ok{Answer::OK, texts::kOK, "B_OK"};
  const ButtonSpec cancel{Answer::Cancel, texts::kCancel, "B_Cancel"};
  const ButtonSpec yes{Answer::Yes, texts::kYes, "B_Yes"};
  const ButtonSpec no{Answer::No, texts::kNo, "B_No"};
  switch (buttons) {
    case Buttons::OK:
      return {ok};
    case Buttons::OKCancel:
      return {ok, cancel};
    case Buttons::YesNo:
      return {yes, no};
    case Buttons::YesNoCancel:
      return {yes, no, cancel};
  }
  return {ok};
}

// The answer when the box is closed without pressing a button.
Answer EscapeAnswer(Buttons buttons) {
  switch (buttons) {
    case Buttons::OK:
      return Answer::OK;
    case Buttons::YesNo:
      return Answer::No;
    case Buttons::OKCancel:
    case Buttons::YesNoCancel:
      return Answer::Cancel;
  }
  return Answer::OK;
}

// Ends the box with the answer of the pressed button.
class Press : public cppu::WeakImplHelper1<css::awt::XActionListener> {
 public:
  Press(Reference<css::awt::XDialog> dialog, Answer answer, Answer& result, bool& pressed)
      : dialog_(std::move(dialog)), answer_(answer), result_(result), pressed_(pressed) {}
  void SAL_CALL actionPerformed(const css::awt::ActionEvent&) override {
    result_ = answer_;
    pressed_ = true;
    dialog_->endExecute();
  }
  void SAL_CALL disposing(const css::lang::EventObject&) override {}

 private:
  Reference<css::awt::XDialog> dialog_;
  Answer answer_;
  Answer& result_;
  bool& pressed_;
};

// Runs a job from the office's event loop.
class Later : public cppu::WeakImplHelper1<css::awt::XCallback> {
 public:
  explicit Later(std::function<void()> job) : job_(std::move(job)) {}
  void SAL_CALL notify(const Any&) override {
    if (job_) job_();
  }

 private:
  std::function<void()> job_;
};

// Layout in dialog units.
constexpr sal_Int32 kMargin = 6, kTextWidth = 220, kButtonWidth = 50, kButtonHeight = 14, kGap = 4;

}  // namespace

Answer ShowMessageBox(
    const std::string& text, Buttons buttons, const std::string& title,
    const std::function<void(const css::uno::Reference<css::awt::XControl>&)>& on_shown) {
  const std::vector<ButtonSpec> specs = SpecsFor(buttons);
  Reference<css::beans::XPropertySet> model = NewDialogModel();
  model->setPropertyValue("Title", Any(U(title)));
  model->setPropertyValue("Closeable", Any(true));
  model->setPropertyValue("Moveable", Any(true));
  Reference<css::beans::XPropertySet> label =
      AddControl(model, "com.sun.star.awt.UnoControlFixedTextModel", "L_Text");
  label->setPropertyValue("Label", Any(U(text)));
  label->setPropertyValue("MultiLine", Any(true));
  for (size_t i = 0; i < specs.size(); ++i) {
    Reference<css::beans::XPropertySet> b =
        AddControl(model, "com.sun.star.awt.UnoControlButtonModel", specs[i].name);
    b->setPropertyValue("Label", Any(OUString::fromUtf8(specs[i].caption)));
    b->setPropertyValue("PushButtonType",
                        Any(static_cast<sal_Int16>(css::awt::PushButtonType_STANDARD)));
    b->setPropertyValue("DefaultButton", Any(i == 0));
    b->setPropertyValue("TabIndex", Any(static_cast<sal_Int16>(i)));
  }
  // A first layout, measured once the dialog exists.
  auto place = [&](sal_Int32 text_height) {
    const sal_Int32 buttons_width =
        static_cast<sal_Int32>(specs.size()) * (kButtonWidth + kGap) - kGap;
    const sal_Int32 width = std::max(kTextWidth, buttons_width) + 2 * kMargin;
    const sal_Int32 height = kMargin + text_height + 2 * kGap + kButtonHeight + kMargin;
    model->setPropertyValue("Width", Any(width));
    model->setPropertyValue("Height", Any(height));
    Center(model, width, height);
    label->setPropertyValue("PositionX", Any(kMargin));
    label->setPropertyValue("PositionY", Any(kMargin));
    label->setPropertyValue("Width", Any(width - 2 * kMargin));
    label->setPropertyValue("Height", Any(text_height));
    Reference<css::container::XNameAccess> controls(model, UNO_QUERY_THROW);
    sal_Int32 x = width - kMargin - buttons_width;
    for (const ButtonSpec& s : specs) {
      Reference<css::beans::XPropertySet> b(controls->getByName(OUString::createFromAscii(s.name)),
                                            UNO_QUERY_THROW);
      b->setPropertyValue("PositionX", Any(x));
      b->setPropertyValue("PositionY", Any(height - kMargin - kButtonHeight));
      b->setPropertyValue("Width", Any(kButtonWidth));
      b->setPropertyValue("Height", Any(kButtonHeight));
      x += kButtonWidth + kGap;
    }
  };
  place(24);

  Reference<css::awt::XControl> control(Context()->getServiceManager()->createInstanceWithContext(
                                            "com.sun.star.awt.UnoControlDialog", Context()),
                                        UNO_QUERY_THROW);
  control->setModel(Reference<css::awt::XControlModel>(model, UNO_QUERY_THROW));
  control->createPeer(Toolkit(), WorkWindow());
  Reference<css::awt::XControlContainer> container(control, UNO_QUERY_THROW);

  // The text's height at the box's width.
  Reference<css::awt::XLayoutConstrains> measure(container->getControl("L_Text"), UNO_QUERY);
  if (measure.is()) {
    const Units& u = DialogUnits();
    const sal_Int32 width_px = static_cast<sal_Int32>(kTextWidth / u.x);
    css::awt::Size need = measure->calcAdjustedSize(css::awt::Size(width_px, 0));
    const sal_Int32 lines_height = static_cast<sal_Int32>(std::lround(need.Height * u.y)) + 2;
    place(std::max<sal_Int32>(10, lines_height));
  }

  Reference<css::awt::XDialog> dialog(control, UNO_QUERY_THROW);
  Answer result = EscapeAnswer(buttons);
  bool pressed = false;
  for (const ButtonSpec& s : specs) {
    Reference<css::awt::XButton> b(container->getControl(OUString::createFromAscii(s.name)),
                                   UNO_QUERY_THROW);
    b->addActionListener(new Press(dialog, s.answer, result, pressed));
  }
  if (on_shown) {
    // Runs inside the box's modal wait, once the office is back to its events.
    auto hook = on_shown;
    css::awt::AsyncCallback::create(Context())->addCallback(
        new Later([hook, control] { hook(control); }), Any());
  }
  dialog->execute();
  Reference<css::lang::XComponent>(control, UNO_QUERY_THROW)->dispose();
  return pressed ? result : EscapeAnswer(buttons);
}

}  // namespace kassa::ui::office

namespace kassa::ui::office {

ControlRef ButtonOf(const ControlRef& box, Answer answer) {
  const char* name = answer == Answer::OK       ? "B_OK"
                     : answer == Answer::Cancel ? "B_Cancel"
                     : answer == Answer::Yes    ? "B_Yes"
                                                : "B_No";
  css::uno::Reference<css::awt::XControlContainer> container(box, UNO_QUERY);
  return container.is() ? container->getControl(OUString::createFromAscii(name)) : nullptr;
}

Answer ShowMessage(const std::string& text, Buttons buttons, const std::string& title,
                   const std::function<void(const ControlRef& box)>& on_shown) {
  return ShowMessageBox(text, buttons, title, on_shown);
}

}  // namespace kassa::ui::office
