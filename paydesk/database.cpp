#include "paydesk/database.h"

#include "paydesk/texts.h"
#include "platform/ui/ui.h"

namespace kassa::paydesk {

bool Database::Ensure() {
  if (adb_) return true;
  adb_ = component::Create<dbgate::ADB_cls>(texts::kDbgateProgId);
  if (adb_) return true;
  ui::Message(texts::kDbgateMissing, ui::Buttons::OK);
  program_.End();
  return false;
}

void Database::RunCommand(const std::string& sql) {
  Stop_Program = true;
  if (!Ensure()) return;
  adb_->SQL_Command_Execute(sql, Stop_Program);
}

void Database::RunWork(const std::function<dbgate::WorkEnd(dbgate::Work&)>& body) {
  Stop_Program = true;
  if (!Ensure()) return;
  adb_->SQL_Work_Execute(false, body, Stop_Program);
}

std::string Database::ReadValue(const std::string& sql) {
  Stop_Program = true;
  if (!Ensure()) return "";
  return adb_->Get_Value_by_SQL(sql, Stop_Program);
}

bool Database::ConnectionStringCN(std::string& cn) {
  if (!Ensure()) return false;
  std::string sql, sql_empty;
  return adb_->Get_Connection_Parametrs(cn, sql, sql_empty) == 0;
}

}  // namespace kassa::paydesk
