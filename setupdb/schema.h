// The ledger database's installation script.
#pragma once

#include <array>
#include <string>

namespace kassa::setupdb {

// Number of statements in the installation script.
inline constexpr int kScriptSize = 28;

// The script, numbered from 1: drop and create the database, select it, the
// five tables, the month names, the eight views, the user creation template
// (statement 18) and the ten grants. Slot 0 is empty and never executed.
const std::array<std::string, kScriptSize + 1>& InstallScript();

// A statement as it is sent: every "'pnrowner_password'" (quotes included)
// becomes the application password between single quotes, then every
// "pnrowner_login" becomes "pnrowner"; both case-sensitive, in that order.
std::string PrepareStatement(std::string text, const std::string& app_password);

}  // namespace kassa::setupdb
