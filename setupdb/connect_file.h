// The connection parameters file Connect_Parametrs.ini that the database
// access library reads from its own folder.
#pragma once

#include <string>

namespace kassa::setupdb {

// The file's text: eight lines, each ended by CR LF, keys and values
// alternating: DB_Port, port, DB_Name, db_pnr_l, DB_Login, pnrowner,
// DB_Password, password.
std::string ConnectParametrsText(const std::string& port, const std::string& app_password);

// Creates or overwrites `path` with that text, readable and writable by its
// owner only (an existing file is narrowed to that too). False when the file
// cannot be created or fully written; the folder is never created.
bool WriteConnectParametrs(const std::string& path, const std::string& port,
                           const std::string& app_password);

}  // namespace kassa::setupdb
