// The runner's database commands: the ledger database as root, the installer
// and the private server's control script.
//
// The root parameters come from <deploy>/Pass_Parametrs.ini (line 1 port,
// line 2 root password); the database is db_pnr_l on the loopback host.
// Every member returns false with `error` set when the step failed.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/sql/sql.h"

namespace kassa::script {

class Database {
 public:
  // `deploy`: folder of the installer and Pass_Parametrs.ini; `tools`:
  // folder of the kassa-db control script (the runner's own folder).
  Database(std::string deploy, std::string tools);

  // Runs the installer of the deploy folder afresh (new schema, application
  // password and connection parameters file) as an explicit reinstallation:
  // the ledger is replaced whatever it holds, without the installer's
  // question.
  bool Reset(std::string& error);
  bool Exec(const std::string& sql, std::string& error);
  // Rows as the server sends them as text; a null is "NULL".
  bool Query(const std::string& sql, std::vector<std::vector<std::string>>& rows,
             std::string& error);
  bool StopServer(std::string& error);
  bool StartServer(std::string& error);
  // Kills every connection of the application user; `killed` counts them.
  bool KillAppConnections(int& killed, std::string& error);

 private:
  bool Connect(std::string& error);
  bool RunTool(const std::string& program, const std::vector<std::string>& args, std::string& error,
               const std::vector<std::string>& environment = {});
  std::string deploy_, tools_;
  std::unique_ptr<sql::Connection> root_;
};

// Runs `program` with `args` and waits for it, with the runner's environment
// plus `environment` ("NAME=value" entries); its standard output goes to the
// runner's standard error so it never mixes with the transcript. Returns the
// exit status, or -1 with `error` set when it could not run.
int RunAndWait(const std::string& program, const std::vector<std::string>& args, std::string& error,
               const std::vector<std::string>& environment = {});

}  // namespace kassa::script
