#include "calc/document_adapter.h"

#include <algorithm>
#include <cmath>
#include <com/sun/star/beans/PropertyAttribute.hpp>
#include <com/sun/star/beans/XPropertyContainer.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/beans/XPropertySetInfo.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/document/XDocumentEventBroadcaster.hpp>
#include <com/sun/star/document/XDocumentProperties.hpp>
#include <com/sun/star/document/XDocumentPropertiesSupplier.hpp>
#include <com/sun/star/document/XUndoManager.hpp>
#include <com/sun/star/document/XUndoManagerSupplier.hpp>
#include <com/sun/star/frame/XController.hpp>
#include <com/sun/star/frame/XDispatchProviderInterception.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/sheet/XActivationBroadcaster.hpp>
#include <com/sun/star/sheet/XCellRangeAddressable.hpp>
#include <com/sun/star/table/XColumnRowRange.hpp>
#include <com/sun/star/table/XTableColumns.hpp>
#include <com/sun/star/util/XChangesNotifier.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <com/sun/star/util/XModifiable.hpp>
#include <com/sun/star/util/XModifyBroadcaster.hpp>
#include <com/sun/star/view/XSelectionSupplier.hpp>
#include <cstdio>
#include <osl/file.hxx>

#include "calc/buttons.h"
#include "calc/input_settings.h"
#include "calc/listeners.h"
#include "calc/texts.h"
#include "platform/ui/ui.h"

namespace kassa::calc {

using css::uno::Any;
using css::uno::UNO_QUERY;
using css::uno::UNO_QUERY_THROW;

namespace {

const std::vector<std::string> kSaveCommands = {".uno:Save", ".uno:SaveAs"};
const std::vector<std::string> kCloseCommands = {".uno:CloseDoc", ".uno:CloseWin",
                                                 ".uno:CloseFrame", ".uno:Quit"};
const std::vector<std::string> kSheetCommands = {".uno:Insert",         ".uno:Remove",
                                                 ".uno:Move",           ".uno:InsertSheetFromFile",
                                                 ".uno:DuplicateSheet", ".uno:AppendTable"};

bool In(const std::vector<std::string>& set, const std::string& s) {
  return std::find(set.begin(), set.end(), s) != set.end();
}

std::string CommandOf(const css::util::URL& url) {
  std::string c = S(url.Complete);
  size_t q = c.find('?');
  return q == std::string::npos ? c : c.substr(0, q);
}

// The host's data among the document's custom properties.
std::vector<std::pair<std::string, std::string>> HostProperties(
    const Reference<css::frame::XModel>& model) {
  std::vector<std::pair<std::string, std::string>> out;
  Reference<css::document::XDocumentPropertiesSupplier> supplier(model, UNO_QUERY);
  if (!supplier.is()) return out;
  Reference<css::beans::XPropertySet> user(
      supplier->getDocumentProperties()->getUserDefinedProperties(), UNO_QUERY);
  if (!user.is()) return out;
  for (const css::beans::Property& p : user->getPropertySetInfo()->getProperties()) {
    if (!p.Name.startsWith("KassaHost.")) continue;
    OUString value;
    if (user->getPropertyValue(p.Name) >>= value) out.emplace_back(S(p.Name), S(value));
  }
  return out;
}

// Replaces the host's data among the document's custom properties.
void SetHostProperties(const Reference<css::frame::XModel>& model,
                       const std::vector<std::pair<std::string, std::string>>& host_data) {
  Reference<css::document::XDocumentPropertiesSupplier> supplier(model, UNO_QUERY_THROW);
  Reference<css::beans::XPropertyContainer> container =
      supplier->getDocumentProperties()->getUserDefinedProperties();
  Reference<css::beans::XPropertySet> user(container, UNO_QUERY_THROW);
  for (const css::beans::Property& p : user->getPropertySetInfo()->getProperties())
    if (p.Name.startsWith("KassaHost.")) container->removeProperty(p.Name);
  for (const auto& [name, value] : host_data)
    container->addProperty(U(name), css::beans::PropertyAttribute::REMOVABLE, Any(U(value)));
}

std::string SystemPath(const OUString& url) {
  OUString path;
  if (url.isEmpty() || osl::FileBase::getSystemPathFromFileURL(url, path) != osl::FileBase::E_None)
    return "";
  return S(path);
}

// A selection of the view: sheet and cells (false: no cell range selected).
bool ViewSelection(const Reference<css::sheet::XSpreadsheetView>& view,
                   css::table::CellRangeAddress& a) {
  Reference<css::view::XSelectionSupplier> selection(view, UNO_QUERY);
  if (!selection.is()) return false;
  Any any = selection->getSelection();
  Reference<css::sheet::XCellRangeAddressable> range(any, UNO_QUERY);
  if (range.is()) {
    a = range->getRangeAddress();
    return true;
  }
  // Several ranges: the first counts.
  Reference<css::container::XIndexAccess> ranges(any, UNO_QUERY);
  if (ranges.is() && ranges->getCount() > 0) {
    Reference<css::sheet::XCellRangeAddressable> first(ranges->getByIndex(0), UNO_QUERY);
    if (first.is()) {
      a = first->getRangeAddress();
      return true;
    }
  }
  return false;
}

// The host's side of the document: Save and Close of the workbook.
class DocumentSide : public host::WorkbookDocument {
 public:
  explicit DocumentSide(std::weak_ptr<DocumentAdapter> adapter) : adapter_(std::move(adapter)) {}
  std::string Store(const std::vector<std::pair<std::string, std::string>>& host_data) override {
    auto a = adapter_.lock();
    if (!a) throw host::HostError(1004, "книга закрыта");
    return a->Store(host_data);
  }
  void Closed() override {
    if (auto a = adapter_.lock()) a->Closed();
  }

 private:
  std::weak_ptr<DocumentAdapter> adapter_;
};

}  // namespace

// Counts a running event; the outermost one brings the document up to date
// when it ends.
class DocumentAdapter::Running {
 public:
  explicit Running(DocumentAdapter& a) : a_(a.shared_from_this()) {
    ++a_->depth_;
    a_->MakeActive();
  }
  ~Running() {
    if (--a_->depth_ != 0) return;
    a_->Sync();
    if (a_->reconcile_after_event_) {
      a_->reconcile_after_event_ = false;
      a_->ContentModified();
    }
  }

 private:
  std::shared_ptr<DocumentAdapter> a_;
};

const std::vector<std::string>& DocumentAdapter::InterceptedCommands() {
  static const std::vector<std::string> all = [] {
    std::vector<std::string> v = kSaveCommands;
    v.insert(v.end(), kCloseCommands.begin(), kCloseCommands.end());
    v.insert(v.end(), kSheetCommands.begin(), kSheetCommands.end());
    return v;
  }();
  return all;
}

DocumentAdapter::DocumentAdapter(const Reference<css::frame::XModel>& model) : model_(model) {}

DocumentAdapter::~DocumentAdapter() {
  Detach();
}

std::shared_ptr<DocumentAdapter> DocumentAdapter::Attach(const Reference<css::frame::XModel>& model,
                                                         host::Application& app) {
  std::shared_ptr<DocumentAdapter> a(new DocumentAdapter(model));
  a->doc_.set(model, UNO_QUERY);
  if (!a->doc_.is() || !model->getCurrentController().is()) return nullptr;
  std::vector<std::pair<std::string, std::string>> properties = HostProperties(model);
  if (properties.empty()) return nullptr;
  a->formats_ = std::make_unique<Formats>(a->doc_);
  a->input_ = std::make_unique<InputSettings>(a->doc_, a->frame(), *a->formats_);
  Reference<css::frame::XStorable> storable(model, UNO_QUERY);
  const bool read_only = storable.is() && storable->isReadonly();
  std::string name = SystemPath(model->getURL());
  if (name.empty()) return nullptr;
  a->Listen();
  {
    Running run(*a);
    a->book_ = &app.OpenDocument(
        name, properties, std::make_shared<DocumentSide>(a),
        [&](host::Workbook& wb) { a->Build(wb); }, read_only);
  }
  return a;
}

Reference<css::sheet::XSpreadsheetView> DocumentAdapter::view() const {
  return Reference<css::sheet::XSpreadsheetView>(model_->getCurrentController(), UNO_QUERY);
}

Reference<css::frame::XFrame> DocumentAdapter::frame() const {
  Reference<css::frame::XController> c = model_->getCurrentController();
  return c.is() ? c->getFrame() : nullptr;
}

Reference<css::sheet::XSpreadsheet> DocumentAdapter::DocSheet(int index) const {
  Reference<css::container::XIndexAccess> sheets(doc_->getSheets(), UNO_QUERY_THROW);
  return Reference<css::sheet::XSpreadsheet>(sheets->getByIndex(index - 1), UNO_QUERY_THROW);
}

std::vector<std::string> DocumentAdapter::DocSheetNames() const {
  std::vector<std::string> names;
  Reference<css::container::XIndexAccess> sheets(doc_->getSheets(), UNO_QUERY_THROW);
  for (sal_Int32 i = 0; i < sheets->getCount(); ++i)
    names.push_back(
        SheetName(Reference<css::sheet::XSpreadsheet>(sheets->getByIndex(i), UNO_QUERY_THROW)));
  return names;
}

int DocumentAdapter::IndexOf(const Reference<css::sheet::XSpreadsheet>& sheet) const {
  if (!sheet.is()) return 0;
  const std::string name = SheetName(sheet);
  for (size_t i = 0; i < sheet_names_.size(); ++i)
    if (sheet_names_[i] == name) return static_cast<int>(i) + 1;
  return 0;
}

void DocumentAdapter::Build(host::Workbook& wb) {
  sheet_names_ = DocSheetNames();
  for (size_t i = 0; i < sheet_names_.size(); ++i) {
    host::Worksheet& ws = wb.AddSheet(sheet_names_[i]);
    Reference<css::sheet::XSpreadsheet> sheet = DocSheet(static_cast<int>(i) + 1);
    long rows = 0;
    int cols = 0;
    UsedExtent(sheet, rows, cols);
    if (rows > 0) ReadCells(sheet, 1, 1, rows, cols, ws, *formats_);
    // Column widths, for the copies the host writes itself (archive,
    // emergency copy): 1/100 mm to characters of the default font.
    Reference<css::table::XColumnRowRange> crr(sheet, UNO_QUERY_THROW);
    Reference<css::table::XTableColumns> columns = crr->getColumns();
    for (int c = 1; c <= std::max(cols, 1); ++c) {
      Reference<css::beans::XPropertySet> col(columns->getByIndex(c - 1), UNO_QUERY_THROW);
      sal_Int32 width = 0;
      col->getPropertyValue("Width") >>= width;
      ws.ColumnWidth(c, std::round(width / 100.0 / 25.4 * 72.0 / 5.25 * 100.0) / 100.0);
    }
  }
  mirrors_.assign(sheet_names_.size(), SheetMirror());
  Reference<css::sheet::XSpreadsheetView> v = view();
  shown_sheet_ = std::max(1, IndexOf(v->getActiveSheet()));
  // No event sink yet: the workbook only takes note of its active sheet.
  wb.Sheets(shown_sheet_).Activate();
  css::table::CellRangeAddress a;
  if (ViewSelection(v, a) && a.Sheet + 1 == shown_sheet_ && a.EndRow < host::kMaxRows &&
      a.EndColumn < host::kMaxColumns) {
    wb.Sheets(shown_sheet_)
        .SetSelection(a.StartRow + 1, a.StartColumn + 1, a.EndRow + 1, a.EndColumn + 1);
    sel_r1_ = a.StartRow + 1, sel_c1_ = a.StartColumn + 1;
    sel_r2_ = a.EndRow + 1, sel_c2_ = a.EndColumn + 1;
  }
  for (size_t i = 0; i < mirrors_.size(); ++i)
    mirrors_[i].Adopt(wb.Sheets(static_cast<int>(i) + 1));
}

void DocumentAdapter::Listen() {
  listener_ = new DocumentListener(weak_from_this());
  Reference<css::util::XChangesNotifier> changes(model_, UNO_QUERY);
  if (changes.is()) changes->addChangesListener(listener_.get());
  Reference<css::sheet::XActivationBroadcaster> activation(view(), UNO_QUERY);
  if (activation.is()) activation->addActivationEventListener(listener_.get());
  Reference<css::view::XSelectionSupplier> selection(view(), UNO_QUERY);
  if (selection.is()) selection->addSelectionChangeListener(listener_.get());
  Reference<css::container::XIndexAccess> sheets(doc_->getSheets(), UNO_QUERY_THROW);
  for (sal_Int32 i = 0; i < sheets->getCount(); ++i) {
    Reference<css::util::XModifyBroadcaster> sheet(sheets->getByIndex(i), UNO_QUERY);
    if (sheet.is()) sheet->addModifyListener(listener_.get());
  }
  Reference<css::document::XDocumentEventBroadcaster> events(model_, UNO_QUERY);
  if (events.is()) events->addDocumentEventListener(listener_.get());
  interceptor_ = new CommandInterceptor(weak_from_this());
  Reference<css::frame::XDispatchProviderInterception> interception(frame(), UNO_QUERY);
  if (interception.is()) interception->registerDispatchProviderInterceptor(interceptor_.get());
}

void DocumentAdapter::Detach() {
  if (detached_) return;
  detached_ = true;
  try {
    if (listener_.is()) {
      Reference<css::util::XChangesNotifier> changes(model_, UNO_QUERY);
      if (changes.is()) changes->removeChangesListener(listener_.get());
      if (Reference<css::sheet::XSpreadsheetView> v = view(); v.is()) {
        Reference<css::sheet::XActivationBroadcaster> activation(v, UNO_QUERY);
        if (activation.is()) activation->removeActivationEventListener(listener_.get());
        Reference<css::view::XSelectionSupplier> selection(v, UNO_QUERY);
        if (selection.is()) selection->removeSelectionChangeListener(listener_.get());
      }
      Reference<css::container::XIndexAccess> sheets(doc_->getSheets(), UNO_QUERY_THROW);
      for (sal_Int32 i = 0; i < sheets->getCount(); ++i) {
        Reference<css::util::XModifyBroadcaster> sheet(sheets->getByIndex(i), UNO_QUERY);
        if (sheet.is()) sheet->removeModifyListener(listener_.get());
      }
      Reference<css::document::XDocumentEventBroadcaster> events(model_, UNO_QUERY);
      if (events.is()) events->removeDocumentEventListener(listener_.get());
    }
    if (interceptor_.is()) {
      interceptor_->Release();
      Reference<css::frame::XDispatchProviderInterception> interception(frame(), UNO_QUERY);
      if (interception.is()) interception->releaseDispatchProviderInterceptor(interceptor_.get());
    }
  } catch (const css::uno::Exception& e) {
    std::fprintf(stderr, "kassa: detaching: %s\n", S(e.Message).c_str());
  }
  input_.reset();
}

void DocumentAdapter::MakeActive() {
  // The host's active workbook is the one the user works in; activating its
  // active sheet again raises no event.
  if (book_ && !book_->closed()) book_->ActiveSheet().Activate();
}

void DocumentAdapter::Sync() {
  if (detached_ || !book_ || book_->closed() || syncing_) return;
  syncing_ = true;
  // What the workbook's macros write is not the user's to undo (as in the
  // workbook window): the office's undo keeps the user's own edits only.
  Reference<css::document::XUndoManagerSupplier> undo_supplier(model_, UNO_QUERY);
  Reference<css::document::XUndoManager> undo =
      undo_supplier.is() ? undo_supplier->getUndoManager() : nullptr;
  try {
    if (undo.is()) undo->lock();
    model_->lockControllers();
    SyncSheets();
    model_->unlockControllers();
    SyncView();
  } catch (const css::uno::Exception& e) {
    std::fprintf(stderr, "kassa: writing the document: %s\n", S(e.Message).c_str());
    try {
      if (model_->hasControllersLocked()) model_->unlockControllers();
    } catch (const css::uno::Exception&) {
    }
  }
  try {
    if (undo.is() && undo->isLocked()) undo->unlock();
  } catch (const css::uno::Exception&) {
  }
  syncing_ = false;
}

void DocumentAdapter::SyncSheets() {
  const int n = std::min<int>(book_->SheetsCount(), static_cast<int>(mirrors_.size()));
  for (int i = 1; i <= n; ++i) mirrors_[i - 1].Push(book_->Sheets(i), DocSheet(i), *formats_);
  // Buttons: one per shape of the model, made once.
  for (int i = 1; i <= n; ++i) {
    for (const host::Shape& s : book_->Sheets(i).shapes()) {
      auto key = std::make_pair(i, s.name);
      if (std::find(button_names_.begin(), button_names_.end(), key) != button_names_.end())
        continue;
      RemoveButton(doc_, i, s.name);  // a leftover of an earlier session
      button_names_.push_back(key);
      button_models_.push_back(AddButton(doc_, i, s));
    }
  }
}

void DocumentAdapter::SyncView() {
  Reference<css::sheet::XSpreadsheetView> v = view();
  if (!v.is()) return;
  host::Worksheet& active = book_->ActiveSheet();
  const int index = active.Index();
  if (index != shown_sheet_ && index >= 1 && index <= static_cast<int>(mirrors_.size())) {
    v->setActiveSheet(DocSheet(index));
    shown_sheet_ = index;
    sel_r1_ = 0;
  }
  host::Range sel = active.Selection();
  if (sel.Row() != sel_r1_ || sel.Column() != sel_c1_ || sel.LastRow() != sel_r2_ ||
      sel.LastColumn() != sel_c2_) {
    Reference<css::view::XSelectionSupplier> s(v, UNO_QUERY);
    Reference<css::table::XCellRange> range = DocSheet(index)->getCellRangeByPosition(
        sel.Column() - 1, sel.Row() - 1, sel.LastColumn() - 1, sel.LastRow() - 1);
    if (s.is()) s->select(Any(range));
    sel_r1_ = sel.Row(), sel_c1_ = sel.Column(), sel_r2_ = sel.LastRow(),
    sel_c2_ = sel.LastColumn();
  }
  // Buttons of the shown sheet answer clicks.
  UseButtons(model_->getCurrentController());
  for (size_t k = 0; k < button_models_.size(); ++k)
    if (button_names_[k].first == shown_sheet_)
      ListenToButton(model_->getCurrentController(), button_models_[k], listener_.get(),
                     listened_controls_);
}

void DocumentAdapter::Reconcile() {
  if (detached_ || !book_ || book_->closed()) return;
  if (busy() || syncing_) {
    // An event is running (a wait in the middle of it): compare once it has
    // ended.
    reconcile_after_event_ = true;
    return;
  }
  std::vector<std::string> names = DocSheetNames();
  if (names != sheet_names_) {
    // Sheets renamed in place are followed; any other change of the sheets
    // cannot be followed by the workbook.
    if (names.size() != sheet_names_.size()) {
      ui::Message(texts::kSheetsRearranged);
      if (book_ && !book_->closed()) {
        // The workbook leaves the host without events; the document stays.
        leaving_ = true;
        book_->Close();
      }
      Detach();
      return;
    }
    for (size_t i = 0; i < names.size(); ++i)
      if (names[i] != sheet_names_[i]) {
        try {
          book_->Sheets(static_cast<int>(i) + 1).Name(names[i]);
        } catch (const host::HostError&) {
        }
      }
    sheet_names_ = names;
  }
  Sync();
  for (size_t i = 0; i < mirrors_.size(); ++i) {
    const int index = static_cast<int>(i) + 1;
    host::Worksheet& ws = book_->Sheets(index);
    Block b = mirrors_[i].Reconcile(ws, DocSheet(index), *formats_);
    if (b.empty()) continue;
    Running run(*this);
    host::user::Changed(ws, host::Range(ws, b.row1, b.col1, b.row2, b.col2));
    if (!book_ || book_->closed()) return;
  }
}

void DocumentAdapter::CellsChanged(const std::vector<css::table::CellRangeAddress>& ranges) {
  if (syncing_ || detached_ || !book_ || book_->closed()) return;
  bool beyond = false;
  for (const css::table::CellRangeAddress& a : ranges) {
    const int index = a.Sheet + 1;
    if (index < 1 || index > static_cast<int>(mirrors_.size())) continue;
    if (a.StartRow >= host::kMaxRows || a.StartColumn >= host::kMaxColumns) {
      beyond = true;
      continue;
    }
    Block b{a.StartRow + 1L, std::min<long>(a.EndRow + 1L, host::kMaxRows), a.StartColumn + 1,
            std::min<int>(a.EndColumn + 1, host::kMaxColumns)};
    beyond = beyond || a.EndRow >= host::kMaxRows || a.EndColumn >= host::kMaxColumns;
    host::Worksheet& ws = book_->Sheets(index);
    Sync();  // what the model still has to write goes first
    ReadCells(DocSheet(index), b.row1, b.col1, b.row2, b.col2, ws, *formats_);
    mirrors_[index - 1].AdoptBlock(ws, b);
    Running run(*this);
    host::user::Changed(ws, host::Range(ws, b.row1, b.col1, b.row2, b.col2));
    if (!book_ || book_->closed()) return;
  }
  if (beyond) ui::Message(texts::kBeyondGrid);
}

void DocumentAdapter::StructureChanged() {
  ContentModified();
}

void DocumentAdapter::SheetActivated(const Reference<css::sheet::XSpreadsheet>& sheet) {
  if (syncing_ || detached_ || !book_ || book_->closed()) return;
  if (DocSheetNames() != sheet_names_) {
    ContentModified();
    return;
  }
  const int index = IndexOf(sheet);
  if (index < 1 || index == shown_sheet_) return;
  shown_sheet_ = index;
  host::Worksheet& ws = book_->Sheets(index);
  css::table::CellRangeAddress a;
  if (ViewSelection(view(), a) && a.Sheet + 1 == index && a.EndRow < host::kMaxRows &&
      a.EndColumn < host::kMaxColumns) {
    ws.SetSelection(a.StartRow + 1, a.StartColumn + 1, a.EndRow + 1, a.EndColumn + 1);
    sel_r1_ = a.StartRow + 1, sel_c1_ = a.StartColumn + 1;
    sel_r2_ = a.EndRow + 1, sel_c2_ = a.EndColumn + 1;
  }
  Running run(*this);
  host::user::Activate(ws);
}

void DocumentAdapter::SelectionChanged() {
  if (syncing_ || detached_ || !book_ || book_->closed()) return;
  css::table::CellRangeAddress a;
  if (!ViewSelection(view(), a)) return;
  const int index = a.Sheet + 1;
  if (index != shown_sheet_ || index != book_->ActiveSheet().Index()) return;
  if (a.StartRow >= host::kMaxRows || a.StartColumn >= host::kMaxColumns) return;
  const long r2 = std::min<long>(a.EndRow + 1, host::kMaxRows);
  const int c2 = std::min<int>(a.EndColumn + 1, host::kMaxColumns);
  book_->Sheets(index).SetSelection(a.StartRow + 1, a.StartColumn + 1, r2, c2);
  sel_r1_ = a.StartRow + 1, sel_c1_ = a.StartColumn + 1, sel_r2_ = r2, sel_c2_ = c2;
}

void DocumentAdapter::ContentModified() {
  if (syncing_ || detached_ || !book_) return;
  book_->MarkChanged();
  if (reconcile_posted_) return;
  reconcile_posted_ = true;
  std::weak_ptr<DocumentAdapter> weak = weak_from_this();
  Post([weak] {
    if (auto a = weak.lock()) {
      a->reconcile_posted_ = false;
      a->Reconcile();
    }
  });
}

void DocumentAdapter::ButtonPressed(const Reference<css::uno::XInterface>& control_model) {
  if (detached_ || !book_ || book_->closed()) return;
  Reference<css::uno::XInterface> key(control_model, UNO_QUERY);
  for (size_t k = 0; k < button_models_.size(); ++k) {
    if (button_models_[k] != key) continue;
    Running run(*this);
    host::Worksheet& ws = book_->Sheets(button_names_[k].first);
    host::user::Click(ws, button_names_[k].second);
    return;
  }
}

Reference<css::uno::XInterface> DocumentAdapter::Button(int index, const std::string& shape) const {
  for (size_t k = 0; k < button_models_.size(); ++k)
    if (button_names_[k].first == index && button_names_[k].second == shape)
      return button_models_[k];
  return nullptr;
}

void DocumentAdapter::DocumentGone() {
  if (book_ && !book_->closed()) {
    // The document went without a close command (the office quit or closed
    // it itself): the workbook leaves the host without events.
    leaving_ = true;
    book_->Close();
  }
  Detach();
}

bool DocumentAdapter::Command(const css::util::URL& url,
                              const css::uno::Sequence<css::beans::PropertyValue>& args) {
  if (detached_ || !book_ || book_->closed()) return false;
  const std::string command = CommandOf(url);
  if (In(kSaveCommands, command)) {
    {
      Running run(*this);
      save_url_ = url;
      save_args_ = args;
      host::user::Save(*book_);
      save_url_ = css::util::URL();
      save_args_ = {};
    }
    // The office's own save may have been cancelled by the user.
    Reference<css::util::XModifiable> modifiable(model_, UNO_QUERY);
    if (book_ && modifiable.is() && modifiable->isModified()) book_->MarkChanged();
    return true;
  }
  if (In(kCloseCommands, command)) {
    {
      Running run(*this);
      in_close_command_ = true;
      host::user::Close(*book_);
      in_close_command_ = false;
    }
    if (!closed_) return true;  // cancelled
    // The workbook closed in the host (stored as the engine decided): the
    // office closes its window without asking again.
    // (The office's handler is taken first: releasing the interceptor
    // disconnects it from the office's chain.)
    Reference<css::frame::XDispatch> office = interceptor_->OfficeDispatch(url);
    Detach();
    Reference<css::util::XModifiable> modifiable(model_, UNO_QUERY);
    if (modifiable.is()) modifiable->setModified(false);
    if (office.is()) office->dispatch(url, args);
    return true;
  }
  if (In(kSheetCommands, command)) {
    ui::Message(texts::kSheetsFixed);
    return true;
  }
  return false;
}

std::string DocumentAdapter::Store(
    const std::vector<std::pair<std::string, std::string>>& host_data) {
  // The buttons are the open document's; the file keeps the host's data.
  for (size_t k = 0; k < button_names_.size(); ++k)
    RemoveButton(doc_, button_names_[k].first, button_names_[k].second);
  button_names_.clear();
  button_models_.clear();
  try {
    syncing_ = true;
    SetHostProperties(model_, host_data);
    if (!save_url_.Complete.isEmpty()) {
      css::uno::Sequence<css::beans::PropertyValue> args(save_args_.getLength() + 1);
      for (sal_Int32 i = 0; i < save_args_.getLength(); ++i) args.getArray()[i] = save_args_[i];
      args.getArray()[save_args_.getLength()] = Arg("SynchronMode", Any(true));
      interceptor_->Forward(save_url_, args);
    } else {
      Reference<css::frame::XStorable> storable(model_, UNO_QUERY_THROW);
      storable->store();
    }
    syncing_ = false;
  } catch (const css::uno::Exception& e) {
    syncing_ = false;
    throw host::HostError(1004, "не удалось записать файл: " + S(e.Message));
  }
  return SystemPath(model_->getURL());
}

void DocumentAdapter::Closed() {
  closed_ = true;
  book_ = nullptr;
  if (!in_close_command_ && !leaving_) CloseDocumentLater();
}

void DocumentAdapter::CloseDocumentLater() {
  std::weak_ptr<DocumentAdapter> weak = weak_from_this();
  Post([weak] {
    auto a = weak.lock();
    if (!a) return;
    a->Detach();
    Reference<css::util::XModifiable> modifiable(a->model_, UNO_QUERY);
    if (modifiable.is()) modifiable->setModified(false);
    Reference<css::util::XCloseable> closeable(a->model_, UNO_QUERY);
    if (closeable.is()) closeable->close(true);
  });
}

}  // namespace kassa::calc
