// Reading the connection parameters back out of a connection string.
#include <strings.h>

#include <algorithm>
#include <cctype>
#include <string_view>
#include <vector>

#include "platform/sql/sql.h"

namespace kassa::sql {

namespace {

constexpr char kLoopback[] = "127.0.0.1";

struct Pair {
  std::string key;
  std::string value;
};

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// Position after blanks from `i`.
size_t SkipBlanks(std::string_view s, size_t i) {
  while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
  return i;
}

// Reads a value starting at `i` (just after '='); leaves `i` at the ';'
// that ends it (or at the end). A value enclosed in double quotes (the
// extended properties) or in braces (ODBC) may hold ';' and is returned
// without its enclosure; any other value is taken verbatim, blanks included.
std::string ReadValue(std::string_view s, size_t& i) {
  const size_t open = SkipBlanks(s, i);
  if (open < s.size() && (s[open] == '"' || (s[open] == '{' && open == i))) {
    const char close = s[open] == '"' ? '"' : '}';
    std::string inner;
    size_t j = open + 1;
    bool closed = false;
    while (j < s.size()) {
      if (s[j] == close) {
        if (j + 1 < s.size() && s[j + 1] == close) {  // doubled: the character itself
          inner += close;
          j += 2;
          continue;
        }
        closed = true;
        ++j;
        break;
      }
      inner += s[j++];
    }
    const size_t after = SkipBlanks(s, j);
    if (closed && (after == s.size() || s[after] == ';')) {
      i = after;
      return inner;
    }
    // Not a well-formed enclosure: fall back to the plain reading.
  }
  const size_t end = std::min(s.find(';', i), s.size());
  std::string value(s.substr(i, end - i));
  i = end;
  return value;
}

std::vector<Pair> SplitPairs(std::string_view s) {
  std::vector<Pair> pairs;
  size_t i = 0;
  while (i < s.size()) {
    const size_t eq = s.find('=', i);
    const size_t semi = s.find(';', i);
    if (eq == std::string_view::npos || (semi != std::string_view::npos && semi < eq)) {
      // An item without '=' (such as the leading "OLEDB"): skip it.
      if (semi == std::string_view::npos) break;
      i = semi + 1;
      continue;
    }
    Pair p;
    p.key = std::string(TrimBlanks(s.substr(i, eq - i)));
    i = eq + 1;
    p.value = ReadValue(s, i);
    pairs.push_back(std::move(p));
    if (i < s.size()) ++i;  // the ';'
  }
  return pairs;
}

bool KeyIs(const std::string& key, std::initializer_list<const char*> names) {
  for (const char* n : names) {
    if (strcasecmp(key.c_str(), n) == 0) return true;
  }
  return false;
}

struct Found {
  std::string server, port, database, user, password, tls_ca;
  bool has_server = false, has_port = false, has_database = false, has_user = false,
       has_password = false, has_tls_ca = false;
};

void Collect(const std::vector<Pair>& pairs, Found& f) {
  for (const Pair& p : pairs) {
    if (KeyIs(p.key, {"Server"})) {
      f.server = p.value;
      f.has_server = true;
    } else if (KeyIs(p.key, {"SSLCA"})) {
      f.tls_ca = p.value;
      f.has_tls_ca = true;
    } else if (KeyIs(p.key, {"Port"})) {
      f.port = p.value;
      f.has_port = true;
    } else if (KeyIs(p.key, {"Database", "DB"})) {
      f.database = p.value;
      f.has_database = true;
    } else if (KeyIs(p.key, {"User", "UID"})) {
      f.user = p.value;
      f.has_user = true;
    } else if (KeyIs(p.key, {"Password", "PWD"})) {
      f.password = p.value;
      f.has_password = true;
    }
  }
}

bool ReadPort(const std::string& text, unsigned& port) {
  const std::string_view t = TrimBlanks(text);
  if (t.empty() || t.size() > 5) return false;
  unsigned n = 0;
  for (char c : t) {
    if (c < '0' || c > '9') return false;
    n = n * 10 + static_cast<unsigned>(c - '0');
  }
  if (n == 0 || n > 65535) return false;
  port = n;
  return true;
}

bool Parse(const std::string& text, Params& out) {
  const std::vector<Pair> pairs = SplitPairs(text);
  Found outer;
  Collect(pairs, outer);
  // The ODBC string inside a query-table string's extended properties says
  // what the query table really uses; its items win over the outer ones.
  for (const Pair& p : pairs) {
    if (!KeyIs(p.key, {"Extended Properties"})) continue;
    Found inner;
    Collect(SplitPairs(p.value), inner);
    if (inner.has_server) outer.server = inner.server, outer.has_server = true;
    if (inner.has_tls_ca) outer.tls_ca = inner.tls_ca;
    if (inner.has_port) outer.port = inner.port, outer.has_port = true;
    if (inner.has_database) outer.database = inner.database;
    if (inner.has_user) outer.user = inner.user;
    if (inner.has_password) outer.password = inner.password;
  }
  Params result;
  if (!outer.has_port || !ReadPort(outer.port, result.port)) return false;
  if (TrimBlanks(outer.server).empty()) {
    result.servers = {Endpoint{kLoopback, result.port}};
  } else {
    if (!ParseServerList(outer.server, result.servers)) return false;
    for (Endpoint& e : result.servers)
      if (e.port == 0) e.port = result.port;
  }
  result.host = result.servers.front().host;
  result.port = result.servers.front().port;
  result.tls_ca = outer.tls_ca;
  result.database = outer.database;
  result.user = outer.user;
  result.password = outer.password;
  out = result;
  return true;
}

}  // namespace

bool ParseServerList(std::string_view text, std::vector<Endpoint>& out) {
  std::vector<Endpoint> list;
  size_t i = 0;
  while (true) {
    const size_t comma = std::min(text.find(',', i), text.size());
    std::string_view item = TrimBlanks(text.substr(i, comma - i));
    if (item.empty()) return false;
    Endpoint e;
    std::string_view port;
    if (item.front() == '[') {  // [IPv6 address] with an optional :port
      const size_t close = item.find(']');
      if (close == std::string_view::npos || close == 1) return false;
      const std::string_view address = item.substr(1, close - 1);
      for (char c : address)
        if (!std::isxdigit(static_cast<unsigned char>(c)) && c != ':' && c != '.') return false;
      e.host = std::string(address);
      const std::string_view rest = item.substr(close + 1);
      if (!rest.empty()) {
        if (rest.front() != ':') return false;
        port = rest.substr(1);
        if (port.empty()) return false;
      }
    } else {
      const size_t colon = item.find(':');
      const std::string_view host = item.substr(0, colon);
      if (host.empty()) return false;
      for (char c : host)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '.' && c != '-' && c != '_')
          return false;
      e.host = std::string(host);
      if (colon != std::string_view::npos) {
        port = item.substr(colon + 1);
        if (port.empty()) return false;
      }
    }
    if (!port.empty() && !ReadPort(std::string(port), e.port)) return false;
    if (strcasecmp(e.host.c_str(), "localhost") == 0) e.host = kLoopback;
    list.push_back(std::move(e));
    if (comma == text.size()) break;
    i = comma + 1;
  }
  out = std::move(list);
  return true;
}

bool ParseConnectionString(const std::string& text, Params& out) {
  try {
    return Parse(text, out);
  } catch (const std::exception&) {  // out of memory
    return false;
  }
}

}  // namespace kassa::sql
