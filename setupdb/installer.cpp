#include "setupdb/installer.h"

#include <memory>

#include "platform/ui/ui.h"
#include "setupdb/app_password.h"
#include "setupdb/connect_file.h"
#include "setupdb/earlier_user.h"
#include "setupdb/script_runner.h"
#include "setupdb/texts.h"

namespace kassa::setupdb {

bool AdminParams(const PassParametrs& pass, sql::Params& out) {
  if (pass.port.empty() || pass.port.size() > 5) return false;
  unsigned port = 0;
  for (char c : pass.port) {
    if (c < '0' || c > '9') return false;
    port = port * 10 + static_cast<unsigned>(c - '0');
  }
  if (port == 0 || port > 65535) return false;
  out.host = "127.0.0.1";
  out.port = port;
  out.database = texts::kAdminDatabase;
  out.user = texts::kAdminUser;
  out.password = pass.root_password;
  return true;
}

int RunInstaller(const std::string& folder) {
  const std::uint64_t seed = ClockSeed();

  PassParametrs pass;
  if (!ReadPassParametrs(folder + "/" + texts::kPassFile, pass)) {
    ui::Message(texts::kInputFileError);
    return kBadInput;
  }
  if (pass.port.empty()) {
    ui::Message(texts::kNoPort);
    return kBadInput;
  }
  if (pass.root_password.empty()) {
    ui::Message(texts::kNoPassword);
    return kBadInput;
  }

  const std::string app_password = GeneratePassword(seed);

  std::unique_ptr<sql::Connection> admin;
  sql::Params params;
  if (AdminParams(pass, params)) {
    std::string error;
    admin = sql::Connection::Open(params, error);
  }
  if (!admin) {
    ui::Message(texts::kCannotConnect);
    return kNoConnection;
  }

  RemoveEarlierUser(*admin);

  ScriptFailure failure;
  const bool installed = RunInstallScript(*admin, app_password, failure);
  admin.reset();
  if (!installed) {
    ui::Message(DescribeFailure(failure));
    return kScriptFailed;
  }

  const std::string ini = folder + "/" + texts::kDllsFolder + "/" + texts::kConnectFile;
  if (!WriteConnectParametrs(ini, pass.port, app_password)) {
    ui::Message(texts::kIniNotWritten);
    return kFileNotWritten;
  }
  return kInstalled;
}

}  // namespace kassa::setupdb
