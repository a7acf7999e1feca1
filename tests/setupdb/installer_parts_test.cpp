// The installer's pure parts: reading Pass_Parametrs.ini, the administrative
// connection values, the application password, the connection parameters
// file and who may read it, the preparation of the script statements and the
// failure report.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <set>
#include <vector>

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
    std::string content, port, password, servers = "";
  } cases[] = {
      {"3407\r\nsecret\r\n", "3407", "secret"},
      {"3407\nsecret\n", "3407", "secret"},
      {"3407\rsecret\r", "3407", "secret"},
      {"3407\r\nsecret", "3407", "secret"},  // no break after the last line
      {" 3407 \r\n pass word \r\n", " 3407 ", " pass word "},
      {"3407\r\nsecret\r\nline three\r\n", "3407", "secret", "line three"},
      {"3407\r\nsecret\r\n\r\nline four\r\n", "3407", "secret", ""},
      {"3407\r\n\r\nsecret\r\n", "3407", "", "secret"},  // an empty second line
      {"3407", "3407", ""},                              // file too short
      {"", "", ""},
      {"\r\nsecret\r\n", "", "secret"},
      {"   \nsecret\n", "   ", "secret"},
  };
  TempDir dir;
  for (const Case& c : cases) {
    PassParametrs p{"x", "y", "z"};
    ASSERT_TRUE(ReadPassParametrs(dir.File("Pass_Parametrs.ini", c.content), p));
    EXPECT_EQ(p.port, c.port) << testing::PrintToString(c.content);
    EXPECT_EQ(p.root_password, c.password) << testing::PrintToString(c.content);
    EXPECT_EQ(p.servers, c.servers) << testing::PrintToString(c.content);
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
    std::vector<kassa::sql::Params> targets;
    EXPECT_FALSE(AdminTargets(PassParametrs{bad, "pw", ""}, targets)) << "'" << bad << "'";
  }
  std::vector<kassa::sql::Params> targets;
  ASSERT_TRUE(AdminTargets(PassParametrs{"03407", " pw;x ", ""}, targets));
  ASSERT_EQ(targets.size(), 1u);
  EXPECT_EQ(targets[0].port, 3407u);
  EXPECT_EQ(targets[0].host, "127.0.0.1");
  EXPECT_EQ(targets[0].database, "mysql");
  EXPECT_EQ(targets[0].user, "root");
  EXPECT_EQ(targets[0].password, " pw;x ");  // verbatim
  ASSERT_TRUE(AdminTargets(PassParametrs{"65535", "pw", ""}, targets));
  EXPECT_EQ(targets[0].port, 65535u);
}

TEST(AdminConnection, SharedInstallationTriesItsServersThenTheLoopbackHost) {
  std::vector<kassa::sql::Params> targets;
  ASSERT_TRUE(AdminTargets(PassParametrs{"3407", "pw", "db1.firm.local:3310,10.0.0.7"}, targets));
  ASSERT_EQ(targets.size(), 3u);
  EXPECT_EQ(targets[0].host, "db1.firm.local");
  EXPECT_EQ(targets[0].port, 3310u);
  EXPECT_EQ(targets[1].host, "10.0.0.7");
  EXPECT_EQ(targets[1].port, 3407u);  // line 1's port
  EXPECT_EQ(targets[2].host, "127.0.0.1");
  EXPECT_EQ(targets[2].port, 3407u);
  for (const auto& t : targets) {
    EXPECT_EQ(t.user, "root");
    EXPECT_EQ(t.password, "pw");
    EXPECT_EQ(t.database, "mysql");
  }
  // Line 3 in any other form is refused, as the programs would refuse it.
  for (const char* bad : {",", "db1,,db2", "db1;db2", "db 1", "db1:0", "db1:65536", "db1:x"})
    EXPECT_FALSE(AdminTargets(PassParametrs{"3407", "pw", bad}, targets)) << bad;
}

TEST(AppPassword, TwentyFourDigitsFromTheRandomSourceWithoutBias) {
  // Bytes that map unevenly (250 and above; 252 and above for the first
  // digit) are drawn again; the first digit is never zero.
  std::vector<unsigned char> bytes = {255, 252, 9, 250, 251, 0, 19, 249};
  size_t next = 0;
  const RandomBytes scripted = [&](unsigned char* buffer, size_t size) {
    for (size_t i = 0; i < size; ++i) buffer[i] = next < bytes.size() ? bytes[next++] : 7;
    return true;
  };
  std::string pw;
  ASSERT_TRUE(GeneratePassword(scripted, pw));
  ASSERT_EQ(pw.size(), kAppPasswordDigits);
  EXPECT_EQ(pw.substr(0, 4), "1099");  // 9 % 9 + 1, then 0, 19, 249 modulo 10
  EXPECT_EQ(pw.substr(4), std::string(kAppPasswordDigits - 4, '7'));

  std::string kept = "unchanged";
  EXPECT_FALSE(GeneratePassword([](unsigned char*, size_t) { return false; }, kept));
  EXPECT_EQ(kept, "unchanged");
}

TEST(AppPassword, SystemSourceGivesFreshPlainDigits) {
  EXPECT_GE(kAppPasswordDigits, 20u);
  std::set<std::string> seen;
  std::array<int, 10> digit_counts{};
  for (int i = 0; i < 200; ++i) {
    std::string pw;
    ASSERT_TRUE(GeneratePassword(SystemRandomBytes, pw));
    ASSERT_EQ(pw.size(), kAppPasswordDigits);
    ASSERT_EQ(pw.find_first_not_of("0123456789"), std::string::npos) << pw;
    EXPECT_NE(pw[0], '0') << pw;
    for (char c : pw.substr(1)) ++digit_counts[c - '0'];
    seen.insert(pw);
  }
  EXPECT_EQ(seen.size(), 200u);
  // 200 * 23 digits: every digit appears about 460 times.
  for (int count : digit_counts) {
    EXPECT_GT(count, 300);
    EXPECT_LT(count, 620);
  }
}

TEST(ConnectFile, EightCrLfLinesOwnerOnly) {
  EXPECT_EQ(ConnectParametrsText("3407", "4711"),
            "DB_Port\r\n3407\r\nDB_Name\r\ndb_pnr_l\r\nDB_Login\r\npnrowner\r\n"
            "DB_Password\r\n4711\r\n");
  TempDir dir;
  const std::string path = dir.File("Connect_Parametrs.ini", "an older, longer file\r\n\r\n\r\n");
  chmod(path.c_str(), 0644);
  FileSharing sharing;
  ASSERT_TRUE(WriteConnectParametrs(path, "  3407", "0", "", &sharing));
  EXPECT_EQ(ReadAll(path), ConnectParametrsText("  3407", "0"));
  struct stat st {};
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_FALSE(sharing.group_readable);
  EXPECT_FALSE(sharing.group_refused);

  const std::string fresh = dir.path() + "/fresh.ini";
  ASSERT_TRUE(WriteConnectParametrs(fresh, "3407", "1"));
  ASSERT_EQ(stat(fresh.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST(ConnectFile, ServerListIsTheNinthLine) {
  const std::string eight = ConnectParametrsText("3407", "4711");
  EXPECT_EQ(ConnectParametrsText("3407", "4711", ""), eight);
  EXPECT_EQ(ConnectParametrsText("3407", "4711", "db1:3310,db2"), eight + "db1:3310,db2\r\n");
  TempDir dir;
  const std::string path = dir.path() + "/Connect_Parametrs.ini";
  ASSERT_TRUE(WriteConnectParametrs(path, "3407", "4711", "db1:3310,db2"));
  EXPECT_EQ(ReadAll(path), eight + "db1:3310,db2\r\n");
}

TEST(ConnectFile, AFolderOfAnotherGroupSharesTheFileWithThatGroupOnly) {
  // A group that is not this account's own: any of its supplementary groups,
  // or, for root, the unprivileged "nogroup".
  gid_t other = static_cast<gid_t>(-1);
  gid_t groups[64];
  const int n = getgroups(64, groups);
  for (int i = 0; i < n; ++i)
    if (groups[i] != getegid()) other = groups[i];
  if (other == static_cast<gid_t>(-1) && geteuid() == 0) other = 65534;
  if (other == static_cast<gid_t>(-1))
    GTEST_SKIP() << "this account belongs to no group besides its own";

  TempDir dir;
  const std::string dlls = dir.path() + "/DLLs";
  ASSERT_EQ(mkdir(dlls.c_str(), 0755), 0);
  ASSERT_EQ(chown(dlls.c_str(), static_cast<uid_t>(-1), other), 0);
  const std::string path = dlls + "/Connect_Parametrs.ini";
  FileSharing sharing;
  ASSERT_TRUE(WriteConnectParametrs(path, "3407", "4711", "", &sharing));
  struct stat st {};
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_gid, other);
  EXPECT_EQ(st.st_mode & 0777, 0640u);  // the group reads, the world does not
  EXPECT_TRUE(sharing.group_readable);
  EXPECT_FALSE(sharing.group_refused);
  EXPECT_FALSE(sharing.group.empty());
  EXPECT_EQ(ReadAll(path), ConnectParametrsText("3407", "4711"));

  // Back in a folder of the owner's own group, the file is the owner's only.
  ASSERT_EQ(chown(dlls.c_str(), static_cast<uid_t>(-1), getegid()), 0);
  ASSERT_TRUE(WriteConnectParametrs(path, "3407", "4711", "", &sharing));
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_FALSE(sharing.group_readable);
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
