// The installer's pure parts: reading Pass_Parametrs.ini, the administrative
// connection values, the application password, the connection parameters
// file, the preparation of the script statements and the failure report.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "setupdb/app_password.h"
#include "setupdb/connect_file.h"
#include "setupdb/earlier_user.h"
#include "setupdb/installer.h"
#include "setupdb/pass_file.h"
#include "setupdb/schema.h"
#include "setupdb/script_runner.h"

namespace fs = std::filesystem;
using namespace kassa::setupdb;

namespace {

class TempDir {
 public:
  TempDir() {
    char pattern[] = "/tmp/kassa-setupdb-XXXXXX";
    path_ = mkdtemp(pattern);
  }
  ~TempDir() { fs::remove_all(path_); }
  std::string File(const std::string& name, const std::string& content) const {
    const std::string p = path_ + "/" + name;
    std::ofstream(p, std::ios::binary) << content;
    return p;
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

TEST(PassFile, LineEndsOfAllKindsAndNothingTrimmed) {
  struct Case {
    std::string content, port, password;
  } cases[] = {
      {"3407\r\nsecret\r\n", "3407", "secret"},
      {"3407\nsecret\n", "3407", "secret"},
      {"3407\rsecret\r", "3407", "secret"},
      {"3407\r\nsecret", "3407", "secret"},  // no break after the last line
      {" 3407 \r\n pass word \r\n", " 3407 ", " pass word "},
      {"3407\r\nsecret\r\nline three\r\n", "3407", "secret"},
      {"3407\r\n\r\nsecret\r\n", "3407", ""},  // an empty second line
      {"3407", "3407", ""},                    // file too short
      {"", "", ""},
      {"\r\nsecret\r\n", "", "secret"},
      {"   \nsecret\n", "   ", "secret"},
  };
  TempDir dir;
  for (const Case& c : cases) {
    PassParametrs p{"x", "y"};
    ASSERT_TRUE(ReadPassParametrs(dir.File("Pass_Parametrs.ini", c.content), p));
    EXPECT_EQ(p.port, c.port) << testing::PrintToString(c.content);
    EXPECT_EQ(p.root_password, c.password) << testing::PrintToString(c.content);
  }
}

TEST(PassFile, MissingFileOrFolderCannotBeRead) {
  TempDir dir;
  PassParametrs p;
  EXPECT_FALSE(ReadPassParametrs(dir.path() + "/Pass_Parametrs.ini", p));
  EXPECT_FALSE(ReadPassParametrs(dir.path(), p));
}

TEST(AdminConnection, PortMustBeAPortNumberAsTyped) {
  for (const char* bad :
       {"", "   ", " 3407", "3407 ", "0", "65536", "3407x", "-1", "99999999999"}) {
    kassa::sql::Params params;
    EXPECT_FALSE(AdminParams(PassParametrs{bad, "pw"}, params)) << "'" << bad << "'";
  }
  kassa::sql::Params params;
  ASSERT_TRUE(AdminParams(PassParametrs{"03407", " pw;x "}, params));
  EXPECT_EQ(params.port, 3407u);
  EXPECT_EQ(params.host, "127.0.0.1");
  EXPECT_EQ(params.database, "mysql");
  EXPECT_EQ(params.user, "root");
  EXPECT_EQ(params.password, " pw;x ");  // verbatim
  ASSERT_TRUE(AdminParams(PassParametrs{"65535", "pw"}, params));
  EXPECT_EQ(params.port, 65535u);
}

TEST(AppPassword, FractionRoundedToFiveDecimalsTimesHundredThousand) {
  EXPECT_EQ(PasswordFromFraction(0.0), "0");
  EXPECT_EQ(PasswordFromFraction(0.000004), "0");
  EXPECT_EQ(PasswordFromFraction(0.000006), "1");
  EXPECT_EQ(PasswordFromFraction(0.05), "5000");
  EXPECT_EQ(PasswordFromFraction(0.123456), "12346");
  EXPECT_EQ(PasswordFromFraction(0.999996), "100000");
  EXPECT_EQ(PasswordFromFraction(0.9999999999), "100000");
}

TEST(AppPassword, GeneratedFromSeedIsPlainDigitsInRange) {
  std::set<std::string> seen;
  for (std::uint64_t seed = 1; seed <= 200; ++seed) {
    const std::string pw = GeneratePassword(seed * 7919);
    ASSERT_FALSE(pw.empty());
    ASSERT_LE(pw.size(), 6u);
    EXPECT_EQ(pw.find_first_not_of("0123456789"), std::string::npos) << pw;
    EXPECT_TRUE(pw == "0" || pw[0] != '0') << pw;
    EXPECT_LE(std::stol(pw), 100000);
    seen.insert(pw);
  }
  EXPECT_GT(seen.size(), 150u);  // the seed matters
  EXPECT_EQ(GeneratePassword(42), GeneratePassword(42));
}

TEST(ConnectFile, EightCrLfLinesOwnerOnly) {
  EXPECT_EQ(ConnectParametrsText("3407", "4711"),
            "DB_Port\r\n3407\r\nDB_Name\r\ndb_pnr_l\r\nDB_Login\r\npnrowner\r\n"
            "DB_Password\r\n4711\r\n");
  TempDir dir;
  const std::string path = dir.File("Connect_Parametrs.ini", "an older, longer file\r\n\r\n\r\n");
  chmod(path.c_str(), 0644);
  ASSERT_TRUE(WriteConnectParametrs(path, "  3407", "0"));
  EXPECT_EQ(ReadAll(path), ConnectParametrsText("  3407", "0"));
  struct stat st {};
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);

  const std::string fresh = dir.path() + "/fresh.ini";
  ASSERT_TRUE(WriteConnectParametrs(fresh, "3407", "1"));
  ASSERT_EQ(stat(fresh.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST(ConnectFile, MissingFolderIsNotCreated) {
  TempDir dir;
  EXPECT_FALSE(WriteConnectParametrs(dir.path() + "/DLLs/Connect_Parametrs.ini", "3407", "1"));
  EXPECT_FALSE(fs::exists(dir.path() + "/DLLs"));
}

TEST(Script, PlaceholdersNeverReachTheServer) {
  const auto& script = InstallScript();
  EXPECT_TRUE(script[0].empty());
  int changed = 0;
  for (int i = 1; i <= kScriptSize; ++i) {
    ASSERT_FALSE(script[i].empty()) << i;
    const std::string sent = PrepareStatement(script[i], "81234");
    EXPECT_EQ(sent.find("pnrowner_password"), std::string::npos) << i;
    EXPECT_EQ(sent.find("pnrowner_login"), std::string::npos) << i;
    if (sent != script[i]) ++changed;
  }
  EXPECT_EQ(changed, 1);  // only the user creation carries placeholders
  EXPECT_EQ(PrepareStatement(script[18], "81234"), "CREATE USER pnrowner IDENTIFIED BY '81234'; ");
  EXPECT_EQ(PrepareStatement(script[18], "0"), "CREATE USER pnrowner IDENTIFIED BY '0'; ");
  // Replacement is case-sensitive and takes the quotes with it.
  EXPECT_EQ(PrepareStatement("x 'PNROWNER_PASSWORD' pnrowner_password 'pnrowner_password'", "7"),
            "x 'PNROWNER_PASSWORD' pnrowner_password '7'");
  EXPECT_EQ(PrepareStatement("pnrowner_login Pnrowner_login", "7"), "pnrowner Pnrowner_login");
}

TEST(Script, GrantsFollowTheUserAndViewsFollowTheirSources) {
  const auto& script = InstallScript();
  auto position = [&](const std::string& needle) {
    for (int i = 1; i <= kScriptSize; ++i)
      if (script[i].find(needle) != std::string::npos) return i;
    return 0;
  };
  const int user = position("CREATE USER");
  ASSERT_EQ(user, 18);
  for (int i = 19; i <= kScriptSize; ++i) EXPECT_EQ(script[i].rfind("GRANT ", 0), 0u) << i;
  EXPECT_LT(position("CREATE VIEW Expences_Category_Member_Exl_GD"),
            position("CREATE VIEW Expences_Category_Member_Exl AS"));
  EXPECT_LT(position("CREATE VIEW Expences_Category_Exl_GD"),
            position("CREATE VIEW Expences_Category_Exl AS"));
  EXPECT_LT(position("CREATE TABLE NAL_BUFFER"), position("CREATE VIEW Count_NAL_BUFFER"));
}

TEST(Script, FailureReportNamesNumberTextAndServerAnswer) {
  const ScriptFailure f{18, InstallScript()[18], "Operation CREATE USER failed"};
  const std::string text = DescribeFailure(f);
  EXPECT_NE(text.find("18"), std::string::npos);
  EXPECT_NE(text.find(InstallScript()[18]), std::string::npos);
  EXPECT_NE(text.find("Operation CREATE USER failed"), std::string::npos);
}

TEST(EarlierUser, NameComparedWithoutLetterCase) {
  EXPECT_TRUE(ContainsAppUser({"root", "pnrowner"}));
  EXPECT_TRUE(ContainsAppUser({"PnrOwner"}));
  EXPECT_TRUE(ContainsAppUser({"", "PNROWNER"}));
  EXPECT_FALSE(ContainsAppUser({}));
  EXPECT_FALSE(ContainsAppUser({"root", "", "mariadb.sys"}));
  EXPECT_FALSE(ContainsAppUser({"pnrowner ", "pnrowner2", "pnr"}));
}
