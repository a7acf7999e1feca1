#include "dbgate/adb_impl.h"

#include <algorithm>
#include <utility>

#include "dbgate/connection_params.h"
#include "dbgate/recordset_impl.h"
#include "dbgate/statement_trace.h"
#include "dbgate/texts.h"
#include "dbgate/wait_message.h"
#include "platform/sql/sql.h"
#include "platform/ui/ui.h"

namespace kassa::dbgate {

namespace {

constexpr double kMaxConnectionAge = 1800;  // seconds
constexpr int kAttempts = 3;
constexpr int16_t kReconnectPause = 300;     // ms, before and after the disconnect
constexpr int16_t kRefreshRetryPause = 300;  // ms, between query-table refreshes
constexpr int16_t kAfterRefreshPause = 100;  // ms, before the password is masked again
constexpr int kTypeMismatch = 13;

// DB_Command: the command object, bound to the connection it was made on.
struct Command {
  sql::Connection* ActiveConnection = nullptr;
  int CommandTimeout = 10800;
};

// The three statement members differ only in these.
enum class Kind { Command, RV, OV };

struct KindTexts {
  const char* wait;
  const char* give_up;
  const char* object_failed;
};

KindTexts TextsOf(Kind k) {
  switch (k) {
    case Kind::Command:
      return {texts::kWaitCommand, texts::kGiveUpCommand, texts::kCommandObjectFailed};
    case Kind::RV:
      return {texts::kWaitQuery, texts::kGiveUpQuery, texts::kRvObjectFailed};
    case Kind::OV:
      break;
  }
  return {texts::kWaitValue, texts::kGiveUpValue, texts::kOvObjectFailed};
}

class ADBImpl final : public ADB_cls {
 public:
  explicit ADBImpl(std::string parameters_file) : parameters_file_(std::move(parameters_file)) {}

  void DisconnectDB() override;
  void SQL_Command_Execute(const std::string& DS_SQL, bool& Stop_Program) override {
    RunStatement(Kind::Command, DS_SQL, nullptr, Stop_Program);
  }
  void SQL_RV_Open(const std::string& RV_SQL, RecordsetRef& rv_Pass, bool& Stop_Program) override {
    RunStatement(Kind::RV, RV_SQL, &rv_Pass, Stop_Program);
  }
  void SQL_RV_Close() override { CloseRecordset(RV_Recordset); }
  void Simple() override { ui::Message(texts::kSimple, ui::Buttons::OK); }
  void SQL_OV_Open(const std::string& OV_SQL, RecordsetRef& ov_Pass, bool& Stop_Program) override {
    RunStatement(Kind::OV, OV_SQL, &ov_Pass, Stop_Program);
  }
  void SQL_OV_Close() override { CloseRecordset(OV_Recordset); }
  int Query_Refresh(host::QueryTable& qt, bool& Stop_Program) override;
  void Simple_Exp() override { ui::Message(texts::kSimple, ui::Buttons::OK); }
  void Delay_MS(int16_t PauseTime) override { ui::Pause(std::max<int>(0, PauseTime)); }
  int Get_Connection_Parametrs(std::string& Connection_String_CN,
                               std::string& Connection_String_SQL,
                               std::string& Connection_String_SQL_Empty) override;
  std::string Get_Value_by_SQL(const std::string& RS_SQL, bool& Stop_Program) override;
  void SQL_Transaction_Execute(const std::vector<std::string>& statements,
                               bool& Stop_Program) override;

 private:
  bool Connect_DB();
  bool Check_Connection_Age();
  bool Reconnect_DB();
  bool Create_Command();
  bool Create_RV_Recordset() { return CreateRecordset(RV_Recordset, texts::kRvObjectFailed); }
  bool Create_OV_Recordset() { return CreateRecordset(OV_Recordset, texts::kOvObjectFailed); }
  bool CreateRecordset(std::shared_ptr<ResultRecordset>& field, const char* failure);
  bool Create(Kind k);
  bool HasObject(Kind k) const;
  std::shared_ptr<ResultRecordset>& RecordsetOf(Kind k) {
    return k == Kind::RV ? RV_Recordset : OV_Recordset;
  }
  // One attempt of the statement; false when it failed.
  bool Attempt(Kind k, const std::string& text);
  // One attempt of a whole transaction; on failure `failing` names the
  // statement that failed and the transaction is rolled back.
  bool AttemptTransaction(const std::vector<std::string>& statements, std::string& failing);
  // The shared procedure: connection on demand, age check, the object, the
  // wait message, three attempts with a reconnect after each failure, and
  // the give-up prompt.
  void RunStatement(Kind k, const std::string& text, RecordsetRef* pass, bool& Stop_Program);
  // Steps 1-4 of the shared procedure for the command object.
  bool PrepareCommand(bool& Stop_Program);
  void GiveUp(const char* prompt, const std::string& text);
  static void CloseRecordset(const std::shared_ptr<ResultRecordset>& rs) {
    if (rs && rs->State() != 0) rs->Close();
  }

  std::unique_ptr<sql::Connection> DB_Connection;
  std::unique_ptr<Command> DB_Command;
  std::shared_ptr<ResultRecordset> RV_Recordset;
  std::shared_ptr<ResultRecordset> OV_Recordset;
  WaitMessage Wait;  // Wait_Server, Wait_Shown, Wait_Shown_Time
  std::string Connection_String_CN;
  std::string Connection_String_SQL;
  std::string Connection_String_SQL_Empty;
  double Connect_Time = 0;  // monotonic seconds
  std::string parameters_file_;
  // The ledger server of the connection, as an index into the servers of
  // Connection_String_CN: the first connect starts at the first server, and
  // every reconnect moves on to the next one (so with a cluster a failed
  // attempt is retried on another server). One server: always that one.
  size_t server_ = 0;
};

bool ADBImpl::Connect_DB() {
  DB_Connection.reset();
  bool ok = true;
  if (Connection_String_CN.empty())
    ok = Get_Connection_Parametrs(Connection_String_CN, Connection_String_SQL,
                                  Connection_String_SQL_Empty) == 0;
  sql::Params params;
  if (ok) ok = sql::ParseConnectionString(Connection_String_CN, params);
  if (ok) {
    // A server that refuses is passed over for the next one; the connect
    // fails only when none of them accepts.
    std::string error;
    DB_Connection = sql::Connection::OpenFirst(params, server_, &server_, error);
    ok = DB_Connection != nullptr;
  }
  if (ok) {
    Connect_Time = ui::Monotonic();
    return true;
  }
  ui::Message(texts::kConnectFailed, ui::Buttons::OK);
  Connection_String_CN.clear();
  DB_Connection.reset();
  return false;
}

bool ADBImpl::Check_Connection_Age() {
  if (Connect_Time + kMaxConnectionAge < ui::Monotonic()) return Reconnect_DB();
  return true;
}

bool ADBImpl::Reconnect_DB() {
  Delay_MS(kReconnectPause);
  DisconnectDB();
  Delay_MS(kReconnectPause);
  ++server_;  // taken modulo the number of servers when connecting
  return Connect_DB();
}

bool ADBImpl::Create_Command() {
  if (!DB_Connection) {
    ui::Message(texts::kCommandObjectFailed, ui::Buttons::OK);
    DB_Command.reset();
    return false;
  }
  DB_Command = std::make_unique<Command>();
  DB_Command->ActiveConnection = DB_Connection.get();
  return true;
}

bool ADBImpl::CreateRecordset(std::shared_ptr<ResultRecordset>& field, const char* failure) {
  if (!DB_Connection) {
    ui::Message(failure, ui::Buttons::OK);
    field.reset();
    return false;
  }
  field = std::make_shared<ResultRecordset>();
  return true;
}

bool ADBImpl::Create(Kind k) {
  switch (k) {
    case Kind::Command:
      return Create_Command();
    case Kind::RV:
      return Create_RV_Recordset();
    case Kind::OV:
      return Create_OV_Recordset();
  }
  return false;
}

bool ADBImpl::HasObject(Kind k) const {
  switch (k) {
    case Kind::Command:
      return DB_Command != nullptr;
    case Kind::RV:
      return RV_Recordset != nullptr;
    case Kind::OV:
      return OV_Recordset != nullptr;
  }
  return false;
}

bool ADBImpl::Attempt(Kind k, const std::string& text) {
  std::string error;
  if (k == Kind::Command) {
    if (!DB_Command || DB_Command->ActiveConnection != DB_Connection.get()) return false;
    TraceStatement(text);
    return DB_Connection->Execute(text, error);
  }
  auto& rs = RecordsetOf(k);
  if (!rs || !DB_Connection || rs->State() != 0) return false;  // an open record set refuses
  TraceStatement(text);
  return rs->Open(*DB_Connection, text, error);
}

void ADBImpl::RunStatement(Kind k, const std::string& text, RecordsetRef* pass,
                           bool& Stop_Program) {
  Stop_Program = true;
  if (!DB_Connection && !Connect_DB()) return;
  if (!Check_Connection_Age()) return;
  if (!HasObject(k) && !Create(k)) return;
  const KindTexts t = TextsOf(k);
  Wait.Show(t.wait);
  for (int attempt = 1; attempt <= kAttempts; ++attempt) {
    if (Attempt(k, text)) {
      Stop_Program = false;
      if (pass) *pass = RecordsetOf(k);
      Wait.Close();
      return;
    }
    if (!Reconnect_DB() || !Create(k)) {
      Wait.Close();
      return;
    }
  }
  Wait.Close();
  GiveUp(t.give_up, text);
}

void ADBImpl::GiveUp(const char* prompt, const std::string& text) {
  if (ui::Message(prompt, ui::Buttons::OKCancel) == ui::Answer::OK)
    ui::Message(text, ui::Buttons::OK);
}

void ADBImpl::DisconnectDB() {
  bool failed = false;
  auto step = [&failed](auto&& f) {
    try {
      f();
    } catch (...) {
      failed = true;
    }
  };
  step([this] { DB_Command.reset(); });
  step([this] {
    if (RV_Recordset && RV_Recordset->State() >= 1) RV_Recordset->Close();
  });
  RV_Recordset.reset();
  step([this] {
    if (OV_Recordset && OV_Recordset->State() >= 1) OV_Recordset->Close();
  });
  OV_Recordset.reset();
  step([this] { DB_Connection.reset(); });
  if (failed) ui::Message(texts::kDisconnectFailed, ui::Buttons::OK);
}

int ADBImpl::Get_Connection_Parametrs(std::string& Connection_String_CN,
                                      std::string& Connection_String_SQL,
                                      std::string& Connection_String_SQL_Empty) {
  ConnectionValues values;
  if (int rc = ReadConnectionValues(parameters_file_, values)) return rc;
  ConnectionStrings s = BuildConnectionStrings(values);
  Connection_String_CN = std::move(s.cn);
  Connection_String_SQL = std::move(s.sql);
  Connection_String_SQL_Empty = std::move(s.sql_empty);
  return 0;
}

std::string ADBImpl::Get_Value_by_SQL(const std::string& RS_SQL, bool& Stop_Program) {
  RecordsetRef rs;
  SQL_OV_Open(RS_SQL, rs, Stop_Program);
  if (Stop_Program) return "";
  std::string value;
  if (rs->EOF()) {
    value = texts::kNoRowValue;
  } else {
    rs->MoveFirst();
    const Field& field = rs->Fields(0);
    if (field.ActualSize() != 0) {
      auto text = ToText(field.Value());
      if (!text) throw host::HostError(kTypeMismatch, "Type mismatch");
      value = *text;
    }
  }
  SQL_OV_Close();
  if (rs->State() != 0) rs->Close();
  return value;
}

int ADBImpl::Query_Refresh(host::QueryTable& qt, bool& Stop_Program) {
  Stop_Program = true;
  if (Connection_String_SQL.empty()) {
    if (int rc = Get_Connection_Parametrs(Connection_String_CN, Connection_String_SQL,
                                          Connection_String_SQL_Empty))
      return rc;
  }
  qt.Connection(Connection_String_SQL);
  Wait.Show(texts::kWaitQuery);
  auto mask = [&] {
    Wait.Close();
    Delay_MS(kAfterRefreshPause);
    try {
      qt.Connection(Connection_String_SQL_Empty);
    } catch (const std::exception&) {
    }
  };
  try {
    if (!qt.EnableRefresh()) qt.EnableRefresh(true);
  } catch (const std::exception&) {
  }
  for (int attempt = 1; attempt <= kAttempts; ++attempt) {
    try {
      TraceStatement(qt.CommandText());
      qt.Refresh();
      Stop_Program = false;
      mask();
      return 0;
    } catch (const host::HostError& e) {
      // The host refused the query or its result: the database answered,
      // and another attempt would be refused alike.
      if (e.code() == host::kErrorResultTooLarge || e.code() == host::kErrorQueryRefused) {
        Stop_Program = false;
        mask();
        return e.code();
      }
      Delay_MS(kRefreshRetryPause);
    } catch (const std::exception&) {
      Delay_MS(kRefreshRetryPause);
    }
  }
  mask();
  if (ui::Message(texts::kGiveUpQuery, ui::Buttons::OKCancel) == ui::Answer::OK) {
    std::string command;
    try {
      command = qt.CommandText();
    } catch (const std::exception&) {
    }
    ui::Message(command, ui::Buttons::OK);
  }
  return 0;
}

bool ADBImpl::PrepareCommand(bool& Stop_Program) {
  Stop_Program = true;
  if (!DB_Connection && !Connect_DB()) return false;
  if (!Check_Connection_Age()) return false;
  return DB_Command || Create_Command();
}

bool ADBImpl::AttemptTransaction(const std::vector<std::string>& statements, std::string& failing) {
  failing = "START TRANSACTION";
  if (!DB_Command || !DB_Connection) return false;
  std::string error;
  // The statements go to the server one after another without waiting for
  // each answer; the transaction is all-or-nothing as before.
  return DB_Connection->ExecuteTransaction(statements, failing, error, TraceStatement);
}

void ADBImpl::SQL_Transaction_Execute(const std::vector<std::string>& statements,
                                      bool& Stop_Program) {
  if (!PrepareCommand(Stop_Program)) return;
  Wait.Show(texts::kWaitCommand);
  std::string failing;
  for (int attempt = 1; attempt <= kAttempts; ++attempt) {
    if (AttemptTransaction(statements, failing)) {
      Stop_Program = false;
      Wait.Close();
      return;
    }
    if (!Reconnect_DB() || !Create_Command()) {
      Wait.Close();
      return;
    }
  }
  Wait.Close();
  GiveUp(texts::kGiveUpCommand, failing);
}

}  // namespace

std::unique_ptr<ADB_cls> MakeADB(std::string parameters_file) {
  return std::make_unique<ADBImpl>(std::move(parameters_file));
}

}  // namespace kassa::dbgate
