// The client layer over MariaDB Connector/C, shared by the database access
// class, the host's query tables, the entry program's pickers, the installer
// and the scenario runner.
//
// Connections always go over TCP to the loopback host with the port given,
// connect timeout 15 s, read/write timeout 10800 s, character set utf8mb4
// (texts cross as UTF-8), and NO_BACKSLASH_ESCAPES added to the session's
// sql_mode, so a backslash in a literal is a plain character.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/variant/variant.h"

namespace kassa::sql {

struct Params {
  std::string host = "127.0.0.1";
  unsigned port = 3306;
  std::string database;
  std::string user;
  std::string password;
};

// Reads Server/Port/Database/User/Password (or PWD) out of a connection
// string: the ";"-separated key=value list of an ODBC/ADO string, keys
// compared without regard to case, values verbatim. For a query-table
// string ("OLEDB;...Extended Properties= \"DRIVER=...\" ") the quoted
// extended properties are read (their items win over the outer ones). A
// value in double quotes or ODBC braces may hold ";" and loses the
// enclosure; other values are taken verbatim, blanks included. Keys: Port,
// Database (DB), User (UID), Password (PWD). The host is always forced to
// loopback. False when no port (1..65535) can be read; `out` is then left
// unchanged.
bool ParseConnectionString(const std::string& text, Params& out);

struct Column {
  std::string name;
  enum class Kind { Integer, Decimal, Double, Date, Time, DateTime, Text, Other };
  Kind kind = Kind::Other;
  unsigned long length = 0;  // declared width in characters for text columns
};

// A forward-only result, fully fetched on arrival.
class Result {
 public:
  const std::vector<Column>& columns() const { return columns_; }
  size_t RowCount() const { return rows_.size(); }
  // Values typed by column kind: integers and decimals and doubles ->
  // Number, DATE -> Date, TIME -> Date (fraction only), DATETIME -> Date,
  // text -> Text, NULL -> Empty. A TIME value holds its time of day (hours
  // modulo 24); a zero date "0000-00-00" names no day and is Empty too
  // (IsNull false); a value that does not read as its kind stays Text.
  const Variant& Value(size_t row, size_t column) const { return rows_[row][column].value; }
  bool IsNull(size_t row, size_t column) const { return rows_[row][column].null; }
  // The value as the server sent it (UTF-8), "" for NULL.
  const std::string& Raw(size_t row, size_t column) const { return rows_[row][column].raw; }
  // Length in bytes of the value as sent; 0 for NULL and for "".
  unsigned long ActualSize(size_t row, size_t column) const {
    return rows_[row][column].raw.size();
  }

  struct Field {
    Variant value;
    std::string raw;
    bool null = true;
  };
  std::vector<Column> columns_;
  std::vector<std::vector<Field>> rows_;
};

// One server session; not copyable (it owns the session).
class Connection {
 public:
  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;
  // Null with `error` set (the server's message) when it cannot connect.
  static std::unique_ptr<Connection> Open(const Params& p, std::string& error);
  // Runs one statement; rows it sends back are read and discarded. False
  // with `error` on failure. One statement per call (no multi-statements).
  bool Execute(const std::string& sql, std::string& error);
  // Runs a query and fetches all of its rows; null with `error` on failure.
  // A statement that sends no rows gives a Result without columns.
  std::unique_ptr<Result> Query(const std::string& sql, std::string& error);
  // Transactions on this connection.
  bool Begin(std::string& error) { return Execute("START TRANSACTION", error); }
  bool Commit(std::string& error) { return Execute("COMMIT", error); }
  void Rollback();
  // Server (or client) error number of the last statement run through this
  // connection; 0 when it succeeded.
  unsigned LastErrno() const { return last_errno_; }
  unsigned long ThreadId() const;

 private:
  Connection() = default;
  void* mysql_ = nullptr;
  unsigned last_errno_ = 0;
};

}  // namespace kassa::sql
