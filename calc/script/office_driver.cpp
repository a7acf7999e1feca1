#include "calc/script/office_driver.h"

#include <rtl/process.h>

#include <chrono>
#include <cmath>
#include <com/sun/star/accessibility/XAccessible.hpp>
#include <com/sun/star/accessibility/XAccessibleAction.hpp>
#include <com/sun/star/accessibility/XAccessibleComponent.hpp>
#include <com/sun/star/awt/Key.hpp>
#include <com/sun/star/awt/KeyModifier.hpp>
#include <com/sun/star/awt/SystemDependentXWindow.hpp>
#include <com/sun/star/awt/Toolkit.hpp>
#include <com/sun/star/awt/XControl.hpp>
#include <com/sun/star/awt/XControlModel.hpp>
#include <com/sun/star/awt/XSystemDependentWindowPeer.hpp>
#include <com/sun/star/awt/XTopWindow.hpp>
#include <com/sun/star/awt/grid/XGridRowSelection.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/datatransfer/UnsupportedFlavorException.hpp>
#include <com/sun/star/datatransfer/XTransferable.hpp>
#include <com/sun/star/datatransfer/XTransferableSupplier.hpp>
#include <com/sun/star/datatransfer/clipboard/SystemClipboard.hpp>
#include <com/sun/star/frame/Desktop.hpp>
#include <com/sun/star/lang/SystemDependent.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/sheet/XCellRangeAddressable.hpp>
#include <com/sun/star/sheet/XSheetOperation.hpp>
#include <com/sun/star/sheet/XSpreadsheetView.hpp>
#include <com/sun/star/table/XCell.hpp>
#include <com/sun/star/text/XTextRange.hpp>
#include <com/sun/star/util/NotNumericException.hpp>
#include <com/sun/star/util/NumberFormatter.hpp>
#include <com/sun/star/util/XChangesListener.hpp>
#include <com/sun/star/util/XChangesNotifier.hpp>
#include <com/sun/star/util/XNumberFormatTypes.hpp>
#include <com/sun/star/util/XNumberFormatsSupplier.hpp>
#include <com/sun/star/view/XControlAccess.hpp>
#include <com/sun/star/view/XSelectionSupplier.hpp>
#include <cppuhelper/implbase1.hxx>
#include <cstdlib>
#include <filesystem>
#include <osl/file.hxx>
#include <sstream>
#include <thread>

#include "apps/kassa-script/cell_report.h"
#include "apps/kassa-script/database.h"
#include "calc/cells.h"
#include "calc/script/window_user.h"

namespace kassa::calc {

using css::uno::Any;
using css::uno::Sequence;
using css::uno::UNO_QUERY;
using css::uno::UNO_QUERY_THROW;

namespace {

constexpr double kWaitSeconds = 20;

double Seconds() {
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}

css::lang::Locale Russian() {
  css::lang::Locale l;
  l.Language = "ru";
  l.Country = "RU";
  return l;
}

}  // namespace

// Counts the office's reports of changed cells.
class ChangeCounter : public cppu::WeakImplHelper1<css::util::XChangesListener> {
 public:
  void SAL_CALL changesOccurred(const css::util::ChangesEvent&) override { ++count; }
  void SAL_CALL disposing(const css::lang::EventObject&) override {}
  long count = 0;
};

namespace {

// Plain text for the clipboard.
class TextTransfer : public cppu::WeakImplHelper1<css::datatransfer::XTransferable> {
 public:
  explicit TextTransfer(OUString text) : text_(std::move(text)) {}
  Any SAL_CALL getTransferData(const css::datatransfer::DataFlavor& flavor) override {
    if (!isDataFlavorSupported(flavor)) throw css::datatransfer::UnsupportedFlavorException();
    return Any(text_);
  }
  Sequence<css::datatransfer::DataFlavor> SAL_CALL getTransferDataFlavors() override {
    css::datatransfer::DataFlavor f;
    f.MimeType = "text/plain;charset=utf-16";
    f.HumanPresentableName = "Unicode-Text";
    f.DataType = cppu::UnoType<OUString>::get();
    return Seq({f});
  }
  sal_Bool SAL_CALL isDataFlavorSupported(const css::datatransfer::DataFlavor& flavor) override {
    return flavor.MimeType.startsWith("text/plain");
  }

 private:
  OUString text_;
};

}  // namespace

OfficeDriver::OfficeDriver(bool real_keys) : real_keys_(real_keys) {
  robot_.set(css::awt::Toolkit::create(Context()), UNO_QUERY_THROW);
}

void OfficeDriver::Wait(const std::function<bool()>& done, const std::string& what) {
  const double end = Seconds() + kWaitSeconds;
  while (!done()) {
    if (Seconds() > end) fail("the office did not " + what);
    ProcessEvents();
    if (done()) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

namespace {

// Whether the office has closed the document.
bool Gone(const Reference<css::frame::XModel>& m) {
  try {
    return !m.is() || !m->getCurrentController().is();
  } catch (const css::uno::RuntimeException&) {
    return true;
  }
}

}  // namespace

Reference<css::frame::XModel> OfficeDriver::Model() {
  // A document the office has closed is gone for the user.
  if (Gone(model_)) {
    // The document shown before comes back in front.
    std::erase_if(shown_, [&](const auto& s) { return Gone(s.first); });
    model_.clear();
    changes_.clear();
    if (!shown_.empty()) {
      model_ = shown_.back().first;
      changes_ = shown_.back().second;
    }
  }
  if (!model_.is()) fail("no workbook is open");
  return model_;
}

Reference<css::sheet::XSpreadsheet> OfficeDriver::ActiveDocSheet() {
  Reference<css::sheet::XSpreadsheetView> view(Model()->getCurrentController(), UNO_QUERY_THROW);
  return view->getActiveSheet();
}

void OfficeDriver::Settle() {
  if (!Context().is()) return;
  // Posted work (comparisons after edits the office did not report, closes)
  // runs until the office is idle; then the documents show their workbooks.
  for (int i = 0; i < 3; ++i) ProcessEvents();
  SyncAll();
}

void OfficeDriver::Open(const std::string& file) {
  std::error_code ec;
  std::filesystem::path p = std::filesystem::absolute(file, ec).lexically_normal();
  if (!std::filesystem::exists(p)) throw host::HostError(1004, "не удалось прочитать файл " + file);
  OUString url;
  osl::FileBase::getFileURLFromSystemPath(U(p.string()), url);
  // A document already open comes to the front, as the office does when
  // the user opens its file again.
  std::erase_if(shown_, [&](const auto& s) { return Gone(s.first); });
  for (size_t i = 0; i < shown_.size(); ++i) {
    if (shown_[i].first->getURL() != url) continue;
    auto again = shown_[i];
    shown_.erase(shown_.begin() + static_cast<long>(i));
    shown_.push_back(again);
    model_ = again.first;
    changes_ = again.second;
    Reference<css::frame::XFrame> frame = model_->getCurrentController()->getFrame();
    frame->activate();
    Reference<css::awt::XTopWindow> top(frame->getContainerWindow(), UNO_QUERY);
    if (top.is()) top->toFront();
    ProcessEvents();
    return;
  }
  Reference<css::frame::XDesktop2> desktop = css::frame::Desktop::create(Context());
  Reference<css::lang::XComponent> doc = desktop->loadComponentFromURL(
      url, "_blank", 0,
      Seq({Arg("Hidden", Any(false)), Arg("MacroExecutionMode", Any(sal_Int16(0)))}));
  Reference<css::frame::XModel> model(doc, UNO_QUERY);
  if (!model.is()) fail("the office could not open " + file);
  model_ = model;
  changes_ = new ChangeCounter;
  Reference<css::util::XChangesNotifier> notifier(model, UNO_QUERY);
  if (notifier.is()) notifier->addChangesListener(changes_.get());
  shown_.emplace_back(model_, changes_);
  if (!IsHostDocument(model)) return;
  // The open job takes the workbook on once the office has shown it.
  Wait([&] { return FindAdapter(model) != nullptr; }, "take the workbook on");
}

bool OfficeDriver::HasSheet(const std::string& name) {
  Reference<css::container::XNameAccess> sheets(
      Reference<css::sheet::XSpreadsheetDocument>(Model(), UNO_QUERY_THROW)->getSheets(),
      UNO_QUERY_THROW);
  return sheets->hasByName(U(name));
}

void OfficeDriver::Activate(const std::string& name) {
  if (!HasSheet(name)) fail("no sheet " + name);
  Reference<css::sheet::XSpreadsheetView> view(Model()->getCurrentController(), UNO_QUERY_THROW);
  Reference<css::container::XNameAccess> sheets(
      Reference<css::sheet::XSpreadsheetDocument>(model_, UNO_QUERY_THROW)->getSheets(),
      UNO_QUERY_THROW);
  view->setActiveSheet(
      Reference<css::sheet::XSpreadsheet>(sheets->getByName(U(name)), UNO_QUERY_THROW));
}

void OfficeDriver::Select(long row1, int col1, long row2, int col2) {
  SelectCells(row1, col1, row2, col2);
}

void OfficeDriver::SelectCells(long row1, int col1, long row2, int col2) {
  // The cell cursor is put where the user would click.
  Reference<css::view::XSelectionSupplier> view(Model()->getCurrentController(), UNO_QUERY_THROW);
  // Whole rows as the office has them.
  sal_Int32 last_col = col2 - 1;
  if (col1 == 1 && col2 == host::kMaxColumns) last_col = 1023;
  view->select(Any(ActiveDocSheet()->getCellRangeByPosition(
      col1 - 1, static_cast<sal_Int32>(row1 - 1), last_col, static_cast<sal_Int32>(row2 - 1))));
  ProcessEvents();
}

namespace {

// The X window of the office window showing `model`, for xdotool.
std::string XWindowOf(const Reference<css::frame::XModel>& model) {
  return XWindowId(Reference<css::awt::XWindowPeer>(
      model->getCurrentController()->getFrame()->getContainerWindow(), UNO_QUERY));
}

// A key named like "RETURN", "DELETE", "CTRL+V".
css::awt::KeyEvent KeyOf(const std::string& name) {
  css::awt::KeyEvent k;
  std::string part;
  std::istringstream in(name);
  while (std::getline(in, part, '+')) {
    if (part == "CTRL")
      k.Modifiers |= css::awt::KeyModifier::MOD1;
    else if (part == "SHIFT")
      k.Modifiers |= css::awt::KeyModifier::SHIFT;
    else if (part == "ALT")
      k.Modifiers |= css::awt::KeyModifier::MOD2;
    else if (part == "RETURN")
      k.KeyCode = css::awt::Key::RETURN, k.KeyChar = 13;
    else if (part == "DELETE")
      k.KeyCode = css::awt::Key::DELETE;
    else if (part == "ESC")
      k.KeyCode = css::awt::Key::ESCAPE, k.KeyChar = 27;
    else if (part.size() == 1 && part[0] >= 'A' && part[0] <= 'Z')
      k.KeyCode = static_cast<sal_Int16>(css::awt::Key::A + (part[0] - 'A'));
  }
  return k;
}

// UI-test key names to xdotool's.
std::string XdotoolKey(const std::string& k) {
  std::string out;
  std::string part;
  std::istringstream in(k);
  while (std::getline(in, part, '+')) {
    std::string x = part == "CTRL"     ? "ctrl"
                    : part == "SHIFT"  ? "shift"
                    : part == "ALT"    ? "alt"
                    : part == "RETURN" ? "Return"
                    : part == "DELETE" ? "Delete"
                    : part == "ESC"    ? "Escape"
                                       : std::string(1, static_cast<char>(std::tolower(part[0])));
    out += (out.empty() ? "" : "+") + x;
  }
  return out;
}

}  // namespace

void OfficeDriver::FocusDocument() {
  // The display's keyboard goes to the document window, and within it to
  // the cells.
  Reference<css::frame::XFrame> frame = Model()->getCurrentController()->getFrame();
  Xdotool({"windowfocus", "--sync", XWindowOf(Model())});
  frame->getComponentWindow()->setFocus();
  Absorb(0.1);
}

void OfficeDriver::Keys(const std::string& keycode) {
  if (real_keys_) {
    // The keyboard stays where the cell's input left it.
    Xdotool({"windowfocus", "--sync", XWindowOf(Model())});
    if (!Xdotool({"key", "--clearmodifiers", XdotoolKey(keycode)})) fail("xdotool failed");
    // The keystroke reaches the office through the display.
    Absorb(0.3);
    return;
  }
  Press(KeyOf(keycode));
  ProcessEvents();
}

void OfficeDriver::Text(const std::string& text) {
  if (real_keys_) {
    FocusDocument();
    if (!TypeOnDisplay(text)) fail("xdotool failed");
    return;
  }
  const OUString chars = U(text);
  for (sal_Int32 i = 0; i < chars.getLength(); ++i) {
    css::awt::KeyEvent k;
    k.KeyChar = chars[i];
    const sal_Unicode c = chars[i];
    if (c >= 'a' && c <= 'z')
      k.KeyCode = static_cast<sal_Int16>(css::awt::Key::A + (c - 'a'));
    else if (c >= 'A' && c <= 'Z') {
      k.KeyCode = static_cast<sal_Int16>(css::awt::Key::A + (c - 'A'));
      k.Modifiers = css::awt::KeyModifier::SHIFT;
    } else if (c >= '0' && c <= '9')
      k.KeyCode = static_cast<sal_Int16>(css::awt::Key::NUM0 + (c - '0'));
    Press(k);
  }
  ProcessEvents();
}

void OfficeDriver::Press(css::awt::KeyEvent key) {
  // Keystrokes go to the document window the way the keyboard's do: posted
  // to the window, handled by the office's event loop.
  Reference<css::frame::XFrame> frame = Model()->getCurrentController()->getFrame();
  Reference<css::awt::XWindow> window = frame->getComponentWindow();
  window->setFocus();
  key.Source = window;
  robot_->keyPress(key);
  robot_->keyRelease(key);
}

void OfficeDriver::Command(const std::string& command) {
  if (!Dispatch(Model()->getCurrentController()->getFrame(), command))
    fail("the office has no command " + command);
}

void OfficeDriver::Type(long row, int column, const std::string& text) {
  SelectCells(row, column, row, column);
  if (text.empty()) {
    // Typing nothing clears the cell, as in the workbook window.
    Keys("DELETE");
    return;
  }
  const long before = changes_->count;
  Text(text);
  Keys("RETURN");
  // Done when the office has reported the typed cell.
  if (real_keys_) Wait([&] { return changes_->count > before; }, "take the typed cell");
}

void OfficeDriver::Clear(long row1, int col1, long row2, int col2) {
  SelectCells(row1, col1, row2, col2);
  Keys("DELETE");
}

void OfficeDriver::PutOnClipboard(const std::string& tsv) {
  // The block is entered in a scratch document as typed in a Russian cell
  // (the office's own number recognition), then copied from there, so the
  // paste below is the office's own paste of copied cells.
  if (!scratch_.is()) {
    Reference<css::frame::XDesktop2> desktop = css::frame::Desktop::create(Context());
    scratch_.set(desktop->loadComponentFromURL("private:factory/scalc", "_blank", 0,
                                               Seq({Arg("Hidden", Any(true))})),
                 UNO_QUERY_THROW);
  }
  Reference<css::sheet::XSpreadsheetDocument> doc(scratch_, UNO_QUERY_THROW);
  Reference<css::sheet::XSpreadsheet> sheet(
      Reference<css::container::XIndexAccess>(doc->getSheets(), UNO_QUERY_THROW)->getByIndex(0),
      UNO_QUERY_THROW);
  Reference<css::util::XNumberFormatsSupplier> supplier(scratch_, UNO_QUERY_THROW);
  Reference<css::util::XNumberFormatter2> formatter = css::util::NumberFormatter::create(Context());
  formatter->attachNumberFormatsSupplier(supplier);
  Reference<css::util::XNumberFormatTypes> types(supplier->getNumberFormats(), UNO_QUERY_THROW);
  const sal_Int32 general = types->getStandardIndex(Russian());
  const auto lines = host::user::SplitTabbedLines(tsv);
  size_t width = 0;
  for (const auto& l : lines) width = std::max(width, l.size());
  if (lines.empty() || width == 0) fail("nothing to paste");
  // A clean block in the Russian General format first.
  Reference<css::table::XCellRange> block = sheet->getCellRangeByPosition(
      0, 0, static_cast<sal_Int32>(width) - 1, static_cast<sal_Int32>(lines.size()) - 1);
  Reference<css::sheet::XSheetOperation>(block, UNO_QUERY_THROW)->clearContents(1023);
  Reference<css::beans::XPropertySet>(block, UNO_QUERY_THROW)
      ->setPropertyValue("NumberFormat", Any(general));
  for (size_t r = 0; r < lines.size(); ++r)
    for (size_t c = 0; c < lines[r].size(); ++c) {
      const std::string& piece = lines[r][c];
      if (piece.empty()) continue;
      Reference<css::table::XCell> cell =
          sheet->getCellByPosition(static_cast<sal_Int32>(c), static_cast<sal_Int32>(r));
      if (piece[0] == '\'') {
        Reference<css::text::XTextRange>(cell, UNO_QUERY_THROW)->setString(U(piece.substr(1)));
        continue;
      }
      try {
        sal_Int32 key = formatter->detectNumberFormat(general, U(piece));
        double value = formatter->convertStringToNumber(general, U(piece));
        cell->setValue(value);
        Reference<css::beans::XPropertySet>(cell, UNO_QUERY_THROW)
            ->setPropertyValue("NumberFormat", Any(key));
      } catch (const css::util::NotNumericException&) {
        Reference<css::text::XTextRange>(cell, UNO_QUERY_THROW)->setString(U(piece));
      }
    }
  Reference<css::view::XSelectionSupplier> view(scratch_->getCurrentController(), UNO_QUERY_THROW);
  view->select(Any(block));
  Reference<css::datatransfer::XTransferableSupplier> copy(view, UNO_QUERY_THROW);
  css::datatransfer::clipboard::SystemClipboard::create(Context())->setContents(
      copy->getTransferable(), nullptr);
}

void OfficeDriver::Paste(long row, int column, const std::string& tsv) {
  PutOnClipboard(tsv);
  SelectCells(row, column, row, column);
  Keys("CTRL+V");
}

void OfficeDriver::Click(const std::string& shape) {
  // A document that is no workbook of the host has no buttons of its.
  auto a = FindAdapter(Model());
  if (!a || !a->book()) fail("no button " + shape + " on sheet " + SheetName(ActiveDocSheet()));
  host::Worksheet& sheet = a->book()->ActiveSheet();
  if (!sheet.FindShape(shape)) fail("no button " + shape + " on sheet " + sheet.Name());
  Reference<css::uno::XInterface> model = a->Button(sheet.Index(), shape);
  Reference<css::view::XControlAccess> access(model_->getCurrentController(), UNO_QUERY_THROW);
  Reference<css::awt::XControl> control;
  Wait(
      [&] {
        try {
          control = access->getControl(Reference<css::awt::XControlModel>(model, UNO_QUERY));
        } catch (const css::uno::Exception&) {
        }
        return control.is() && control->getPeer().is();
      },
      "show the button " + shape);
  Reference<css::accessibility::XAccessible> accessible(control->getPeer(), UNO_QUERY_THROW);
  Reference<css::accessibility::XAccessibleContext> context = accessible->getAccessibleContext();
  if (real_keys_) {
    if (!ClickControl(control)) fail("the button " + shape + " is not on the screen");
    return;
  }
  Reference<css::accessibility::XAccessibleAction> press(context, UNO_QUERY_THROW);
  press->doAccessibleAction(0);
}

void OfficeDriver::Save() {
  Command(".uno:Save");
}

void OfficeDriver::SaveAs(const std::string& file) {
  // The office's Save As with the file's name typed, kept in the workbook's
  // own format (the one the workbook window writes, whatever the ending).
  std::error_code ec;
  std::filesystem::path p = std::filesystem::absolute(file, ec).lexically_normal();
  OUString url;
  osl::FileBase::getFileURLFromSystemPath(U(p.string()), url);
  if (!Dispatch(
          Model()->getCurrentController()->getFrame(), ".uno:SaveAs",
          Seq({Arg("URL", Any(url)), Arg("FilterName", Any(OUString("Calc MS Excel 2007 XML"))),
               Arg("Overwrite", Any(true))})))
    fail("the office has no command .uno:SaveAs");
}

void OfficeDriver::Close() {
  Command(".uno:CloseDoc");
  // The window goes once the office has run the close.
  for (int i = 0; i < 5; ++i) ProcessEvents();
}

std::vector<std::string> OfficeDriver::Show(const std::string& name, bool all, long row1, int col1,
                                            long row2, int col2) {
  Reference<css::sheet::XSpreadsheet> sheet = ActiveDocSheet();
  if (!name.empty()) {
    Reference<css::container::XNameAccess> sheets(
        Reference<css::sheet::XSpreadsheetDocument>(model_, UNO_QUERY_THROW)->getSheets(),
        UNO_QUERY_THROW);
    if (!sheets->hasByName(U(name))) fail("no sheet " + name);
    sheet.set(sheets->getByName(U(name)), UNO_QUERY_THROW);
  }
  // What the document shows, read into a sheet of a scratch workbook under
  // the sheet's name, and reported by the same rules as the model.
  long rows = 0;
  int cols = 0;
  UsedExtent(sheet, rows, cols);
  host::Application scratch;
  host::Worksheet& copy = scratch.Add().Sheets(1);
  copy.Name(SheetName(sheet));
  Formats formats(Reference<css::sheet::XSpreadsheetDocument>(model_, UNO_QUERY_THROW));
  if (rows > 0) ReadCells(sheet, 1, 1, rows, cols, copy, formats);
  return all ? script::CellLines(copy) : script::CellLines(copy, row1, col1, row2, col2);
}

bool OfficeDriver::FormAction(ui::Form& form, const script::Line& line) {
  // Headless, the runner acts on the form itself; on a display the user's
  // mouse and keyboard act on the form's office dialog.
  if (!real_keys_) return false;
  const std::string& cmd = line.words[0];
  if (cmd == "press") {
    if (!form.has(line.words[2]) || form.control(line.words[2]).kind != ui::ControlKind::Button)
      return false;
    return ClickControl(ui::office::ControlOf(form, line.words[2]));
  }
  if (cmd == "fill") {
    if (!form.has(line.words[2]) || form.control(line.words[2]).kind != ui::ControlKind::TextBox)
      return false;  // a date picker takes its date from the runner
    ui::office::ControlRef box = ui::office::ControlOf(form, line.words[2]);
    if (!ClickControl(box)) return false;
    Xdotool({"windowfocus", "--sync", XWindowId(ui::office::DialogOf(form)->getPeer())});
    Xdotool({"key", "--clearmodifiers", "ctrl+a", "BackSpace"});
    if (!line.words[3].empty()) TypeOnDisplay(line.words[3]);
    Absorb(0.3);
    // Typed text the office's edit box changed (a line break in one line)
    // is filled in as given.
    if (form.has(line.words[2]) && form.control(line.words[2]).text != line.words[3])
      ui::ActFill(form, line.words[2], line.words[3]);
    return true;
  }
  if (cmd == "choose") {
    for (const ui::Control& c : form.controls()) {
      if (c.kind != ui::ControlKind::Grid) continue;
      const long row = std::strtol(line.words[2].c_str(), nullptr, 10) - 1;
      if (row < 0 || row >= static_cast<long>(c.rows.size())) return false;
      Reference<css::awt::grid::XGridRowSelection> grid(ui::office::ControlOf(form, c.name),
                                                        UNO_QUERY);
      if (!grid.is()) return false;
      grid->selectRow(static_cast<sal_Int32>(row));
      Absorb(0.2);
      return true;
    }
    return false;
  }
  if (cmd == "dismiss") {
    ui::office::ControlRef dialog = ui::office::DialogOf(form);
    if (!dialog.is()) return false;
    // Closing by the window's frame: Escape closes an office dialog the same way.
    Xdotool({"windowfocus", "--sync", XWindowId(dialog->getPeer())});
    Xdotool({"key", "Escape"});
    Absorb(0.3);
    return !form.visible();
  }
  return false;
}

void OfficeDriver::CheckLayout(const std::string& name) {
  // The form's office dialog against its twips (15 to the pixel): every
  // control where the form puts it, within the rounding to dialog units.
  constexpr int kSlack = 3;  // pixels
  ui::Form* form = ui::FindForm(name);
  if (!form || !form->visible()) fail("form " + name + " is not shown");
  ui::office::ControlRef dialog = ui::office::DialogOf(*form);
  if (!dialog.is()) fail("form " + name + " has no office dialog");
  auto px = [](int twips) { return static_cast<int>(std::lround(twips / 15.0)); };
  auto off = [&](int have, int want) { return std::abs(have - want) > kSlack; };
  std::vector<std::string> wrong;
  Reference<css::awt::XWindow> window(dialog->getPeer(), UNO_QUERY_THROW);
  css::awt::Rectangle d = window->getPosSize();
  if (off(d.Width, px(form->width())) || off(d.Height, px(form->height())))
    wrong.push_back("dialog " + std::to_string(d.Width) + "x" + std::to_string(d.Height) + " for " +
                    std::to_string(px(form->width())) + "x" + std::to_string(px(form->height())));
  for (const ui::Control& c : form->controls()) {
    Reference<css::awt::XWindow> w(ui::office::ControlOf(*form, c.name), UNO_QUERY);
    if (!w.is()) {
      wrong.push_back(c.name + " not drawn");
      continue;
    }
    css::awt::Rectangle r = w->getPosSize();
    if (off(r.X, px(c.left)) || off(r.Y, px(c.top)) || off(r.Width, px(c.width)) ||
        off(r.Height, px(c.height)))
      wrong.push_back(c.name + " at " + std::to_string(r.X) + "," + std::to_string(r.Y) + " " +
                      std::to_string(r.Width) + "x" + std::to_string(r.Height) + " for " +
                      std::to_string(px(c.left)) + "," + std::to_string(px(c.top)) + " " +
                      std::to_string(px(c.width)) + "x" + std::to_string(px(c.height)));
  }
  if (wrong.empty()) out("LAYOUT " + name + " as its twips");
  for (const std::string& w : wrong) out("LAYOUT " + name + " " + w);
}

bool OfficeDriver::Extra(const script::Line& line) {
  const std::string& cmd = line.words[0];
  auto range = [&](size_t i, long& r1, int& c1, long& r2, int& c2) {
    if (line.words.size() <= i) fail(cmd + ": which cells?");
    char* end = nullptr;
    long row = std::strtol(line.words[i].c_str(), &end, 10);
    if (*end == '\0' && row >= 1) {
      r1 = r2 = row, c1 = 1, c2 = host::kMaxColumns;
      return;
    }
    if (!host::ParseAddress(line.words[i], r1, c1, r2, c2))
      fail("not a cell or range: " + line.words[i]);
  };
  long r1 = 0, r2 = 0;
  int c1 = 0, c2 = 0;
  if (cmd == "cut" || cmd == "copy" || cmd == "fill-down") {
    range(1, r1, c1, r2, c2);
    SelectCells(r1, c1, r2, c2);
    Keys(cmd == "cut" ? "CTRL+X" : cmd == "copy" ? "CTRL+C" : "CTRL+D");
  } else if (cmd == "paste-copied") {
    range(1, r1, c1, r2, c2);
    SelectCells(r1, c1, r1, c1);
    Keys("CTRL+V");
  } else if (cmd == "sort" || cmd == "sort-descending") {
    range(1, r1, c1, r2, c2);
    SelectCells(r1, c1, r2, c2);
    Command(cmd == "sort" ? ".uno:SortAscending" : ".uno:SortDescending");
  } else if (cmd == "paste-text") {
    if (line.words.size() != 3) fail("paste-text <cell> \"<text>\"");
    range(1, r1, c1, r2, c2);
    css::datatransfer::clipboard::SystemClipboard::create(Context())->setContents(
        new TextTransfer(U(line.words[2])), nullptr);
    SelectCells(r1, c1, r1, c1);
    Command(".uno:PasteUnformatted");
  } else if (cmd == "insert-rows" || cmd == "delete-rows" || cmd == "insert-columns" ||
             cmd == "delete-columns") {
    range(1, r1, c1, r2, c2);
    SelectCells(r1, c1, r2, c2);
    Command(cmd == "insert-rows"      ? ".uno:InsertRowsBefore"
            : cmd == "delete-rows"    ? ".uno:DeleteRows"
            : cmd == "insert-columns" ? ".uno:InsertColumnsBefore"
                                      : ".uno:DeleteColumns");
  } else if (cmd == "undo" || cmd == "redo") {
    Keys(cmd == "undo" ? "CTRL+Z" : "CTRL+Y");
  } else if (cmd == "delete-sheet") {
    Command(".uno:Remove");
  } else if (cmd == "check-layout") {
    if (line.words.size() != 2) fail("check-layout <form>");
    CheckLayout(line.words[1]);
  } else {
    return false;
  }
  return true;
}

}  // namespace kassa::calc
