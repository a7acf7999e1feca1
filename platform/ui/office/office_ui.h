// The office backend of the UI port: the system's message boxes, dialogs,
// progress window and wait box drawn with the office's own toolkit, for the
// components running inside the office (the Calc host). No other toolkit
// runs in the office process.
//
// Message boxes are modal office dialogs with the system's button sets and
// captions (ОК, Отмена, Да, Нет), its texts and titles; closing one by its
// frame gives the Escape answer of its buttons (Cancel, No for Yes/No, OK).
// Forms become modeless office dialogs at their twips geometry converted to
// dialog units, over the office window the user works in; what the user
// does reaches the form only through the Act* functions. Pauses and waits
// let the office handle its events (painting, input, timers) meanwhile.
#pragma once

#include <com/sun/star/awt/XControl.hpp>
#include <com/sun/star/uno/Reference.hxx>
#include <com/sun/star/uno/XComponentContext.hpp>
#include <functional>

#include "platform/ui/ui.h"

namespace kassa::ui::office {

// The office backend of this process (made on first use with `context`).
// `settle` runs before the user is asked anything and after every action
// of the user on a form, so what the user sees is up to date (the host
// writes its documents there); it may be empty.
Backend& Office(
    const ::com::sun::star::uno::Reference<::com::sun::star::uno::XComponentContext>& context,
    std::function<void()> settle);

// Makes it the process-wide UI port.
void Install(
    const ::com::sun::star::uno::Reference<::com::sun::star::uno::XComponentContext>& context,
    std::function<void()> settle);

// For a program that acts on the dialogs as the user (the scenario runner
// on a display, tests). Office() makes the backend first.
using ControlRef = ::com::sun::star::uno::Reference<::com::sun::star::awt::XControl>;
// The office dialog of a form and the office control of one of its
// controls; null when the form has no dialog (never shown) or no such
// control.
ControlRef DialogOf(const Form& form);
ControlRef ControlOf(const Form& form, const std::string& control);
// A message box as Message() shows it; `on_shown` runs once the box is up
// (inside its modal wait) and may press one of its buttons (ButtonOf).
Answer ShowMessage(const std::string& text, Buttons buttons, const std::string& title,
                   const std::function<void(const ControlRef& box)>& on_shown);
ControlRef ButtonOf(const ControlRef& box, Answer answer);

}  // namespace kassa::ui::office
