// Cell values -> SQL literals by column type, dictionary lookups and the red
// marks of cells that cannot be stored. A value the database would refuse
// (too long, outside cp1251, out of the column's range, a date the server
// rejects) is treated like a value that does not convert: "Null" and a mark.
#include <cstdint>

#include "sheetsync/engine.h"
#include "sheetsync/literals.h"
#include "sheetsync/texts.h"

namespace kassa::sheetsync {

namespace {

constexpr int kTypeMismatch = 13;

// The cell's value; a host error value raises the type-mismatch error.
Variant CellValue(host::Worksheet& ws, long row, int column) {
  Variant v = ws.Cells(row, column).Value();
  if (v.type() == Variant::Type::Error) RaiseError(kTypeMismatch);
  return v;
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
  if (d.type == "Dat") {
    literal = Read_Date(row, column);
  } else if (d.type == "Str") {
    literal = Read_Text(row, column);
  } else if (d.type == "Doub") {
    literal = Read_Double(row, column);
  } else if (d.type == "Tim") {
    literal = Read_Time(row, column);
  } else if (d.type == "Integ") {
    literal = Read_Integer(row, column);
  } else if (d.type == "Calc") {
    return std::nullopt;
  } else {
    literal = Read_Text(row, column);  // an unknown type code is read as text
  }
  if (!d.dict_table.empty() && literal != texts::kNull)
    literal = Lookup_Value(literal, row, column);
  return literal;
}

std::string Engine::Read_Date(long row, int column) {
  Variant v = CellValue(ActiveSheet(), row, column);
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
  Variant v = CellValue(ActiveSheet(), row, column);
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
  Variant v = CellValue(ActiveSheet(), row, column);
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
  Variant v = CellValue(ActiveSheet(), row, column);
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
  Variant v = CellValue(ActiveSheet(), row, column);
  std::string text = ValueText(v);
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
  std::string quoted = Quote_Text(text);
  if (limit && !AcceptsText(*limit, quoted)) {
    Mark_Error(row, column);
    return texts::kNull;
  }
  Clear_Mark(row, column);
  return "'" + quoted + "'";
}

std::string Engine::Quote_Text(const std::string& text) {
  return QuoteText(text);
}

std::string Engine::Lookup_Value(const std::string& literal, long row, int column) {
  const inibook::ColumnDesc& d = Column(column);
  // Within one store a column's text is looked up once: the same
  // dictionary and the same upper-cased text give the same key. The memo
  // knows each literal as typed and as upper-cased.
  LookupMemo::Column* memo = nullptr;
  if (lookup_memo_) {
    memo = &lookup_memo_->columns[column];
    auto typed = memo->by_literal.find(literal);
    if (typed != memo->by_literal.end()) {
      if (typed->second.miss) Mark_Error(row, column);
      return typed->second.literal;
    }
  }
  const std::string key_literal = UpperCase(literal);
  if (memo) {
    auto upper = memo->by_upper.find(key_literal);
    if (upper != memo->by_upper.end()) {
      memo->by_literal.emplace(literal, upper->second);
      if (upper->second.miss) Mark_Error(row, column);
      return upper->second.literal;
    }
  }
  Open_Value(texts::kLookupSelect + d.dict_value + texts::kLookupFrom + d.dict_table +
             texts::kLookupWhere + d.dict_key + texts::kLookupEquals + key_literal);
  if (Stop_Program) return "";
  std::string result;
  bool miss = false;
  if (!OV_Set->EOF()) {
    OV_Set->MoveFirst();
    const dbgate::Field& f = OV_Set->Fields(0);
    Variant value = f.Value();
    if (f.ActualSize() == 0 || value.IsEmpty()) {
      result = texts::kNull;  // a dictionary entry without a value stores NULL
    } else if (value.type() == Variant::Type::Number) {
      result = PlainNumber(value.number());
    } else {
      result = ValueText(value);
    }
    Close_Value();
  } else {
    result = texts::kNull;
    miss = true;
    Mark_Error(row, column);
    if (!Stop_Program) Close_Value();
  }
  if (memo && !Stop_Program) {
    memo->by_upper.emplace(key_literal, LookupMemo::Answer{result, miss});
    memo->by_literal.emplace(literal, LookupMemo::Answer{result, miss});
  }
  return result;
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
  host::Range cell = ActiveSheet().Cells(row, column);
  if (cell.Font().ColorIndex() == host::kColorRed || cell.Font().Bold()) {
    cell.Font().ColorIndex(host::kColorAutomatic);
    cell.Font().Bold(false);
  }
}

}  // namespace kassa::sheetsync
