#include "ledgertools/member_dictionary.h"

#include <array>
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

// The five texts of an employee, in column order: short name, surname,
// given name, patronymic, position.
using Member = std::array<std::string, 5>;
constexpr const char* kBoxes[5] = {t::kTBNameShort, t::kTBLastName, t::kTBFirstName,
                                   t::kTBMiddleName, t::kTBPositionInFirm};

Member Read_Boxes(ui::Form& f) {
  Member m;
  for (int i = 0; i < 5; ++i) m[i] = Box(f, kBoxes[i]);
  return m;
}

void Fill_Boxes(ui::Form& f, const Member& m) {
  for (int i = 0; i < 5; ++i) Set_Box(f, kBoxes[i], m[i]);
}

bool Texts_Fit(const Member& m) {
  return Typed_Texts_Fit({{t::kCapNameShort, m[0], t::kShortTextLength},
                          {t::kCapLastName, m[1], t::kLongTextLength},
                          {t::kCapFirstName, m[2], t::kLongTextLength},
                          {t::kCapMiddleName, m[3], t::kLongTextLength},
                          {t::kCapPositionInFirm, m[4], t::kLongTextLength}});
}

std::string Key_Statement_Tail(const std::string& key) {
  return std::string(t::kMemberWhereKey) + key + t::kStatementEnd;
}

std::string Unique_Query(const std::string& short_name) {
  return std::string(t::kMemberUnique) + Quote_Text(UCase(short_name)) + t::kQuoteTail;
}

std::string Usage_Query(const std::string& key) {
  return std::string(t::kMemberUsage) + key + t::kCountEnd;
}

std::string Exists_Message(const std::string& short_name) {
  return std::string(t::kMemberExistsHead) + short_name + t::kMemberExistsTail;
}

struct Row_Member {
  Member old;
  std::string key;
};

// Locates the employee of the active cell's row of `sheet`; nullopt when the
// operation ends here (the user told where there is something to tell).
std::optional<Row_Member> Locate(host::Worksheet& sheet, bool edit) {
  host::Application& app = sheet.Application();
  sheet.Rows(app.ActiveCell().Row()).Select();
  const long row = app.ActiveCell().Row();
  if (row < 2) {
    Say(edit ? t::kHeaderNoEdit : t::kHeaderNoDelete);
    return std::nullopt;
  }
  Row_Member r;
  for (int i = 0; i < 5; ++i) r.old[i] = sheet.Cells(row, i + 1).Text();
  if (r.old[0].empty()) {
    Say(t::kMemberNoShort);
    return std::nullopt;
  }
  // A text outside the database's character set, or longer than its
  // column, cannot be in the table: no row matches, and the lookup is not
  // sent (the server would refuse it).
  for (int i = 0; i < 5; ++i)
    if (!Fits_Column(r.old[i], i == 0 ? t::kShortTextLength : t::kLongTextLength)) {
      Say(t::kMismatch);
      return std::nullopt;
    }
  r.key = Get_Value(std::string(t::kMemberLookup) + Quote_Text(r.old[0]) + t::kQuoteBlank +
                    t::kMemberLookupLast + SQL_Compare(SQL_Value(r.old[1])) +
                    t::kMemberLookupFirst + SQL_Compare(SQL_Value(r.old[2])) +
                    t::kMemberLookupMiddle + SQL_Compare(SQL_Value(r.old[3])) +
                    t::kMemberLookupPosition + SQL_Compare(SQL_Value(r.old[4])) + t::kLookupEnd);
  if (r.key == t::kNull) {
    Say(t::kMismatch);
    return std::nullopt;
  }
  if (!Whole_Number(r.key)) return std::nullopt;  // the database work failed
  return r;
}

}  // namespace

void Add_Member(host::Worksheet* sheet) {
  Dictionary_Operation op;
  if (!op.Running()) return;
  Module_State& s = State();
  ui::Form& f = Input_Nal_Member();
  for (;;) {
    if (!Ask_Entry(f, s.Member_Accepted)) return;
    const Member m = Read_Boxes(f);
    if (m[0].empty()) {
      s.Member_Accepted = false;
      Say(t::kMemberEmpty);
      continue;
    }
    if (!Texts_Fit(m)) {
      s.Member_Accepted = false;
      continue;
    }
    const auto key =
        Smallest_Free_Key(std::string(t::kMemberKeyOne) + t::kKeyOneTail, t::kMemberKeyGap);
    if (!key) return;
    const auto count = Count(Unique_Query(m[0]));
    if (!count) return;
    if (*count >= 1) {
      s.Member_Accepted = false;
      Say(Exists_Message(m[0]));
      continue;
    }
    if (!m[1].empty()) {
      const auto same = Count(std::string(t::kMemberSurname) + Quote_Text(m[1]) + t::kQuoteTail);
      if (!same) return;
      if (*same >= 1 && Say(t::kSurnameExistsHead + m[1] + t::kSurnameExistsTail,
                            ui::Buttons::YesNo) == ui::Answer::No)
        return;
    }
    Execute_SQL(std::string(t::kMemberInsert) + *key + t::kComma + SQL_Value(m[0]) + t::kComma +
                SQL_Value(m[1]) + t::kComma + SQL_Value(m[2]) + t::kComma + SQL_Value(m[3]) +
                t::kComma + SQL_Value(m[4]) + t::kInsertEnd);
    Fill_Boxes(f, Member{});
    if (sheet) {
      Pause_MS(500);
      Refresh_Sheet_Query(sheet);
    }
    return;
  }
}

void Edit_Member(host::Worksheet* sheet) {
  Dictionary_Operation op;
  if (!op.Running() || !sheet) return;
  Module_State& s = State();
  const auto r = Locate(*sheet, true);
  if (!r) return;
  ui::Form& f = Input_Nal_Member();
  Fill_Boxes(f, r->old);
  for (;;) {
    if (!Ask_Entry(f, s.Member_Accepted)) return;
    const Member m = Read_Boxes(f);
    if (!Texts_Fit(m)) {
      s.Member_Accepted = false;
      continue;
    }
    if (m[0] != r->old[0]) {
      const auto count = Count(Unique_Query(m[0]));
      if (!count) return;
      if (*count >= 1) {
        s.Member_Accepted = false;
        Say(Exists_Message(m[0]));
        continue;
      }
      if (m[0].empty()) {
        s.Member_Accepted = false;
        Say(t::kMemberEmpty);
        continue;
      }
      const auto used = Count(Usage_Query(r->key));
      if (!used) return;
      if (*used > 0 && Say(t::kFound + std::to_string(*used) + t::kMemberUsedMiddle + r->old[0] +
                               t::kUsedEditTail,
                           ui::Buttons::YesNo) == ui::Answer::No)
        return;
      Execute_SQL(std::string(t::kMemberUpdate) + t::kMemberSetShort + Quote_Text(m[0]) +
                  t::kQuoteBlank + Key_Statement_Tail(r->key));
    }
    static constexpr const char* kHeads[5] = {nullptr, t::kMemberSetLast, t::kMemberSetFirst,
                                              t::kMemberSetMiddle, t::kMemberSetPosition};
    for (int i = 1; i < 5; ++i)
      if (m[i] != r->old[i])
        Execute_SQL(std::string(t::kMemberUpdate) + kHeads[i] + SQL_Value(m[i]) + t::kBlank +
                    Key_Statement_Tail(r->key));
    Fill_Boxes(f, Member{});
    Pause_MS(500);
    Refresh_Sheet_Query(sheet);
    return;
  }
}

void Delete_Member(host::Worksheet* sheet) {
  Dictionary_Operation op;
  if (!op.Running() || !sheet) return;
  const auto r = Locate(*sheet, false);
  if (!r) return;
  const Member& m = r->old;
  if (Say(t::kMemberDeleteHead + m[0] + t::kSlash + m[1] + t::kBlank + m[2] + t::kBlank + m[3] +
              t::kQuestionTail,
          ui::Buttons::OKCancel) == ui::Answer::Cancel)
    return;
  const auto used = Count(Usage_Query(r->key));
  if (!used) return;
  if (*used > 0) {
    Say(t::kFound + std::to_string(*used) + t::kMemberUsedMiddle + m[0] + t::kUsedDeleteTail);
    return;
  }
  Execute_SQL(std::string(t::kMemberDelete) + Key_Statement_Tail(r->key));
  Pause_MS(500);
  Refresh_Sheet_Query(sheet);
}

}  // namespace kassa::ledgertools
