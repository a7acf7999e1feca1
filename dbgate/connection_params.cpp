#include "dbgate/connection_params.h"

#include <fstream>
#include <iterator>
#include <vector>

#include "dbgate/texts.h"

namespace kassa::dbgate {

int ParseConnectionValues(const std::string& contents, ConnectionValues& out) {
  std::vector<std::string> lines;
  size_t pos = 0;
  while (pos < contents.size() && lines.size() < 8) {
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
  out.port = lines[1];
  out.database = lines[3];
  out.login = lines[5];
  out.password = lines[7];
  return 0;
}

int ReadConnectionValues(const std::string& path, ConnectionValues& out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return kFileNotFound;
  std::string contents((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return ParseConnectionValues(contents, out);
}

namespace {

std::string QueryTableString(const ConnectionValues& v, const std::string& password) {
  using namespace texts;
  return std::string(kSqlProviderPassword) + password + kSqlExtended + kSqlDriverPwd + password +
         kSqlServer + kLoopbackHost + kSqlPort + v.port + kSqlDatabase + v.database + kSqlUser +
         v.login + kSqlOption;
}

}  // namespace

ConnectionStrings BuildConnectionStrings(const ConnectionValues& v) {
  using namespace texts;
  ConnectionStrings s;
  s.cn = std::string(kCnDriverServer) + kLoopbackHost + kCnPort + v.port + kCnSeparator +
         kCnDatabase + v.database + kCnUser + v.login + kCnPassword + v.password + kCnOption;
  s.sql = QueryTableString(v, v.password);
  s.sql_empty = QueryTableString(v, kMaskedPassword);
  return s;
}

}  // namespace kassa::dbgate
