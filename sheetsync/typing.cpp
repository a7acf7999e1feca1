// Cell values -> SQL literals by column type, dictionary lookups and the red
// marks of cells that cannot be stored. A value the database would refuse
// (too long, outside cp1251, out of the column's range, a date the server
// rejects) is treated like a value that does not convert: "Null" and a mark.
#include <cstdint>
#include <string_view>

#include "sheetsync/engine.h"
#include "sheetsync/literals.h"
#include "sheetsync/texts.h"

namespace kassa::sheetsync {

namespace {

constexpr int kTypeMismatch = 13;

// The cell's value, valid until a cell of its row is created; a host error
// value raises the type-mismatch error.
const Variant& CellValue(host::Worksheet& ws, long row, int column) {
  static const Variant kEmpty;
  const host::Cell* cell = ws.FindCell(row, column);
  if (!cell) {
    ws.Cells(row, column);  // an address outside the grid raises its error
    return kEmpty;
  }
  if (cell->value.type() == Variant::Type::Error) RaiseError(kTypeMismatch);
  return cell->value;
}

// Whether the value's text is empty (without formatting a number).
bool EmptyText(const Variant& v) {
  return v.IsEmpty() || (v.type() == Variant::Type::Text && v.text().empty());
}

std::string ValueText(const Variant& v) {
  std::optional<std::string> t = ToText(v);
  if (!t) RaiseError(kTypeMismatch);
  return *t;
}

// A column's type code, compared exactly.
enum class Type { Dat, Str, Doub, Tim, Integ, Calc, Other };

Type TypeOf(const std::string& code) {
  switch (code.size()) {
    case 3:
      if (code == "Dat") return Type::Dat;
      if (code == "Str") return Type::Str;
      if (code == "Tim") return Type::Tim;
      break;
    case 4:
      if (code == "Doub") return Type::Doub;
      if (code == "Calc") return Type::Calc;
      break;
    case 5:
      if (code == "Integ") return Type::Integ;
      break;
  }
  return Type::Other;
}

}  // namespace

const inibook::ColumnDesc& Engine::Column(int column) const {
  if (column < 1 || column > static_cast<int>(Col_Param.size())) RaiseError(9);
  return Col_Param[column - 1];
}

const ColumnLimit* Engine::LimitOf(int column) const {
  if (limits_table_ != Table_Name || column < 1 || column > static_cast<int>(column_limits_.size()))
    return nullptr;
  return column_limits_[column - 1];
}

std::optional<std::string> Engine::Read_Cell(long row, int column) {
  const inibook::ColumnDesc& d = Column(column);
  std::string literal;
  switch (TypeOf(d.type)) {
    case Type::Dat:
      literal = Read_Date(row, column);
      break;
    case Type::Str:
      literal = Read_Text(row, column);
      break;
    case Type::Doub:
      literal = Read_Double(row, column);
      break;
    case Type::Tim:
      literal = Read_Time(row, column);
      break;
    case Type::Integ:
      literal = Read_Integer(row, column);
      break;
    case Type::Calc:
      return std::nullopt;
    case Type::Other:
      literal = Read_Text(row, column);  // an unknown type code is read as text
      break;
  }
  if (!d.dict_table.empty() && literal != std::string_view(texts::kNull))
    literal = Lookup_Value(literal, row, column);
  return literal;
}

std::string Engine::Read_Date(long row, int column) {
  const Variant& v = CellValue(ActiveSheet(), row, column);
  if (EmptyText(v)) {
    Clear_Mark(row, column);
    return texts::kNull;
  }
  std::optional<double> d = ToDate(v);
  if (!d) {
    Mark_Error(row, column);
    return texts::kNull;
  }
  if (*d == 0) {
    Clear_Mark(row, column);
    return texts::kNull;
  }
  DateParts parts = SplitDate(*d);
  const ColumnLimit* limit = LimitOf(column);
  // A date before the first serial day cannot be stored either: it is
  // marked rather than silently lost.
  if (*d < 0 || (limit && !AcceptsDate(*limit, parts))) {
    Mark_Error(row, column);
    return texts::kNull;
  }
  Clear_Mark(row, column);
  return DateLiteral(parts);
}

std::string Engine::Read_Time(long row, int column) {
  const Variant& v = CellValue(ActiveSheet(), row, column);
  if (EmptyText(v)) {
    Clear_Mark(row, column);
    return texts::kNull;
  }
  std::optional<double> t = ToDate(v);
  if (!t) {
    Mark_Error(row, column);
    return texts::kNull;
  }
  if (*t <= 0) {
    Clear_Mark(row, column);
    return texts::kNull;
  }
  Clear_Mark(row, column);
  return TimeLiteral(SplitDate(*t));
}

// A number is judged by its literal, as the server will read it: a literal
// the server refuses, or a value outside the column's range, is not stored.
bool Engine::StorableNumber(const std::optional<std::string>& literal, int column) const {
  if (!literal) return false;
  const std::optional<double> x = LiteralValue(*literal);
  const ColumnLimit* limit = LimitOf(column);
  return x && (!limit || AcceptsNumber(*limit, *x));
}

std::string Engine::Read_Double(long row, int column) {
  const Variant& v = CellValue(ActiveSheet(), row, column);
  if (EmptyText(v)) {
    Clear_Mark(row, column);
    return texts::kNull;
  }
  std::optional<std::string> literal = DoubleLiteral(v);
  if (!StorableNumber(literal, column)) {
    Mark_Error(row, column);
    return texts::kNull;
  }
  Clear_Mark(row, column);
  return *literal;
}

std::string Engine::Read_Integer(long row, int column) {
  const Variant& v = CellValue(ActiveSheet(), row, column);
  if (EmptyText(v)) {
    Clear_Mark(row, column);
    return texts::kNull;
  }
  std::optional<std::string> literal = IntegerLiteral(v);
  if (!StorableNumber(literal, column)) {
    Mark_Error(row, column);
    return texts::kNull;
  }
  Clear_Mark(row, column);
  return *literal;
}

std::string Engine::Read_Text(long row, int column) {
  const Variant& v = CellValue(ActiveSheet(), row, column);
  std::string converted;
  if (v.type() != Variant::Type::Text) converted = ValueText(v);
  const std::string& text = v.type() == Variant::Type::Text ? v.text() : converted;
  if (text.empty()) {
    Clear_Mark(row, column);
    return texts::kNull;
  }
  // Checks that need no quoting come first: a text the database's
  // character set cannot hold (invalid UTF-8 included), or one so long that
  // even with every apostrophe pair quoted into one character it exceeds
  // its column, is never quoted nor sent.
  const ColumnLimit* limit = LimitOf(column);
  if (!FitsCp1251(text) || (limit && !MayFitAfterQuoting(*limit, text))) {
    Mark_Error(row, column);
    return texts::kNull;
  }
  std::string replaced;
  const bool apostrophes = text.find('\'') != std::string::npos;
  if (apostrophes) replaced = Quote_Text(text);
  const std::string& quoted = apostrophes ? replaced : text;
  if (limit && !AcceptsText(*limit, quoted)) {
    Mark_Error(row, column);
    return texts::kNull;
  }
  std::string literal;
  literal.reserve(quoted.size() + 2);
  literal += '\'';
  literal += quoted;
  literal += '\'';
  Clear_Mark(row, column);
  return literal;
}

std::string Engine::Quote_Text(const std::string& text) {
  return QuoteText(text);
}

namespace {

// A text literal: 'content', the content without apostrophes (Quote_Text
// turned them into double quotes).
bool IsTextLiteral(const std::string& literal) {
  return literal.size() >= 2 && literal.front() == '\'' && literal.back() == '\'' &&
         literal.find('\'', 1) == literal.size() - 1;
}

// A compared value as the ledger's text comparison sees it: trailing blanks
// do not count.
std::string_view DictionaryKey(std::string_view text) {
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

// The literal a dictionary's stored field gives: its number or text, "Null"
// for an entry without a value.
std::string StoredLiteral(const dbgate::Field& f) {
  Variant value = f.Value();
  if (f.ActualSize() == 0 || value.IsEmpty()) return texts::kNull;
  if (value.type() == Variant::Type::Number) return PlainNumber(value.number());
  return ValueText(value);
}

}  // namespace

const LookupMemo::Dictionary* Engine::Fetch_Dictionary(const inibook::ColumnDesc& d) {
  const std::string name = d.dict_table + '\n' + d.dict_key + '\n' + d.dict_value;
  auto known = lookup_memo_->dictionaries.find(name);
  if (known != lookup_memo_->dictionaries.end()) return &known->second;
  Open_Rows(texts::kDictionarySelect + d.dict_key + texts::kDictionaryThen + d.dict_value +
            texts::kLookupFrom + d.dict_table);
  if (Stop_Program) return nullptr;
  LookupMemo::Dictionary dictionary;
  for (; !RV_Set->EOF(); RV_Set->MoveNext()) {
    const Variant compared = RV_Set->Fields(0).Value();
    if (compared.IsEmpty()) continue;  // no compared value: never found
    dictionary.emplace(DictionaryKey(ValueText(compared)), StoredLiteral(RV_Set->Fields(1)));
  }
  Close_Rows();
  if (Stop_Program) return nullptr;
  return &lookup_memo_->dictionaries.emplace(name, std::move(dictionary)).first->second;
}

std::string Engine::Lookup_Value(const std::string& literal, long row, int column) {
  const inibook::ColumnDesc& d = Column(column);
  LookupMemo::Column* memo = nullptr;
  if (lookup_memo_) {
    if (lookup_memo_->columns.size() <= static_cast<size_t>(column))
      lookup_memo_->columns.resize(static_cast<size_t>(column) + 1);
    memo = &lookup_memo_->columns[static_cast<size_t>(column)];
    auto typed = memo->by_literal.find(literal);
    if (typed != memo->by_literal.end()) {
      if (typed->second.miss) Mark_Error(row, column);
      return typed->second.literal;
    }
  }
  LookupMemo::Answer answer;
  if (memo && IsTextLiteral(literal)) {
    // The text is found in the dictionary fetched once, as the lookup
    // below would find it: the upper-cased text equal to the upper-cased
    // compared value.
    const LookupMemo::Dictionary* dictionary = Fetch_Dictionary(d);
    if (!dictionary) return "";
    const std::string upper = UpperCase(literal);
    auto found = dictionary->find(
        std::string(DictionaryKey(std::string_view(upper).substr(1, upper.size() - 2))));
    answer = found == dictionary->end() ? LookupMemo::Answer{texts::kNull, true}
                                        : LookupMemo::Answer{found->second, false};
    if (answer.miss) Mark_Error(row, column);
  } else {
    Open_Value(texts::kLookupSelect + d.dict_value + texts::kLookupFrom + d.dict_table +
               texts::kLookupWhere + d.dict_key + texts::kLookupEquals + UpperCase(literal));
    if (Stop_Program) return "";
    if (!OV_Set->EOF()) {
      OV_Set->MoveFirst();
      answer.literal = StoredLiteral(OV_Set->Fields(0));  // NULL for an entry without a value
      Close_Value();
    } else {
      answer = {texts::kNull, true};
      Mark_Error(row, column);
      if (!Stop_Program) Close_Value();
    }
  }
  if (memo && !Stop_Program) memo->by_literal.emplace(literal, answer);
  return answer.literal;
}

void Engine::Mark_Error(long row, int column) {
  host::Range cell = ActiveSheet().Cells(row, column);
  cell.Font().ColorIndex(host::kColorRed);
  cell.Font().Bold(true);
  // The count stops at 32767 instead of overflowing: the cell is still
  // marked and the messages still report the (saturated) number.
  if (Error_Count < INT16_MAX) ++Error_Count;
}

void Engine::Clear_Mark(long row, int column) {
  host::Worksheet& ws = ActiveSheet();
  // The cell's font is its own format's, or its column's.
  const host::Cell* found = ws.FindCell(row, column);
  const host::CellFormat& font =
      found && found->own_format ? found->format : ws.ColumnFormat(column);
  if (font.color_index == host::kColorRed || font.bold) {
    host::Range cell = ws.Cells(row, column);
    cell.Font().ColorIndex(host::kColorAutomatic);
    cell.Font().Bold(false);
  }
}

}  // namespace kassa::sheetsync
