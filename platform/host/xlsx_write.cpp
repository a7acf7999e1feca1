// Writing a workbook as a real .xlsx file with libxlsxwriter.
#include <xlsxwriter.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <set>
#include <tuple>

#include "platform/host/host.h"
#include "platform/host/internal.h"
#include "platform/host/texts.h"

namespace kassa::host {

namespace {

// Font colour index -> RGB (the spreadsheet program's default palette).
lxw_color_t ColorOf(int index) {
  switch (index) {
    case 1:
      return 0x000000;
    case 2:
      return 0xFFFFFF;
    case 3:
      return 0xFF0000;
    case 4:
      return 0x00FF00;
    case 5:
      return 0x0000FF;
    case 6:
      return 0xFFFF00;
    case 7:
      return 0xFF00FF;
    case 8:
      return 0x00FFFF;
    case 10:
      return 0x008000;
    case 15:
      return 0xC0C0C0;
    case 16:
      return 0x808080;
    case 48:
      return 0x969696;
    default:
      return LXW_COLOR_BLACK;
  }
}

class Formats {
 public:
  explicit Formats(lxw_workbook* wb) : wb_(wb) {}
  // Null for the default format.
  lxw_format* Get(const CellFormat& f) {
    if (f.color_index == kColorAutomatic && !f.bold && f.number_format.empty()) return nullptr;
    auto key = std::make_tuple(f.color_index, f.bold, f.number_format.str());
    auto it = cache_.find(key);
    if (it != cache_.end()) return it->second;
    lxw_format* fmt = workbook_add_format(wb_);
    if (f.color_index != kColorAutomatic) format_set_font_color(fmt, ColorOf(f.color_index));
    if (f.bold) format_set_bold(fmt);
    if (!f.number_format.empty()) format_set_num_format(fmt, f.number_format.c_str());
    cache_[key] = fmt;
    return fmt;
  }

 private:
  lxw_workbook* wb_;
  std::map<std::tuple<int, bool, std::string>, lxw_format*> cache_;
};

// A workbook whose file held content the model does not keep is never
// written, under its own name or another: the file would lose that content.
void RefuseLosingContent(const Workbook& book, const std::string& path) {
  if (!book.UnkeptContent().empty())
    throw HostError(1004, texts::WouldLoseContent(path, book.UnkeptContent()));
}

void Check(lxw_error e, const std::string& path) {
  if (e != LXW_NO_ERROR)
    throw HostError(1004, std::string(texts::kCannotWrite) + path + ": " + lxw_strerror(e));
}

void WriteSheet(lxw_worksheet* out, Worksheet& ws, Formats& formats, const std::string& path) {
  // Columns: width and format.
  std::set<int> columns;
  for (int c = 1; c <= kMaxColumns; ++c) {
    const CellFormat& f = ws.ColumnFormat(c);
    bool styled = f.color_index != kColorAutomatic || f.bold || !f.number_format.empty();
    if (styled || ws.ColumnWidth(c) != 8.43)
      Check(worksheet_set_column(out, static_cast<lxw_col_t>(c - 1), static_cast<lxw_col_t>(c - 1),
                                 ws.ColumnWidth(c), formats.Get(f)),
            path);
  }
  long last_row = ws.LastUsedRow();
  for (long r = 1; r <= last_row; ++r)
    for (int c = 1; c <= kMaxColumns; ++c) {
      const Cell* cell = ws.FindCell(r, c);
      if (!cell) break;  // cells of a row are stored left to right
      CellFormat f = cell->own_format ? cell->format : ws.ColumnFormat(c);
      const Variant& v = cell->value;
      if (v.type() == Variant::Type::Date && f.number_format.empty())
        f.number_format = DefaultFormatFor(v);
      lxw_format* fmt = formats.Get(f);
      auto row = static_cast<lxw_row_t>(r - 1);
      auto col = static_cast<lxw_col_t>(c - 1);
      switch (v.type()) {
        case Variant::Type::Empty:
          if (cell->own_format && fmt) Check(worksheet_write_blank(out, row, col, fmt), path);
          break;
        case Variant::Type::Number:
        case Variant::Type::Date:
          Check(worksheet_write_number(out, row, col, v.number(), fmt), path);
          break;
        case Variant::Type::Text:
          Check(worksheet_write_string(out, row, col, v.text().c_str(), fmt), path);
          break;
        case Variant::Type::Boolean:
          Check(worksheet_write_boolean(out, row, col, v.number() != 0, fmt), path);
          break;
        case Variant::Type::Error:
          // An error value keeps its code as text.
          Check(worksheet_write_string(out, row, col, ("#ERR" + std::to_string(v.error())).c_str(),
                                       fmt),
                path);
          break;
      }
    }
}

}  // namespace

bool WrittenColorIndex(int index) {
  return index == 1 || ColorOf(index) != LXW_COLOR_BLACK;
}

void WorkbookFile::Write(const Workbook& book_const, const std::string& path) {
  RefuseLosingContent(book_const, path);
  Workbook& book = const_cast<Workbook&>(book_const);
  // Written beside the target and renamed over it, so a failure leaves the
  // previous file as it was.
  std::string tmp = path + ".kassa-tmp";
  lxw_workbook_options options{};
  lxw_workbook* out = workbook_new_opt(tmp.c_str(), &options);
  if (!out) throw HostError(1004, std::string(texts::kCannotWrite) + path);
  try {
    Formats formats(out);
    for (int i = 1; i <= book.SheetsCount(); ++i) {
      Worksheet& ws = book.Sheets(i);
      lxw_worksheet* sheet = workbook_add_worksheet(out, ws.Name().c_str());
      if (!sheet) throw HostError(1004, std::string(texts::kCannotWrite) + path + ": " + ws.Name());
      WriteSheet(sheet, ws, formats, path);
      WriteSheetCharts(out, sheet, ws, path);
      if (i - 1 == book.active_) worksheet_activate(sheet);
    }
    for (auto& [name, value] : EncodeHostData(book))
      Check(workbook_set_custom_property_string(out, name.c_str(), value.c_str()), path);
  } catch (...) {
    workbook_close(out);
    std::remove(tmp.c_str());
    throw;
  }
  lxw_error e = workbook_close(out);
  if (e != LXW_NO_ERROR) {
    std::remove(tmp.c_str());
    Check(e, path);
  }
  std::error_code ec;
  std::filesystem::rename(tmp, path, ec);
  if (ec) {
    std::remove(tmp.c_str());
    throw HostError(1004, std::string(texts::kCannotWrite) + path + ": " + ec.message());
  }
}

}  // namespace kassa::host
