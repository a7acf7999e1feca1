// Reading the connection parameters back out of a connection string.
#include <strings.h>

#include <string_view>
#include <vector>

#include "platform/sql/sql.h"

namespace kassa::sql {

namespace {

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
  std::string port, database, user, password;
  bool has_port = false, has_database = false, has_user = false, has_password = false;
};

void Collect(const std::vector<Pair>& pairs, Found& f) {
  for (const Pair& p : pairs) {
    if (KeyIs(p.key, {"Port"})) {
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
    if (inner.has_port) outer.port = inner.port, outer.has_port = true;
    if (inner.has_database) outer.database = inner.database;
    if (inner.has_user) outer.user = inner.user;
    if (inner.has_password) outer.password = inner.password;
  }
  Params result;
  if (!outer.has_port || !ReadPort(outer.port, result.port)) return false;
  result.host = "127.0.0.1";
  result.database = outer.database;
  result.user = outer.user;
  result.password = outer.password;
  out = result;
  return true;
}

}  // namespace

bool ParseConnectionString(const std::string& text, Params& out) {
  try {
    return Parse(text, out);
  } catch (const std::exception&) {  // out of memory
    return false;
  }
}

}  // namespace kassa::sql
