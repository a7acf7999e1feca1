#include "calc/cells.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <com/sun/star/awt/FontWeight.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/lang/Locale.hpp>
#include <com/sun/star/sheet/FormulaResult.hpp>
#include <com/sun/star/sheet/XCellFormatRangesSupplier.hpp>
#include <com/sun/star/sheet/XCellRangeAddressable.hpp>
#include <com/sun/star/sheet/XCellRangeData.hpp>
#include <com/sun/star/sheet/XCellRangesQuery.hpp>
#include <com/sun/star/sheet/XSheetCellCursor.hpp>
#include <com/sun/star/sheet/XSheetCellRanges.hpp>
#include <com/sun/star/sheet/XUsedAreaCursor.hpp>
#include <com/sun/star/table/XCell.hpp>
#include <com/sun/star/table/XCellRange.hpp>
#include <com/sun/star/util/NumberFormat.hpp>
#include <com/sun/star/util/NumberFormatter.hpp>
#include <com/sun/star/util/XNumberFormatTypes.hpp>
#include <com/sun/star/util/XNumberFormatsSupplier.hpp>

namespace kassa::calc {

using css::uno::Any;
using css::uno::Sequence;
using css::uno::UNO_QUERY;
using css::uno::UNO_QUERY_THROW;

namespace {

constexpr sal_Int32 kAutomatic = -1;
constexpr sal_Int32 kRed = 0xFF0000;
// The days the host's grid has dates for: 1900-01-01 to 9999-12-31.
constexpr double kFirstDay = 2;
constexpr double kAfterLastDay = 2958466;
constexpr sal_Int32 kGrey = 0x969696;

css::lang::Locale Russian() {
  css::lang::Locale l;
  l.Language = "ru";
  l.Country = "RU";
  return l;
}

// A fixed-decimals code of the model ("0", "0.00", "#,##0.00"), or "".
std::string FixedCode(const std::string& office_code) {
  std::string c = office_code;
  // The Russian locale writes the decimal separator as ","; the model as ".".
  if (c.find_first_not_of("#0,. ") != std::string::npos || c.find('0') == std::string::npos)
    return "";
  // "# ##0,00" (grouping blank, decimal comma) -> "#,##0.00"
  std::string out;
  for (char ch : c) out += ch == ',' ? '.' : (ch == ' ' ? ',' : ch);
  return out;
}

// Excel's error number of an office formula error.
int ExcelError(sal_Int32 office_error) {
  switch (office_error) {
    case 521:
      return 2000;  // #NULL!
    case 532:
      return 2007;  // #DIV/0!
    case 524:
      return 2023;  // #REF!
    case 525:
      return 2029;  // #NAME?
    case 503:
      return 2036;  // #NUM!
    case 32767:
      return 2042;  // #N/A
    default:
      return 2015;  // #VALUE!
  }
}

Reference<css::table::XCellRange> Block(const Reference<css::sheet::XSpreadsheet>& sheet, long r1,
                                        int c1, long r2, int c2) {
  return sheet->getCellRangeByPosition(c1 - 1, static_cast<sal_Int32>(r1 - 1), c2 - 1,
                                       static_cast<sal_Int32>(r2 - 1));
}

}  // namespace

Formats::Formats(const Reference<css::sheet::XSpreadsheetDocument>& doc) {
  Reference<css::util::XNumberFormatsSupplier> supplier(doc, UNO_QUERY_THROW);
  formats_ = supplier->getNumberFormats();
  formatter_.set(css::util::NumberFormatter::create(Context()), UNO_QUERY_THROW);
  formatter_->attachNumberFormatsSupplier(supplier);
}

std::string Formats::Text(double value, const std::string& code) {
  return S(formatter_->convertNumberToString(KeyFor(code), value));
}

const Formats::Info& Formats::Of(sal_Int32 key) {
  auto it = info_.find(key);
  if (it != info_.end()) return it->second;
  Info info;
  try {
    Reference<css::beans::XPropertySet> props = formats_->getByKey(key);
    sal_Int16 type = 0;
    props->getPropertyValue("Type") >>= type;
    OUString code;
    props->getPropertyValue("FormatString") >>= code;
    const bool date = type & css::util::NumberFormat::DATE;
    const bool time = type & css::util::NumberFormat::TIME;
    info.date = date || time;
    info.day = date;
    info.logical = type & css::util::NumberFormat::LOGICAL;
    if (date && time)
      info.code = "dd.mm.yyyy h:mm:ss";
    else if (date)
      info.code = "dd.mm.yyyy";
    else if (time)
      info.code = "h:mm:ss";
    else if (!info.logical)
      info.code = FixedCode(S(code));
  } catch (const css::uno::Exception&) {
  }
  return info_.emplace(key, info).first->second;
}

sal_Int32 Formats::KeyFor(const std::string& code) {
  auto it = keys_.find(code);
  if (it != keys_.end()) return it->second;
  sal_Int32 key = 0;
  Reference<css::util::XNumberFormatTypes> types(formats_, UNO_QUERY);
  if (code.empty()) {
    key = types.is() ? types->getStandardIndex(Russian()) : 0;
  } else {
    // The model writes "dd.mm.yyyy", "h:mm:ss", "0.00", "#,##0.00"; the
    // office's Russian codes use the same letters with "," as the decimal
    // separator and a blank for grouping.
    std::string office;
    if (code.find_first_not_of("#0,.") == std::string::npos) {
      for (char ch : code) office += ch == '.' ? ',' : (ch == ',' ? ' ' : ch);
    } else {
      for (char ch : code)
        office += static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
      // Minutes after hours stay minutes: "H:MM:SS" is what the office reads.
    }
    key = formats_->queryKey(U(office), Russian(), false);
    if (key < 0) {
      try {
        key = formats_->addNew(U(office), Russian());
      } catch (const css::uno::Exception&) {
        key = types.is() ? types->getStandardIndex(Russian()) : 0;
      }
    }
  }
  keys_[code] = key;
  return key;
}

void UsedExtent(const Reference<css::sheet::XSpreadsheet>& sheet, long& rows, int& columns) {
  rows = 0;
  columns = 0;
  Reference<css::sheet::XSheetCellCursor> cursor = sheet->createCursor();
  Reference<css::sheet::XUsedAreaCursor> used(cursor, UNO_QUERY_THROW);
  used->gotoStartOfUsedArea(false);
  used->gotoEndOfUsedArea(true);
  Reference<css::sheet::XCellRangeAddressable> addr(cursor, UNO_QUERY_THROW);
  css::table::CellRangeAddress a = addr->getRangeAddress();
  // An empty sheet reports A1 as its used area.
  if (a.EndRow == 0 && a.EndColumn == 0) {
    Reference<css::table::XCell> a1 = sheet->getCellByPosition(0, 0);
    if (a1->getType() == css::table::CellContentType_EMPTY) return;
  }
  rows = std::min<long>(a.EndRow + 1, host::kMaxRows);
  columns = std::min<int>(a.EndColumn + 1, host::kMaxColumns);
}

const host::CellFormat& EffectiveFormat(const host::Worksheet& sheet, long row, int column) {
  const host::Cell* c = sheet.FindCell(row, column);
  return c && c->own_format ? c->format : sheet.ColumnFormat(column);
}

void ReadCells(const Reference<css::sheet::XSpreadsheet>& sheet, long row1, int col1, long row2,
               int col2, host::Worksheet& into, Formats& formats) {
  row2 = std::min<long>(row2, host::kMaxRows);
  col2 = std::min<int>(col2, host::kMaxColumns);
  if (row1 > row2 || col1 > col2) return;
  Reference<css::table::XCellRange> block = Block(sheet, row1, col1, row2, col2);
  const long rows = row2 - row1 + 1;
  const int cols = col2 - col1 + 1;

  // Formats first: the number format decides how a number is typed.
  std::vector<host::CellFormat> format(static_cast<size_t>(rows) * cols);
  std::vector<char> date(format.size(), 0), day(format.size(), 0), logical(format.size(), 0);
  Reference<css::sheet::XCellFormatRangesSupplier> fr(block, UNO_QUERY_THROW);
  Reference<css::container::XIndexAccess> uniform = fr->getCellFormatRanges();
  for (sal_Int32 i = 0; i < uniform->getCount(); ++i) {
    Reference<css::beans::XPropertySet> props(uniform->getByIndex(i), UNO_QUERY_THROW);
    Reference<css::sheet::XCellRangeAddressable> addr(props, UNO_QUERY_THROW);
    css::table::CellRangeAddress a = addr->getRangeAddress();
    sal_Int32 color = kAutomatic, key = 0;
    float weight = css::awt::FontWeight::NORMAL;
    props->getPropertyValue("CharColor") >>= color;
    props->getPropertyValue("CharWeight") >>= weight;
    props->getPropertyValue("NumberFormat") >>= key;
    const Formats::Info& info = formats.Of(key);
    host::CellFormat f;
    f.color_index = IndexOfColor(color);
    f.bold = weight >= css::awt::FontWeight::SEMIBOLD;
    f.number_format = info.code;
    for (long r = std::max<long>(a.StartRow + 1, row1); r <= std::min<long>(a.EndRow + 1, row2);
         ++r)
      for (int c = std::max<int>(a.StartColumn + 1, col1);
           c <= std::min<int>(a.EndColumn + 1, col2); ++c) {
        size_t k = static_cast<size_t>(r - row1) * cols + (c - col1);
        format[k] = f;
        date[k] = info.date;
        day[k] = info.day;
        logical[k] = info.logical;
      }
  }

  Reference<css::sheet::XCellRangeData> data(block, UNO_QUERY_THROW);
  Sequence<Sequence<Any>> values = data->getDataArray();
  for (long r = 0; r < rows && r < values.getLength(); ++r) {
    const Sequence<Any>& line = values[static_cast<sal_Int32>(r)];
    for (int c = 0; c < cols && c < line.getLength(); ++c) {
      size_t k = static_cast<size_t>(r) * cols + c;
      Variant v;
      double d = 0;
      OUString text;
      if (line[c] >>= d) {
        if (day[k] && (d < kFirstDay || d >= kAfterLastDay)) {
          // The day as typed, with all four digits of its year.
          const bool timed = d != std::floor(d);
          v = Variant::Text(formats.Text(d, timed ? "dd.mm.yyyy h:mm:ss" : "dd.mm.yyyy"));
        } else {
          v = date[k]      ? Variant::Date(d)
              : logical[k] ? Variant::Boolean(d != 0)
                           : Variant::Number(d);
        }
      } else if ((line[c] >>= text) && !text.isEmpty()) {
        v = Variant::Text(S(text));
      }
      const long row = row1 + r;
      const int col = col1 + c;
      const host::CellFormat& column = into.ColumnFormat(col);
      const host::CellFormat& f = format[k];
      const bool own = f.color_index != column.color_index || f.bold != column.bold ||
                       f.number_format != column.number_format;
      if (v.IsEmpty() && !own && !into.FindCell(row, col)) continue;
      host::Cell& cell = into.CellAt(row, col);
      cell.value = v;
      cell.own_format = own;
      cell.format = own ? f : host::CellFormat{};
    }
  }

  // Error results read as empty above: take them from their cells.
  Reference<css::sheet::XCellRangesQuery> query(block, UNO_QUERY_THROW);
  Reference<css::sheet::XSheetCellRanges> errors =
      query->queryFormulaCells(css::sheet::FormulaResult::ERROR);
  for (const css::table::CellRangeAddress& a : errors->getRangeAddresses())
    for (sal_Int32 r = a.StartRow; r <= a.EndRow; ++r)
      for (sal_Int32 c = a.StartColumn; c <= a.EndColumn; ++c) {
        if (r + 1 < row1 || r + 1 > row2 || c + 1 < col1 || c + 1 > col2) continue;
        Reference<css::table::XCell> cell = sheet->getCellByPosition(c, r);
        if (cell->getError() != 0)
          into.CellAt(r + 1, c + 1).value = Variant::Error(ExcelError(cell->getError()));
      }
  into.Touch();
}

void WriteValues(const Reference<css::sheet::XSpreadsheet>& sheet, long row1, int col1,
                 const std::vector<std::vector<Variant>>& values) {
  if (values.empty() || values[0].empty()) return;
  const long rows = static_cast<long>(values.size());
  const int cols = static_cast<int>(values[0].size());
  Sequence<Sequence<Any>> data(static_cast<sal_Int32>(rows));
  for (long r = 0; r < rows; ++r) {
    Sequence<Any> line(cols);
    Any* out = line.getArray();
    for (int c = 0; c < cols; ++c) {
      const Variant& v = values[r][c];
      switch (v.type()) {
        case Variant::Type::Empty:
          out[c] <<= OUString();
          break;
        case Variant::Type::Text:
          out[c] <<= U(v.text());
          break;
        case Variant::Type::Boolean:
          out[c] <<= (v.number() != 0 ? 1.0 : 0.0);
          break;
        case Variant::Type::Error: {
          // An error value shows as its text; the model keeps the error.
          out[c] <<= OUString("#N/A");
          break;
        }
        default:
          out[c] <<= v.number();
      }
    }
    data.getArray()[r] = line;
  }
  Reference<css::sheet::XCellRangeData> block(
      Block(sheet, row1, col1, row1 + rows - 1, col1 + cols - 1), UNO_QUERY_THROW);
  block->setDataArray(data);
}

void WriteFormat(const Reference<css::sheet::XSpreadsheet>& sheet, long row1, int col1, long row2,
                 int col2, const host::CellFormat& format, Formats& formats) {
  Reference<css::beans::XPropertySet> props(Block(sheet, row1, col1, row2, col2), UNO_QUERY_THROW);
  props->setPropertyValue("CharColor", Any(ColorOfIndex(format.color_index)));
  props->setPropertyValue(
      "CharWeight", Any(format.bold ? css::awt::FontWeight::BOLD : css::awt::FontWeight::NORMAL));
  props->setPropertyValue("NumberFormat", Any(formats.KeyFor(format.number_format)));
}

sal_Int32 ColorOfIndex(int index) {
  switch (index) {
    case host::kColorRed:
      return kRed;
    case host::kColorGrey:
      return kGrey;
    default:
      return kAutomatic;
  }
}

int IndexOfColor(sal_Int32 color) {
  switch (color) {
    case kRed:
      return host::kColorRed;
    case kGrey:
      return host::kColorGrey;
    default:
      return host::kColorAutomatic;
  }
}

std::string SheetName(const Reference<css::sheet::XSpreadsheet>& sheet) {
  Reference<css::container::XNamed> named(sheet, UNO_QUERY_THROW);
  return S(named->getName());
}

}  // namespace kassa::calc
