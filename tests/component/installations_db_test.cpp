// Two installations on one machine, each with its own database server: the
// programs of each installation use its own components, parameters and
// database, even when the per-user registry (or $KASSA_COMPONENTS) names the
// other installation's libraries.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "platform/component/standard_components.h"
#include "tests/support/testsupport.h"

namespace fs = std::filesystem;
namespace ts = kassa::testsupport;

namespace {

// One deployment tree and the root connection to its server.
struct Installation {
  std::string tree;
  kassa::sql::Params root;
};

void Exec(const Installation& at, const std::string& statement) {
  std::string error;
  auto cn = kassa::sql::Connection::Open(at.root, error);
  ASSERT_TRUE(cn) << error;
  ASSERT_TRUE(cn->Execute(statement, error)) << statement << ": " << error;
}

std::vector<std::string> BufferPurposes(const Installation& at) {
  std::string error;
  auto cn = kassa::sql::Connection::Open(at.root, error);
  if (!cn) return {"no connection: " + error};
  auto rows = cn->Query("SELECT ESTABLISH_PAYMENT FROM NAL_BUFFER ORDER BY ID_NUM", error);
  if (!rows) return {"no rows: " + error};
  std::vector<std::string> out;
  for (size_t r = 0; r < rows->RowCount(); ++r) out.push_back(rows->Raw(r, 0));
  return out;
}

// A registry naming the libraries of `tree`, as kassa-register --dir writes it.
std::string RegistryNaming(const std::string& tree, const std::string& path) {
  std::ofstream out(path);
  for (const auto& c : kassa::component::kStandardComponents)
    out << c.progid << "=" << tree << "/DLLs/" << c.file << "\n";
  return path;
}

// Runs the tree's scenario runner: one payment for `recipient` entered in
// the cash entry program, in a folder of its own.
ts::ProcessResult EnterPayment(const Installation& at, const std::string& recipient,
                               const std::string& purpose, const std::string& registry) {
  const std::string work = at.tree + "-work";
  fs::create_directories(work);
  std::ofstream(work + "/entry.ks")
      << "paydesk\n"
      << "fill Input_Nal_Pay Date_On \"09.03.2024\"\n"
      << "fill Input_Nal_Pay Recipient \"" << recipient << "\"\n"
      << "fill Input_Nal_Pay Category_Payment \"ХОЗ\"\n"
      << "fill Input_Nal_Pay Establish_Payment \"" << purpose << "\"\n"
      << "fill Input_Nal_Pay Sum_RUB \"10\"\n"
      << "press Input_Nal_Pay Button_Input_Nal\n"
      << "answer OK\n";
  return ts::Run(
      {"/bin/sh", "-c", "cd '" + work + "' && exec '" + at.tree + "/kassa-script' entry.ks"},
      {"KASSA_COMPONENTS=" + registry, "KASSA_DEPLOY=" + at.tree});
}

class TwoInstallations : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(ts::HaveTestEnv());
    ASSERT_TRUE(ts::ResetDatabase());
    const ts::TestEnv env = ts::TestEnv::FromEnvironment();
    base_ = env.testenv + "/two-installations";
    fs::remove_all(base_);
    fs::create_directories(base_);

    // A: a copy of the test deployment, on the test server.
    a_.tree = base_ + "/A";
    ASSERT_EQ(ts::Run({"/bin/cp", "-a", env.deploy, a_.tree}).exit_code, 0);
    a_.root = ts::RootParams();

    // B: another copy with a server of its own, installed by its own setupdb.
    b_.tree = base_ + "/B";
    ASSERT_EQ(ts::Run({"/bin/cp", "-a", env.deploy, b_.tree}).exit_code, 0);
    fs::remove(b_.tree + "/DLLs/Connect_Parametrs.ini");
    std::mt19937_64 random(std::random_device{}());
    b_.root.port = ts::FreeLoopbackPort();
    b_.root.password = "Kb" + std::to_string(random());
    b_.root.user = "root";
    b_.root.database = "db_pnr_l";
    std::ofstream(b_.tree + "/Pass_Parametrs.ini") << b_.root.port << "\r\n"
                                                   << b_.root.password << "\r\n";
    server_env_ = {"KASSA_DB_DIR=" + base_ + "/B-db", "KASSA_DEPLOY=" + b_.tree, "KASSA_DB_FAST=1"};
    const ts::ProcessResult started =
        ts::Run({"/bin/bash", ts::SourceDir() + "/scripts/kassa-db", "start"}, server_env_);
    ASSERT_EQ(started.exit_code, 0) << started.output << started.error;
    server_started_ = true;
    const ts::ProcessResult installed = ts::Run({b_.tree + "/setupdb"}, {"KASSA_UI=console"});
    ASSERT_EQ(installed.exit_code, 0) << installed.error;

    // The same category in both ledgers, a different employee in each.
    for (const Installation* at : {&a_, &b_})
      Exec(*at, "INSERT INTO CATEGORY_NAL VALUES (1, 'ХОЗ', 'Хозяйственные расходы')");
    Exec(a_, "INSERT INTO OUR_MEMBERS VALUES (1, 'Анна', 'Петрова', 'Анна', NULL, NULL)");
    Exec(b_, "INSERT INTO OUR_MEMBERS VALUES (1, 'Борис', 'Иванов', 'Борис', NULL, NULL)");
  }
  void TearDown() override {
    if (server_started_)
      ts::Run({"/bin/bash", ts::SourceDir() + "/scripts/kassa-db", "stop"}, server_env_);
    if (!HasFailure()) fs::remove_all(base_);
    EXPECT_TRUE(ts::ResetDatabase());
  }

  std::string base_;
  Installation a_, b_;
  std::vector<std::string> server_env_;
  bool server_started_ = false;
};

TEST_F(TwoInstallations, EachTreesProgramsTouchOnlyTheirOwnDatabase) {
  // The per-user registry names A's libraries, as when A registered last.
  const std::string naming_a = RegistryNaming(a_.tree, base_ + "/naming-A.conf");
  const ts::ProcessResult in_b = EnterPayment(b_, "Борис", "Касса B", naming_a);
  EXPECT_EQ(in_b.exit_code, 0) << in_b.output << in_b.error;
  EXPECT_NE(in_b.output.find("Данные в базу внесены!"), std::string::npos) << in_b.output;
  EXPECT_EQ(BufferPurposes(b_), std::vector<std::string>{"Касса B"});
  EXPECT_EQ(BufferPurposes(a_), std::vector<std::string>{});

  // And the other way round.
  const std::string naming_b = RegistryNaming(b_.tree, base_ + "/naming-B.conf");
  const ts::ProcessResult in_a = EnterPayment(a_, "Анна", "Касса A", naming_b);
  EXPECT_EQ(in_a.exit_code, 0) << in_a.output << in_a.error;
  EXPECT_EQ(BufferPurposes(a_), std::vector<std::string>{"Касса A"});
  EXPECT_EQ(BufferPurposes(b_), std::vector<std::string>{"Касса B"});

  // A component the installation's registry lacks comes from the next
  // registry: A without its own database class takes B's, and with it B's
  // parameters and database.
  std::ofstream(a_.tree + "/DLLs/components.conf")
      << "Ledgertools.Special_Function=libledgertools.so\nWaitbox.clsMsgBox=libwaitbox.so\n";
  const ts::ProcessResult lacking = EnterPayment(a_, "Борис", "Через реестр B", naming_b);
  EXPECT_EQ(lacking.exit_code, 0) << lacking.output << lacking.error;
  EXPECT_EQ(BufferPurposes(b_), (std::vector<std::string>{"Касса B", "Через реестр B"}));
  EXPECT_EQ(BufferPurposes(a_), std::vector<std::string>{"Касса A"});
}

}  // namespace
