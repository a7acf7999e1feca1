// Connection over MariaDB Connector/C.
#include <errmsg.h>
#include <mysql.h>

#include <algorithm>
#include <new>

#include "platform/sql/field_typing.h"
#include "platform/sql/sql.h"

namespace kassa::sql {

namespace {

constexpr unsigned kConnectTimeout = 15;
constexpr unsigned kReadWriteTimeout = 10800;
// Bytes of statements a transaction leaves unanswered at most.
constexpr size_t kPipelineBytes = 64 * 1024;
constexpr const char* kSessionMode =
    "SET SESSION sql_mode = CONCAT(@@sql_mode, ',NO_BACKSLASH_ESCAPES')";

MYSQL* My(void* p) {
  return static_cast<MYSQL*>(p);
}

// Reads and frees every further result of the last statement (a procedure
// call sends a status result after its rows). False on an error among them.
bool DrainResults(MYSQL* m) {
  while (true) {
    const int next = mysql_next_result(m);
    if (next < 0) return true;
    if (next > 0) return false;
    if (MYSQL_RES* r = mysql_store_result(m))
      mysql_free_result(r);
    else if (mysql_field_count(m) != 0)
      return false;
  }
}

// Columns and rows of a result, read from the server row by row; only
// `max_rows` rows are kept and the result is marked truncated when the
// server has more.
void FillResult(MYSQL_RES* r, Result& result, size_t max_rows) {
  const unsigned n = mysql_num_fields(r);
  const MYSQL_FIELD* fields = mysql_fetch_fields(r);
  for (unsigned i = 0; i < n; ++i) {
    Column c;
    c.name = fields[i].name ? fields[i].name : "";
    c.kind = detail::KindOf(fields[i].type, fields[i].charsetnr);
    c.length = detail::DeclaredLength(c.kind, fields[i].length, fields[i].charsetnr);
    result.AddColumn(std::move(c));
  }
  while (MYSQL_ROW row = mysql_fetch_row(r)) {
    if (result.RowCount() >= max_rows) {
      result.SetTruncated();
      break;
    }
    result.AddRow(row, mysql_fetch_lengths(r));
  }
  result.Shrink();
}

// Encryption of the session. Without a CA file TLS is asked for and used
// when the server offers it (a server without TLS is still reached); with
// one, the server must offer TLS and prove itself with a certificate that CA
// signed for the host connected to.
void SetTls(MYSQL* m, const Params& p) {
  const my_bool on = 1;
  mysql_optionsv(m, MYSQL_OPT_SSL_ENFORCE, &on);
  if (p.tls_ca.empty()) return;
  mysql_optionsv(m, MYSQL_OPT_SSL_CA, p.tls_ca.c_str());
  mysql_optionsv(m, MYSQL_OPT_SSL_VERIFY_SERVER_CERT, &on);
}

// "localhost" would mean the local socket to the client library.
const char* HostOf(const Params& p) {
  return p.host.empty() || p.host == "localhost" ? "127.0.0.1" : p.host.c_str();
}

}  // namespace

Connection::~Connection() {
  if (mysql_) mysql_close(My(mysql_));
}

std::unique_ptr<Connection> Connection::Open(const Params& p, std::string& error) {
  return OpenFirst(p, 0, nullptr, error);
}

std::unique_ptr<Connection> Connection::OpenOne(const Params& p, std::string& error) {
  MYSQL* m = mysql_init(nullptr);
  if (!m) {
    error = "out of memory";
    return nullptr;
  }
  const unsigned protocol = MYSQL_PROTOCOL_TCP;
  const my_bool no_reconnect = 0;
  mysql_optionsv(m, MYSQL_OPT_PROTOCOL, &protocol);
  mysql_optionsv(m, MYSQL_OPT_CONNECT_TIMEOUT, &kConnectTimeout);
  mysql_optionsv(m, MYSQL_OPT_READ_TIMEOUT, &kReadWriteTimeout);
  mysql_optionsv(m, MYSQL_OPT_WRITE_TIMEOUT, &kReadWriteTimeout);
  mysql_optionsv(m, MYSQL_OPT_RECONNECT, &no_reconnect);
  mysql_optionsv(m, MYSQL_SET_CHARSET_NAME, "utf8mb4");
  SetTls(m, p);
  // Found rows: an update reports the rows it matched, changed or not.
  const unsigned long flags = CLIENT_FOUND_ROWS | CLIENT_MULTI_RESULTS;
  if (!mysql_real_connect(m, HostOf(p), p.user.c_str(), p.password.c_str(),
                          p.database.empty() ? nullptr : p.database.c_str(), p.port, nullptr,
                          flags)) {
    error = mysql_error(m);
    mysql_close(m);
    return nullptr;
  }
  std::unique_ptr<Connection> c(new (std::nothrow) Connection());
  if (!c) {
    mysql_close(m);
    error = "out of memory";
    return nullptr;
  }
  c->mysql_ = m;
  if (!c->Execute(kSessionMode, error)) return nullptr;
  return c;
}

std::unique_ptr<Connection> Connection::OpenFirst(const Params& p, size_t first, size_t* used,
                                                  std::string& error) {
  const size_t n = p.servers.size();
  if (n == 0) {
    auto c = OpenOne(p, error);
    if (c && used) *used = 0;
    return c;
  }
  Params one = p;
  for (size_t k = 0; k < n; ++k) {
    const size_t i = (first + k) % n;
    one.host = p.servers[i].host;
    one.port = p.servers[i].port ? p.servers[i].port : p.port;
    if (auto c = OpenOne(one, error)) {
      if (used) *used = i;
      return c;
    }
  }
  return nullptr;
}

bool Connection::Execute(const std::string& sql, std::string& error) {
  MYSQL* m = My(mysql_);
  last_errno_ = 0;
  if (mysql_send_query(m, sql.data(), sql.size()) != 0) {
    last_errno_ = mysql_errno(m);
    error = mysql_error(m);
    return false;
  }
  return ReadOutcome(error);
}

bool Connection::ReadOutcome(std::string& error) {
  MYSQL* m = My(mysql_);
  last_errno_ = 0;
  if (mysql_read_query_result(m) != 0) {
    last_errno_ = mysql_errno(m);
    error = mysql_error(m);
    return false;
  }
  // Rows a statement sends back are read and dropped, so the connection is
  // ready for the next statement.
  if (MYSQL_RES* r = mysql_store_result(m)) {
    mysql_free_result(r);
  } else if (mysql_field_count(m) != 0) {
    last_errno_ = mysql_errno(m);
    error = mysql_error(m);
    return false;
  }
  if (!DrainResults(m)) {
    last_errno_ = mysql_errno(m);
    error = mysql_error(m);
    return false;
  }
  return true;
}

bool Connection::ExecuteTransaction(const std::vector<std::string>& statements,
                                    std::string& failing, std::string& error,
                                    const std::function<void(const std::string&)>& sent) {
  static const std::string kBegin = "START TRANSACTION";
  MYSQL* m = My(mysql_);
  failing = kBegin;
  if (!Execute("SET autocommit = 0", error)) return false;
  // Item 0 is START TRANSACTION, item i the statement i - 1.
  const size_t count = statements.size() + 1;
  auto text = [&](size_t i) -> const std::string& { return i == 0 ? kBegin : statements[i - 1]; };
  size_t answered = 0, waiting_bytes = 0;
  size_t failed = count;  // none
  unsigned failed_errno = 0;
  std::string failed_error;
  bool broken = false;  // the connection cannot be used any more
  auto read_next = [&] {
    std::string e;
    if (!ReadOutcome(e) && failed == count) {
      failed = answered;
      failed_errno = last_errno_;
      failed_error = e;
    }
    // A client error (2000 and above) means the session is gone: nothing
    // more will be answered.
    if (last_errno_ >= 2000) broken = true;
    waiting_bytes -= text(answered).size();
    ++answered;
  };
  size_t next = 0;
  for (; next < count && !broken; ++next) {
    const std::string& s = text(next);
    // Statements waiting unanswered stay within what the socket buffers
    // hold, so sending never waits on a server that waits on us to read.
    while (answered < next && !broken && waiting_bytes + s.size() > kPipelineBytes) read_next();
    if (broken) break;
    if (next > 0 && sent) sent(s);
    if (mysql_send_query(m, s.data(), s.size()) != 0) {
      if (failed == count) {
        failed = next;
        failed_errno = mysql_errno(m);
        failed_error = mysql_error(m);
      }
      broken = true;
      break;
    }
    waiting_bytes += s.size();
  }
  while (answered < next && !broken) read_next();
  bool ok = failed == count && !broken;
  if (ok) {
    failing = "COMMIT";
    ok = Execute(failing, failed_error);
    failed_errno = last_errno_;
  } else {
    failing = failed < count ? text(failed) : "COMMIT";
  }
  if (!ok) {
    if (!broken) Rollback();
    error = failed_error;
  }
  // Autocommit on again once COMMIT or ROLLBACK has left nothing open for
  // it to commit; not after a rollback that failed.
  if (!broken && last_errno_ == 0) {
    std::string e;
    Execute("SET autocommit = 1", e);
  }
  if (!ok) last_errno_ = failed_errno;
  return ok;
}

std::unique_ptr<Result> Connection::Query(const std::string& sql, std::string& error) {
  return Fetch(sql, error, static_cast<size_t>(-1));
}

std::unique_ptr<Result> Connection::Query(const std::string& sql, std::string& error,
                                          size_t max_rows) {
  // The server stops after one row more than is kept (unless the query
  // names a LIMIT of its own), so a large table is not sent whole.
  return Fetch("SET STATEMENT sql_select_limit = " + std::to_string(max_rows + 1) + " FOR " + sql,
               error, max_rows);
}

std::unique_ptr<Result> Connection::Fetch(const std::string& text, std::string& error,
                                          size_t max_rows) {
  MYSQL* m = My(mysql_);
  last_errno_ = 0;
  if (mysql_real_query(m, text.data(), text.size()) != 0) {
    last_errno_ = mysql_errno(m);
    error = mysql_error(m);
    return nullptr;
  }
  // Rows are read as they arrive, straight into the result; freeing the
  // result set reads and drops whatever is left, so the connection stays
  // usable.
  std::unique_ptr<MYSQL_RES, void (*)(MYSQL_RES*)> owned(
      mysql_use_result(m), [](MYSQL_RES* r) { mysql_free_result(r); });
  MYSQL_RES* r = owned.get();
  if (!r && mysql_field_count(m) != 0) {
    last_errno_ = mysql_errno(m);
    error = mysql_error(m);
    return nullptr;
  }
  std::unique_ptr<Result> result;
  try {
    result = std::make_unique<Result>();
    if (r) FillResult(r, *result, max_rows);
  } catch (const std::exception& e) {  // out of memory for a huge result
    owned.reset();
    DrainResults(m);
    last_errno_ = CR_OUT_OF_MEMORY;
    error = e.what();
    return nullptr;
  }
  // Rows that broke off (an error, the connection lost midway) are no result.
  if (r && !result->Truncated() && mysql_errno(m) != 0) {
    last_errno_ = mysql_errno(m);
    error = mysql_error(m);
    return nullptr;
  }
  owned.reset();
  if (!DrainResults(m)) {
    last_errno_ = mysql_errno(m);
    error = mysql_error(m);
    return nullptr;
  }
  return result;
}

void Connection::Rollback() {
  MYSQL* m = My(mysql_);
  last_errno_ = mysql_rollback(m) ? mysql_errno(m) : 0;
}

unsigned long Connection::ThreadId() const {
  return mysql_thread_id(My(mysql_));
}

}  // namespace kassa::sql
