#include "setupdb/installer.h"

#include <cstdlib>
#include <memory>

#include "platform/ui/ui.h"
#include "setupdb/app_password.h"
#include "setupdb/connect_file.h"
#include "setupdb/earlier_user.h"
#include "setupdb/existing_ledger.h"
#include "setupdb/script_runner.h"
#include "setupdb/texts.h"

namespace kassa::setupdb {

namespace {

// A port number as typed: "1" to "65535", digits only, nothing trimmed.
bool ReadPortNumber(const std::string& text, unsigned& port) {
  if (text.empty() || text.size() > 5) return false;
  unsigned value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + static_cast<unsigned>(c - '0');
  }
  if (value == 0 || value > 65535) return false;
  port = value;
  return true;
}

bool ReinstallWithoutQuestion() {
  const char* value = std::getenv(kReinstallVariable);
  return value && std::string(value) == "yes";
}

// The first administrative connection that opens, trying `targets` in order.
std::unique_ptr<sql::Connection> OpenAdmin(const std::vector<sql::Params>& targets) {
  for (const sql::Params& target : targets) {
    std::string error;
    if (std::unique_ptr<sql::Connection> admin = sql::Connection::Open(target, error)) return admin;
  }
  return nullptr;
}

// Whether the run may replace the ledger database: yes when it holds no
// payments or the reinstallation was asked for explicitly; otherwise the
// user is asked, and "No" (the safe answer, taken where nobody can be
// asked) keeps it. Messages are shown here; `status` is set when not.
bool MayReplaceLedger(sql::Connection& admin, int& status) {
  if (ReinstallWithoutQuestion()) return true;
  LedgerPayments payments;
  std::string error;
  if (!CountLedgerPayments(admin, payments, error)) {
    ui::Message(texts::kLedgerNotCounted + error);
    status = kLedgerKept;
    return false;
  }
  if (payments.total() == 0) return true;
  if (ui::Question(DropLedgerQuestion(payments), ui::Buttons::YesNo, ui::Answer::No) ==
      ui::Answer::Yes)
    return true;
  ui::Message(texts::kLedgerKept);
  status = kLedgerKept;
  return false;
}

}  // namespace

bool AdminTargets(const PassParametrs& pass, std::vector<sql::Params>& out) {
  unsigned port = 0;
  if (!ReadPortNumber(pass.port, port)) return false;
  std::vector<sql::Endpoint> servers;
  if (!pass.servers.empty() && !sql::ParseServerList(pass.servers, servers)) return false;
  servers.push_back(sql::Endpoint{texts::kLoopback, port});
  out.clear();
  for (const sql::Endpoint& server : servers) {
    sql::Params params;
    params.host = server.host;
    params.port = server.port ? server.port : port;
    params.database = texts::kAdminDatabase;
    params.user = texts::kAdminUser;
    params.password = pass.root_password;
    out.push_back(params);
  }
  return true;
}

int RunInstaller(const std::string& folder) {
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
  std::vector<sql::Endpoint> servers;
  if (!pass.servers.empty() && !sql::ParseServerList(pass.servers, servers)) {
    ui::Message(texts::kBadServerList + pass.servers);
    return kBadInput;
  }

  std::string app_password;
  if (!GeneratePassword(SystemRandomBytes, app_password)) {
    ui::Message(texts::kNoRandomSource);
    return kNoRandomSource;
  }

  std::unique_ptr<sql::Connection> admin;
  std::vector<sql::Params> targets;
  if (AdminTargets(pass, targets)) admin = OpenAdmin(targets);
  if (!admin) {
    ui::Message(texts::kCannotConnect);
    return kNoConnection;
  }

  int kept = kInstalled;
  if (!MayReplaceLedger(*admin, kept)) return kept;

  RemoveEarlierUser(*admin);

  ScriptFailure failure;
  const bool installed = RunInstallScript(*admin, app_password, failure);
  admin.reset();
  if (!installed) {
    ui::Message(DescribeFailure(failure));
    return kScriptFailed;
  }

  const std::string ini = folder + "/" + texts::kDllsFolder + "/" + texts::kConnectFile;
  FileSharing sharing;
  if (!WriteConnectParametrs(ini, pass.port, app_password, pass.servers, &sharing)) {
    ui::Message(texts::kIniNotWritten);
    return kFileNotWritten;
  }
  if (sharing.group_refused)
    ui::Message(texts::kGroupRefusedPrefix + sharing.group + texts::kGroupRefusedSuffix);
  return kInstalled;
}

}  // namespace kassa::setupdb
