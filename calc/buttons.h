// Sheet buttons in the office document: a form push button per button of
// the workbook's macros, at its place on the sheet, with its caption. The
// buttons are runtime objects of the open document: they are made when the
// workbook is taken on and removed before the document writes its file,
// so the file keeps them only as the host's data.
#pragma once

#include <com/sun/star/awt/XActionListener.hpp>
#include <com/sun/star/frame/XController.hpp>
#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <string>
#include <vector>

#include "calc/office.h"
#include "platform/host/host.h"

namespace kassa::calc {

// Adds a button for `shape` to sheet `index` (1-based); returns its control model.
Reference<css::uno::XInterface> AddButton(const Reference<css::sheet::XSpreadsheetDocument>& doc,
                                          int index, const host::Shape& shape);
// Removes the buttons named `name` from sheet `index` (leftovers included).
void RemoveButton(const Reference<css::sheet::XSpreadsheetDocument>& doc, int index,
                  const std::string& name);
// Makes the view's control of a button report its clicks to `listener`
// (once per control: `listened` keeps the controls already listened to);
// false when the view has no control for it yet.
bool ListenToButton(const Reference<css::frame::XController>& controller,
                    const Reference<css::uno::XInterface>& model,
                    const Reference<css::awt::XActionListener>& listener,
                    std::vector<Reference<css::uno::XInterface>>& listened);
// Buttons react to clicks (the form layer is not being designed).
void UseButtons(const Reference<css::frame::XController>& controller);

}  // namespace kassa::calc
