// Workbooks that another program shows: opening them from that program's
// document, and the user's edits made there.
#include <filesystem>

#include "platform/host/host.h"
#include "platform/host/internal.h"
#include "platform/host/texts.h"
#include "platform/ui/ui.h"

namespace kassa::host {

WorkbookDocument::~WorkbookDocument() = default;

Workbook& Application::OpenDocument(
    const std::string& full_name,
    const std::vector<std::pair<std::string, std::string>>& properties,
    std::shared_ptr<WorkbookDocument> document, const std::function<void(Workbook&)>& fill,
    bool read_only) {
  FreeClosedBooks();
  auto book = std::unique_ptr<Workbook>(new Workbook(*this, ""));
  std::filesystem::path p = std::filesystem::path(full_name).lexically_normal();
  book->name_ = p.filename().string();
  book->path_ = p.parent_path().string();
  fill(*book);  // no sink yet: activating a sheet here raises nothing
  if (book->sheets_.empty()) throw HostError(1004, texts::kNoSheet);
  DecodeHostData(properties, *book);
  book->read_only_ = read_only;
  book->saved_ = true;
  book->document_ = std::move(document);
  books_.push_back(std::move(book));
  Workbook& wb = *books_.back();
  active_ = &wb;
  if (!wb.sink_progid_.empty()) {
    wb.sink_ = component::Create<WorkbookEventSink>(wb.sink_progid_);
    if (!wb.sink_) ui::Message(texts::ComponentNotCreated(wb.sink_progid_));
  }
  EventDispatch::Open(wb);
  return wb;
}

namespace user {

void Changed(Worksheet& sheet, const Range& target) {
  try {
    if (&target.Parent() != &sheet) throw HostError(1004, texts::kBadRange);
    sheet.Touch();
    sheet.Parent().MarkChanged();
    EventDispatch::SheetChange(sheet, target);
  } catch (const HostError& e) {
    EventDispatch::Report(e);
  } catch (const std::exception& e) {
    EventDispatch::Report(HostError(51, e.what()));
  }
}

}  // namespace user
}  // namespace kassa::host
