#include "dbgate/connection_params.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "dbgate/texts.h"
#include "platform/sql/sql.h"

namespace kassa::dbgate {

int ParseConnectionValues(const std::string& contents, ConnectionValues& out) {
  std::vector<std::string> lines;
  size_t pos = 0;
  while (pos < contents.size() && lines.size() < 9) {
    size_t end = contents.find_first_of("\r\n", pos);
    if (end == std::string::npos) {  // last line without an ending
      lines.push_back(contents.substr(pos));
      break;
    }
    lines.push_back(contents.substr(pos, end - pos));
    pos = end + 1;
    if (contents[end] == '\r' && pos < contents.size() && contents[pos] == '\n') ++pos;
  }
  if (lines.size() < 8) return kInputPastEnd;
  std::string servers;
  if (lines.size() == 9) {
    const std::string& line = lines[8];
    const size_t first = line.find_first_not_of(" \t");
    if (first != std::string::npos)
      servers = line.substr(first, line.find_last_not_of(" \t") - first + 1);
    std::vector<sql::Endpoint> list;
    if (!servers.empty() && !sql::ParseServerList(servers, list)) return kBadFileFormat;
  }
  out.port = lines[1];
  out.database = lines[3];
  out.login = lines[5];
  out.password = lines[7];
  out.servers = std::move(servers);
  out.ca_file.clear();
  return 0;
}

int ReadConnectionValues(const std::string& path, ConnectionValues& out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return kFileNotFound;
  std::string contents((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ConnectionValues values;
  if (int rc = ParseConnectionValues(contents, values)) return rc;
  std::error_code ec;
  const std::filesystem::path ca =
      std::filesystem::absolute(path, ec).parent_path() / texts::kCaFile;
  if (!ec && std::filesystem::is_regular_file(ca, ec)) values.ca_file = ca.string();
  out = std::move(values);
  return 0;
}

namespace {

// The CA item of both strings: the path in ODBC braces (a "}" doubled).
std::string CaItem(const ConnectionValues& v) {
  if (v.ca_file.empty()) return "";
  std::string item = texts::kCaKey;
  item += '{';
  for (char c : v.ca_file) item += c == '}' ? std::string("}}") : std::string(1, c);
  item += "};";
  return item;
}

const std::string& HostOf(const ConnectionValues& v) {
  static const std::string loopback = texts::kLoopbackHost;
  return v.servers.empty() ? loopback : v.servers;
}

std::string QueryTableString(const ConnectionValues& v, const std::string& password) {
  using namespace texts;
  // Inside the quoted extended properties a double quote is doubled.
  std::string ca;
  for (char c : CaItem(v)) ca += c == '"' ? std::string("\"\"") : std::string(1, c);
  return std::string(kSqlProviderPassword) + password + kSqlExtended + kSqlDriverPwd + password +
         kSqlServer + HostOf(v) + kSqlPort + v.port + kSqlDatabase + v.database + kSqlUser +
         v.login + kSqlOption + ca + kSqlClose;
}

}  // namespace

ConnectionStrings BuildConnectionStrings(const ConnectionValues& v) {
  using namespace texts;
  ConnectionStrings s;
  s.cn = std::string(kCnDriverServer) + HostOf(v) + kCnPort + v.port + kCnSeparator + kCnDatabase +
         v.database + kCnUser + v.login + kCnPassword + v.password + kCnOption + CaItem(v);
  s.sql = QueryTableString(v, v.password);
  s.sql_empty = QueryTableString(v, kMaskedPassword);
  return s;
}

}  // namespace kassa::dbgate
