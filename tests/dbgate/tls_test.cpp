// A ledger server shared over the network: scripts/kassa-db started with
// --bind on a loopback address other than 127.0.0.1 (so no traffic leaves
// the machine) offers TLS and refuses unencrypted sessions; the database
// object and the query tables reach it through the ninth line, encrypted,
// and with the server's CA beside the parameters file they verify it.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>

#include "dbgate/adb.h"
#include "dbgate/adb_impl.h"
#include "dbgate/texts.h"
#include "platform/host/host.h"
#include "platform/ui/script/scripted.h"
#include "tests/support/testsupport.h"

namespace kassa::dbgate {
namespace {

namespace fs = std::filesystem;
namespace ts = kassa::testsupport;

constexpr char kAddress[] = "127.0.0.2";
constexpr char kCipherQuery[] =
    "SELECT VARIABLE_VALUE FROM information_schema.SESSION_STATUS "
    "WHERE VARIABLE_NAME = 'Ssl_cipher'";

// A TCP port nothing listens on now at any address (the server listens on
// 127.0.0.1 and 127.0.0.2).
unsigned FreePort() {
  const int s = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_ANY);
  socklen_t len = sizeof a;
  unsigned port = 0;
  if (::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
      ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &len) == 0)
    port = ntohs(a.sin_port);
  ::close(s);
  return port;
}

std::string RandomWord() {
  std::random_device rd;
  const char letters[] = "abcdefghijkmnopqrstuvwxyzABCDEFGHJKLMNPQRSTUVWXYZ23456789";
  std::string w = "Kt";
  for (int i = 0; i < 20; ++i) w += letters[rd() % (sizeof letters - 1)];
  return w;
}

class SharedServer : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    const char* d = std::getenv("KASSA_TLS_TEST_DIR");
    ASSERT_NE(d, nullptr) << "run through ctest";
    dir_ = d;
    StopServer();
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "deploy");
    port_ = FreePort();
    ASSERT_NE(port_, 0u);
    std::ofstream(dir_ / "deploy" / "Pass_Parametrs.ini", std::ios::binary)
        << port_ << "\r\n"
        << RandomWord() << "\r\n";
    const ts::ProcessResult r = KassaDb({"start", "--bind", kAddress});
    ASSERT_EQ(r.exit_code, 0) << r.output << r.error;
    // The ledger's database and user, made as root over the local socket.
    password_ = RandomWord();
    const ts::ProcessResult made = ts::Run(
        {"/usr/bin/mariadb", "--defaults-file=" + (dir_ / "db" / "client.cnf").string(), "-e",
         "CREATE DATABASE db_pnr_l; CREATE TABLE db_pnr_l.NAL_BUFFER (ID_NUM INT PRIMARY KEY); "
         "INSERT INTO db_pnr_l.NAL_BUFFER VALUES (1), (2); "
         "CREATE USER pnrowner IDENTIFIED BY '" +
             password_ + "'; GRANT SELECT ON db_pnr_l.* TO pnrowner;"});
    ASSERT_EQ(made.exit_code, 0) << made.error;
  }
  static void TearDownTestSuite() {
    StopServer();
    fs::remove_all(dir_);
  }
  static ts::ProcessResult KassaDb(const std::vector<std::string>& args) {
    std::vector<std::string> argv{"/bin/bash", ts::SourceDir() + "/scripts/kassa-db"};
    argv.insert(argv.end(), args.begin(), args.end());
    return ts::Run(argv, {"KASSA_DB_DIR=" + (dir_ / "db").string(),
                          "KASSA_DEPLOY=" + (dir_ / "deploy").string(), "KASSA_DB_FAST=1"});
  }
  static void StopServer() {
    if (!dir_.empty() && fs::exists(dir_ / "deploy" / "Pass_Parametrs.ini")) KassaDb({"stop"});
  }

  void SetUp() override { ui::Install(&ui_); }
  void TearDown() override { ui::Install(nullptr); }

  // A workstation's DLLs folder: the parameters file whose ninth line names
  // the server, and `ca` as Connect_CA.pem when given.
  std::string Workstation(const std::string& name, const fs::path& ca = {}) {
    const fs::path folder = dir_ / name;
    fs::create_directories(folder);
    std::ofstream(folder / texts::kParametersFile, std::ios::binary)
        << "DB_Port\r\n"
        << port_ << "\r\nDB_Name\r\ndb_pnr_l\r\nDB_Login\r\npnrowner\r\nDB_Password\r\n"
        << password_ << "\r\n"
        << kAddress << "\r\n";
    if (!ca.empty())
      fs::copy_file(ca, folder / texts::kCaFile, fs::copy_options::overwrite_existing);
    return (folder / texts::kParametersFile).string();
  }
  // What the user was told, but for the missing wait-message server (no
  // component registry here).
  std::vector<std::string> Messages() const {
    std::vector<std::string> out;
    for (const auto& m : ui_.messages())
      if (m.text != texts::kWaitServerMissing) out.push_back(m.text);
    return out;
  }

  static inline fs::path dir_;
  static inline unsigned port_ = 0;
  static inline std::string password_;
  ui::ScriptedBackend ui_;
};

TEST_F(SharedServer, TheConnectionAndTheQueryTablesGoThereEncrypted) {
  auto adb = MakeADB(Workstation("plain"));
  bool stop = true;
  EXPECT_NE(adb->Get_Value_by_SQL(kCipherQuery, stop), "");
  EXPECT_FALSE(stop);

  // A sheet's query table refreshed through the database object.
  host::Application app;
  host::Workbook& wb = app.Add();
  host::Worksheet& ws = wb.Sheets(1);
  ws.AddQueryTable("ODBC;DSN=kassa", "SELECT ID_NUM FROM NAL_BUFFER ORDER BY 1");
  EXPECT_EQ(adb->Query_Refresh(ws.QueryTables(1), stop), 0);
  EXPECT_FALSE(stop);
  EXPECT_EQ(ws.Cells(3, 1).Text(), "2");
  EXPECT_NE(ws.QueryTables(1).Connection().find(std::string("Server=") + kAddress + ";"),
            std::string::npos);
  EXPECT_TRUE(Messages().empty());
}

TEST_F(SharedServer, WithTheServersCaTheServerIsVerified) {
  auto adb = MakeADB(Workstation("verified", dir_ / "db" / "tls" / "ca.pem"));
  bool stop = true;
  EXPECT_NE(adb->Get_Value_by_SQL(kCipherQuery, stop), "");
  EXPECT_FALSE(stop);
  EXPECT_TRUE(Messages().empty());
}

TEST_F(SharedServer, AServerNotSignedByTheCaIsRefused) {
  const fs::path other = dir_ / "other-ca.pem";
  const ts::ProcessResult made = ts::Run(
      {"/usr/bin/openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "1", "-keyout",
       (dir_ / "other-ca.key").string(), "-out", other.string(), "-subj", "/CN=Somebody else"});
  ASSERT_EQ(made.exit_code, 0) << made.error;
  auto adb = MakeADB(Workstation("impostor", other));
  bool stop = false;
  adb->SQL_Command_Execute("SELECT 1", stop);
  EXPECT_TRUE(stop);
  EXPECT_EQ(Messages(), std::vector<std::string>{texts::kConnectFailed});
}

TEST_F(SharedServer, UnencryptedSessionsOverTheNetworkAreRefused) {
  auto client = [](const char* tls) {
    return ts::Run({"/usr/bin/mariadb", "--no-defaults", tls, "-h", kAddress, "-P",
                    std::to_string(port_), "-u", "pnrowner", "-p" + password_, "-N", "-e",
                    "SELECT 1"});
  };
  const ts::ProcessResult clear = client("--skip-ssl");
  EXPECT_NE(clear.exit_code, 0);
  EXPECT_NE(clear.error.find("Access denied"), std::string::npos) << clear.error;
  const ts::ProcessResult encrypted = client("--ssl");
  EXPECT_EQ(encrypted.exit_code, 0) << encrypted.error;
  EXPECT_EQ(encrypted.output, "1\n");
  // The server listens on the address given only, and says so for later starts.
  std::ifstream saved(dir_ / "db" / "shared.conf");
  std::string first;
  std::getline(saved, first);
  EXPECT_EQ(first, std::string("bind=") + kAddress);
}

}  // namespace
}  // namespace kassa::dbgate
