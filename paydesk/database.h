// The program's database routines over its one ADB_cls instance, created by
// "Dbgate.ADB_cls" on first need and kept until the program ends, and the
// program's Stop_Program flag passed to every database call.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "dbgate/adb.h"
#include "paydesk/program.h"

namespace kassa::paydesk {

class Database {
 public:
  explicit Database(Program& program) : program_(program) {}

  // Each routine first makes sure the instance exists; when it cannot be
  // created the user is told "Библиотека Dbgate не установлена", the
  // program ends, and the routine fails (Stop_Program True, "" / false).
  void RunCommand(const std::string& sql);
  std::string ReadValue(const std::string& sql);
  // A unit of work whose statements depend on what it finds (ADB_cls's
  // SQL_Work_Execute, outside a transaction): attempts, reconnects and the
  // give-up prompt as for a command.
  void RunWork(const std::function<dbgate::WorkEnd(dbgate::Work&)>& body);
  // Connection_String_CN from the parameters file; false when the library
  // is missing or the file cannot be read.
  bool ConnectionStringCN(std::string& cn);

  bool Stop_Program = false;

 private:
  bool Ensure();
  Program& program_;
  std::shared_ptr<dbgate::ADB_cls> adb_;
};

}  // namespace kassa::paydesk
