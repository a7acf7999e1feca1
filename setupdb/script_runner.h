// Execution of the installation script on the administrative connection.
#pragma once

#include <string>

#include "platform/sql/sql.h"

namespace kassa::setupdb {

struct ScriptFailure {
  int number = 0;              // 1-based statement number
  std::string statement;       // the statement as written in the script
  std::string server_message;  // the server's error text
};

// Runs statements 1 to 28 in order, each prepared with `app_password`
// (PrepareStatement), without waits. Stops at the first statement the server
// refuses: false with `failure` describing it; the statements after it are
// not sent.
bool RunInstallScript(sql::Connection& admin, const std::string& app_password,
                      ScriptFailure& failure);

// The message shown for a failing statement: its number, its text as written
// in the script (never the generated password) and the server's answer.
std::string DescribeFailure(const ScriptFailure& failure);

}  // namespace kassa::setupdb
