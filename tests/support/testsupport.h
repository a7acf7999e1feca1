// Support for tests that run against the test environment's MariaDB server
// (CTest fixture "db", see CMakeLists.txt). Every function reads the
// environment that kassa_db_test() gives a test; outside it they fail.
#pragma once

#include <string>
#include <vector>

#include "platform/sql/sql.h"

namespace kassa::testsupport {

// Paths of the test environment, from KASSA_TESTENV, KASSA_DEPLOY,
// KASSA_DB_DIR and KASSA_COMPONENTS ("" when unset).
struct TestEnv {
  std::string testenv;     // the environment's folder
  std::string deploy;      // the deployment copy (setupdb, programs, DLLs/)
  std::string db_dir;      // the server's files
  std::string components;  // the component registry
  std::string dlls() const { return deploy + "/DLLs"; }
  std::string connect_file() const { return deploy + "/DLLs/Connect_Parametrs.ini"; }
  std::string pass_file() const { return deploy + "/Pass_Parametrs.ini"; }
  static TestEnv FromEnvironment();
};

// True when the environment of a database test is present.
bool HaveTestEnv();

// Root's connection to `database` on the test server: loopback, the port and
// root password of $KASSA_DEPLOY/Pass_Parametrs.ini.
sql::Params RootParams(const std::string& database = "db_pnr_l");

// The application user's connection from DLLs/Connect_Parametrs.ini (lines
// 2, 4, 6, 8). False when the file is missing or short.
bool AppParams(sql::Params& out);

// Runs $KASSA_DEPLOY/setupdb (messages to standard error, never a window) as
// an explicit reinstallation: a fresh ledger database, application user and
// Connect_Parametrs.ini, whatever the ledger held. True when it exits 0.
bool ResetDatabase();

// One statement as root in `database` on a fresh connection. False with
// `error` (when given) set to the server's message.
bool RootExec(const std::string& sql, std::string* error = nullptr,
              const std::string& database = "db_pnr_l");

// Rows of a query as root, values as the server sends them, "NULL" for null.
// Throws std::runtime_error with the server's message on failure.
std::vector<std::vector<std::string>> RootQuery(const std::string& sql,
                                                const std::string& database = "db_pnr_l");

// Kills every connection of the application user pnrowner; returns how many.
int KillAppConnections();

// Stops / starts the test server (scripts/kassa-db with this environment).
// True on success; StartServer returns once the server answers.
bool StopServer();
bool StartServer();

// A finished child process.
struct ProcessResult {
  int exit_code = -1;  // exit status, or 128 + signal, or -1 when it could not run
  std::string output;  // standard output
  std::string error;   // standard error
};

// Runs `argv` (argv[0] a path), waits, captures both outputs. `extra_env`
// entries ("NAME=value") are added to this process's environment.
ProcessResult Run(const std::vector<std::string>& argv,
                  const std::vector<std::string>& extra_env = {});

// A TCP port on the loopback interface that nothing listens on now (0 when
// none could be found).
unsigned FreeLoopbackPort();

// The repository's folder (for scripts/ and examples/).
std::string SourceDir();

}  // namespace kassa::testsupport
