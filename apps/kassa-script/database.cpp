#include "apps/kassa-script/database.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <thread>

namespace kassa::script {
namespace {

constexpr char kDatabase[] = "db_pnr_l";
constexpr char kAppUser[] = "pnrowner";

// Client errors that mean the connection is gone (server gone away / lost).
bool ConnectionLost(unsigned err) {
  return err == 2006 || err == 2013;
}

bool ReadRootParams(const std::string& deploy, sql::Params& p, std::string& error) {
  std::string path = deploy + "/Pass_Parametrs.ini";
  std::ifstream in(path);
  if (!in) {
    error = "cannot read " + path;
    return false;
  }
  std::string port, password;
  std::getline(in, port);
  std::getline(in, password);
  for (std::string* s : {&port, &password})
    if (!s->empty() && s->back() == '\r') s->pop_back();
  char* end = nullptr;
  unsigned long n = std::strtoul(port.c_str(), &end, 10);
  if (port.empty() || *end != '\0' || n == 0 || n > 65535) {
    error = "no port on line 1 of " + path;
    return false;
  }
  p.port = static_cast<unsigned>(n);
  p.user = "root";
  p.password = password;
  p.database = kDatabase;
  return true;
}

}  // namespace

int RunAndWait(const std::string& program, const std::vector<std::string>& args, std::string& error,
               const std::vector<std::string>& environment) {
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  std::fflush(stdout);
  std::fflush(stderr);
  pid_t pid = fork();
  if (pid < 0) {
    error = std::string("cannot start ") + program + ": " + std::strerror(errno);
    return -1;
  }
  if (pid == 0) {
    dup2(STDERR_FILENO, STDOUT_FILENO);
    for (const std::string& entry : environment) {
      const size_t eq = entry.find('=');
      if (eq != std::string::npos)
        setenv(entry.substr(0, eq).c_str(), entry.substr(eq + 1).c_str(), 1);
    }
    execv(program.c_str(), argv.data());
    std::fprintf(stderr, "cannot run %s: %s\n", program.c_str(), std::strerror(errno));
    _exit(127);
  }
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) {
      error = std::string("cannot wait for ") + program;
      return -1;
    }
  }
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  error = program + " ended by signal " + std::to_string(WTERMSIG(status));
  return -1;
}

Database::Database(std::string deploy, std::string tools)
    : deploy_(std::move(deploy)), tools_(std::move(tools)) {}

bool Database::Connect(std::string& error) {
  if (root_) return true;
  sql::Params p;
  if (!ReadRootParams(deploy_, p, error)) return false;
  root_ = sql::Connection::Open(p, error);
  return root_ != nullptr;
}

bool Database::RunTool(const std::string& program, const std::vector<std::string>& args,
                       std::string& error, const std::vector<std::string>& environment) {
  root_.reset();  // the server or the database is about to change under it
  int status = RunAndWait(program, args, error, environment);
  if (status < 0) return false;
  if (status != 0) {
    error = program + " failed with exit status " + std::to_string(status);
    return false;
  }
  return true;
}

bool Database::Reset(std::string& error) {
  return RunTool(deploy_ + "/setupdb", {}, error, {"KASSA_REINSTALL=yes"});
}

bool Database::StopServer(std::string& error) {
  return RunTool(tools_ + "/kassa-db", {"stop"}, error);
}

bool Database::StartServer(std::string& error) {
  return RunTool(tools_ + "/kassa-db", {"start"}, error);
}

bool Database::Exec(const std::string& sql, std::string& error) {
  if (!Connect(error)) return false;
  if (root_->Execute(sql, error)) return true;
  if (!ConnectionLost(root_->LastErrno())) return false;
  // A connection lost since the last command (server restarted) is opened once more.
  root_.reset();
  std::string first = error;
  if (!Connect(error)) {
    error = first;
    return false;
  }
  return root_->Execute(sql, error);
}

bool Database::Query(const std::string& sql, std::vector<std::vector<std::string>>& rows,
                     std::string& error) {
  rows.clear();
  if (!Connect(error)) return false;
  std::unique_ptr<sql::Result> r = root_->Query(sql, error);
  if (!r && !ConnectionLost(root_->LastErrno())) return false;
  if (!r) {
    root_.reset();
    std::string first = error;
    if (!Connect(error)) {
      error = first;
      return false;
    }
    r = root_->Query(sql, error);
    if (!r) return false;
  }
  for (size_t i = 0; i < r->RowCount(); ++i) {
    std::vector<std::string> row;
    for (size_t j = 0; j < r->columns().size(); ++j)
      row.push_back(r->IsNull(i, j) ? "NULL" : r->Raw(i, j));
    rows.push_back(std::move(row));
  }
  return true;
}

bool Database::KillAppConnections(int& killed, std::string& error) {
  killed = 0;
  std::vector<std::vector<std::string>> ids;
  if (!Query(std::string("SELECT ID FROM information_schema.PROCESSLIST WHERE USER = '") +
                 kAppUser + "'",
             ids, error))
    return false;
  for (const auto& row : ids) {
    std::string ignored;
    // A connection that ended meanwhile is not an error.
    if (root_->Execute("KILL " + row[0], ignored)) ++killed;
  }
  // The server ends a killed connection in its own time: the command returns
  // once none of them is listed any more (or after five seconds).
  for (int waited_ms = 0; killed > 0 && waited_ms < 5000; waited_ms += 20) {
    std::vector<std::vector<std::string>> left;
    if (!Query(std::string("SELECT COUNT(*) FROM information_schema.PROCESSLIST WHERE USER = '") +
                   kAppUser + "'",
               left, error))
      return false;
    if (left.empty() || left[0].empty() || left[0][0] == "0") break;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

}  // namespace kassa::script
