#include "setupdb/existing_ledger.h"

#include <cstdlib>
#include <memory>

#include "setupdb/texts.h"

namespace kassa::setupdb {

namespace {

// The number in the first column of a one-row result.
bool ReadCount(sql::Connection& admin, const std::string& query, long long& out,
               std::string& error) {
  std::unique_ptr<sql::Result> result = admin.Query(query, error);
  if (!result) return false;
  if (result->RowCount() != 1 || result->columns().empty()) {
    error = query;
    return false;
  }
  out = std::atoll(result->Raw(0, 0).c_str());
  return true;
}

}  // namespace

bool CountLedgerPayments(sql::Connection& admin, LedgerPayments& out, std::string& error) {
  out = LedgerPayments{};
  const std::string database = texts::kDatabase;
  for (auto [table, count] : {std::pair<const char*, long long*>{"NAL", &out.nal},
                              std::pair<const char*, long long*>{"NAL_BUFFER", &out.buffer}}) {
    long long present = 0;
    if (!ReadCount(admin,
                   "SELECT COUNT(*) FROM information_schema.TABLES WHERE TABLE_SCHEMA = '" +
                       database + "' AND UPPER(TABLE_NAME) = '" + table + "'",
                   present, error))
      return false;
    if (present == 0) continue;
    if (!ReadCount(admin, "SELECT COUNT(*) FROM " + database + "." + table, *count, error))
      return false;
  }
  return true;
}

std::string DropLedgerQuestion(const LedgerPayments& payments) {
  return std::string(texts::kLedgerHoldsPayments) + std::to_string(payments.total()) +
         texts::kLedgerInNal + std::to_string(payments.nal) + texts::kLedgerInBuffer +
         std::to_string(payments.buffer) + texts::kLedgerDropQuestion;
}

}  // namespace kassa::setupdb
