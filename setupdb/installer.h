// The installer's main sequence: from Pass_Parametrs.ini in its folder to a
// fresh ledger database, a fresh application user and DLLs/Connect_Parametrs.ini.
#pragma once

#include <string>
#include <vector>

#include "platform/sql/sql.h"
#include "setupdb/pass_file.h"

namespace kassa::setupdb {

// Exit statuses of one run.
enum ExitStatus : int {
  kInstalled = 0,       // database, user and parameters file in place
  kBadInput = 1,        // parameters file unreadable, port or password missing, line 3
                        // not a server list; nothing changed
  kNoConnection = 2,    // the server refused the administrative connection; nothing changed
  kScriptFailed = 3,    // a statement of the script failed (shown); no parameters file written
  kFileNotWritten = 4,  // database installed but the parameters file could not be written
  kUsage = 5,           // the program was given arguments; nothing changed
  kLedgerKept = 6,      // the ledger holds payments and was not to be dropped (the
                        // user said No, or they could not be counted); nothing changed
  kNoRandomSource = 7,  // no secure random bytes for the password; nothing changed
};

// With this environment variable set to "yes" an existing ledger is dropped
// without the question, as an explicit reinstallation does
// (scripts/setup.sh --reinstall, the scenario runner's "db reset").
inline constexpr const char* kReinstallVariable = "KASSA_REINSTALL";

// The administrative connections to try, in order, all with database
// "mysql", user "root" and the root password of line 2: for a shared
// installation each server of line 3 (a server list as the ninth line of
// Connect_Parametrs.ini takes it, sql::ParseServerList) with its own port,
// else line 1's; then, and for a local installation only, the loopback host
// with the port of line 1. The installer runs on the ledger server (or a
// node of its cluster), where root may log in, so the loopback host is that
// server when the listed names do not let root in from there. False when
// line 1 is not a port number (digits only, 1 to 65535, nothing trimmed) or
// line 3 is not a server list; such input cannot be connected to.
bool AdminTargets(const PassParametrs& pass, std::vector<sql::Params>& out);

// One installation run in `folder` (the installer's own folder). Messages go
// through the UI port; the result is the process exit status.
int RunInstaller(const std::string& folder);

}  // namespace kassa::setupdb
