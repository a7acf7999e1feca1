// ADB_cls against the test server: connection on demand and its renewal,
// three attempts with reconnects, the give-up prompts, record sets, single
// values, the wait message, query-table refresh, transactions, and the
// failures the user is told about.
#include "dbgate/adb.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

#include "dbgate/adb_impl.h"
#include "dbgate/connection_params.h"
#include "dbgate/texts.h"
#include "platform/host/host.h"
#include "platform/ui/script/scripted.h"
#include "tests/support/testsupport.h"

namespace kassa::dbgate {
namespace {

namespace ts = kassa::testsupport;
using Lines = std::vector<std::string>;

constexpr char kAlwaysFails[] = "SELEC 1 FROM nowhere";

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

class AdbServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(ts::HaveTestEnv()) << "run through ctest (fixture db)";
    env = ts::TestEnv::FromEnvironment();
    ui::Install(&ui);
    ASSERT_TRUE(ts::RootExec("DELETE FROM NAL_BUFFER"));
    adb = MakeADB(env.connect_file());
  }
  void TearDown() override {
    adb.reset();
    ui::Install(nullptr);
  }

  std::string ConnectionId() {
    bool stop = true;
    std::string id = adb->Get_Value_by_SQL("SELECT CONNECTION_ID()", stop);
    EXPECT_FALSE(stop);
    return id;
  }
  Lines Messages() const {
    Lines out;
    for (const auto& m : ui.messages()) out.push_back(m.text);
    return out;
  }
  Lines LinesStartingWith(const std::string& prefix) const {
    Lines out;
    for (const auto& l : ui.transcript())
      if (l.rfind(prefix, 0) == 0) out.push_back(l);
    return out;
  }
  long BufferRows() { return std::stol(ts::RootQuery("SELECT COUNT(*) FROM NAL_BUFFER")[0][0]); }
  // A parameters file in a temporary folder; removed with the test.
  std::string TempFile(const std::string& contents) {
    const auto dir =
        std::filesystem::temp_directory_path() / ("kassa-adb-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const auto file = dir / texts::kParametersFile;
    std::ofstream(file, std::ios::binary) << contents;
    temp_dirs.push_back(dir);
    return file.string();
  }
  ~AdbServerTest() override {
    for (const auto& d : temp_dirs) std::filesystem::remove_all(d);
  }

  ts::TestEnv env;
  ui::ScriptedBackend ui;
  std::unique_ptr<ADB_cls> adb;
  std::vector<std::filesystem::path> temp_dirs;
};

TEST_F(AdbServerTest, ConnectsOnDemandReusesAndRenewsAfter1800Seconds) {
  adb->DisconnectDB();  // on a fresh instance: nothing happens, nothing shown
  const std::string first = ConnectionId();
  ASSERT_FALSE(first.empty());
  ui.Advance(1799);
  EXPECT_EQ(ConnectionId(), first);  // 30 minutes not yet over: reused

  ui.Advance(2);  // now older than 1800 s
  const double before = ui.Monotonic();
  const std::string renewed = ConnectionId();
  EXPECT_NE(renewed, first);
  EXPECT_GE(ui.Monotonic() - before, 0.6);  // the two 300 ms pauses of the reconnect
  EXPECT_EQ(ConnectionId(), renewed);

  adb->DisconnectDB();
  EXPECT_NE(ConnectionId(), renewed);  // the next statement connects anew
  EXPECT_TRUE(Messages().empty());
}

TEST_F(AdbServerTest, AgesAndTheWaitThrottleHoldAcrossMidnight) {
  ui.SetNow(MakeDate(2024, 12, 31, 23, 59, 55));
  bool stop = true;
  const std::string first = ConnectionId();  // connected and a wait message at 23:59:55
  ui.ClearTranscript();
  ui.Advance(11);  // 00:00:06 of the next day
  adb->Get_Value_by_SQL("SELECT 1", stop);
  EXPECT_FALSE(stop);
  EXPECT_EQ(
      LinesStartingWith("WAIT"),
      (Lines{"WAIT \"Выполняется запрос значения к базе. Ожидайте завершения...\"", "WAIT-CLOSE"}));
  EXPECT_EQ(ConnectionId(), first);  // 11 s old: kept
  ui.Advance(1800);
  EXPECT_NE(ConnectionId(), first);  // more than 1800 s old, though the clock restarted
}

TEST_F(AdbServerTest, AStatementFailingOnceSucceedsOnTheSecondAttemptSilently) {
  const std::string before = ConnectionId();
  ASSERT_GE(ts::KillAppConnections(), 1);
  ui.SetTrace(true);
  ui.ClearTranscript();
  bool stop = true;
  adb->SQL_Command_Execute("INSERT INTO NAL_BUFFER (ID_NUM) VALUES (901)", stop);
  EXPECT_FALSE(stop);
  EXPECT_EQ(LinesStartingWith("SQL ").size(), 2u);  // sent twice: failed, then ran
  EXPECT_EQ(BufferRows(), 1);
  EXPECT_NE(ConnectionId(), before);
  EXPECT_TRUE(Messages().empty());
}

TEST_F(AdbServerTest, ThreeFailuresReconnectThreeTimesThenAsk) {
  ui.SetTrace(true);
  ConnectionId();
  ui.ClearTranscript();

  // Cancel: nothing more is shown.
  bool stop = false;
  const double before = ui.Monotonic();
  ui.QueueAnswer(ui::Answer::Cancel);
  adb->SQL_Command_Execute(kAlwaysFails, stop);
  EXPECT_TRUE(stop);
  EXPECT_NEAR(ui.Monotonic() - before, 3 * 0.6, 0.05);  // three reconnects
  EXPECT_EQ(LinesStartingWith("SQL "), Lines(3, "SQL \"SELEC 1 FROM nowhere\""));
  ASSERT_EQ(ui.messages().size(), 1u);
  EXPECT_EQ(ui.messages()[0].text, texts::kGiveUpCommand);
  EXPECT_EQ(ui.messages()[0].buttons, ui::Buttons::OKCancel);
  EXPECT_EQ(ui.messages()[0].title, "");

  // OK: the statement itself follows, with an OK button.
  ui.ClearTranscript();
  ui.QueueAnswer(ui::Answer::OK);
  ui.QueueAnswer(ui::Answer::OK);
  adb->SQL_Command_Execute(kAlwaysFails, stop);
  EXPECT_TRUE(stop);
  ASSERT_EQ(ui.messages().size(), 2u);
  EXPECT_EQ(ui.messages()[1].text, kAlwaysFails);
  EXPECT_EQ(ui.messages()[1].buttons, ui::Buttons::OK);

  // The record-set members have prompts of their own.
  ui.ClearTranscript();
  ui.QueueAnswer(ui::Answer::Cancel);
  RecordsetRef rs;
  adb->SQL_RV_Open(kAlwaysFails, rs, stop);
  EXPECT_TRUE(stop);
  EXPECT_EQ(rs, nullptr);  // left as it was
  ui.QueueAnswer(ui::Answer::Cancel);
  EXPECT_EQ(adb->Get_Value_by_SQL(kAlwaysFails, stop), "");
  EXPECT_TRUE(stop);
  EXPECT_EQ(Messages(), (Lines{texts::kGiveUpQuery, texts::kGiveUpValue}));

  // The instance is still usable afterwards.
  EXPECT_FALSE(ConnectionId().empty());
  EXPECT_TRUE(ui.failures().empty());
}

TEST_F(AdbServerTest, TheWaitMessageClosesBeforeTheGiveUpPrompt) {
  ui.SetTrace(true);
  bool stop = false;
  ui.QueueAnswer(ui::Answer::Cancel);
  adb->SQL_Command_Execute(kAlwaysFails, stop);
  EXPECT_TRUE(stop);
  const std::string wait = "WAIT \"Выполняется команда к базе. Ожидайте завершения...\"";
  const std::string sent = "SQL \"SELEC 1 FROM nowhere\"";
  const std::string prompt =
      "MSG OKCancel \"\" \"Команда к базе данных не была выполнена. Показать текст команды ?\"";
  Lines seen;
  for (const auto& l : ui.transcript())
    if (l.rfind("WAIT", 0) == 0 || l.rfind("SQL ", 0) == 0 || l.rfind("MSG ", 0) == 0)
      seen.push_back(l);
  // The connection is made before the wait message; then three attempts.
  EXPECT_EQ(seen, (Lines{wait, sent, sent, sent, "WAIT-CLOSE", prompt}));
}

TEST_F(AdbServerTest, AFailedConnectReadsTheParametersFileAgainNextTime) {
  const std::string real = ReadFile(env.connect_file());
  std::istringstream lines(real);
  std::string line, wrong_port;
  for (int n = 1; std::getline(lines, line); ++n) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    wrong_port += (n == 2 ? std::string("1") : line) + "\r\n";  // nothing listens on port 1
  }
  const std::string file = TempFile(wrong_port);
  auto other = MakeADB(file);
  bool stop = false;
  EXPECT_EQ(other->Get_Value_by_SQL("SELECT 1", stop), "");
  EXPECT_TRUE(stop);
  EXPECT_EQ(Messages(), (Lines{texts::kConnectFailed}));

  // The installer wrote the file anew: the next statement takes it up.
  std::ofstream(file, std::ios::binary | std::ios::trunc) << real;
  EXPECT_EQ(other->Get_Value_by_SQL("SELECT DATABASE()", stop), "db_pnr_l");
  EXPECT_FALSE(stop);
  EXPECT_EQ(Messages().size(), 1u);

  // Once connected, the strings are kept: a changed file is not read again.
  std::ofstream(file, std::ios::binary | std::ios::trunc) << wrong_port;
  adb = std::move(other);
  adb->DisconnectDB();
  EXPECT_FALSE(ConnectionId().empty());
  EXPECT_EQ(Messages().size(), 1u);
}

TEST_F(AdbServerTest, OpeningWhileTheRecordSetIsOpenReplacesItAfterAReconnect) {
  ui.SetTrace(true);
  bool stop = true;
  RecordsetRef first;
  adb->SQL_RV_Open("SELECT 1 AS n UNION SELECT 2", first, stop);
  ASSERT_FALSE(stop);
  ASSERT_EQ(first->State(), 1);
  EXPECT_EQ(first->Fields(0).Name(), "n");
  ui.ClearTranscript();

  const double before = ui.Monotonic();
  RecordsetRef second;
  adb->SQL_RV_Open("SELECT 3", second, stop);
  EXPECT_FALSE(stop);
  EXPECT_NEAR(ui.Monotonic() - before, 0.6, 0.05);                    // one reconnect
  EXPECT_EQ(LinesStartingWith("SQL "), (Lines{"SQL \"SELECT 3\""}));  // refused before sending
  ASSERT_NE(second, first);
  EXPECT_EQ(first->State(), 0);  // the caller's old reference is closed, and safe
  EXPECT_TRUE(first->EOF());
  EXPECT_THROW(first->Fields(0), host::HostError);
  ASSERT_EQ(second->State(), 1);
  EXPECT_EQ(second->Fields(0).Value(), Variant::Number(3));
  EXPECT_TRUE(Messages().empty());

  // Closed by SQL_RV_Close, the same object serves the next open.
  adb->SQL_RV_Close();
  EXPECT_EQ(second->State(), 0);
  RecordsetRef third;
  adb->SQL_RV_Open("SELECT 'a' UNION ALL SELECT 'b'", third, stop);
  EXPECT_FALSE(stop);
  EXPECT_EQ(third, second);
  Lines values;
  for (; !third->EOF(); third->MoveNext()) values.push_back(third->Fields(0).Value().text());
  EXPECT_EQ(values, (Lines{"a", "b"}));
  EXPECT_THROW(third->MoveNext(), host::HostError);
  third->MoveFirst();
  EXPECT_EQ(third->Fields(0).Value().text(), "a");
}

TEST_F(AdbServerTest, GetValueBySqlGivesTextNullOrEmpty) {
  bool stop = true;
  EXPECT_EQ(adb->Get_Value_by_SQL("SELECT 1 FROM NAL_BUFFER WHERE 1 = 0", stop), "Null");
  EXPECT_FALSE(stop);
  EXPECT_EQ(adb->Get_Value_by_SQL("SELECT ''", stop), "");
  EXPECT_FALSE(stop);
  EXPECT_EQ(adb->Get_Value_by_SQL("SELECT NULL", stop), "");
  EXPECT_FALSE(stop);
  EXPECT_EQ(adb->Get_Value_by_SQL("SELECT 12.5", stop), "12,5");  // the Russian locale
  EXPECT_EQ(adb->Get_Value_by_SQL("SELECT CAST('2024-02-01' AS DATE)", stop), "01.02.2024");
  EXPECT_EQ(adb->Get_Value_by_SQL("SELECT 'Касса', 2", stop), "Касса");
  EXPECT_EQ(adb->Get_Value_by_SQL(" select Size_Nal_Buffer from Count_NAL_BUFFER", stop), "0");
  EXPECT_FALSE(stop);
  ui.QueueAnswer(ui::Answer::Cancel);
  EXPECT_EQ(adb->Get_Value_by_SQL(kAlwaysFails, stop), "");
  EXPECT_TRUE(stop);
}

TEST_F(AdbServerTest, TheWaitMessageIsShownAtMostOnceIn10Seconds) {
  bool stop = true;
  adb->SQL_Command_Execute("DELETE FROM NAL_BUFFER", stop);
  ASSERT_FALSE(stop);
  adb->Get_Value_by_SQL("SELECT 1", stop);  // within 10 s: no wait message
  EXPECT_EQ(LinesStartingWith("WAIT"),
            (Lines{"WAIT \"Выполняется команда к базе. Ожидайте завершения...\"", "WAIT-CLOSE"}));
  ui.ClearTranscript();
  ui.Advance(10.5);
  adb->Get_Value_by_SQL("SELECT 1", stop);
  EXPECT_EQ(
      LinesStartingWith("WAIT"),
      (Lines{"WAIT \"Выполняется запрос значения к базе. Ожидайте завершения...\"", "WAIT-CLOSE"}));
  EXPECT_TRUE(Messages().empty());
}

TEST_F(AdbServerTest, WithoutTheWaitServerTheUserIsToldAndTheStatementRuns) {
  const std::string registry = TempFile("# no wait-message server here\n");
  const std::string saved = std::getenv("KASSA_COMPONENTS") ? std::getenv("KASSA_COMPONENTS") : "";
  setenv("KASSA_COMPONENTS", registry.c_str(), 1);
  bool stop = true;
  adb->SQL_Command_Execute("INSERT INTO NAL_BUFFER (ID_NUM) VALUES (7)", stop);
  EXPECT_FALSE(stop);
  adb->SQL_Command_Execute("INSERT INTO NAL_BUFFER (ID_NUM) VALUES (8)", stop);  // throttled
  EXPECT_FALSE(stop);
  setenv("KASSA_COMPONENTS", saved.c_str(), 1);
  EXPECT_EQ(Messages(), (Lines{texts::kWaitServerMissing}));
  EXPECT_EQ(ui.messages()[0].buttons, ui::Buttons::OK);
  EXPECT_EQ(BufferRows(), 2);
  EXPECT_TRUE(LinesStartingWith("WAIT").empty());
}

// A query table that runs its query through the connection string it holds
// at the moment of the refresh, as the host's does.
class RecordingQueryTable : public host::QueryTable {
 public:
  void Connection(const std::string& c) override { connection_ = c; }
  std::string Connection() const override { return connection_; }
  bool EnableRefresh() const override { return enabled_; }
  void EnableRefresh(bool on) override { enabled_ = on; }
  void Refresh() override {
    ++refreshes;
    sql::Params p;
    std::string error;
    if (!sql::ParseConnectionString(connection_, p)) throw host::HostError(1004, "no port");
    auto c = sql::Connection::Open(p, error);
    if (!c) throw host::HostError(1004, error);
    auto r = c->Query(command_, error);
    if (!r) throw host::HostError(1004, error);
    rows = r->RowCount();
  }
  std::string CommandText() const override { return command_; }
  void CommandText(const std::string& sql) override { command_ = sql; }
  void Delete() override {}

  int refreshes = 0;
  size_t rows = 0;

 private:
  std::string connection_ = "before";
  std::string command_;
  bool enabled_ = false;
};

TEST_F(AdbServerTest, QueryRefreshLeavesTheMaskedPasswordAfterSuccessAndFailure) {
  std::string cn, with_password, masked;
  ASSERT_EQ(adb->Get_Connection_Parametrs(cn, with_password, masked), 0);
  ASSERT_NE(masked.find("PWD=xxx;"), std::string::npos);

  ASSERT_TRUE(ts::RootExec("INSERT INTO NAL_BUFFER (ID_NUM) VALUES (1), (2), (3)"));
  RecordingQueryTable qt;
  qt.CommandText("SELECT * FROM NAL_BUFFER");
  bool stop = true;
  EXPECT_EQ(adb->Query_Refresh(qt, stop), 0);
  EXPECT_FALSE(stop);
  EXPECT_EQ(qt.refreshes, 1);
  EXPECT_EQ(qt.rows, 3u);  // it ran with the real password
  EXPECT_TRUE(qt.EnableRefresh());
  EXPECT_EQ(qt.Connection(), masked);
  EXPECT_TRUE(Messages().empty());

  qt.CommandText(kAlwaysFails);
  ui.Advance(11);  // past the wait-message throttle
  ui.ClearTranscript();
  const double before = ui.Monotonic();
  // When the prompt comes up the real password is out of the table already
  // and the wait message is gone.
  Lines at_prompt;
  ui.answer_source = [&]() -> std::optional<ui::Answer> {
    at_prompt.push_back(qt.Connection() == masked ? "masked" : "not masked");
    at_prompt.push_back(ui.transcript().at(ui.transcript().size() - 2));
    return ui::Answer::OK;
  };
  EXPECT_EQ(adb->Query_Refresh(qt, stop), 0);
  EXPECT_TRUE(stop);
  EXPECT_EQ(qt.refreshes, 4);  // three attempts, no reconnect
  EXPECT_NEAR(ui.Monotonic() - before, 3 * 0.3 + 0.1, 0.05);
  EXPECT_EQ(qt.Connection(), masked);
  EXPECT_EQ(Messages(), (Lines{texts::kGiveUpQuery, kAlwaysFails}));
  ASSERT_EQ(at_prompt.size(), 4u);
  EXPECT_EQ(at_prompt[0], "masked");
  EXPECT_EQ(at_prompt[1], "WAIT-CLOSE");
  EXPECT_EQ(ui.transcript().front(), "WAIT \"Выполняется запрос к базе. Ожидайте завершения...\"");
}

// What the host refuses (a query that is not one SELECT, a result larger
// than the sheet) is refused again by any later attempt: it is tried once,
// the database is not taken for lost, and the caller tells the user.
TEST_F(AdbServerTest, QueryRefreshTriesARefusedQueryOnceAndKeepsTheDatabase) {
  ASSERT_TRUE(ts::RootExec("INSERT INTO NAL_BUFFER (ID_NUM) SELECT seq FROM seq_1_to_65536"));
  host::Application app;
  host::Worksheet& ws = app.Add().Sheets(1);
  host::QueryTable& qt = ws.AddQueryTable("", "");
  ui.SetTrace(true);
  const struct {
    const char* query;
    int status;
  } cases[] = {{"DELETE FROM NAL_BUFFER", host::kErrorQueryRefused},
               {"SELECT ID_NUM FROM NAL_BUFFER ORDER BY ID_NUM", host::kErrorResultTooLarge}};
  for (const auto& c : cases) {
    ui.ClearTranscript();
    qt.CommandText(c.query);
    bool stop = true;
    EXPECT_EQ(adb->Query_Refresh(qt, stop), c.status) << c.query;
    EXPECT_FALSE(stop) << c.query;
    EXPECT_EQ(LinesStartingWith("SQL").size(), 1u) << c.query;
    EXPECT_TRUE(Messages().empty()) << c.query;
    EXPECT_NE(qt.Connection().find("PWD=xxx;"), std::string::npos) << c.query;
  }
  EXPECT_EQ(ws.Cells(host::kMaxRows, 1).Text(), "65535");
  EXPECT_EQ(BufferRows(), 65536);
}

TEST_F(AdbServerTest, QueryRefreshPassesTheFileErrorOn) {
  auto missing = MakeADB("/nonexistent/kassa/Connect_Parametrs.ini");
  RecordingQueryTable qt;
  bool stop = false;
  EXPECT_EQ(missing->Query_Refresh(qt, stop), 53);
  EXPECT_TRUE(stop);
  EXPECT_EQ(qt.Connection(), "before");
  EXPECT_EQ(qt.refreshes, 0);
}

TEST_F(AdbServerTest, AStoppedServerIsToldOnceAndTheInstanceRecovers) {
  ConnectionId();
  ASSERT_TRUE(ts::StopServer());
  bool stop = false;
  adb->SQL_Command_Execute("DELETE FROM NAL_BUFFER", stop);
  const bool started = ts::StartServer();
  ASSERT_TRUE(started);
  EXPECT_TRUE(stop);
  // The first attempt fails, the reconnect cannot connect: its message only.
  EXPECT_EQ(Messages(), (Lines{texts::kConnectFailed}));

  auto fresh = MakeADB(env.connect_file());
  ASSERT_TRUE(ts::StopServer());
  fresh->SQL_Command_Execute("DELETE FROM NAL_BUFFER", stop);
  ASSERT_TRUE(ts::StartServer());
  EXPECT_TRUE(stop);
  EXPECT_EQ(Messages(), (Lines{texts::kConnectFailed, texts::kConnectFailed}));

  // Both connect again once the server is back.
  fresh->SQL_Command_Execute("DELETE FROM NAL_BUFFER", stop);
  EXPECT_FALSE(stop);
  EXPECT_FALSE(ConnectionId().empty());
}

TEST_F(AdbServerTest, ATransactionFailingPartWayLeavesTheTableUnchanged) {
  ui.SetTrace(true);
  bool stop = true;
  adb->SQL_Transaction_Execute(
      {"INSERT INTO NAL_BUFFER (ID_NUM) VALUES (1)", "INSERT INTO NAL_BUFFER (ID_NUM) VALUES (2)"},
      stop);
  EXPECT_FALSE(stop);
  EXPECT_EQ(BufferRows(), 2);
  ui.ClearTranscript();

  const Lines failing{"DELETE FROM NAL_BUFFER", "INSERT INTO NAL_BUFFER (ID_NUM) VALUES (5)",
                      "INSERT INTO NAL_BUFFER (ID_NUM) VALUES (5)"};
  ui.QueueAnswer(ui::Answer::OK);
  ui.QueueAnswer(ui::Answer::OK);
  adb->SQL_Transaction_Execute(failing, stop);
  EXPECT_TRUE(stop);
  EXPECT_EQ(ts::RootQuery("SELECT ID_NUM FROM NAL_BUFFER ORDER BY ID_NUM"),
            (std::vector<Lines>{{"1"}, {"2"}}));
  EXPECT_EQ(Messages(), (Lines{texts::kGiveUpCommand, failing[2]}));
  EXPECT_EQ(LinesStartingWith("SQL ").size(), 9u);  // three attempts of three statements
}

TEST_F(AdbServerTest, AShortParametersFileEndsInTheConnectFailure) {
  const std::string real = ReadFile(env.connect_file());
  std::string seven = real.substr(0, real.rfind('\n', real.size() - 2) + 1);  // drop line 8
  auto short_file = MakeADB(TempFile(seven));
  std::string cn = "a", s = "b", e = "c";
  EXPECT_EQ(short_file->Get_Connection_Parametrs(cn, s, e), 62);
  EXPECT_EQ(cn + s + e, "abc");
  bool stop = false;
  short_file->SQL_Command_Execute("DELETE FROM NAL_BUFFER", stop);
  EXPECT_TRUE(stop);
  EXPECT_EQ(Messages(), (Lines{texts::kConnectFailed}));
  EXPECT_EQ(MakeADB("/nonexistent/x.ini")->Get_Connection_Parametrs(cn, s, e), 53);
}

TEST_F(AdbServerTest, OddLinesOfTheParametersFileAreNotExamined) {
  std::istringstream real(ReadFile(env.connect_file()));
  std::string line, rewritten;
  for (int n = 1; std::getline(real, line) && n <= 8; ++n) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    rewritten += (n % 2 ? std::string(n == 3 ? "" : "anything at all") : line) + "\n";
  }
  auto other = MakeADB(TempFile(rewritten));
  bool stop = true;
  EXPECT_EQ(other->Get_Value_by_SQL("SELECT DATABASE()", stop), "db_pnr_l");
  EXPECT_FALSE(stop);
}

// The installer's eight lines with a ninth naming the servers.
std::string WithServers(const std::string& eight_lines, const std::string& servers) {
  std::istringstream in(eight_lines);
  std::string line, out;
  for (int n = 1; n <= 8 && std::getline(in, line); ++n) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    out += line + "\r\n";
  }
  return out + servers + "\r\n";
}

// Servers of the ninth line that refuse (nothing listens on port 1) are
// passed over, on the first connect and on every reconnect, silently; the
// connect fails, with its one message, only when none accepts.
TEST_F(AdbServerTest, NinthLineServersThatRefuseArePassedOver) {
  const std::string real = ReadFile(env.connect_file());
  const std::string port = std::to_string(ts::RootParams().port);
  auto other = MakeADB(TempFile(WithServers(real, "localhost:1, 127.0.0.1:" + port)));
  bool stop = true;
  EXPECT_EQ(other->Get_Value_by_SQL("SELECT @@port", stop), port);
  EXPECT_FALSE(stop);

  // Connected to the second server; after a lost connection the reconnect
  // moves on to the first, which refuses, and round to the second again.
  const std::string first = other->Get_Value_by_SQL("SELECT CONNECTION_ID()", stop);
  ASSERT_GE(ts::KillAppConnections(), 1);
  EXPECT_NE(other->Get_Value_by_SQL("SELECT CONNECTION_ID()", stop), first);
  EXPECT_FALSE(stop);
  EXPECT_TRUE(Messages().empty());

  auto none = MakeADB(TempFile(WithServers(real, "127.0.0.1:1,localhost:1")));
  none->SQL_Command_Execute("DELETE FROM NAL_BUFFER", stop);
  EXPECT_TRUE(stop);
  EXPECT_EQ(Messages(), (Lines{texts::kConnectFailed}));

  // A ninth line that is not a server list: the connect fails as with a
  // broken file, and a query-table refresh passes the file error on.
  auto broken = MakeADB(TempFile(WithServers(real, "db1;Port=" + port)));
  broken->SQL_Command_Execute("DELETE FROM NAL_BUFFER", stop);
  EXPECT_TRUE(stop);
  EXPECT_EQ(Messages(), (Lines{texts::kConnectFailed, texts::kConnectFailed}));
  RecordingQueryTable qt;
  EXPECT_EQ(broken->Query_Refresh(qt, stop), kBadFileFormat);
  EXPECT_EQ(qt.refreshes, 0);
}

// With the ledger server's CA beside the parameters file the connection
// must be encrypted: a server without TLS is refused, never used in clear.
TEST_F(AdbServerTest, ACaFileRefusesAServerWithoutTls) {
  const std::string file = TempFile(ReadFile(env.connect_file()));
  const std::string ca = std::filesystem::path(file).parent_path() / texts::kCaFile;
  const ts::ProcessResult made =
      ts::Run({"/usr/bin/openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "1",
               "-keyout", ca + ".key", "-out", ca, "-subj", "/CN=Kassa test CA"});
  ASSERT_EQ(made.exit_code, 0) << made.error;
  auto other = MakeADB(file);
  bool stop = false;
  EXPECT_EQ(other->Get_Value_by_SQL("SELECT 1", stop), "");
  EXPECT_TRUE(stop);
  EXPECT_EQ(Messages(), (Lines{texts::kConnectFailed}));
  std::filesystem::remove(ca);  // without it the same file connects (TLS only if offered)
  EXPECT_EQ(other->Get_Value_by_SQL("SELECT 1", stop), "1");
  EXPECT_FALSE(stop);
}

TEST_F(AdbServerTest, TheComponentReadsTheFileBesideItsLibrary) {
  auto component = component::Create<ADB_cls>("Dbgate.ADB_cls");
  ASSERT_NE(component, nullptr);
  std::string cn, s, e;
  ASSERT_EQ(component->Get_Connection_Parametrs(cn, s, e), 0);
  std::string mine, s2, e2;
  ASSERT_EQ(adb->Get_Connection_Parametrs(mine, s2, e2), 0);
  EXPECT_EQ(cn, mine);
  bool stop = true;
  EXPECT_EQ(component->Get_Value_by_SQL("SELECT CURRENT_USER()", stop).rfind("pnrowner@", 0), 0u);
  EXPECT_FALSE(stop);

  double before = ui.Monotonic();
  component->Delay_MS(250);
  EXPECT_NEAR(ui.Monotonic() - before, 0.25, 1e-9);
  before = ui.Monotonic();
  component->Delay_MS(-5);
  EXPECT_EQ(ui.Monotonic(), before);

  component->Simple();
  component->Simple_Exp();
  EXPECT_EQ(Messages(), (Lines{" Yes ! Yes ! ", " Yes ! Yes ! "}));
}

}  // namespace
}  // namespace kassa::dbgate
