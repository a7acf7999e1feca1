// The installer program run as the user runs it, against the test server:
// the checks of Pass_Parametrs.ini, the removal of an earlier application
// user, a failing installation statement and a missing DLLs folder.
//
// Each case runs a copy of the deployed setupdb in a folder of its own (the
// program reads its files beside itself). Every run reinstalls the test
// server's ledger database, so the suite ends with a normal installation
// in the test environment.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "platform/ui/script/scripted.h"
#include "setupdb/installer.h"
#include "tests/support/testsupport.h"

namespace fs = std::filesystem;
using kassa::testsupport::ProcessResult;
using kassa::testsupport::RootExec;
using kassa::testsupport::RootQuery;
using kassa::testsupport::TestEnv;

namespace {

const std::string kNoPort = "Не задан порт подключения к MySQL.";
const std::string kNoPassword = "Не задан пароль к MySQL.";
const std::string kNoConnection =
    "Установить подключение к MySQL невозможно. Проверьте установлено программное обеспечение "
    "MySQL сервера, правильность пароля к MySQL серверу и номера порта. ";

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// A folder with a copy of the installer and, optionally, its DLLs folder.
class InstallerCopy {
 public:
  explicit InstallerCopy(const std::string& name, bool with_dlls = true) {
    const TestEnv env = TestEnv::FromEnvironment();
    folder_ = env.testenv + "/setupdb-cases/" + name;
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    fs::copy_file(env.deploy + "/setupdb", folder_ + "/setupdb");
    if (with_dlls) fs::create_directory(folder_ + "/DLLs");
    libraries_ = env.dlls();
  }
  void WritePassFile(const std::string& content) const {
    std::ofstream(folder_ + "/Pass_Parametrs.ini", std::ios::binary) << content;
  }
  // The test server's own parameters file, as typed.
  void UseTestServer() const { WritePassFile(ReadAll(TestEnv::FromEnvironment().pass_file())); }
  ProcessResult Run(const std::vector<std::string>& arguments = {},
                    const std::vector<std::string>& environment = {}) const {
    std::vector<std::string> argv = {folder_ + "/setupdb"};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    std::vector<std::string> env = {"LD_LIBRARY_PATH=" + libraries_, "KASSA_UI=console"};
    env.insert(env.end(), environment.begin(), environment.end());
    return kassa::testsupport::Run(argv, env);
  }
  const std::string& folder() const { return folder_; }
  std::string ConnectFile() const { return folder_ + "/DLLs/Connect_Parametrs.ini"; }
  bool WroteConnectFile() const { return fs::exists(ConnectFile()); }

 private:
  std::string folder_;
  std::string libraries_;
};

std::string TestServerPort() {
  return std::to_string(kassa::testsupport::RootParams().port);
}

std::string TestServerPassword() {
  return kassa::testsupport::RootParams().password;
}

int CountUsers(const std::string& name) {
  return std::stoi(
      RootQuery("select count(*) from mysql.user where User = '" + name + "'", "mysql")[0][0]);
}

bool LedgerHasTable(const std::string& table) {
  return RootQuery(
             "select count(*) from information_schema.TABLES where TABLE_SCHEMA = "
             "'db_pnr_l' and TABLE_NAME = '" +
                 table + "'",
             "mysql")[0][0] == "1";
}

class InstallerRun : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_TRUE(kassa::testsupport::HaveTestEnv());
    ASSERT_TRUE(kassa::testsupport::ResetDatabase());  // a ledger without payments
  }
  static void TearDownTestSuite() { EXPECT_TRUE(kassa::testsupport::ResetDatabase()); }
};

}  // namespace

TEST_F(InstallerRun, InputFileChecksComeBeforeAnyServerWork) {
  ASSERT_TRUE(kassa::testsupport::ResetDatabase());
  ASSERT_TRUE(RootExec("CREATE TABLE marker (n int)"));

  {  // no file at all
    InstallerCopy copy("no-file");
    const ProcessResult r = copy.Run();
    EXPECT_NE(r.exit_code, 0);
    EXPECT_TRUE(Contains(r.error, "Error on Input Parametrs. Exit.")) << r.error;
    EXPECT_FALSE(copy.WroteConnectFile());
  }
  {  // an empty file: the port is reported, not the password
    InstallerCopy copy("empty-file");
    copy.WritePassFile("");
    const ProcessResult r = copy.Run();
    EXPECT_NE(r.exit_code, 0);
    EXPECT_TRUE(Contains(r.error, kNoPort)) << r.error;
    EXPECT_FALSE(Contains(r.error, kNoPassword)) << r.error;
    EXPECT_FALSE(copy.WroteConnectFile());
  }
  {  // port only
    InstallerCopy copy("port-only");
    copy.WritePassFile(TestServerPort() + "\r\n");
    const ProcessResult r = copy.Run();
    EXPECT_NE(r.exit_code, 0);
    EXPECT_TRUE(Contains(r.error, kNoPassword)) << r.error;
    EXPECT_FALSE(Contains(r.error, kNoPort)) << r.error;
  }
  {  // a port of blanks passes the check and fails at the connection
    InstallerCopy copy("blank-port");
    copy.WritePassFile("   \r\n" + TestServerPassword() + "\r\n");
    const ProcessResult r = copy.Run();
    EXPECT_NE(r.exit_code, 0);
    EXPECT_FALSE(Contains(r.error, kNoPort)) << r.error;
    EXPECT_TRUE(Contains(r.error, kNoConnection)) << r.error;
    EXPECT_FALSE(copy.WroteConnectFile());
  }
  {  // a wrong root password
    InstallerCopy copy("wrong-password");
    copy.WritePassFile(TestServerPort() + "\r\n" + TestServerPassword() + "x\r\n");
    const ProcessResult r = copy.Run();
    EXPECT_NE(r.exit_code, 0);
    EXPECT_TRUE(Contains(r.error, kNoConnection)) << r.error;
    EXPECT_FALSE(copy.WroteConnectFile());
  }
  // Nothing reached the server.
  EXPECT_TRUE(LedgerHasTable("marker"));
}

TEST_F(InstallerRun, AcceptsEveryLineEndInTheParametersFile) {
  for (const std::string eol : {"\n", "\r", "\r\n"}) {
    InstallerCopy copy("line-ends");
    copy.WritePassFile(TestServerPort() + eol + TestServerPassword() + eol);
    const ProcessResult r = copy.Run();
    EXPECT_EQ(r.exit_code, 0) << r.error;
    EXPECT_TRUE(copy.WroteConnectFile());
  }
}

TEST_F(InstallerRun, EarlierUserIsDroppedOnceAndLaterAttemptsReportFailure) {
  ASSERT_TRUE(kassa::testsupport::ResetDatabase());
  ASSERT_EQ(CountUsers("pnrowner"), 1);
  InstallerCopy copy("earlier-user");
  copy.UseTestServer();
  const ProcessResult r = copy.Run();
  EXPECT_EQ(r.exit_code, 0) << r.error;
  EXPECT_FALSE(Contains(r.error, "Fail 1 Delay pnrowner")) << r.error;
  EXPECT_TRUE(Contains(r.error, "Fail 2 Delay pnrowner")) << r.error;
  EXPECT_TRUE(Contains(r.error, "Fail 3 Delay pnrowner")) << r.error;
  EXPECT_TRUE(copy.WroteConnectFile());
  EXPECT_EQ(CountUsers("pnrowner"), 1);
  EXPECT_TRUE(LedgerHasTable("nal"));
}

TEST_F(InstallerRun, NoEarlierUserMeansNoDropAndNoMessage) {
  ASSERT_TRUE(RootExec("DROP USER IF EXISTS pnrowner", nullptr, "mysql"));
  InstallerCopy copy("no-earlier-user");
  copy.UseTestServer();
  const ProcessResult r = copy.Run();
  EXPECT_EQ(r.exit_code, 0) << r.error;
  EXPECT_EQ(r.error, "");  // success is silent
  EXPECT_EQ(r.output, "");
  EXPECT_TRUE(copy.WroteConnectFile());
  EXPECT_EQ(CountUsers("pnrowner"), 1);
}

TEST_F(InstallerRun, EarlierUserInOtherLetterCaseCounts) {
  ASSERT_TRUE(RootExec("DROP USER IF EXISTS pnrowner", nullptr, "mysql"));
  ASSERT_TRUE(RootExec("CREATE USER PnrOwner IDENTIFIED BY 'x'", nullptr, "mysql"));
  InstallerCopy copy("other-case");
  copy.UseTestServer();
  const ProcessResult r = copy.Run();
  RootExec("DROP USER IF EXISTS PnrOwner", nullptr, "mysql");
  EXPECT_EQ(r.exit_code, 0) << r.error;
  // The drops name "pnrowner", which user names tell apart from "PnrOwner".
  EXPECT_TRUE(Contains(r.error, "Fail 1 Delay pnrowner")) << r.error;
  EXPECT_TRUE(Contains(r.error, "Fail 2 Delay pnrowner")) << r.error;
  EXPECT_TRUE(Contains(r.error, "Fail 3 Delay pnrowner")) << r.error;
  EXPECT_TRUE(copy.WroteConnectFile());
  EXPECT_EQ(CountUsers("pnrowner"), 1);
}

TEST_F(InstallerRun, FailingStatementIsReportedAndNoParametersFileWritten) {
  ASSERT_TRUE(kassa::testsupport::ResetDatabase());
  // A file the server does not know in the database's folder: dropping the
  // database (statement 1) cannot remove the folder and fails.
  const std::string stray = TestEnv::FromEnvironment().db_dir + "/data/db_pnr_l/stray.txt";
  std::ofstream(stray) << "not a table";
  ASSERT_TRUE(fs::exists(stray));
  InstallerCopy copy("failing-statement");
  copy.UseTestServer();
  const ProcessResult r = copy.Run();
  fs::remove(stray);
  EXPECT_EQ(r.exit_code, 3) << r.error;
  EXPECT_TRUE(Contains(r.error, "№ 1\n")) << r.error;
  EXPECT_TRUE(Contains(r.error, "DROP DATABASE IF EXISTS db_pnr_l;")) << r.error;
  EXPECT_TRUE(Contains(r.error, "Directory not empty")) << r.error;
  EXPECT_FALSE(copy.WroteConnectFile());
  // The statements after the failing one were not sent.
  EXPECT_FALSE(LedgerHasTable("our_members"));

  // A plain file where the database's folder would be: statement 2 fails.
  ASSERT_TRUE(RootExec("DROP DATABASE IF EXISTS db_pnr_l", nullptr, "mysql"));
  const std::string occupied = TestEnv::FromEnvironment().db_dir + "/data/db_pnr_l";
  std::ofstream(occupied) << "not a database";
  const ProcessResult r2 = copy.Run();
  fs::remove(occupied);
  EXPECT_EQ(r2.exit_code, 3) << r2.error;
  EXPECT_TRUE(Contains(r2.error, "№ 2\n")) << r2.error;
  EXPECT_TRUE(Contains(r2.error,
                       "CREATE DATABASE db_pnr_l DEFAULT CHARACTER SET cp1251 COLLATE "
                       "cp1251_bin;"))
      << r2.error;
  EXPECT_FALSE(copy.WroteConnectFile());
}

TEST_F(InstallerRun, MissingDllsFolderLeavesTheDatabaseInstalled) {
  InstallerCopy copy("no-dlls", /*with_dlls=*/false);
  copy.UseTestServer();
  const ProcessResult r = copy.Run();
  EXPECT_EQ(r.exit_code, 4);
  EXPECT_TRUE(Contains(r.error, "File Ini Not Found. Exit")) << r.error;
  EXPECT_FALSE(copy.WroteConnectFile());
  EXPECT_TRUE(LedgerHasTable("nal_buffer"));
  EXPECT_EQ(CountUsers("pnrowner"), 1);
}

TEST_F(InstallerRun, WrittenFileLetsTheApplicationUserIn) {
  InstallerCopy copy("app-login");
  copy.UseTestServer();
  const ProcessResult first = copy.Run();
  ASSERT_EQ(first.exit_code, 0) << first.error;
  const std::string text = ReadAll(copy.ConnectFile());
  struct stat st {};
  ASSERT_EQ(stat(copy.ConnectFile().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);

  // Eight CR LF lines; the password is a whole number of 24 random digits.
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t at; (at = text.find("\r\n", start)) != std::string::npos; start = at + 2)
    lines.push_back(text.substr(start, at - start));
  ASSERT_EQ(start, text.size());
  ASSERT_EQ(lines.size(), 8u);
  EXPECT_EQ(lines[0], "DB_Port");
  EXPECT_EQ(lines[1], TestServerPort());
  EXPECT_EQ(lines[2], "DB_Name");
  EXPECT_EQ(lines[3], "db_pnr_l");
  EXPECT_EQ(lines[4], "DB_Login");
  EXPECT_EQ(lines[5], "pnrowner");
  EXPECT_EQ(lines[6], "DB_Password");
  EXPECT_GE(lines[7].size(), 20u);
  EXPECT_EQ(lines[7].find_first_not_of("0123456789"), std::string::npos) << lines[7];
  EXPECT_NE(lines[7][0], '0');

  kassa::sql::Params app;
  app.port = static_cast<unsigned>(std::stoul(lines[1]));
  app.database = lines[3];
  app.user = lines[5];
  app.password = lines[7];
  std::string error;
  auto cn = kassa::sql::Connection::Open(app, error);
  ASSERT_TRUE(cn) << error;
  auto count = cn->Query(" select Size_Nal_Buffer from Count_NAL_BUFFER", error);
  ASSERT_TRUE(count) << error;
  EXPECT_EQ(count->Raw(0, 0), "0");
  cn.reset();

  // A second run gives the user a new password: the old one no longer works.
  const ProcessResult second = copy.Run();
  ASSERT_EQ(second.exit_code, 0) << second.error;
  EXPECT_NE(ReadAll(copy.ConnectFile()), text);
  EXPECT_FALSE(kassa::sql::Connection::Open(app, error));
}

namespace {

// Payments in the test server's ledger: 40 in NAL, 2 in the buffer.
void FillLedger() {
  ASSERT_TRUE(kassa::testsupport::ResetDatabase());
  for (int i = 2; i <= 41; ++i)
    ASSERT_TRUE(
        RootExec("INSERT INTO NAL (ID_EXL, SUM_RUB) VALUES (" + std::to_string(i) + ", 1)"));
  ASSERT_TRUE(RootExec("INSERT INTO NAL_BUFFER (ID_NUM, SUM_RUB) VALUES (1, 5), (2, 6)"));
}

// "<rows of NAL>+<rows of NAL_BUFFER>".
std::string Payments() {
  const auto row =
      RootQuery("select (select count(*) from NAL), (select count(*) from NAL_BUFFER)")[0];
  return row[0] + "+" + row[1];
}

std::vector<std::string> CrLfLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t at; (at = text.find("\r\n", start)) != std::string::npos; start = at + 2)
    lines.push_back(text.substr(start, at - start));
  return lines;
}

}  // namespace

TEST_F(InstallerRun, AnyArgumentShowsTheUsageAndTouchesNothing) {
  FillLedger();
  InstallerCopy copy("arguments");
  copy.UseTestServer();
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"--help"}, {"-h"}, {"now"}, {""}, {"--reinstall", "yes"}}) {
    const ProcessResult r = copy.Run(args, {"KASSA_REINSTALL=yes"});
    EXPECT_EQ(r.exit_code, kassa::setupdb::kUsage) << args[0];
    EXPECT_TRUE(Contains(r.error, "Использование: setupdb")) << r.error;
    EXPECT_TRUE(Contains(r.error, "KASSA_REINSTALL")) << r.error;
    EXPECT_EQ(r.output, "");
    EXPECT_FALSE(copy.WroteConnectFile());
  }
  EXPECT_EQ(Payments(), "40+2");
}

TEST_F(InstallerRun, ALedgerWithPaymentsIsDroppedOnlyWhenThatIsChosen) {
  FillLedger();
  const std::string before = ReadAll(TestEnv::FromEnvironment().connect_file());
  InstallerCopy copy("ledger-kept");
  copy.UseTestServer();
  // Without a display nobody can answer: the question takes its safe answer.
  const ProcessResult kept = copy.Run();
  EXPECT_EQ(kept.exit_code, kassa::setupdb::kLedgerKept) << kept.error;
  EXPECT_TRUE(Contains(kept.error,
                       "База данных db_pnr_l уже содержит платежи: 42 (в таблице NAL: 40, в "
                       "буфере NAL_BUFFER: 2)."))
      << kept.error;
  EXPECT_TRUE(Contains(kept.error, "[YesNo] No")) << kept.error;
  EXPECT_TRUE(Contains(kept.error, "Установка отменена")) << kept.error;
  EXPECT_FALSE(copy.WroteConnectFile());
  EXPECT_EQ(Payments(), "40+2");
  // The application user and its password are those of before.
  kassa::sql::Params app;
  ASSERT_TRUE(kassa::testsupport::AppParams(app));
  std::string error;
  EXPECT_TRUE(kassa::sql::Connection::Open(app, error)) << error;
  EXPECT_EQ(ReadAll(TestEnv::FromEnvironment().connect_file()), before);

  // Any other value of the variable is no consent either.
  EXPECT_EQ(copy.Run({}, {"KASSA_REINSTALL=1"}).exit_code, kassa::setupdb::kLedgerKept);
  EXPECT_EQ(Payments(), "40+2");

  // An explicit reinstallation drops it without a question.
  const ProcessResult replaced = copy.Run({}, {"KASSA_REINSTALL=yes"});
  EXPECT_EQ(replaced.exit_code, 0) << replaced.error;
  EXPECT_FALSE(Contains(replaced.error, "платежи")) << replaced.error;
  EXPECT_EQ(Payments(), "0+0");
  EXPECT_TRUE(copy.WroteConnectFile());

  // A ledger without payments (dictionaries only) is replaced without one.
  ASSERT_TRUE(RootExec("INSERT INTO CATEGORY_NAL VALUES (1, 'ХОЗ', NULL)"));
  const ProcessResult again = copy.Run();
  EXPECT_EQ(again.exit_code, 0) << again.error;
  EXPECT_FALSE(Contains(again.error, "платежи")) << again.error;
  EXPECT_EQ(RootQuery("select count(*) from CATEGORY_NAL")[0][0], "0");

  // A ledger whose payments cannot be counted is kept too, and the user is told why.
  ASSERT_TRUE(RootExec("DROP TABLE NAL_BUFFER"));
  ASSERT_TRUE(RootExec("CREATE TABLE gone (n int)"));
  ASSERT_TRUE(RootExec("CREATE VIEW NAL_BUFFER AS SELECT n FROM gone"));
  ASSERT_TRUE(RootExec("DROP TABLE gone"));
  const ProcessResult uncounted = copy.Run();
  EXPECT_EQ(uncounted.exit_code, kassa::setupdb::kLedgerKept) << uncounted.error;
  EXPECT_TRUE(Contains(uncounted.error, "Не удалось проверить, есть ли платежи"))
      << uncounted.error;
  EXPECT_TRUE(LedgerHasTable("nal_buffer"));
}

TEST_F(InstallerRun, TheQuestionGoesThroughTheUserInterface) {
  InstallerCopy copy("ledger-question");
  copy.UseTestServer();
  auto run_answering = [&](kassa::ui::Answer answer,
                           std::vector<kassa::ui::RecordedMessage>& seen) {
    kassa::ui::ScriptedBackend ui;
    ui.QueueAnswer(answer);  // for the question; the boxes after it have OK only
    ui.unanswered = [](const kassa::ui::RecordedMessage&) { return kassa::ui::Answer::OK; };
    kassa::ui::Install(&ui);
    const int status = kassa::setupdb::RunInstaller(copy.folder());
    kassa::ui::Install(nullptr);
    seen = ui.messages();
    return status;
  };
  std::vector<kassa::ui::RecordedMessage> seen;

  FillLedger();
  EXPECT_EQ(run_answering(kassa::ui::Answer::No, seen), kassa::setupdb::kLedgerKept);
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].buttons, kassa::ui::Buttons::YesNo);
  EXPECT_TRUE(Contains(seen[0].text, "платежи: 42")) << seen[0].text;
  EXPECT_EQ(seen[1].text,
            "Установка отменена: база данных db_pnr_l и файл параметров подключения не изменены.");
  EXPECT_EQ(Payments(), "40+2");
  EXPECT_FALSE(copy.WroteConnectFile());

  EXPECT_EQ(run_answering(kassa::ui::Answer::Yes, seen), kassa::setupdb::kInstalled);
  ASSERT_EQ(seen.size(), 3u);  // the question, then the earlier user's later drop attempts
  EXPECT_EQ(seen[0].buttons, kassa::ui::Buttons::YesNo);
  EXPECT_EQ(Payments(), "0+0");
  EXPECT_TRUE(copy.WroteConnectFile());
}

TEST_F(InstallerRun, ASharedInstallationNamesItsServersOnTheNinthLine) {
  ASSERT_TRUE(kassa::testsupport::ResetDatabase());
  InstallerCopy copy("shared");
  // The first server does not answer: root's connection goes to the next one.
  const std::string servers =
      "127.0.0.1:" + std::to_string(kassa::testsupport::FreeLoopbackPort()) + ",127.0.0.1";
  copy.WritePassFile(TestServerPort() + "\r\n" + TestServerPassword() + "\r\n" + servers + "\r\n");
  const ProcessResult r = copy.Run();
  ASSERT_EQ(r.exit_code, 0) << r.error;
  const std::vector<std::string> lines = CrLfLines(ReadAll(copy.ConnectFile()));
  ASSERT_EQ(lines.size(), 9u);
  EXPECT_EQ(lines[1], TestServerPort());
  EXPECT_EQ(lines[8], servers);
  // The application user takes connections from any host.
  EXPECT_EQ(RootQuery("select Host from mysql.user where User = 'pnrowner'", "mysql"),
            (std::vector<std::vector<std::string>>{{"%"}}));
  kassa::sql::Params app;
  app.port = static_cast<unsigned>(std::stoul(lines[1]));
  app.database = lines[3];
  app.user = lines[5];
  app.password = lines[7];
  std::string error;
  EXPECT_TRUE(kassa::sql::Connection::Open(app, error)) << error;

  // A line 3 that is no server list stops the run before the server is reached.
  ASSERT_TRUE(RootExec("CREATE TABLE marker (n int)"));
  InstallerCopy bad("shared-bad");
  bad.WritePassFile(TestServerPort() + "\r\n" + TestServerPassword() + "\r\nserver1;server2\r\n");
  const ProcessResult refused = bad.Run();
  EXPECT_EQ(refused.exit_code, kassa::setupdb::kBadInput);
  EXPECT_TRUE(Contains(refused.error, "Строка 3 файла Pass_Parametrs.ini")) << refused.error;
  EXPECT_TRUE(Contains(refused.error, "server1;server2")) << refused.error;
  EXPECT_FALSE(bad.WroteConnectFile());
  EXPECT_TRUE(LedgerHasTable("marker"));

  // Without line 3 the file keeps its eight lines.
  InstallerCopy local("local");
  local.UseTestServer();
  ASSERT_EQ(local.Run().exit_code, 0);
  EXPECT_EQ(CrLfLines(ReadAll(local.ConnectFile())).size(), 8u);
}
