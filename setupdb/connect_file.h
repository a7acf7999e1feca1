// The connection parameters file Connect_Parametrs.ini that the database
// access library reads from its own folder.
#pragma once

#include <string>

namespace kassa::setupdb {

// The file's text: eight lines, each ended by CR LF, keys and values
// alternating: DB_Port, port, DB_Name, db_pnr_l, DB_Login, pnrowner,
// DB_Password, password; and, for a shared installation (`servers` not
// empty), a ninth line with the ledger server list as given.
std::string ConnectParametrsText(const std::string& port, const std::string& app_password,
                                 const std::string& servers = "");

// Who may read the written file besides its owner.
struct FileSharing {
  bool group_readable = false;  // mode 0640 with the folder's group, else 0600
  std::string group;            // the folder's group when it differs from the owner's own
  bool group_refused = false;   // that group could not be given to the file (kept 0600)
};

// Creates or overwrites `path` with that text. The password is never
// readable by the world: the file is the owner's only (0600), unless its
// folder belongs to a group other than the owner's own (primary) group, as a
// shared installation's DLLs folder does: the file then gets that group and
// mode 0640, so the group's members (the cashiers) can connect. An existing
// file is narrowed to owner-only before it is written. False when the file
// cannot be created or fully written; the folder is never created.
bool WriteConnectParametrs(const std::string& path, const std::string& port,
                           const std::string& app_password, const std::string& servers = "",
                           FileSharing* sharing = nullptr);

}  // namespace kassa::setupdb
