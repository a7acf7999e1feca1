#include "ledgertools/buffer_plan.h"

#include <algorithm>
#include <set>

#include "ledgertools/texts.h"

namespace kassa::ledgertools {

namespace {

std::string Renumber(long long to, long long from) {
  return std::string(texts::kRenumberHead) + std::to_string(to) + texts::kRenumberWhere +
         std::to_string(from) + texts::kStatementEnd;
}

}  // namespace

std::vector<std::string> Buffer_Load_Statements(std::vector<long long> keys,
                                                long long ledger_rows) {
  std::vector<std::string> out;
  if (keys.empty()) return out;
  std::sort(keys.begin(), keys.end());
  keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
  const long long base = ledger_rows + 2 - 1;
  const long long n = static_cast<long long>(keys.size());

  // Does renumbering from the largest key down ever meet a key still waiting?
  std::set<long long> present(keys.begin(), keys.end());
  bool collides = false;
  for (long long i = n; i >= 1 && !collides; --i) {
    const long long from = keys[i - 1];
    const long long to = base + i;
    present.erase(from);
    if (to != from && present.count(to)) collides = true;
    present.insert(to);
  }

  if (!collides) {
    for (long long i = n; i >= 1; --i)
      if (keys[i - 1] != base + i) out.push_back(Renumber(base + i, keys[i - 1]));
  } else {
    const long long low = std::min(keys.front(), base + 1);
    for (long long i = n; i >= 1; --i) out.push_back(Renumber(low - i, keys[i - 1]));
    for (long long i = n; i >= 1; --i) out.push_back(Renumber(base + i, low - i));
  }
  out.push_back(texts::kBufferCopy);
  out.push_back(texts::kBufferEmpty);
  return out;
}

}  // namespace kassa::ledgertools
