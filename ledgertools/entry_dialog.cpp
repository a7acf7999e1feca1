#include "ledgertools/entry_dialog.h"

#include "ledgertools/module_state.h"
#include "ledgertools/shared_procedures.h"
#include "ledgertools/sql_text.h"
#include "ledgertools/texts.h"

namespace kassa::ledgertools {

bool Ask_Entry(ui::Form& dialog, bool& accepted) {
  Module_State& s = State();
  s.Entry_Closed = false;
  dialog.Show();
  const bool ended = ui::Port().WaitUntil([&s] { return s.Entry_Closed; });
  if (!ended) {
    // Nobody can answer any more: the same as "Выход".
    accepted = false;
    if (dialog.visible()) dialog.Hide();
  }
  s.Entry_Closed = false;
  return accepted;
}

Dictionary_Operation::Dictionary_Operation() {
  Module_State& s = State();
  if (s.Dictionary_Busy) {
    Say(texts::kEntryBusy);
    return;
  }
  s.Dictionary_Busy = true;
  owner_ = true;
}

Dictionary_Operation::~Dictionary_Operation() {
  if (owner_) State().Dictionary_Busy = false;
}

bool Typed_Texts_Fit(std::initializer_list<Typed_Field> fields) {
  for (const Typed_Field& f : fields) {
    if (!Fits_Cp1251(f.text)) {
      Say(std::string(texts::kBadCharsHead) + f.caption + texts::kBadCharsTail);
      return false;
    }
    if (Char_Count(f.text) > static_cast<std::size_t>(f.max_chars)) {
      Say(std::string(texts::kTooLongHead) + f.caption + texts::kTooLongMiddle +
          std::to_string(f.max_chars) + texts::kTooLongTail);
      return false;
    }
  }
  return true;
}

std::optional<long long> Count(const std::string& sql) {
  return Whole_Number(Get_Value(sql));
}

std::optional<std::string> Smallest_Free_Key(const std::string& key_one,
                                             const std::string& gap_query) {
  const auto ones = Count(key_one);
  if (!ones) return std::nullopt;
  if (*ones == 0) return std::string("1");
  std::string key = Get_Value(gap_query);
  if (!Whole_Number(key)) return std::nullopt;
  return key;
}

}  // namespace kassa::ledgertools
