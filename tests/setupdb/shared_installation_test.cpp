// A shared installation: an administrator (root) installs the ledger into a
// deployment whose DLLs folder belongs to the cashiers' group; a cashier's
// own account, a member of that group, connects; an account outside it can
// neither read the connection parameters nor connect.
//
// The accounts and the group are throwaway system ones made for the test,
// which therefore runs only as root and is skipped otherwise.
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "tests/support/testsupport.h"

namespace fs = std::filesystem;
namespace ts = kassa::testsupport;

namespace {

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

int BufferRows() {
  return std::stoi(ts::RootQuery("SELECT COUNT(*) FROM NAL_BUFFER")[0][0]);
}

class SharedInstallation : public testing::Test {
 protected:
  void SetUp() override {
    if (geteuid() != 0) {
      GTEST_SKIP() << "needs root: makes throwaway system accounts and a group for the cashiers";
    }
    ASSERT_TRUE(ts::HaveTestEnv());
    ASSERT_TRUE(ts::ResetDatabase());
    const std::string suffix = std::to_string(getpid());
    group_ = "kassag" + suffix;
    member_ = "kassam" + suffix;
    other_ = "kassao" + suffix;
    ASSERT_EQ(Tool({"/usr/sbin/groupadd", "--system", group_}), 0);
    made_group_ = true;
    ASSERT_EQ(Tool({"/usr/sbin/useradd", "--system", "--no-create-home", "--shell",
                    "/usr/sbin/nologin", "--groups", group_, member_}),
              0);
    made_member_ = true;
    ASSERT_EQ(Tool({"/usr/sbin/useradd", "--system", "--no-create-home", "--shell",
                    "/usr/sbin/nologin", other_}),
              0);
    made_other_ = true;

    // The installation: a copy of the test deployment that every account
    // may enter, its DLLs folder given to the cashiers' group.
    char pattern[] = "/tmp/kassa-shared-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    top_ = pattern;
    ASSERT_EQ(chmod(top_.c_str(), 0755), 0);
    tree_ = top_ + "/kassa";
    ASSERT_EQ(ts::Run({"/bin/cp", "-a", ts::TestEnv::FromEnvironment().deploy, tree_}).exit_code,
              0);
    fs::remove(ConnectFile());
    const group* g = getgrnam(group_.c_str());
    ASSERT_NE(g, nullptr);
    gid_ = g->gr_gid;
    ASSERT_EQ(chown((tree_ + "/DLLs").c_str(), 0, gid_), 0);
  }
  void TearDown() override {
    if (made_member_) Tool({"/usr/sbin/userdel", member_});
    if (made_other_) Tool({"/usr/sbin/userdel", other_});
    if (made_group_) Tool({"/usr/sbin/groupdel", group_});
    if (!top_.empty()) fs::remove_all(top_);
    if (geteuid() == 0) {
      EXPECT_TRUE(ts::ResetDatabase());
    }
  }

  static int Tool(const std::vector<std::string>& argv) {
    const ts::ProcessResult r = ts::Run(argv);
    if (r.exit_code != 0) ADD_FAILURE() << argv[0] << ": " << r.output << r.error;
    return r.exit_code;
  }
  std::string ConnectFile() const { return tree_ + "/DLLs/Connect_Parametrs.ini"; }

  // Runs `argv` as `account` (its groups included), with no registry of
  // the test environment: the installation's own is used.
  static ts::ProcessResult RunAs(const std::string& account, std::vector<std::string> argv) {
    argv.insert(argv.begin(), {"/usr/sbin/runuser", "-u", account, "--"});
    return ts::Run(argv, {"KASSA_COMPONENTS=/nonexistent/components.conf"});
  }

  // The installation's scenario runner, as `account`: one payment entered
  // in the cash entry program.
  ts::ProcessResult EnterPaymentAs(const std::string& account) const {
    const std::string work = top_ + "/work-" + account;
    fs::create_directories(work);
    std::ofstream(work + "/entry.ks") << "paydesk\n"
                                         "fill Input_Nal_Pay Date_On \"09.03.2024\"\n"
                                         "fill Input_Nal_Pay Recipient \"Иванов\"\n"
                                         "fill Input_Nal_Pay Category_Payment \"ХОЗ\"\n"
                                         "fill Input_Nal_Pay Establish_Payment \"Касса\"\n"
                                         "fill Input_Nal_Pay Sum_RUB \"10\"\n"
                                         "press Input_Nal_Pay Button_Input_Nal\n"
                                         "answer OK\n";
    chown(work.c_str(), 0, gid_);
    chmod(work.c_str(), 0777);
    return RunAs(account, {"/bin/sh", "-c",
                           "cd '" + work + "' && exec '" + tree_ + "/kassa-script' entry.ks"});
  }

  std::string group_, member_, other_, top_, tree_;
  gid_t gid_ = 0;
  bool made_group_ = false, made_member_ = false, made_other_ = false;
};

TEST_F(SharedInstallation, AMemberOfTheFoldersGroupConnectsAndNoOneElseReadsThePassword) {
  const ts::ProcessResult installed = ts::Run({tree_ + "/setupdb"}, {"KASSA_UI=console"});
  ASSERT_EQ(installed.exit_code, 0) << installed.error;
  EXPECT_FALSE(Contains(installed.error, "Connect_Parametrs.ini")) << installed.error;
  struct stat st {};
  ASSERT_EQ(stat(ConnectFile().c_str(), &st), 0);
  EXPECT_EQ(st.st_uid, 0u);
  EXPECT_EQ(st.st_gid, gid_);
  EXPECT_EQ(st.st_mode & 0777, 0640u);

  ASSERT_TRUE(ts::RootExec("INSERT INTO CATEGORY_NAL VALUES (1, 'ХОЗ', NULL)"));
  ASSERT_TRUE(
      ts::RootExec("INSERT INTO OUR_MEMBERS VALUES (1, 'Иванов', 'Иванов', NULL, NULL, NULL)"));

  // The cashier's own account enters a payment.
  const ts::ProcessResult member = EnterPaymentAs(member_);
  EXPECT_EQ(member.exit_code, 0) << member.output << member.error;
  EXPECT_TRUE(Contains(member.output, "Данные в базу внесены!")) << member.output;
  EXPECT_EQ(BufferRows(), 1);

  // Another account reads nothing and connects nowhere.
  const ts::ProcessResult read = RunAs(other_, {"/bin/cat", ConnectFile()});
  EXPECT_NE(read.exit_code, 0);
  EXPECT_EQ(read.output, "");
  const ts::ProcessResult other = EnterPaymentAs(other_);
  EXPECT_TRUE(Contains(other.output, "Установить подключение к базе невозможно.")) << other.output;
  EXPECT_EQ(BufferRows(), 1);
}

}  // namespace
