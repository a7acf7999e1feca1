// What the dictionary operations share: asking through an entry dialog, the
// one-operation-at-a-time guard, the typed-text check, the smallest free key.
#pragma once

#include <initializer_list>
#include <optional>
#include <string>

#include "platform/ui/form.h"

namespace kassa::ledgertools {

// Shows `dialog` modeless and waits, the interface staying responsive, until
// one of its buttons or its frame ends it. Returns `accepted` as the button
// left it (False after "Выход" and after a wait the user can never end).
bool Ask_Entry(ui::Form& dialog, bool& accepted);

// Held for the whole of a dictionary operation. `Running()` is False when
// another dictionary operation is still running (it waits for its entry
// dialog); the user has then been told and the new operation must end.
class Dictionary_Operation {
 public:
  Dictionary_Operation();
  ~Dictionary_Operation();
  Dictionary_Operation(const Dictionary_Operation&) = delete;
  Dictionary_Operation& operator=(const Dictionary_Operation&) = delete;
  bool Running() const { return owner_; }

 private:
  bool owner_ = false;
};

// A typed text the database can hold in its column: at most `max_chars`
// characters, all of Windows Cyrillic. Otherwise the user is told which
// field (by its label caption) is refused, and False is returned.
struct Typed_Field {
  const char* caption;
  const std::string& text;
  int max_chars;
};
bool Typed_Texts_Fit(std::initializer_list<Typed_Field> fields);

// The smallest free positive key: "1" when the count query `key_one` finds
// no key 1, otherwise the answer of `gap_query`. nullopt when either answer
// is no whole number (the database work failed).
std::optional<std::string> Smallest_Free_Key(const std::string& key_one,
                                             const std::string& gap_query);

// A count query's answer as a whole number; nullopt when it is none.
std::optional<long long> Count(const std::string& sql);

}  // namespace kassa::ledgertools
