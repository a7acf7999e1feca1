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

#include <filesystem>
#include <fstream>

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
  ProcessResult Run() const {
    return kassa::testsupport::Run({folder_ + "/setupdb"},
                                   {"LD_LIBRARY_PATH=" + libraries_, "KASSA_UI=console"});
  }
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
  static void SetUpTestSuite() { ASSERT_TRUE(kassa::testsupport::HaveTestEnv()); }
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

  // Eight CR LF lines; the password is a whole number of one to six digits.
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
  ASSERT_FALSE(lines[7].empty());
  EXPECT_LE(lines[7].size(), 6u);
  EXPECT_EQ(lines[7].find_first_not_of("0123456789"), std::string::npos);
  EXPECT_LE(std::stol(lines[7]), 100000);

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
  const std::string renewed = ReadAll(copy.ConnectFile());
  if (renewed != text) {
    EXPECT_FALSE(kassa::sql::Connection::Open(app, error));
  }
}
