// The client layer over MariaDB Connector/C, shared by the database access
// class, the host's query tables, the entry program's pickers, the installer
// and the scenario runner.
//
// Connections always go over TCP (the loopback host name "localhost" means
// 127.0.0.1, never the local socket), connect timeout 15 s, read/write
// timeout 10800 s, character set utf8mb4 (texts cross as UTF-8), and
// NO_BACKSLASH_ESCAPES added to the session's sql_mode, so a backslash in a
// literal is a plain character.
//
// Encryption: when the server offers TLS the session uses it. With a CA file
// the server must offer TLS and its certificate must be signed by that CA
// and name the host connected to; otherwise the connection is refused.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/variant/variant.h"

namespace kassa::sql {

// One ledger server: a host name or address and its TCP port.
struct Endpoint {
  std::string host;
  unsigned port = 0;  // 0: the connection's default port
  bool operator==(const Endpoint&) const = default;
};

struct Params {
  // The server one Connection::Open connects to.
  std::string host = "127.0.0.1";
  unsigned port = 3306;
  std::string database;
  std::string user;
  std::string password;
  // The servers of a connection string, in the order to try them (see
  // OpenFirst); empty: host and port above.
  std::vector<Endpoint> servers;
  // A CA file: TLS required and the server's certificate verified.
  std::string tls_ca;
};

// Reads a server list "host[:port],host[:port],...": blanks around items
// are ignored, an IPv6 address stands in brackets ("[::1]:3307"), a host is
// made of letters, digits, '.', '-' and '_'. An item without a port gets
// port 0; "localhost" becomes 127.0.0.1. False (and `out` unchanged) on an
// empty list or item, any other character, or a port outside 1..65535.
bool ParseServerList(std::string_view text, std::vector<Endpoint>& out);

// Reads Server/Port/Database/User/Password (or PWD) out of a connection
// string: the ";"-separated key=value list of an ODBC/ADO string, keys
// compared without regard to case, values verbatim. For a query-table
// string ("OLEDB;...Extended Properties= \"DRIVER=...\" ") the quoted
// extended properties are read (their items win over the outer ones). A
// value in double quotes or ODBC braces may hold ";" and loses the
// enclosure; other values are taken verbatim, blanks included. Keys: Server,
// Port, Database (DB), User (UID), Password (PWD), SSLCA.
//
// Server is a server list (ParseServerList); items without a port take
// Port. No Server item, an empty one, or "localhost" give the loopback host
// 127.0.0.1. `servers` receives the list and host/port its first item.
// False when no port (1..65535) can be read or the server list is not
// well-formed; `out` is then left unchanged.
bool ParseConnectionString(const std::string& text, Params& out);

struct Column {
  std::string name;
  enum class Kind { Integer, Decimal, Double, Date, Time, DateTime, Text, Other };
  Kind kind = Kind::Other;
  unsigned long length = 0;  // declared width in characters for text columns
};

// A forward-only result, fully fetched on arrival. The values of every row
// are held once, as the server sent them, one after another in one block of
// text; a value is typed when it is read. So a result costs its text plus a
// few bytes per value, whatever the number of rows.
class Result {
 public:
  const std::vector<Column>& columns() const { return columns_; }
  size_t RowCount() const { return rows_; }
  // Values typed by column kind: integers and decimals and doubles ->
  // Number, DATE -> Date, TIME -> Date (fraction only), DATETIME -> Date,
  // text -> Text, NULL -> Empty. A TIME value holds its time of day (hours
  // modulo 24); a zero date "0000-00-00" names no day and is Empty too
  // (IsNull false); a value that does not read as its kind stays Text.
  Variant Value(size_t row, size_t column) const;
  bool IsNull(size_t row, size_t column) const {
    return (ends_[row * columns_.size() + column] & kNull) != 0;
  }
  // The value as the server sent it (UTF-8), "" for NULL; the view stays
  // valid while the result lives.
  std::string_view RawView(size_t row, size_t column) const {
    const size_t i = row * columns_.size() + column;
    const size_t begin = i == 0 ? 0 : (ends_[i - 1] & ~kNull);
    return std::string_view(text_).substr(begin, (ends_[i] & ~kNull) - begin);
  }
  std::string Raw(size_t row, size_t column) const { return std::string(RawView(row, column)); }
  // Length in bytes of the value as sent; 0 for NULL and for "".
  unsigned long ActualSize(size_t row, size_t column) const { return RawView(row, column).size(); }
  // True when the query had more rows than a capped fetch kept.
  bool Truncated() const { return truncated_; }

  // Building a result (the client layer): the columns first, then each row
  // as `columns().size()` values, a null pointer for NULL. Throws
  // std::bad_alloc or std::length_error when the result cannot be held.
  void AddColumn(Column column) { columns_.push_back(std::move(column)); }
  void AddRow(const char* const* values, const unsigned long* lengths);
  // Gives back what the building reserved beyond the rows (after the last row).
  void Shrink();
  // Marks the result as holding fewer rows than the query had.
  void SetTruncated() { truncated_ = true; }

 private:
  std::vector<Column> columns_;
  size_t rows_ = 0;
  static constexpr uint32_t kNull = 0x80000000u;  // added to the end of a NULL value
  std::string text_;                              // every value's bytes, row by row
  std::vector<uint32_t> ends_;                    // where each value ends in text_
  bool truncated_ = false;
};

// One server session; not copyable (it owns the session).
class Connection {
 public:
  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;
  // Connects to the first of p.servers that accepts the session, or to
  // p.host:p.port when there are none: OpenFirst(p, 0, nullptr, error).
  // Null with `error` set (the server's or the client's message) when it
  // cannot connect.
  static std::unique_ptr<Connection> Open(const Params& p, std::string& error);
  // Tries the servers of `p` in turn, starting at index `first` (taken
  // modulo their number) and wrapping round, each once; the first that
  // accepts the session wins and `used` (when given) receives its index.
  // Without servers it is Open(p). Null with the last server's `error` when
  // none accepts.
  static std::unique_ptr<Connection> OpenFirst(const Params& p, size_t first, size_t* used,
                                               std::string& error);
  // Runs one statement; rows it sends back are read and discarded. False
  // with `error` on failure. One statement per call (no multi-statements).
  bool Execute(const std::string& sql, std::string& error);
  // Runs a query and fetches all of its rows; null with `error` on failure.
  // A statement that sends no rows gives a Result without columns.
  std::unique_ptr<Result> Query(const std::string& sql, std::string& error);
  // The same, keeping at most `max_rows` rows: the server is asked for one
  // row more (sql_select_limit, for this statement only) and the rows are
  // read one by one as they arrive, so memory stays bounded by `max_rows`
  // even when the query names a larger LIMIT of its own. A query with more
  // rows gives a Result marked Truncated() (any rest is read and dropped).
  std::unique_ptr<Result> Query(const std::string& sql, std::string& error, size_t max_rows);
  // Runs `statements` as one transaction: START TRANSACTION, the statements
  // in order, COMMIT; all applied, or none. They are sent without waiting
  // for each one's outcome (the server runs them one after another as they
  // arrive; at most 64 KiB of statements wait unanswered at a time), so the
  // transaction costs a few round trips whatever their number. `sent`, when
  // given, is called with each statement as it goes to the server. Rows a
  // statement sends back are read and dropped.
  //
  // The session's autocommit is off while they run, so a failure that ends
  // the transaction on the server (a deadlock) cannot let a statement behind
  // it be committed alone. On a failure everything is rolled back, the
  // statements sent behind the failed one included (they have run too),
  // and false is returned with `error` and `failing`: the text of the first
  // statement that failed ("START TRANSACTION" or "COMMIT" for those). The
  // session's autocommit is on again afterwards unless the connection broke.
  bool ExecuteTransaction(const std::vector<std::string>& statements, std::string& failing,
                          std::string& error,
                          const std::function<void(const std::string&)>& sent = {});
  // Transactions on this connection.
  bool Begin(std::string& error) { return Execute("START TRANSACTION", error); }
  // A transaction in which no table can be changed: a statement that would
  // write fails (server error 1792) and changes nothing.
  bool BeginReadOnly(std::string& error) { return Execute("START TRANSACTION READ ONLY", error); }
  bool Commit(std::string& error) { return Execute("COMMIT", error); }
  void Rollback();
  // Server (or client) error number of the last statement run through this
  // connection; 0 when it succeeded.
  unsigned LastErrno() const { return last_errno_; }
  unsigned long ThreadId() const;

 private:
  Connection() = default;
  static std::unique_ptr<Connection> OpenOne(const Params& p, std::string& error);
  // Runs `text` and reads its rows as they arrive, keeping at most
  // `max_rows` (the result marked truncated when there were more).
  std::unique_ptr<Result> Fetch(const std::string& text, std::string& error, size_t max_rows);
  // Reads the outcome of the statement sent first among those unanswered,
  // its rows read and dropped; false (with LastErrno) when it failed.
  bool ReadOutcome(std::string& error);
  void* mysql_ = nullptr;
  unsigned last_errno_ = 0;
};

// Whether `text` is one SELECT statement: its first word (after blanks,
// comments and opening parentheses) is SELECT or WITH, no ";" ends it before
// its end (a final ";" is allowed), it writes nothing INTO a file or a
// variable, and it holds no comment the server would run as code ("/*!").
// Literals, quoted names and comments are read as the server reads them
// (backslashes plain). Text that does not end its literal or comment is no
// statement. Used before a text that came from outside is run.
bool IsSingleSelect(const std::string& text);

}  // namespace kassa::sql
