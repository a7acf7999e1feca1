#include "tests/support/galera.h"

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "tests/support/testsupport.h"

namespace kassa::testsupport {

namespace {

std::string GaleraDir() {
  const char* v = std::getenv("KASSA_GALERA");
  return v ? v : "";
}

bool RunCluster(const std::vector<std::string>& args) {
  std::vector<std::string> argv{"/bin/bash", SourceDir() + "/scripts/galera-cluster"};
  argv.insert(argv.end(), args.begin(), args.end());
  const ProcessResult r = Run(argv);
  if (r.exit_code != 0) std::cerr << r.output << r.error;
  return r.exit_code == 0;
}

}  // namespace

bool GaleraCluster::Have() {
  return HaveTestEnv() && !GaleraDir().empty();
}

GaleraCluster::GaleraCluster() : dir_(GaleraDir()) {
  if (dir_.empty()) return;
  std::ifstream in(dir_ + "/nodes");
  int number = 0;
  Node node;
  while (in >> number >> node.port >> node.pid_file) {
    if (number != Nodes() + 1) break;  // numbered 1, 2, ... in order
    nodes_.push_back(node);
  }
}

unsigned GaleraCluster::Port(int node) const {
  return node >= 1 && node <= Nodes() ? nodes_[node - 1].port : 0;
}

std::string GaleraCluster::Hosts() const {
  std::string out;
  for (const Node& n : nodes_)
    out += (out.empty() ? "" : ",") + std::string("127.0.0.1:") + std::to_string(n.port);
  return out;
}

int GaleraCluster::Pid(int node) const {
  if (node < 1 || node > Nodes()) return 0;
  std::ifstream in(nodes_[node - 1].pid_file);
  int pid = 0;
  if (!(in >> pid) || pid <= 0) return 0;
  std::ifstream exe_name("/proc/" + std::to_string(pid) + "/comm");
  std::string comm;
  exe_name >> comm;
  return comm == "mariadbd" || comm == "mysqld" ? pid : 0;
}

bool GaleraCluster::Alive(int node) const {
  const int pid = Pid(node);
  return pid > 0 && ::kill(pid, 0) == 0;
}

bool GaleraCluster::Kill(int node) {
  const int pid = Pid(node);
  if (pid <= 0 || ::kill(pid, SIGKILL) != 0) return false;
  const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  // Gone once /proc no longer shows a live mariadbd for it (a zombie left to
  // its parent counts as gone: it serves nothing).
  for (;;) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text;
    std::getline(stat, text);
    const size_t close = text.rfind(')');
    if (!stat || close == std::string::npos || text.substr(close + 2, 1) == "Z") return true;
    if (std::chrono::steady_clock::now() > limit) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

bool GaleraCluster::StartAll() {
  for (int n = 1; n <= Nodes(); ++n)
    if (!Alive(n) && !RunCluster({"start-node", dir_, std::to_string(n)})) return false;
  return RunCluster({"wait", dir_});
}

sql::Params GaleraCluster::RootParams(int node, const std::string& database) const {
  sql::Params p = testsupport::RootParams(database);
  p.host = "127.0.0.1";
  p.port = Port(node);
  return p;
}

bool GaleraCluster::Exec(int node, const std::string& statement, std::string* error) const {
  std::string message;
  auto cn = sql::Connection::Open(RootParams(node), message);
  const bool ok = cn && cn->Execute(statement, message);
  if (!ok && error) *error = message;
  return ok;
}

std::vector<std::vector<std::string>> GaleraCluster::Query(int node,
                                                           const std::string& statement) const {
  std::string message;
  auto cn = sql::Connection::Open(RootParams(node), message);
  if (!cn) throw std::runtime_error("node " + std::to_string(node) + ": " + message);
  auto result = cn->Query(statement, message);
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

int GaleraCluster::NodeOfUser(const std::string& user) const {
  for (int n = 1; n <= Nodes(); ++n) {
    if (!Alive(n)) continue;
    try {
      const auto rows = Query(
          n, "SELECT COUNT(*) FROM information_schema.PROCESSLIST WHERE USER = '" + user + "'");
      if (!rows.empty() && rows[0][0] != "0") return n;
    } catch (const std::exception&) {
    }
  }
  return 0;
}

int GaleraCluster::NodeOfPort(unsigned port) const {
  for (int n = 1; n <= Nodes(); ++n)
    if (Port(n) == port) return n;
  return 0;
}

bool WriteClusterHosts(const GaleraCluster& cluster) {
  const ProcessResult r = Run({"/bin/bash", SourceDir() + "/scripts/testenv.sh", "connect-hosts",
                               TestEnv::FromEnvironment().connect_file(), cluster.Hosts()});
  if (r.exit_code != 0) std::cerr << r.output << r.error;
  return r.exit_code == 0;
}

}  // namespace kassa::testsupport
