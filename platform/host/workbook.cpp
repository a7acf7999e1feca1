// Workbooks: sheets by position and name, copies of sheets, files, close.
#include <filesystem>

#include "platform/host/host.h"
#include "platform/host/internal.h"
#include "platform/host/texts.h"
#include "platform/ui/ui.h"

namespace kassa::host {

Workbook::Workbook(host::Application& app, std::string name) : app_(&app), name_(std::move(name)) {}

Workbook::~Workbook() = default;

Worksheet& Workbook::ActiveSheet() {
  if (sheets_.empty()) throw HostError(1004, texts::kNoSheet);
  if (active_ < 0 || active_ >= SheetsCount()) active_ = 0;
  return *sheets_[active_];
}

std::string Workbook::FullName() const {
  return path_.empty() ? name_ : path_ + "/" + name_;
}

Worksheet& Workbook::Sheets(int index) {
  if (index < 1 || index > SheetsCount()) throw HostError(9, texts::kNoSheet);
  return *sheets_[index - 1];
}

Worksheet& Workbook::Sheets(const std::string& name) {
  Worksheet* s = FindSheet(name);
  if (!s) throw HostError(9, texts::kNoSheet);
  return *s;
}

Worksheet* Workbook::FindSheet(const std::string& name) {
  for (auto& s : sheets_)
    if (s->Name() == name) return s.get();
  // Sheet names are matched without regard to Latin letter case as well.
  for (auto& s : sheets_) {
    const std::string& n = s->Name();
    if (n.size() != name.size()) continue;
    bool same = true;
    for (size_t i = 0; i < n.size() && same; ++i)
      same = std::tolower(static_cast<unsigned char>(n[i])) ==
             std::tolower(static_cast<unsigned char>(name[i]));
    if (same) return s.get();
  }
  return nullptr;
}

Worksheet& Workbook::AddSheet(const std::string& name) {
  if (FindSheet(name)) throw HostError(1004, texts::kBadName);
  sheets_.push_back(std::unique_ptr<Worksheet>(new Worksheet(*this, "")));
  Worksheet& ws = *sheets_.back();
  try {
    ws.Name(name);
  } catch (...) {
    sheets_.pop_back();
    throw;
  }
  return ws;
}

std::string Workbook::FreeSheetName(const std::string& base) const {
  auto taken = [&](const std::string& n) {
    for (auto& s : sheets_)
      if (s->Name() == n) return true;
    return false;
  };
  if (!taken(base)) return base;
  // "Name (2)", "Name (3)", ... cut so that the name stays within 31 characters.
  for (int k = 2;; ++k) {
    std::string suffix = " (" + std::to_string(k) + ")";
    std::string stem = base;
    while (Utf8Length(stem) + suffix.size() > 31)
      stem.erase(Utf8Offset(stem, Utf8Length(stem) - 1));
    if (!taken(stem + suffix)) return stem + suffix;
  }
}

Worksheet& Workbook::InsertCopy(const Worksheet& src, size_t position) {
  auto copy = std::unique_ptr<Worksheet>(new Worksheet(*this, FreeSheetName(src.Name())));
  copy->rows_ = src.rows_;
  copy->column_formats_ = src.column_formats_;
  copy->column_widths_ = src.column_widths_;
  copy->shapes_ = src.shapes_;
  copy->charts_ = src.charts_;
  if (src.query_) {
    QueryTable& q = copy->AddQueryTable(src.query_->Connection(), src.query_->CommandText());
    q.EnableRefresh(src.query_->EnableRefresh());
  }
  copy->sel_r1_ = src.sel_r1_, copy->sel_r2_ = src.sel_r2_, copy->act_r_ = src.act_r_;
  copy->sel_c1_ = src.sel_c1_, copy->sel_c2_ = src.sel_c2_, copy->act_c_ = src.act_c_;
  if (position > sheets_.size()) position = sheets_.size();
  Worksheet* raw = copy.get();
  // Keep the active sheet the same object while positions shift.
  Worksheet* active = sheets_.empty() ? nullptr : &ActiveSheet();
  sheets_.insert(sheets_.begin() + static_cast<long>(position), std::move(copy));
  if (active) active_ = active->Index() - 1;
  MarkChanged();
  return *raw;
}

std::string Workbook::StoredText(const std::string& key) const {
  auto it = stored_texts_.find(key);
  return it == stored_texts_.end() ? std::string() : it->second;
}

void Workbook::StoredText(const std::string& key, const std::string& text) {
  if (text.empty())
    stored_texts_.erase(key);
  else
    stored_texts_[key] = text;
}

void Workbook::SaveAs(const std::string& filename, int access_mode) {
  (void)access_mode;
  WorkbookFile::Write(*this, filename);
  std::filesystem::path p = std::filesystem::absolute(filename).lexically_normal();
  name_ = p.filename().string();
  path_ = p.parent_path().string();
  if (path_.size() > 1 && path_.back() == '/') path_.pop_back();
  saved_ = true;
  ui::Port().Note("FILE " + FullName());
}

void Workbook::Save() {
  if (document_) {
    // The program showing the workbook writes its own file.
    std::filesystem::path p = std::filesystem::path(document_->Store(EncodeHostData(*this))).lexically_normal();
    if (!p.empty()) name_ = p.filename().string(), path_ = p.parent_path().string();
    saved_ = true;
    ui::Port().Note("FILE " + FullName());
    return;
  }
  if (path_.empty()) throw HostError(1004, texts::kNotSaved);
  WorkbookFile::Write(*this, FullName());
  saved_ = true;
  ui::Port().Note("FILE " + FullName());
}

void Workbook::Activate() {
  if (closed_) throw HostError(1004, texts::kNoWorkbook);
  app_->SetActive(*this);
}

void Workbook::Close() {
  if (closed_) return;
  closed_ = true;
  host::Application& app = *app_;
  for (auto it = app.books_.begin(); it != app.books_.end(); ++it)
    if (it->get() == this) {
      app.closed_books_.push_back(std::move(*it));
      app.books_.erase(it);
      break;
    }
  std::erase(app.activation_order_, this);
  if (app.active_ == this)
    app.active_ = app.activation_order_.empty() ? nullptr : app.activation_order_.back();
  // Released here; an event or macro still running holds its own reference.
  sink_.reset();
  macro_targets_.clear();
  if (app.on_closed) app.on_closed(*this);
  if (auto document = std::move(document_)) document->Closed();
}

}  // namespace kassa::host
