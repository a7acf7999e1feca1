// The payments an earlier installation's ledger database still holds, so
// that a new installation never drops them without the user's consent.
#pragma once

#include <string>

#include "platform/sql/sql.h"

namespace kassa::setupdb {

struct LedgerPayments {
  long long nal = 0;     // rows of NAL
  long long buffer = 0;  // rows of NAL_BUFFER
  long long total() const { return nal + buffer; }
};

// Counts the rows of NAL and NAL_BUFFER in the ledger database db_pnr_l on
// the administrative connection (whose current database stays the server's
// own). A missing database or table counts as no rows. False with `error`
// (the server's message) when a table that exists cannot be counted; nothing
// is changed either way.
bool CountLedgerPayments(sql::Connection& admin, LedgerPayments& out, std::string& error);

// The question put before a ledger holding `payments` is dropped.
std::string DropLedgerQuestion(const LedgerPayments& payments);

}  // namespace kassa::setupdb
