// The connection parameters file and the three connection strings built
// from it.
//
// The file has eight lines; lines 2, 4, 6 and 8 are the port, database
// name, login and password, taken verbatim (nothing trimmed); the odd lines
// are not examined and lines after the eighth are not read. A line ends with
// CR LF, LF or CR; the last line may end without one.
#pragma once

#include <string>

namespace kassa::dbgate {

struct ConnectionValues {
  std::string port;
  std::string database;
  std::string login;
  std::string password;
};

struct ConnectionStrings {
  std::string cn;         // Connection_String_CN
  std::string sql;        // Connection_String_SQL
  std::string sql_empty;  // Connection_String_SQL_Empty (password "xxx")
};

// File error numbers, as the classic file functions report them.
inline constexpr int kFileNotFound = 53;
inline constexpr int kInputPastEnd = 62;

// Reads the parameters file at `path`. Returns 0, kFileNotFound when it
// cannot be opened, kInputPastEnd when it has fewer than eight lines;
// `out` is changed only on success.
int ReadConnectionValues(const std::string& path, ConnectionValues& out);

// Splits file contents into lines as the reader sees them.
int ParseConnectionValues(const std::string& contents, ConnectionValues& out);

ConnectionStrings BuildConnectionStrings(const ConnectionValues& v);

}  // namespace kassa::dbgate
