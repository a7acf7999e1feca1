#include "platform/ui/office/form_dialog.h"

#include <algorithm>
#include <cmath>
#include <com/sun/star/awt/InvalidateStyle.hpp>
#include <com/sun/star/awt/PushButtonType.hpp>
#include <com/sun/star/awt/XActionListener.hpp>
#include <com/sun/star/awt/XButton.hpp>
#include <com/sun/star/awt/XControlContainer.hpp>
#include <com/sun/star/awt/XTextComponent.hpp>
#include <com/sun/star/awt/XTextListener.hpp>
#include <com/sun/star/awt/XTopWindow.hpp>
#include <com/sun/star/awt/XTopWindowListener.hpp>
#include <com/sun/star/awt/XWindow.hpp>
#include <com/sun/star/awt/XWindow2.hpp>
#include <com/sun/star/awt/XWindowPeer.hpp>
#include <com/sun/star/awt/grid/DefaultGridColumnModel.hpp>
#include <com/sun/star/awt/grid/DefaultGridDataModel.hpp>
#include <com/sun/star/awt/grid/XGridControl.hpp>
#include <com/sun/star/awt/grid/XGridRowSelection.hpp>
#include <com/sun/star/awt/grid/XGridSelectionListener.hpp>
#include <com/sun/star/awt/grid/XMutableGridDataModel.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/util/Date.hpp>
#include <com/sun/star/view/SelectionType.hpp>
#include <cppuhelper/implbase4.hxx>
#include <cstdio>

#include "platform/variant/variant.h"

namespace kassa::ui::office {

using css::uno::Any;
using css::uno::Sequence;
using css::uno::UNO_QUERY;
using css::uno::UNO_QUERY_THROW;

// Reports the office controls' events to their dialog.
class FormListener
    : public cppu::WeakImplHelper4<css::awt::XActionListener, css::awt::XTextListener,
                                   css::awt::grid::XGridSelectionListener,
                                   css::awt::XTopWindowListener> {
 public:
  explicit FormListener(FormDialog* dialog) : dialog_(dialog) {}
  void Detach() { dialog_ = nullptr; }

  void SAL_CALL actionPerformed(const css::awt::ActionEvent& e) override {
    Guard([&] { dialog_->Action(NameOf(e.Source)); });
  }
  void SAL_CALL textChanged(const css::awt::TextEvent& e) override {
    Guard([&] { dialog_->TextChanged(NameOf(e.Source)); });
  }
  void SAL_CALL selectionChanged(const css::awt::grid::GridSelectionEvent& e) override {
    Guard([&] {
      if (e.SelectedRowIndexes.getLength() > 0)
        dialog_->RowChosen(NameOf(e.Source), e.SelectedRowIndexes[0]);
    });
  }
  void SAL_CALL windowClosing(const css::lang::EventObject&) override {
    Guard([&] { dialog_->Closing(); });
  }
  void SAL_CALL windowOpened(const css::lang::EventObject&) override {}
  void SAL_CALL windowClosed(const css::lang::EventObject&) override {}
  void SAL_CALL windowMinimized(const css::lang::EventObject&) override {}
  void SAL_CALL windowNormalized(const css::lang::EventObject&) override {}
  void SAL_CALL windowActivated(const css::lang::EventObject&) override {}
  void SAL_CALL windowDeactivated(const css::lang::EventObject&) override {}
  void SAL_CALL disposing(const css::lang::EventObject&) override {}

 private:
  static std::string NameOf(const Reference<css::uno::XInterface>& source) {
    Reference<css::awt::XControl> control(source, UNO_QUERY);
    if (!control.is()) return "";
    Reference<css::beans::XPropertySet> model(control->getModel(), UNO_QUERY);
    OUString name;
    if (model.is()) model->getPropertyValue("Name") >>= name;
    return S(name);
  }
  template <class F>
  void Guard(F f) {
    if (!dialog_) return;
    // The dialog may go away inside the handler: keep this object alive.
    Reference<css::uno::XInterface> self(static_cast<cppu::OWeakObject*>(this));
    try {
      f();
    } catch (const css::uno::Exception& e) {
      std::fprintf(stderr, "kassa: form event: %s\n", S(e.Message).c_str());
    } catch (const std::exception& e) {
      std::fprintf(stderr, "kassa: form event: %s\n", e.what());
    }
  }
  FormDialog* dialog_;
};

namespace {

Reference<css::awt::XActionListener> AsAction(const Reference<FormListener>& l) {
  return static_cast<css::awt::XActionListener*>(l.get());
}
Reference<css::awt::XTextListener> AsText(const Reference<FormListener>& l) {
  return static_cast<css::awt::XTextListener*>(l.get());
}
Reference<css::awt::grid::XGridSelectionListener> AsGrid(const Reference<FormListener>& l) {
  return static_cast<css::awt::grid::XGridSelectionListener*>(l.get());
}
Reference<css::awt::XTopWindowListener> AsTop(const Reference<FormListener>& l) {
  return static_cast<css::awt::XTopWindowListener*>(l.get());
}

const char* ServiceOf(ControlKind kind) {
  switch (kind) {
    case ControlKind::Label:
      return "com.sun.star.awt.UnoControlFixedTextModel";
    case ControlKind::TextBox:
      return "com.sun.star.awt.UnoControlEditModel";
    case ControlKind::Button:
      return "com.sun.star.awt.UnoControlButtonModel";
    case ControlKind::ProgressBar:
      return "com.sun.star.awt.UnoControlProgressBarModel";
    case ControlKind::DatePicker:
      return "com.sun.star.awt.UnoControlDateFieldModel";
    case ControlKind::Grid:
      return "com.sun.star.awt.grid.UnoControlGridModel";
  }
  return "com.sun.star.awt.UnoControlFixedTextModel";
}

css::util::Date DateOf(double serial) {
  DateParts p = SplitDate(std::floor(serial));
  return css::util::Date(static_cast<sal_uInt16>(p.day), static_cast<sal_uInt16>(p.month),
                         static_cast<sal_Int16>(p.year));
}

std::string FillText(const css::util::Date& d) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%02d.%02d.%04d", d.Day, d.Month, d.Year);
  return buf;
}

template <class T>
void Set(const Reference<css::beans::XPropertySet>& p, const char* name, const T& value) {
  p->setPropertyValue(OUString::createFromAscii(name), Any(value));
}

}  // namespace

FormDialog::FormDialog(Form& form, std::function<void()> settle)
    : form_(&form), settle_(std::move(settle)) {
  listener_ = new FormListener(this);
  model_ = NewDialogModel();
  Set(model_, "Closeable", true);
  Set(model_, "Moveable", true);
  syncing_ = true;
  for (const ui::Control& c : form.controls()) Make(c);
  const Units& u = DialogUnits();
  Center(model_, u.X(form.width()), u.Y(form.height()));
  dialog_.set(Context()->getServiceManager()->createInstanceWithContext(
                  "com.sun.star.awt.UnoControlDialog", Context()),
              UNO_QUERY_THROW);
  dialog_->setModel(Reference<css::awt::XControlModel>(model_, UNO_QUERY_THROW));
  dialog_->createPeer(Toolkit(), WorkWindow());
  Reference<css::awt::XTopWindow> top(dialog_->getPeer(), UNO_QUERY);
  if (top.is()) top->addTopWindowListener(AsTop(listener_));
  syncing_ = false;
  Sync();
}

FormDialog::~FormDialog() {
  listener_->Detach();
  try {
    Reference<css::lang::XComponent>(dialog_, UNO_QUERY_THROW)->dispose();
  } catch (const css::uno::Exception&) {
  }
}

Reference<css::awt::XControl> FormDialog::Control(const std::string& name) const {
  Reference<css::awt::XControlContainer> container(dialog_, UNO_QUERY);
  return container.is() ? container->getControl(U(name)) : nullptr;
}

void FormDialog::Make(const ui::Control& c) {
  Reference<css::beans::XPropertySet> m = AddControl(model_, ServiceOf(c.kind), c.name);
  made_.insert(c.name);
  switch (c.kind) {
    case ControlKind::Label:
      Set(m, "MultiLine", true);
      break;
    case ControlKind::TextBox:
      Set(m, "MultiLine", c.multiline);
      break;
    case ControlKind::Button:
      // Enter in a text box presses no button.
      Set(m, "PushButtonType", static_cast<sal_Int16>(css::awt::PushButtonType_STANDARD));
      Set(m, "DefaultButton", false);
      break;
    case ControlKind::DatePicker:
      Set(m, "Dropdown", true);
      Set(m, "DateFormat", static_cast<sal_Int16>(7));  // DD.MM.YYYY
      break;
    case ControlKind::Grid: {
      Set(m, "ShowRowHeader", false);
      Set(m, "ShowColumnHeader", true);
      Set(m, "SelectionModel", css::view::SelectionType_SINGLE);
      Set(m, "GridDataModel",
          Reference<css::awt::grid::XMutableGridDataModel>(
              css::awt::grid::DefaultGridDataModel::create(Context())));
      Reference<css::awt::grid::XGridColumnModel> columns =
          css::awt::grid::DefaultGridColumnModel::create(Context());
      for (const GridColumn& gc : c.columns) {
        Reference<css::awt::grid::XGridColumn> col = columns->createColumn();
        col->setTitle(U(gc.caption));
        col->setIdentifier(Any(U(gc.field)));
        columns->addColumn(col);
      }
      Set(m, "ColumnModel", columns);
      break;
    }
    case ControlKind::ProgressBar:
      break;
  }
  if (dialog_.is()) {
    // A control added to a shown form: it reports like the others.
    Reference<css::awt::XControl> control = Control(c.name);
    if (Reference<css::awt::XButton> b{control, UNO_QUERY}; b.is())
      b->addActionListener(AsAction(listener_));
    if (Reference<css::awt::XTextComponent> t{control, UNO_QUERY}; t.is())
      t->addTextListener(AsText(listener_));
    if (Reference<css::awt::grid::XGridRowSelection> g{control, UNO_QUERY}; g.is())
      g->addSelectionListener(AsGrid(listener_));
  }
}

void FormDialog::SyncControl(const ui::Control& c) {
  Reference<css::container::XNameAccess> controls(model_, UNO_QUERY_THROW);
  Reference<css::beans::XPropertySet> m(controls->getByName(U(c.name)), UNO_QUERY_THROW);
  const Units& u = DialogUnits();
  Set(m, "PositionX", u.X(c.left));
  Set(m, "PositionY", u.Y(c.top));
  Set(m, "Width", u.X(c.width));
  Set(m, "Height", u.Y(c.height));
  Set(m, "TabIndex", static_cast<sal_Int16>(c.tab_index));
  if (!c.font.empty()) {
    css::awt::FontDescriptor f;
    m->getPropertyValue("FontDescriptor") >>= f;
    if (f.Name != U(c.font)) {
      f.Name = U(c.font);
      Set(m, "FontDescriptor", f);
    }
  }
  switch (c.kind) {
    case ControlKind::Label:
    case ControlKind::Button: {
      OUString now;
      m->getPropertyValue("Label") >>= now;
      if (now != U(c.text)) Set(m, "Label", U(c.text));
      break;
    }
    case ControlKind::TextBox: {
      OUString now;
      m->getPropertyValue("Text") >>= now;
      if (now != U(c.text)) Set(m, "Text", U(c.text));
      break;
    }
    case ControlKind::ProgressBar:
      Set(m, "ProgressValueMin", static_cast<sal_Int32>(c.minimum));
      Set(m, "ProgressValueMax", static_cast<sal_Int32>(c.maximum));
      Set(m, "ProgressValue", static_cast<sal_Int32>(std::clamp(c.value, c.minimum, c.maximum)));
      break;
    case ControlKind::DatePicker: {
      css::util::Date want = DateOf(c.date), now;
      if (!(m->getPropertyValue("Date") >>= now) || now.Day != want.Day ||
          now.Month != want.Month || now.Year != want.Year)
        Set(m, "Date", want);
      break;
    }
    case ControlKind::Grid: {
      Reference<css::awt::grid::XMutableGridDataModel> data(m->getPropertyValue("GridDataModel"),
                                                            UNO_QUERY_THROW);
      // Rows are put in again only when they changed.
      bool same = data->getRowCount() == static_cast<sal_Int32>(c.rows.size());
      for (sal_Int32 r = 0; same && r < data->getRowCount(); ++r) {
        Sequence<Any> row = data->getRowData(r);
        same = row.getLength() == static_cast<sal_Int32>(c.rows[r].size());
        for (sal_Int32 k = 0; same && k < row.getLength(); ++k) {
          OUString text;
          row[k] >>= text;
          same = text == U(c.rows[r][k]);
        }
      }
      if (!same) {
        data->removeAllRows();
        for (const auto& line : c.rows) {
          Sequence<Any> row(static_cast<sal_Int32>(line.size()));
          for (size_t k = 0; k < line.size(); ++k) row.getArray()[k] <<= U(line[k]);
          data->addRow(Any(), row);
        }
      }
      Reference<css::awt::grid::XGridRowSelection> selection(Control(c.name), UNO_QUERY);
      if (selection.is()) {
        if (c.current_row >= 0 && c.current_row < static_cast<int>(c.rows.size())) {
          if (!selection->isRowSelected(c.current_row)) {
            selection->deselectAllRows();
            selection->selectRow(c.current_row);
          }
        } else if (selection->hasSelectedRows()) {
          selection->deselectAllRows();
        }
      }
      break;
    }
  }
  Reference<css::awt::XWindow> window(Control(c.name), UNO_QUERY);
  if (window.is())
    window->setVisible(c.visible);
  else
    Set(m, "EnableVisible", c.visible);
}

void FormDialog::Sync() {
  if (!form_) return;
  syncing_ = true;
  try {
    Set(model_, "Title", U(form_->caption()));
    const Units& u = DialogUnits();
    Set(model_, "Width", u.X(form_->width()));
    Set(model_, "Height", u.Y(form_->height()));
    for (const ui::Control& c : form_->controls()) {
      if (!made_.count(c.name)) Make(c);
      SyncControl(c);
    }
    // Office controls of form controls that are gone.
    Reference<css::container::XNameContainer> container(model_, UNO_QUERY_THROW);
    for (auto it = made_.begin(); it != made_.end();) {
      if (form_->has(*it)) {
        ++it;
        continue;
      }
      container->removeByName(U(*it));
      it = made_.erase(it);
    }
  } catch (const css::uno::Exception& e) {
    std::fprintf(stderr, "kassa: form %s: %s\n", form_->name().c_str(), S(e.Message).c_str());
  }
  syncing_ = false;
}

void FormDialog::Show() {
  Sync();
  // Controls made before the dialog existed report from now on.
  for (const std::string& name : made_) {
    Reference<css::awt::XControl> control = Control(name);
    if (Reference<css::awt::XButton> b{control, UNO_QUERY}; b.is()) {
      b->removeActionListener(AsAction(listener_));
      b->addActionListener(AsAction(listener_));
    }
    if (Reference<css::awt::XTextComponent> t{control, UNO_QUERY}; t.is()) {
      t->removeTextListener(AsText(listener_));
      t->addTextListener(AsText(listener_));
    }
    if (Reference<css::awt::grid::XGridRowSelection> g{control, UNO_QUERY}; g.is()) {
      g->removeSelectionListener(AsGrid(listener_));
      g->addSelectionListener(AsGrid(listener_));
    }
  }
  Reference<css::awt::XWindow> window(dialog_, UNO_QUERY_THROW);
  window->setVisible(true);
  Reference<css::awt::XTopWindow> top(dialog_->getPeer(), UNO_QUERY);
  if (top.is()) top->toFront();
}

void FormDialog::Hide() {
  Reference<css::awt::XWindow> window(dialog_, UNO_QUERY);
  if (window.is()) window->setVisible(false);
}

bool FormDialog::visible() const {
  Reference<css::awt::XWindow2> window(dialog_->getPeer(), UNO_QUERY);
  return window.is() && window->isVisible();
}

void FormDialog::Flush() {
  Reference<css::awt::XWindowPeer> peer = dialog_->getPeer();
  if (peer.is())
    peer->invalidate(css::awt::InvalidateStyle::UPDATE | css::awt::InvalidateStyle::CHILDREN);
}

void FormDialog::Detach() {
  form_ = nullptr;
  listener_->Detach();
}

void FormDialog::Settle() {
  if (settle_) settle_();
}

void FormDialog::Action(const std::string& control) {
  if (syncing_ || !form_) return;
  ActPress(*form_, control);
  Settle();
}

void FormDialog::TextChanged(const std::string& control) {
  if (syncing_ || !form_ || !form_->has(control)) return;
  const ui::Control& c = form_->control(control);
  if (c.kind == ControlKind::TextBox) {
    Reference<css::awt::XTextComponent> text(Control(control), UNO_QUERY);
    if (!text.is()) return;
    std::string now = S(text->getText());
    if (now == c.text) return;
    ActFill(*form_, control, now);
  } else if (c.kind == ControlKind::DatePicker) {
    Reference<css::container::XNameAccess> controls(model_, UNO_QUERY_THROW);
    Reference<css::beans::XPropertySet> m(controls->getByName(U(control)), UNO_QUERY_THROW);
    css::util::Date d;
    if (!(m->getPropertyValue("Date") >>= d) || d.Year == 0) return;
    if (DateOf(c.date).Day == d.Day && DateOf(c.date).Month == d.Month &&
        DateOf(c.date).Year == d.Year)
      return;
    ActFill(*form_, control, FillText(d));
  }
  Settle();
}

void FormDialog::RowChosen(const std::string& control, int row) {
  if (syncing_ || !form_) return;
  if (!form_->visible()) return;
  ActChoose(*form_, control, row);
  Settle();
}

void FormDialog::Closing() {
  if (!form_ || !form_->visible()) return;
  // Closing by the frame: the model hides the form and tells its owner.
  ActDismiss(*form_);
  Settle();
}

}  // namespace kassa::ui::office
