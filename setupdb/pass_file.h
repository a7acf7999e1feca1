// The installer's input file Pass_Parametrs.ini: line 1 the server's TCP
// port, line 2 the password of the server's root account, an optional line 3
// the ledger server host(s) of a shared installation, "host[:port],...".
#pragma once

#include <string>
#include <vector>

namespace kassa::setupdb {

// Splits text into lines; a line ends at CR LF, LF or CR, which is removed.
// Nothing else is trimmed. Text after the last line break forms a last line
// when it is not empty.
std::vector<std::string> SplitLines(const std::string& text);

struct PassParametrs {
  std::string port;           // line 1 as typed; empty when missing
  std::string root_password;  // line 2 as typed; empty when missing
  std::string servers;        // line 3 as typed; empty when missing (a local installation)
};

// Reads the file at `path`. False when it cannot be opened or read; a file
// that is too short leaves the missing values empty and still succeeds.
bool ReadPassParametrs(const std::string& path, PassParametrs& out);

}  // namespace kassa::setupdb
