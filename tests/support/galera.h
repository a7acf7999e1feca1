// Support for tests against the test Galera cluster (CTest fixture "galera",
// scripts/testenv.sh galera-start). The environment is that of the database
// tests (KASSA_TESTENV, KASSA_DEPLOY, KASSA_COMPONENTS: see testsupport.h,
// whose root functions reach the first node) plus KASSA_GALERA, the
// cluster's folder.
//
// Nodes are numbered from 1. A node's process is found by its pid file;
// Kill sends SIGKILL to it, as a crash or a pulled plug would end it.
#pragma once

#include <string>
#include <vector>

#include "platform/sql/sql.h"

namespace kassa::testsupport {

class GaleraCluster {
 public:
  // True when the environment of a Galera test is present.
  static bool Have();
  // The cluster of the environment; Nodes() is 0 when it cannot be read.
  GaleraCluster();

  int Nodes() const { return static_cast<int>(nodes_.size()); }
  unsigned Port(int node) const;
  // "127.0.0.1:<port>,..." for every node, in order (the ninth line).
  std::string Hosts() const;

  // Whether the node's server process lives.
  bool Alive(int node) const;
  // SIGKILL to the node's server; returns once the process is gone.
  bool Kill(int node);
  // Starts every node that is down and waits until all are synced members.
  bool StartAll();

  // Root's connection parameters for a node, and statements on it.
  sql::Params RootParams(int node, const std::string& database = "db_pnr_l") const;
  bool Exec(int node, const std::string& sql, std::string* error = nullptr) const;
  // Rows as text ("NULL" for null); throws std::runtime_error on failure.
  std::vector<std::vector<std::string>> Query(int node, const std::string& sql) const;

  // The node on which `user` has a session now (the first one found among
  // the live nodes), 0 when none has.
  int NodeOfUser(const std::string& user) const;
  // The node serving `port`, 0 when none does.
  int NodeOfPort(unsigned port) const;

 private:
  struct Node {
    unsigned port = 0;
    std::string pid_file;
  };
  int Pid(int node) const;
  std::string dir_;
  std::vector<Node> nodes_;
};

// Writes the ninth line of the test installation's Connect_Parametrs.ini:
// every node of the cluster. Run after each installation of the ledger
// (ResetDatabase writes an eight-line file).
bool WriteClusterHosts(const GaleraCluster& cluster);

}  // namespace kassa::testsupport
