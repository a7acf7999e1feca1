// The ledger server list of a shared installation: line 3 of
// Pass_Parametrs.ini, written unchanged as line 9 of Connect_Parametrs.ini.
//
// Form: "host[:port],host[:port],..." with no blanks; a host is a name or an
// IPv4 address (letters, digits, '.', '-', '_'), a port 1 to 65535 in
// digits. A server without a port uses the port of line 1 (line 2 of the
// connection parameters file).
#pragma once

#include <string>
#include <vector>

namespace kassa::setupdb {

struct ServerAddress {
  std::string host;
  unsigned port = 0;  // 0: the installation's port
};

// A port number as typed: "1" to "65535", digits only, nothing trimmed.
bool ReadPortNumber(const std::string& text, unsigned& port);

// Reads `text` in the form above. False on any other text (an empty text,
// an empty entry, blanks, a bad port); `out` is then left unchanged.
bool ParseServerList(const std::string& text, std::vector<ServerAddress>& out);

}  // namespace kassa::setupdb
