#include "tests/support/testsupport.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <stdexcept>

namespace kassa::testsupport {

namespace {

std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v ? v : "";
}

// Lines of a file with CR LF, LF or CR line ends.
std::vector<std::string> ReadLines(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<std::string> lines;
  if (!in) return lines;
  std::stringstream content;
  content << in.rdbuf();
  const std::string text = content.str();
  std::string current;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      lines.push_back(current);
      current.clear();
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      current += text[i];
    }
  }
  if (!current.empty()) lines.push_back(current);
  return lines;
}

std::unique_ptr<sql::Connection> OpenRoot(const std::string& database, std::string& error) {
  return sql::Connection::Open(RootParams(database), error);
}

bool RunKassaDb(const char* command) {
  if (!HaveTestEnv()) return false;  // never touch a server outside the test environment
  const TestEnv env = TestEnv::FromEnvironment();
  const ProcessResult r = Run({"/bin/bash", SourceDir() + "/scripts/kassa-db", command},
                              {"KASSA_DB_DIR=" + env.db_dir, "KASSA_DEPLOY=" + env.deploy});
  if (r.exit_code != 0) std::cerr << r.output << r.error;
  return r.exit_code == 0;
}

}  // namespace

TestEnv TestEnv::FromEnvironment() {
  return TestEnv{Env("KASSA_TESTENV"), Env("KASSA_DEPLOY"), Env("KASSA_DB_DIR"),
                 Env("KASSA_COMPONENTS")};
}

bool HaveTestEnv() {
  const TestEnv env = TestEnv::FromEnvironment();
  return !env.deploy.empty() && !env.db_dir.empty();
}

std::string SourceDir() {
  return KASSA_SOURCE_DIR;
}

sql::Params RootParams(const std::string& database) {
  const std::vector<std::string> lines = ReadLines(TestEnv::FromEnvironment().pass_file());
  sql::Params p;
  p.host = "127.0.0.1";
  p.port =
      lines.size() > 0 ? static_cast<unsigned>(std::strtoul(lines[0].c_str(), nullptr, 10)) : 0;
  p.password = lines.size() > 1 ? lines[1] : "";
  p.user = "root";
  p.database = database;
  return p;
}

bool AppParams(sql::Params& out) {
  const std::vector<std::string> lines = ReadLines(TestEnv::FromEnvironment().connect_file());
  if (lines.size() < 8) return false;
  out.host = "127.0.0.1";
  out.port = static_cast<unsigned>(std::strtoul(lines[1].c_str(), nullptr, 10));
  out.database = lines[3];
  out.user = lines[5];
  out.password = lines[7];
  return true;
}

bool ResetDatabase() {
  if (!HaveTestEnv()) return false;
  const ProcessResult r = Run({TestEnv::FromEnvironment().deploy + "/setupdb"},
                              {"KASSA_UI=console", "KASSA_REINSTALL=yes"});
  if (r.exit_code != 0) std::cerr << "setupdb: " << r.exit_code << " " << r.error;
  return r.exit_code == 0;
}

bool RootExec(const std::string& statement, std::string* error, const std::string& database) {
  std::string message;
  std::unique_ptr<sql::Connection> cn = OpenRoot(database, message);
  bool ok = cn && cn->Execute(statement, message);
  if (!ok && error) *error = message;
  return ok;
}

std::vector<std::vector<std::string>> RootQuery(const std::string& statement,
                                                const std::string& database) {
  std::string message;
  std::unique_ptr<sql::Connection> cn = OpenRoot(database, message);
  if (!cn) throw std::runtime_error("root connection: " + message);
  std::unique_ptr<sql::Result> result = cn->Query(statement, message);
  if (!result) throw std::runtime_error(statement + ": " + message);
  std::vector<std::vector<std::string>> rows;
  for (size_t r = 0; r < result->RowCount(); ++r) {
    std::vector<std::string> row;
    for (size_t c = 0; c < result->columns().size(); ++c)
      row.push_back(result->IsNull(r, c) ? "NULL" : result->Raw(r, c));
    rows.push_back(std::move(row));
  }
  return rows;
}

int KillAppConnections() {
  std::string message;
  std::unique_ptr<sql::Connection> cn = OpenRoot("mysql", message);
  if (!cn) return 0;
  std::unique_ptr<sql::Result> ids =
      cn->Query("select ID from information_schema.PROCESSLIST where USER = 'pnrowner'", message);
  if (!ids) return 0;
  int killed = 0;
  for (size_t r = 0; r < ids->RowCount(); ++r)
    if (cn->Execute("KILL CONNECTION " + ids->Raw(r, 0), message)) ++killed;
  return killed;
}

unsigned FreeLoopbackPort() {
  const int s = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (s < 0) return 0;
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof a;
  unsigned port = 0;
  if (bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
      getsockname(s, reinterpret_cast<sockaddr*>(&a), &size) == 0)
    port = ntohs(a.sin_port);
  close(s);
  return port;
}

bool StopServer() {
  return RunKassaDb("stop");
}
bool StartServer() {
  return RunKassaDb("start");
}

}  // namespace kassa::testsupport
