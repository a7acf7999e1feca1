// The connection parameters file and the three connection strings built
// from it.
//
// The file has eight lines; lines 2, 4, 6 and 8 are the port, database
// name, login and password, taken verbatim (nothing trimmed); the odd lines
// are not examined. A line ends with CR LF, LF or CR; the last line may end
// without one.
//
// An optional ninth line names the ledger server on another computer, or
// several servers of one cluster in the order to try them:
// "host[:port],host[:port],..." (an item without a port uses line 2's port;
// an IPv6 address in brackets). Without it, or with an empty one, the ledger
// is on this computer (the loopback host) and the three strings are exactly
// those of an eight-line file. Lines after the ninth are not read.
//
// An optional file "Connect_CA.pem" beside the parameters file holds the
// certificate authority of the ledger server: the strings then carry it and
// every connection requires TLS and verifies the server's certificate.
// Without it a connection uses TLS whenever the server offers it.
#pragma once

#include <string>

namespace kassa::dbgate {

struct ConnectionValues {
  std::string port;
  std::string database;
  std::string login;
  std::string password;
  std::string servers;  // the ninth line without surrounding blanks; "" none
  std::string ca_file;  // the CA file's path; "" none
};

struct ConnectionStrings {
  std::string cn;         // Connection_String_CN
  std::string sql;        // Connection_String_SQL
  std::string sql_empty;  // Connection_String_SQL_Empty (password "xxx")
};

// File error numbers, as the classic file functions report them.
inline constexpr int kFileNotFound = 53;
inline constexpr int kInputPastEnd = 62;
inline constexpr int kBadFileFormat = 321;

// Reads the parameters file at `path` and looks for the CA file beside it.
// Returns 0, kFileNotFound when it cannot be opened, kInputPastEnd when it
// has fewer than eight lines, kBadFileFormat when its ninth line is not a
// server list; `out` is changed only on success.
int ReadConnectionValues(const std::string& path, ConnectionValues& out);

// Splits file contents into lines as the reader sees them (no CA file).
int ParseConnectionValues(const std::string& contents, ConnectionValues& out);

ConnectionStrings BuildConnectionStrings(const ConnectionValues& v);

}  // namespace kassa::dbgate
