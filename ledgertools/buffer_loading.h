// Moving the payments waiting in NAL_BUFFER into NAL.
#pragma once

namespace kassa::ledgertools {

// Reads the buffer's row count; when payments wait, reads the ledger's row
// count and the waiting keys, then renumbers the buffer rows to follow on
// from the ledger, copies them into NAL and empties the buffer, all in one
// transaction: afterwards either every waiting payment is in NAL under its
// new key and the buffer is empty, or both tables are as before. A count
// that is no number (the database work failed) ends it without a change.
// Shows no message of its own.
void Load_NAL_Buffer();

}  // namespace kassa::ledgertools
