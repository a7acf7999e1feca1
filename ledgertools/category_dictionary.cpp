#include "ledgertools/category_dictionary.h"

#include <optional>
#include <string>

#include "ledgertools/dialogs.h"
#include "ledgertools/entry_dialog.h"
#include "ledgertools/module_state.h"
#include "ledgertools/shared_procedures.h"
#include "ledgertools/sql_text.h"
#include "ledgertools/texts.h"

namespace kassa::ledgertools {

namespace t = texts;

namespace {

std::string Key_Statement_Tail(const std::string& key) {
  return std::string(t::kCategoryWhereKey) + key + t::kStatementEnd;
}

std::string Unique_Query(const std::string& code) {
  return std::string(t::kCategoryUnique) + Quote_Text(UCase(code)) + t::kQuoteTail;
}

std::string Usage_Query(const std::string& key) {
  return std::string(t::kCategoryUsage) + key + t::kCountEnd;
}

std::string Exists_Message(const std::string& code) {
  return std::string(t::kCategoryExistsHead) + code + t::kCategoryExistsTail;
}

bool Texts_Fit(ui::Form& f) {
  return Typed_Texts_Fit(
      {{t::kCapNameEncipher, Box(f, t::kTBNameEncipher), t::kShortTextLength},
       {t::kCapDescriptionPayment, Box(f, t::kTBDescriptionPayment), t::kLongTextLength}});
}

void Empty_Boxes(ui::Form& f) {
  Set_Box(f, t::kTBNameEncipher, "");
  Set_Box(f, t::kTBDescriptionPayment, "");
}

// The category of the active row: its code, description and key.
struct Row_Category {
  std::string code, description, key;
};

// Locates the category of the active cell's row of `sheet` (edit: the
// dialog's boxes are filled before the lookup). nullopt when the operation
// ends here; the user has been told why where there is something to tell.
std::optional<Row_Category> Locate(host::Worksheet& sheet, bool edit) {
  host::Application& app = sheet.Application();
  long row = app.ActiveCell().Row();
  if (edit) {
    if (row < 2) {
      Say(t::kHeaderNoEdit);
      return std::nullopt;
    }
    sheet.Rows(row).Select();
    row = app.ActiveCell().Row();
    if (row < 2) {
      Say(t::kHeaderNoEdit);
      return std::nullopt;
    }
  } else {
    sheet.Rows(row).Select();
    if (row < 2) {
      Say(t::kHeaderNoDelete);
      return std::nullopt;
    }
  }
  Row_Category c;
  c.code = sheet.Cells(row, 1).Text();
  c.description = sheet.Cells(row, 2).Text();
  if (c.code.empty()) {
    Say(t::kCategoryNoCode);
    return std::nullopt;
  }
  if (edit) {
    ui::Form& f = Input_Nal_Category();
    Set_Box(f, t::kTBNameEncipher, c.code);
    Set_Box(f, t::kTBDescriptionPayment, c.description);
  }
  // A text outside the database's character set, or longer than its
  // column, cannot be in the table: no row matches, and the lookup is not
  // sent (the server would refuse it).
  if (!Fits_Column(c.code, t::kShortTextLength) ||
      !Fits_Column(c.description, t::kLongTextLength)) {
    Say(t::kMismatch);
    return std::nullopt;
  }
  c.key = Get_Value(std::string(t::kCategoryLookup) + Quote_Text(c.code) + t::kQuoteBlank +
                    (edit ? t::kCategoryLookupEditTail : t::kCategoryLookupDeleteTail) +
                    SQL_Compare(SQL_Value(c.description)) + t::kLookupEnd);
  if (c.key == t::kNull) {
    Say(t::kMismatch);
    return std::nullopt;
  }
  if (!Whole_Number(c.key)) return std::nullopt;  // the database work failed
  return c;
}

}  // namespace

void Add_Category(host::Worksheet* sheet) {
  Dictionary_Operation op;
  if (!op.Running()) return;
  Module_State& s = State();
  ui::Form& f = Input_Nal_Category();
  for (;;) {
    if (!Ask_Entry(f, s.Category_Accepted)) return;
    const std::string code = Box(f, t::kTBNameEncipher);
    const std::string description = Box(f, t::kTBDescriptionPayment);
    if (code.empty()) {
      s.Category_Accepted = false;
      Say(t::kCategoryEmpty);
      continue;
    }
    if (!Texts_Fit(f)) {
      s.Category_Accepted = false;
      continue;
    }
    const auto key =
        Smallest_Free_Key(std::string(t::kCategoryKeyOne) + t::kKeyOneTail, t::kCategoryKeyGap);
    if (!key) return;
    const auto count = Count(Unique_Query(code));
    if (!count) return;
    if (*count >= 1) {
      s.Category_Accepted = false;
      Say(Exists_Message(code));
      continue;
    }
    Execute_SQL(std::string(t::kCategoryInsert) + *key + t::kCommaQuote + Quote_Text(code) +
                t::kQuoteComma + SQL_Value(description) + t::kInsertEnd);
    Empty_Boxes(f);
    if (sheet) {
      Pause_MS(500);
      Refresh_Sheet_Query(sheet);
    }
    return;
  }
}

void Edit_Category(host::Worksheet* sheet) {
  Dictionary_Operation op;
  if (!op.Running() || !sheet) return;
  Module_State& s = State();
  const auto old = Locate(*sheet, true);
  if (!old) return;
  ui::Form& f = Input_Nal_Category();
  for (;;) {
    if (!Ask_Entry(f, s.Category_Accepted)) return;
    const std::string code = Box(f, t::kTBNameEncipher);
    const std::string description = Box(f, t::kTBDescriptionPayment);
    if (!Texts_Fit(f)) {
      s.Category_Accepted = false;
      continue;
    }
    if (code != old->code) {
      const auto count = Count(Unique_Query(code));
      if (!count) return;
      if (*count >= 1) {
        s.Category_Accepted = false;
        Say(Exists_Message(code));
        continue;
      }
      if (code.empty()) {
        s.Category_Accepted = false;
        Say(t::kCategoryEmpty);
        continue;
      }
      const auto used = Count(Usage_Query(old->key));
      if (!used) return;
      if (*used > 0 && Say(t::kFound + std::to_string(*used) + t::kCategoryUsedMiddle + old->code +
                               t::kUsedEditTail,
                           ui::Buttons::YesNo) == ui::Answer::No)
        return;
      Execute_SQL(std::string(t::kCategoryUpdate) + t::kCategorySetCode + Quote_Text(code) +
                  t::kQuoteBlank + Key_Statement_Tail(old->key));
    }
    if (description != old->description)
      Execute_SQL(std::string(t::kCategoryUpdate) + t::kCategorySetDescription +
                  SQL_Value(description) + t::kBlank + Key_Statement_Tail(old->key));
    Empty_Boxes(f);
    Pause_MS(500);
    Refresh_Sheet_Query(sheet);
    return;
  }
}

void Delete_Category(host::Worksheet* sheet) {
  Dictionary_Operation op;
  if (!op.Running() || !sheet) return;
  const auto c = Locate(*sheet, false);
  if (!c) return;
  if (Say(t::kCategoryDeleteHead + c->code + t::kSlash + c->description + t::kQuestionTail,
          ui::Buttons::OKCancel) == ui::Answer::Cancel)
    return;
  const auto used = Count(Usage_Query(c->key));
  if (!used) return;
  if (*used > 0) {
    Say(t::kFound + std::to_string(*used) + t::kCategoryUsedMiddle + c->code + t::kUsedDeleteTail);
    return;
  }
  Execute_SQL(std::string(t::kCategoryDelete) + Key_Statement_Tail(c->key));
  Pause_MS(500);
  Refresh_Sheet_Query(sheet);
}

}  // namespace kassa::ledgertools
