// Worksheets: cells, formats, query table, shapes, activation and copies.
#include <algorithm>

#include "platform/host/host.h"
#include "platform/host/internal.h"
#include "platform/host/texts.h"

namespace kassa::host {

namespace {
const CellFormat kDefaultFormat{};
constexpr double kDefaultWidth = 8.43;

bool IsUsed(const Cell& c) {
  return !c.value.IsEmpty() || c.own_format;
}
}  // namespace

Worksheet::Worksheet(Workbook& book, std::string name) : book_(&book), name_(std::move(name)) {}

Application& Worksheet::Application() const {
  return book_->Parent();
}

int Worksheet::Index() const {
  for (size_t i = 0; i < book_->sheets_.size(); ++i)
    if (book_->sheets_[i].get() == this) return static_cast<int>(i) + 1;
  return 0;
}

namespace {
bool ValidSheetName(const std::string& name) {
  if (name.empty() || Utf8Length(name) > 31) return false;
  return name.find_first_of(":\\/?*[]") == std::string::npos;
}
bool SameName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}
}  // namespace

void Worksheet::Name(const std::string& name) {
  if (!ValidSheetName(name)) throw HostError(1004, texts::kBadName);
  for (auto& s : book_->sheets_)
    if (s.get() != this && SameName(s->name_, name)) throw HostError(1004, texts::kBadName);
  name_ = name;
  Touch();
  book_->MarkChanged();
}

Range Worksheet::Cells(long row, int column) {
  return host::Range(*this, row, column, row, column);
}
Range Worksheet::Rows(long row) {
  return host::Range(*this, row, 1, row, kMaxColumns);
}
Range Worksheet::Columns(int column) {
  return host::Range(*this, 1, column, kMaxRows, column);
}

Range Worksheet::Range(const std::string& a1) {
  long r1, r2;
  int c1, c2;
  if (!ParseAddress(a1, r1, c1, r2, c2)) throw HostError(1004, texts::kBadRange);
  return host::Range(*this, r1, c1, r2, c2);
}

Range Worksheet::Range(const host::Range& a, const host::Range& b) {
  if (&a.Parent() != this || &b.Parent() != this) throw HostError(1004, texts::kBadRange);
  return host::Range(*this, std::min(a.Row(), b.Row()), std::min(a.Column(), b.Column()),
                     std::max(a.LastRow(), b.LastRow()), std::max(a.LastColumn(), b.LastColumn()));
}

Range Worksheet::UsedRange() {
  long r = LastUsedRow();
  int c = LastUsedColumn();
  return host::Range(*this, 1, 1, std::max(1L, r), std::max(1, c));
}

QueryTable& Worksheet::QueryTables(int index) {
  if (index != 1 || !query_) throw HostError(9, texts::kNoQueryTable);
  return *query_;
}

int Worksheet::QueryTablesCount() const {
  return query_ ? 1 : 0;
}

QueryTable& Worksheet::AddQueryTable(const std::string& connection,
                                     const std::string& command_text) {
  if (query_) retired_queries_.push_back(std::move(query_));
  query_ = MakeQueryTable(*this, connection, command_text);
  book_->MarkChanged();
  return *query_;
}

void Worksheet::DeleteQueryTable() {
  if (!query_) throw HostError(9, texts::kNoQueryTable);
  retired_queries_.push_back(std::move(query_));
  Touch();
  book_->MarkChanged();
}

void Worksheet::DeleteShape(const std::string& name) {
  auto it =
      std::find_if(shapes_.begin(), shapes_.end(), [&](const Shape& s) { return s.name == name; });
  if (it == shapes_.end()) throw HostError(1004, texts::kNoShape);
  shapes_.erase(it);
  Touch();
  book_->MarkChanged();
}

const Shape* Worksheet::FindShape(const std::string& name) const {
  for (const Shape& s : shapes_)
    if (s.name == name) return &s;
  return nullptr;
}

void Worksheet::Activate() {
  EventDispatch::ActivateSheet(*this);
}

void Worksheet::Copy() {
  host::Application& app = book_->Parent();
  Workbook& nb = app.NewBook();
  nb.InsertCopy(*this, 0);
  nb.active_ = 0;
  app.SetActive(nb);
}

void Worksheet::Copy(Worksheet& after) {
  Workbook& target = after.Parent();
  Worksheet& copy = target.InsertCopy(*this, static_cast<size_t>(after.Index()));
  EventDispatch::ActivateSheet(copy);
}

const Cell* Worksheet::FindCell(long row, int column) const {
  if (row < 1 || column < 1 || row > static_cast<long>(rows_.size())) return nullptr;
  const auto& r = rows_[row - 1];
  if (column > static_cast<int>(r.size())) return nullptr;
  return &r[column - 1];
}

Cell& Worksheet::CellAt(long row, int column) {
  if (row < 1 || row > kMaxRows || column < 1 || column > kMaxColumns)
    throw HostError(1004, texts::kBadRange);
  if (row > static_cast<long>(rows_.size())) rows_.resize(row);
  auto& r = rows_[row - 1];
  if (column > static_cast<int>(r.size())) r.resize(column);
  return r[column - 1];
}

Cell* Worksheet::RowCells(long row, int columns) {
  Cell& last = CellAt(row, columns);  // creates the cells before it too
  return &last - (columns - 1);
}

void Worksheet::ReserveCells(long first, long last, int columns) {
  first = std::max(first, 1L);
  last = std::min(last, kMaxRows);
  columns = std::min(columns, kMaxColumns);
  if (first > last || columns < 1) return;
  if (last > static_cast<long>(rows_.size())) rows_.resize(last);
  for (long r = first; r <= last; ++r) {
    std::vector<Cell>& row = rows_[r - 1];
    if (row.capacity() < static_cast<size_t>(columns)) row.reserve(static_cast<size_t>(columns));
  }
}

const CellFormat& Worksheet::ColumnFormat(int column) const {
  auto it = column_formats_.find(column);
  return it == column_formats_.end() ? kDefaultFormat : it->second;
}

CellFormat& Worksheet::MutableColumnFormat(int column) {
  return column_formats_[column];
}

long Worksheet::LastUsedRow() const {
  for (long r = static_cast<long>(rows_.size()); r >= 1; --r)
    for (const Cell& c : rows_[r - 1])
      if (IsUsed(c)) return r;
  return 0;
}

int Worksheet::LastUsedColumn() const {
  int last = 0;
  for (const auto& row : rows_)
    for (int c = static_cast<int>(row.size()); c > last; --c)
      if (IsUsed(row[c - 1])) {
        last = c;
        break;
      }
  return last;
}

void Worksheet::ClearCells(long row1, int col1, long row2, int col2) {
  long last = std::min<long>(row2, static_cast<long>(rows_.size()));
  for (long r = row1; r <= last; ++r) {
    auto& row = rows_[r - 1];
    int lc = std::min<int>(col2, static_cast<int>(row.size()));
    for (int c = col1; c <= lc; ++c) row[c - 1].value = Variant();
  }
  Touch();
  book_->MarkChanged();
}

double Worksheet::ColumnWidth(int column) const {
  auto it = column_widths_.find(column);
  return it == column_widths_.end() ? kDefaultWidth : it->second;
}

void Worksheet::ColumnWidth(int column, double width) {
  column_widths_[column] = width;
  Touch();
}

Range Worksheet::Selection() {
  return host::Range(*this, sel_r1_, sel_c1_, sel_r2_, sel_c2_);
}
Range Worksheet::ActiveCell() {
  return host::Range(*this, act_r_, act_c_, act_r_, act_c_);
}

void Worksheet::SetSelection(long row1, int col1, long row2, int col2) {
  host::Range check(*this, row1, col1, row2, col2);  // validates
  sel_r1_ = row1, sel_c1_ = col1, sel_r2_ = row2, sel_c2_ = col2;
  act_r_ = row1, act_c_ = col1;
  Touch();
}

}  // namespace kassa::host
