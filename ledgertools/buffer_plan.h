// The statements that move the buffered payments into the ledger (pure).
#pragma once

#include <string>
#include <vector>

namespace kassa::ledgertools {

// The renumbering, copy and delete statements for a buffer holding `keys`
// (in any order) behind a ledger of `ledger_rows` rows. The buffer row of
// rank i (1 = smallest key) receives the key ledger_rows + 1 + i, so the
// rows keep their order and follow on from the ledger.
//
// For the usual buffer, keys 1..n, the updates run from key n down to key 1
// (" Update NAL_BUFFER Set ID_Num = <m+1+i> where ID_Num = <i> ;"), which
// never meets a key still waiting. For other keys the updates run in the
// same descending order when that order meets no waiting key; otherwise
// every row is first moved to a key below all old and new keys and from
// there to its new key, so no update ever meets a duplicate key.
// The list ends with the copy and the delete. An empty `keys` gives none.
std::vector<std::string> Buffer_Load_Statements(std::vector<long long> keys, long long ledger_rows);

}  // namespace kassa::ledgertools
