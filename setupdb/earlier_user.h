// Removal of an application user left by an earlier installation.
#pragma once

#include <string>
#include <vector>

#include "platform/sql/sql.h"

namespace kassa::setupdb {

// True when any of `user_names` equals "pnrowner" regardless of letter case.
bool ContainsAppUser(const std::vector<std::string>& user_names);

// Reads the server's user list ("select User from USER ;" on the
// administrative connection, whose current database is the server's own),
// waits 250 ms, and when the application user is listed makes three drop
// attempts in a row, each followed by a 250 ms wait; every failing attempt
// shows "Fail <n> Delay pnrowner" and the run goes on. An unreadable user
// list counts as no earlier user. Returns the number of failed attempts.
int RemoveEarlierUser(sql::Connection& admin);

}  // namespace kassa::setupdb
