// The installer's main sequence: from Pass_Parametrs.ini in its folder to a
// fresh ledger database, a fresh application user and DLLs/Connect_Parametrs.ini.
#pragma once

#include <string>

#include "platform/sql/sql.h"
#include "setupdb/pass_file.h"

namespace kassa::setupdb {

// Exit statuses of one run.
enum ExitStatus : int {
  kInstalled = 0,       // database, user and parameters file in place; nothing shown
  kBadInput = 1,        // parameters file unreadable, port or password missing; nothing changed
  kNoConnection = 2,    // the server refused the administrative connection; nothing changed
  kScriptFailed = 3,    // a statement of the script failed (shown); no parameters file written
  kFileNotWritten = 4,  // database installed but the parameters file could not be written
};

// The administrative connection's values: loopback host, the port from line 1,
// database "mysql", user "root", the root password from line 2. False when
// the port text is not a port number (digits only, 1 to 65535, nothing
// trimmed); such a port cannot be connected to.
bool AdminParams(const PassParametrs& pass, sql::Params& out);

// One installation run in `folder` (the installer's own folder). Messages go
// through the UI port; the result is the process exit status.
int RunInstaller(const std::string& folder);

}  // namespace kassa::setupdb
