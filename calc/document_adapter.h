// One office spreadsheet document kept in step with its workbook in the
// host's model, which the engine, the service library and the dialogs work
// on exactly as in the workbook window.
//
// Document to model: the office's content-change notifications become the
// host's user edits (the changed cells are read into the model, then one
// change event for the range); switching sheets becomes activation; the
// cell cursor becomes the selection; a sheet button's click runs its macro;
// the save and close commands raise before-save and before-close and can be
// cancelled. Edits the office makes without a content-change notification
// (cut, fill, sort, paste as unformatted text, inserting or deleting rows
// and columns, moving cells by dragging) are found by comparing the
// document with what it was last known to show, and reach the engine as one
// change event for the block that differs. Inserting, removing and moving
// sheets is refused while the document is synchronised.
//
// Model to document: after every event, button and dialog action, what the
// model changed (query-table refreshes, marks, cleared cells, header
// formats, the active sheet, the selection, buttons) is written into the
// document, values in blocks.
//
// An adapter lives from the document's load until the workbook closes in
// the host (the close went ahead) or the document goes away; everything
// runs on the office's main thread.
#pragma once

#include <com/sun/star/frame/XFrame.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/sheet/XSpreadsheetView.hpp>
#include <com/sun/star/table/CellRangeAddress.hpp>
#include <com/sun/star/util/URL.hpp>
#include <memory>
#include <string>
#include <vector>

#include "calc/cells.h"
#include "calc/mirror.h"
#include "platform/host/host.h"

namespace kassa::calc {

class DocumentListener;
class CommandInterceptor;
class InputSettings;

class DocumentAdapter : public std::enable_shared_from_this<DocumentAdapter> {
 public:
  // Takes on a loaded document that carries the host's data: builds its
  // workbook in `app`, runs the workbook's macros (the open event) and
  // brings the document up to date. Null when the document is no workbook
  // of the host or cannot be read.
  static std::shared_ptr<DocumentAdapter> Attach(const Reference<css::frame::XModel>& model,
                                                 host::Application& app);
  ~DocumentAdapter();

  // The workbook in the model; null once it was closed.
  host::Workbook* book() const { return book_; }
  const Reference<css::frame::XModel>& model() const { return model_; }
  Reference<css::sheet::XSpreadsheetView> view() const;
  Reference<css::frame::XFrame> frame() const;
  Reference<css::sheet::XSpreadsheet> DocSheet(int index) const;  // 1-based
  // Whether an event of this workbook is running now.
  bool busy() const { return depth_ > 0; }
  // The adapter no longer follows its document (the workbook closed).
  bool detached() const { return detached_; }

  // Writes what the model changed into the document.
  void Sync();
  // Takes edits the office did not report into the model (see above).
  void Reconcile();
  // The sheet button `shape` of sheet `index` as the document shows it
  // (its control model), or null.
  Reference<css::uno::XInterface> Button(int index, const std::string& shape) const;

  // From the document's listeners.
  void CellsChanged(const std::vector<css::table::CellRangeAddress>& ranges);
  void StructureChanged();
  void SheetActivated(const Reference<css::sheet::XSpreadsheet>& sheet);
  void SelectionChanged();
  void ContentModified();
  void ButtonPressed(const Reference<css::uno::XInterface>& control_model);
  void DocumentGone();
  // A command of the intercepted set; false lets the office run it itself.
  bool Command(const css::util::URL& url,
               const css::uno::Sequence<css::beans::PropertyValue>& args);
  static const std::vector<std::string>& InterceptedCommands();

  // The host's side of the document (Workbook::Save and Close). Store keeps
  // `host_data` as the document's KassaHost.* properties (the earlier ones
  // go) before the office writes the file.
  std::string Store(const std::vector<std::pair<std::string, std::string>>& host_data);
  void Closed();

 private:
  explicit DocumentAdapter(const Reference<css::frame::XModel>& model);
  class Running;  // counts a running event and brings the document up to date after it
  void Build(host::Workbook& wb);
  void Listen();
  void Detach();
  void MakeActive();
  void SyncSheets();
  void SyncView();
  int IndexOf(const Reference<css::sheet::XSpreadsheet>& sheet) const;
  std::vector<std::string> DocSheetNames() const;
  void ForwardCommand(const css::util::URL& url,
                      const css::uno::Sequence<css::beans::PropertyValue>& args);
  void CloseDocumentLater();

  Reference<css::frame::XModel> model_;
  Reference<css::sheet::XSpreadsheetDocument> doc_;
  host::Workbook* book_ = nullptr;
  std::unique_ptr<Formats> formats_;
  std::vector<SheetMirror> mirrors_;
  std::vector<std::string> sheet_names_;  // as the document last had them
  int shown_sheet_ = 0;                   // 1-based sheet the view last showed
  long sel_r1_ = 0, sel_r2_ = 0;
  int sel_c1_ = 0, sel_c2_ = 0;  // the view's selection as last known
  std::vector<std::pair<int, std::string>> button_names_;
  std::vector<Reference<css::uno::XInterface>> button_models_;
  std::vector<Reference<css::uno::XInterface>> listened_controls_;
  Reference<DocumentListener> listener_;
  Reference<CommandInterceptor> interceptor_;
  std::unique_ptr<InputSettings> input_;
  int depth_ = 0;
  bool syncing_ = false;  // the document is being written by the adapter
  bool reconcile_posted_ = false;
  bool reconcile_after_event_ = false;  // a comparison waits for the running event
  bool detached_ = false;
  bool closed_ = false;  // the host closed the workbook
  bool in_close_command_ = false;
  bool leaving_ = false;  // the workbook leaves the host, the document stays or goes by itself
  // The save command the user gave, run by Store (empty: store directly).
  css::util::URL save_url_;
  css::uno::Sequence<css::beans::PropertyValue> save_args_;
};

}  // namespace kassa::calc
