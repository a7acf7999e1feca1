// Storing one cash entry into NAL_BUFFER: the checks in their order, the
// pieces of the new row, the insert and its outcome message.
#pragma once

#include <string>

#include "paydesk/database.h"
#include "paydesk/program.h"

namespace kassa::paydesk {

struct EntryInput {
  double date = 0;  // serial date of Date_On
  std::string recipient, category, purpose, sum;
};

enum class StoreOutcome {
  Refused,  // a check failed and was told; nothing written, the window keeps what was typed
  Done      // the insert ran (the outcome was told) or the program ended; the program ends
};

// A check that fails shows its message (OK only). Beyond the classic
// checks, an employee or category lookup that fails at the database level,
// a purpose longer than 1500 characters or with characters outside cp1251,
// and an amount that is not a finite number are refused the same way. Past
// the checks the entry is always submitted: a value read that fails there
// leaves its piece of the statement empty, so the insert fails and
// "Ошибка. Данные в базу не внесены!" is shown before the program ends.
StoreOutcome StoreEntry(const EntryInput& in, Database& db, Program& program);

}  // namespace kassa::paydesk
