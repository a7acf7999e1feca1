// The application: open workbooks, the active window, the active cell.
#include <filesystem>

#include "platform/host/host.h"
#include "platform/host/internal.h"
#include "platform/host/texts.h"
#include "platform/ui/ui.h"

namespace kassa::host {

Application::Application() = default;

Application::~Application() {
  // Sinks may still look at their workbook while they go: release them first.
  for (auto& b : books_) b->sink_.reset(), b->macro_targets_.clear();
  closed_books_.clear();
  books_.clear();
}

Workbook& Application::ActiveWorkbook() {
  if (!active_) throw HostError(1004, texts::kNoWorkbook);
  return *active_;
}

void Application::ActiveWindowClose(bool SaveChanges) {
  Workbook& wb = ActiveWorkbook();
  if (wb.closed()) return;
  bool cancel = EventDispatch::BeforeClose(wb);
  if (cancel || wb.closed()) return;
  if (SaveChanges && (!wb.Saved() || wb.Path().empty())) {
    bool save_cancel = EventDispatch::BeforeSave(wb);
    if (wb.closed()) return;
    if (!save_cancel && !wb.ReadOnly() && !wb.Path().empty()) wb.Save();
  }
  wb.Close();
}

Range Application::ActiveCell() {
  return ActiveWorkbook().ActiveSheet().ActiveCell();
}

std::string Application::Replace(const std::string& text, long start, long count,
                                 const std::string& replacement) const {
  if (start < 1 || count < 0) throw HostError(1004, texts::kBadRange);
  size_t len = Utf8Length(text);
  size_t from = std::min<size_t>(static_cast<size_t>(start - 1), len);
  size_t to = std::min<size_t>(from + static_cast<size_t>(count), len);
  size_t b1 = Utf8Offset(text, from), b2 = Utf8Offset(text, to);
  return text.substr(0, b1) + replacement + text.substr(b2);
}

void Application::SetActive(Workbook& wb) {
  std::erase(activation_order_, &wb);
  activation_order_.push_back(&wb);
  active_ = &wb;
}

Workbook& Application::NewBook() {
  books_.push_back(
      std::unique_ptr<Workbook>(new Workbook(*this, texts::NewBookName(++new_book_counter_))));
  return *books_.back();
}

void Application::FreeClosedBooks() {
  // The objects stay (a reference someone kept must not dangle); what they
  // held goes.
  if (event_depth_ != 0) return;
  for (auto& book : closed_books_)
    for (auto& sheet : book->sheets_) {
      sheet->rows_.clear();
      sheet->rows_.shrink_to_fit();
    }
}

Workbook& Application::Add() {
  FreeClosedBooks();
  Workbook& wb = NewBook();
  wb.AddSheet(texts::NewSheetName(1));
  SetActive(wb);
  return wb;
}

Workbook& Application::OpenWithoutMacros(const std::string& path) {
  FreeClosedBooks();
  auto book = std::unique_ptr<Workbook>(new Workbook(*this, ""));
  WorkbookFile::Read(path, *book);  // throws HostError
  std::filesystem::path p = std::filesystem::absolute(path).lexically_normal();
  book->name_ = p.filename().string();
  book->path_ = p.parent_path().string();
  book->read_only_ = true;
  book->saved_ = true;
  books_.push_back(std::move(book));
  active_ = books_.back().get();
  return *active_;
}

Workbook& Application::Open(const std::string& path, bool read_only) {
  FreeClosedBooks();
  std::string full = std::filesystem::absolute(path).lexically_normal().string();
  for (auto& b : books_)
    if (b->FullName() == full) {
      SetActive(*b);
      return *b;
    }
  auto book = std::unique_ptr<Workbook>(new Workbook(*this, ""));
  WorkbookFile::Read(path, *book);  // throws HostError
  std::filesystem::path p(full);
  book->name_ = p.filename().string();
  book->path_ = p.parent_path().string();
  book->read_only_ = read_only || !book->unkept_.empty();
  book->saved_ = true;
  books_.push_back(std::move(book));
  Workbook& wb = *books_.back();
  SetActive(wb);
  if (!wb.unkept_.empty()) ui::Message(texts::OpenedReadOnly(wb.name_, wb.unkept_));
  // The workbook's macros: the event sink by its ProgID, then the open event.
  if (!wb.sink_progid_.empty()) {
    wb.sink_ = component::Create<WorkbookEventSink>(wb.sink_progid_);
    if (!wb.sink_) ui::Message(texts::ComponentNotCreated(wb.sink_progid_));
  }
  EventDispatch::Open(wb);
  return wb;
}

std::vector<Workbook*> Application::Workbooks() {
  std::vector<Workbook*> out;
  for (auto& b : books_) out.push_back(b.get());
  return out;
}

}  // namespace kassa::host
