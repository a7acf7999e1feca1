// Ranges, fonts, addresses and the host error.
#include <cmath>
#include <cstdio>

#include "platform/host/host.h"
#include "platform/host/internal.h"
#include "platform/host/texts.h"

namespace kassa::host {

HostError::HostError(int code, const std::string& what) : std::runtime_error(what), code_(code) {}

std::string ColumnName(int column) {
  std::string s;
  while (column > 0) {
    int r = (column - 1) % 26;
    s.insert(s.begin(), static_cast<char>('A' + r));
    column = (column - 1) / 26;
  }
  return s;
}

namespace {

// Parses "B12", "B", "12" parts; returns false on junk.
bool ParsePart(const std::string& p, long& row, int& col, bool& has_row, bool& has_col) {
  size_t i = 0;
  col = 0;
  row = 0;
  if (i < p.size() && p[i] == '$') ++i;
  while (i < p.size() && std::isalpha(static_cast<unsigned char>(p[i]))) {
    col = col * 26 + (std::toupper(static_cast<unsigned char>(p[i])) - 'A' + 1);
    if (col > kMaxColumns) return false;
    ++i;
  }
  if (i < p.size() && p[i] == '$') ++i;
  size_t digits = i;
  while (i < p.size() && std::isdigit(static_cast<unsigned char>(p[i]))) {
    row = row * 10 + (p[i] - '0');
    if (row > kMaxRows) return false;
    ++i;
  }
  has_col = col > 0;
  has_row = i > digits;
  return i == p.size() && (has_col || has_row) && (!has_row || row >= 1);
}

}  // namespace

bool ParseAddress(const std::string& a1, long& row1, int& col1, long& row2, int& col2) {
  auto colon = a1.find(':');
  std::string p1 = a1.substr(0, colon);
  std::string p2 = colon == std::string::npos ? p1 : a1.substr(colon + 1);
  long r1, r2;
  int c1, c2;
  bool hr1, hc1, hr2, hc2;
  if (!ParsePart(p1, r1, c1, hr1, hc1) || !ParsePart(p2, r2, c2, hr2, hc2)) return false;
  if (hr1 != hr2 || hc1 != hc2) return false;
  if (!hr1) {  // whole columns "A:C"
    if (colon == std::string::npos) return false;
    r1 = 1;
    r2 = kMaxRows;
  }
  if (!hc1) {  // whole rows "3:5"
    if (colon == std::string::npos) return false;
    c1 = 1;
    c2 = kMaxColumns;
  }
  row1 = std::min(r1, r2);
  row2 = std::max(r1, r2);
  col1 = std::min(c1, c2);
  col2 = std::max(c1, c2);
  return true;
}

Range::Range(Worksheet& sheet, long row1, int col1, long row2, int col2)
    : sheet_(&sheet), row1_(row1), row2_(row2), col1_(col1), col2_(col2) {
  if (row1 < 1 || row2 > kMaxRows || row1 > row2 || col1 < 1 || col2 > kMaxColumns || col1 > col2)
    throw HostError(1004, texts::kBadRange);
}

Range Range::Cells(long i, int j) const {
  return Range(*sheet_, row1_ + i - 1, col1_ + j - 1, row1_ + i - 1, col1_ + j - 1);
}

Variant Range::Value() const {
  const Cell* c = sheet_->FindCell(row1_, col1_);
  return c ? c->value : Variant();
}

void Range::Value(const Variant& v) const {
  if (v.IsEmpty()) {
    sheet_->ClearCells(row1_, col1_, row2_, col2_);
    return;
  }
  std::string fmt = DefaultFormatFor(v);
  for (long r = row1_; r <= row2_; ++r)
    for (int c = col1_; c <= col2_; ++c) {
      Cell& cell = sheet_->CellAt(r, c);
      cell.value = v;
      if (!fmt.empty()) {
        const CellFormat& current = cell.own_format ? cell.format : sheet_->ColumnFormat(c);
        if (current.number_format.empty()) {
          if (!cell.own_format) cell.format = sheet_->ColumnFormat(c);
          cell.own_format = true;
          cell.format.number_format = fmt;
        }
      }
    }
  sheet_->Touch();
  sheet_->Parent().MarkChanged();
}

int FixedDecimals(const std::string& fmt) {
  if (fmt.empty() || fmt.find_first_not_of("#,0.") != std::string::npos) return -1;
  if (fmt.find('0') == std::string::npos) return -1;
  auto dot = fmt.find('.');
  if (dot == std::string::npos) return 0;
  return static_cast<int>(fmt.size() - dot - 1);
}

std::string Range::Text() const {
  const Cell* c = sheet_->FindCell(row1_, col1_);
  if (!c) return "";
  if (c->value.type() == Variant::Type::Number) {
    const CellFormat& f = c->own_format ? c->format : sheet_->ColumnFormat(col1_);
    int decimals = FixedDecimals(f.number_format);
    if (decimals >= 0) {
      char buf[64];
      std::snprintf(buf, sizeof buf, "%.*f", decimals, RoundHalfEven(c->value.number(), decimals));
      std::string s = buf;
      for (char& ch : s)
        if (ch == '.') ch = CurrentLocale().decimal;
      if (s == "-0" || s.rfind("-0,", 0) == 0 || s.rfind("-0.", 0) == 0) {
        if (s.find_first_not_of("-0,.") == std::string::npos) s.erase(0, 1);
      }
      return s;
    }
  }
  auto t = ToText(c->value);
  if (!t) throw HostError(13, texts::kErrorValue);
  return *t;
}

void Range::Select() const {
  Workbook& wb = sheet_->Parent();
  if (&wb.ActiveSheet() != sheet_) throw HostError(1004, texts::kNotActive);
  sheet_->SetSelection(row1_, col1_, row2_, col2_);
}

Range Range::End(int direction) const {
  int dr = 0, dc = 0;
  switch (direction) {
    case xlUp:
      dr = -1;
      break;
    case -4121:
      dr = 1;
      break;  // xlDown
    case -4159:
      dc = -1;
      break;  // xlToLeft
    case -4161:
      dc = 1;
      break;  // xlToRight
    default:
      throw HostError(1004, texts::kBadDirection);
  }
  auto filled = [&](long r, int c) {
    const Cell* cell = sheet_->FindCell(r, c);
    return cell && !cell->value.IsEmpty();
  };
  auto inside = [&](long r, int c) {
    return r >= 1 && r <= kMaxRows && c >= 1 && c <= kMaxColumns;
  };
  long r = row1_;
  int c = col1_;
  if (!inside(r + dr, c + dc)) return Range(*sheet_, r, c, r, c);
  if (filled(r, c) && filled(r + dr, c + dc)) {
    // Inside a block: to its far edge.
    while (inside(r + dr, c + dc) && filled(r + dr, c + dc)) r += dr, c += dc;
    return Range(*sheet_, r, c, r, c);
  }
  // To the next filled cell, or to the edge of the grid.
  r += dr, c += dc;
  if (dr < 0) {
    // Fast path upwards: the last filled row below r in column c.
    long last = 0;
    for (long k = std::min<long>(r, sheet_->LastUsedRow()); k >= 1; --k)
      if (filled(k, c)) {
        last = k;
        break;
      }
    r = last ? last : 1;
    return Range(*sheet_, r, c, r, c);
  }
  while (!filled(r, c) && inside(r + dr, c + dc)) r += dr, c += dc;
  return Range(*sheet_, r, c, r, c);
}

Font Range::Font() const {
  return host::Font(*this);
}

std::string Range::Address() const {
  auto one = [](long r, int c) { return ColumnName(c) + std::to_string(r); };
  if (IsWholeColumn()) return ColumnName(col1_) + ":" + ColumnName(col2_);
  if (IsWholeRow()) return std::to_string(row1_) + ":" + std::to_string(row2_);
  if (row1_ == row2_ && col1_ == col2_) return one(row1_, col1_);
  return one(row1_, col1_) + ":" + one(row2_, col2_);
}

Font::Font(const Range& r) : range_(r) {}

namespace {

const CellFormat& FormatOf(const Worksheet& ws, long row, int col) {
  const Cell* c = ws.FindCell(row, col);
  return c && c->own_format ? c->format : ws.ColumnFormat(col);
}

template <class Setter>
void SetFont(const Range& range, Setter set) {
  Worksheet& ws = range.Parent();
  if (range.IsWholeColumn()) {
    for (int c = range.Column(); c <= range.LastColumn(); ++c) {
      set(ws.MutableColumnFormat(c));
      long last = ws.LastUsedRow();
      for (long r = 1; r <= last; ++r) {
        const Cell* found = ws.FindCell(r, c);
        if (found && found->own_format) set(ws.CellAt(r, c).format);
      }
    }
  } else {
    long last_row = range.LastRow();
    for (long r = range.Row(); r <= last_row; ++r)
      for (int c = range.Column(); c <= range.LastColumn(); ++c) {
        Cell& cell = ws.CellAt(r, c);
        if (!cell.own_format) {
          cell.format = ws.ColumnFormat(c);
          cell.own_format = true;
        }
        set(cell.format);
      }
  }
  ws.Touch();
  ws.Parent().MarkChanged();
}

}  // namespace

int Font::ColorIndex() const {
  return FormatOf(range_.Parent(), range_.Row(), range_.Column()).color_index;
}
void Font::ColorIndex(int index) {
  SetFont(range_, [index](CellFormat& f) { f.color_index = index; });
}
bool Font::Bold() const {
  return FormatOf(range_.Parent(), range_.Row(), range_.Column()).bold;
}
void Font::Bold(bool bold) {
  SetFont(range_, [bold](CellFormat& f) { f.bold = bold; });
}

}  // namespace kassa::host
