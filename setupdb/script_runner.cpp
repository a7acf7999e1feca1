#include "setupdb/script_runner.h"

#include "setupdb/schema.h"
#include "setupdb/texts.h"

namespace kassa::setupdb {

bool RunInstallScript(sql::Connection& admin, const std::string& app_password,
                      ScriptFailure& failure) {
  const auto& script = InstallScript();
  for (int i = 1; i <= kScriptSize; ++i) {
    std::string error;
    if (!admin.Execute(PrepareStatement(script[i], app_password), error)) {
      failure.number = i;
      failure.statement = script[i];
      failure.server_message = error;
      return false;
    }
  }
  return true;
}

std::string DescribeFailure(const ScriptFailure& failure) {
  return std::string(texts::kStatementFailed) + std::to_string(failure.number) + "\n" +
         failure.statement + "\n" + texts::kServerAnswer + failure.server_message + "\n" +
         texts::kNothingWritten;
}

}  // namespace kassa::setupdb
