// The ledger on a three-node Galera cluster (fixture "galera"): the node a
// program works on is killed with SIGKILL in the middle of a whole-sheet
// store, of a buffer load and of paydesk entries, and the work completes on
// another node with nothing lost, nothing doubled and nothing half-done; a
// store whose commit loses Galera's certification is retried as a whole;
// every reconnect of the database object moves to the next server.
//
// Each test prints how long the failover took, from the kill to the
// completed operation ("failover: ..." lines; ctest -R galera -V shows them).
// The engine's pauses run on the scripted user's virtual clock, so the two
// 300 ms pauses of a reconnect are not in these figures.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "dbgate/adb.h"
#include "dbgate/texts.h"
#include "ledgertools/special_function.h"
#include "paydesk/paydesk.h"
#include "paydesk/texts.h"
#include "platform/component/component.h"
#include "platform/ui/form.h"
#include "platform/ui/script/scripted.h"
#include "sheetsync/engine.h"
#include "tests/sheetsync/test_book.h"
#include "tests/support/galera.h"
#include "tests/support/testsupport.h"

namespace kassa {
namespace {

namespace fs = std::filesystem;
namespace ts = kassa::testsupport;
using Rows = std::vector<std::vector<std::string>>;
using Clock = std::chrono::steady_clock;

constexpr char kAppUser[] = "pnrowner";
constexpr char kNalRows[] =
    "SELECT ID_EXL, DATE_ON, RECIPIENT_ID, ESTABLISH_PAYMENT, SUM_RUB, CATEGORY_PAYMENT_ID "
    "FROM db_pnr_l.NAL ORDER BY ID_EXL";

double Since(Clock::time_point t) {
  return std::chrono::duration<double>(Clock::now() - t).count();
}

class Failover : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(ts::GaleraCluster::Have()) << "run through ctest (fixture galera)";
    ASSERT_EQ(cluster_.Nodes(), 3);
    ASSERT_TRUE(cluster_.StartAll());
    ASSERT_TRUE(ts::ResetDatabase());
    ASSERT_TRUE(ts::WriteClusterHosts(cluster_));
    ui::Install(&ui_);
    ui_.SetTrace(true);
    ui_.on_line = [this](const std::string& line) {
      if (on_line) on_line(line);
    };
    ui_.action_source = [this] {
      if (actions_.empty()) return false;
      auto a = std::move(actions_.front());
      actions_.erase(actions_.begin());
      a();
      return true;
    };
    // 100 employees "Имя100".. and 100 categories "К100"..
    std::string members = "INSERT INTO OUR_MEMBERS (ID_RESPONSIBLE, NAME_SHORT) VALUES ";
    std::string categories =
        "INSERT INTO CATEGORY_NAL (ID_CATEGORY_PAYMENT, NAME_ENCIPHER) VALUES ";
    for (int k = 0; k < 100; ++k) {
      members +=
          (k ? ", (" : "(") + std::to_string(k + 1) + ", 'Имя" + std::to_string(100 + k) + "')";
      categories +=
          (k ? ", (" : "(") + std::to_string(k + 1) + ", 'К" + std::to_string(100 + k) + "')";
    }
    Exec(members);
    Exec(categories);
  }
  void TearDown() override {
    on_line = nullptr;
    ui::Install(nullptr);
  }

  void Exec(const std::string& statement) {
    std::string error;
    ASSERT_TRUE(ts::RootExec(statement, &error)) << statement << ": " << error;
  }

  // Kills the node on which the application has its session now.
  int KillNodeInUse() {
    const int node = cluster_.NodeOfUser(kAppUser);
    EXPECT_NE(node, 0) << "no session of the application on any node";
    if (node == 0) return 0;
    EXPECT_TRUE(cluster_.Kill(node));
    killed_at_ = Clock::now();
    return node;
  }
  // The failover figure of this test: from the kill to the completed
  // operation, and the whole operation from its start.
  void Report(const std::string& what, int node, Clock::time_point started) {
    std::printf("failover: %s: node %d killed -> completed %.3f s later (%.3f s in all)\n",
                what.c_str(), node, Since(killed_at_), Since(started));
    std::fflush(stdout);
  }
  // The nodes whose server runs.
  std::vector<int> LiveNodes() const {
    std::vector<int> out;
    for (int n = 1; n <= cluster_.Nodes(); ++n)
      if (cluster_.Alive(n)) out.push_back(n);
    return out;
  }
  std::vector<std::string> Messages() const {
    std::vector<std::string> out;
    for (const auto& m : ui_.messages()) out.push_back(m.text);
    return out;
  }
  int Count(const std::string& prefix) const {
    int n = 0;
    for (const std::string& line : ui_.transcript())
      if (line.rfind(prefix, 0) == 0) ++n;
    return n;
  }

  ts::GaleraCluster cluster_;
  ui::ScriptedBackend ui_{MakeDate(2026, 12, 7, 10, 0, 0)};
  std::function<void(const std::string&)> on_line;
  std::vector<std::function<void()>> actions_;
  Clock::time_point killed_at_ = Clock::now();
};

// The cash sheet of the engine's test workbook over `rows` payments.
class SheetStore : public Failover {
 protected:
  void SeedLedger(int rows) {
    std::string nal =
        "INSERT INTO NAL (ID_EXL, DATE_ON, RECIPIENT_ID, ESTABLISH_PAYMENT, SUM_RUB, "
        "CATEGORY_PAYMENT_ID) VALUES ";
    for (int r = 2; r < rows + 2; ++r) {
      const int i = r - 2;
      nal += (r > 2 ? ", (" : "(") + std::to_string(r) + ", '2010-" + std::to_string(1 + i % 12) +
             "-" + std::to_string(1 + i % 28) + "', " + std::to_string(1 + i % 100) + ", 'платёж " +
             std::to_string(i + 1) + "', " + std::to_string(i + 1) + ".25, " +
             std::to_string(1 + (i * 7) % 100) + ")";
    }
    Exec(nal);
  }
  // Opens Sync.xls with an engine of our own; its cash sheet loads from NAL.
  host::Workbook& Open() {
    const ts::TestEnv env = ts::TestEnv::FromEnvironment();
    fs::copy_file(ts::SourceDir() + "/tests/scenarios/sheetsync/Sync.ini", env.dlls() + "/Sync.ini",
                  fs::copy_options::overwrite_existing);
    const fs::path dir = fs::path(env.testenv) / "failover" /
                         ::testing::UnitTest::GetInstance()->current_test_info()->name();
    fs::remove_all(dir);
    fs::create_directories(dir);
    const std::string path = (dir / "Sync.xls").string();
    sheetsync::testing::WriteTestBook(path, false);
    host::Workbook& wb = app_.Open(path);
    wb.SetEventSink(engine_);
    EXPECT_EQ(engine_->Workbook_Open(wb), 0);
    return wb;
  }

  host::Application app_;
  std::shared_ptr<sheetsync::Engine> engine_ = std::make_shared<sheetsync::Engine>();
};

TEST_F(SheetStore, TenThousandRowsCompleteOnAnotherNodeWhenTheirNodeDies) {
  SeedLedger(10000);
  const Rows sheet_rows = cluster_.Query(1, kNalRows);
  host::Workbook& wb = Open();
  ASSERT_FALSE(engine_->Stop_Program);
  ASSERT_EQ(wb.ActiveSheet().Cells(10001, 3).Text(), "платёж 10000");
  // Meanwhile the table was changed elsewhere: the store puts the sheet back.
  ASSERT_TRUE(cluster_.Exec(2, "DELETE FROM db_pnr_l.NAL WHERE ID_EXL > 9000"));
  ASSERT_TRUE(cluster_.Exec(3, "UPDATE db_pnr_l.NAL SET SUM_RUB = 0 WHERE ID_EXL % 7 = 0"));

  int killed = 0;
  on_line = [&](const std::string& line) {
    // The delete has run inside the store's transaction; the rows follow.
    if (!killed && line.rfind("SQL \"Insert Into NAL", 0) == 0) killed = KillNodeInUse();
  };
  const Clock::time_point started = Clock::now();
  engine_->Store_Sheet(false);
  ASSERT_NE(killed, 0);
  Report("store of 10,000 rows", killed, started);
  EXPECT_FALSE(engine_->Stop_Program);
  EXPECT_TRUE(Messages().empty());               // the user saw only the wait and progress
  EXPECT_EQ(Count("SQL \"Delete From NAL"), 2);  // the whole transaction again
  for (int n : LiveNodes()) {
    EXPECT_NE(n, killed);
    EXPECT_EQ(cluster_.Query(n, kNalRows), sheet_rows) << "node " << n;
  }
  // The killed node comes back and holds the same table.
  ASSERT_TRUE(cluster_.StartAll());
  EXPECT_EQ(cluster_.Query(killed, kNalRows), sheet_rows);
}

// Another node commits a change to a row the store has deleted: the store's
// commit loses certification and the store runs again as a whole.
TEST_F(SheetStore, ACertificationConflictRetriesTheWholeStore) {
  SeedLedger(2000);
  const Rows sheet_rows = cluster_.Query(1, kNalRows);
  Open();
  ASSERT_FALSE(engine_->Stop_Program);
  bool changed = false;
  int store_node = 0;
  on_line = [&](const std::string& line) {
    if (!changed && line.rfind("SQL \"Insert Into NAL", 0) == 0) {
      store_node = cluster_.NodeOfUser(kAppUser);
      const int other = store_node % 3 + 1;
      changed = cluster_.Exec(other, "UPDATE db_pnr_l.NAL SET SUM_RUB = 999 WHERE ID_EXL = 2");
    }
  };
  engine_->Store_Sheet(false);
  ASSERT_TRUE(changed);
  EXPECT_FALSE(engine_->Stop_Program);
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(Count("SQL \"Delete From NAL"), 2);
  for (int n = 1; n <= 3; ++n) EXPECT_EQ(cluster_.Query(n, kNalRows), sheet_rows) << "node " << n;
}

class Buffer : public Failover {
 protected:
  void SetUp() override {
    Failover::SetUp();
    if (HasFatalFailure()) return;
    sf_ = component::Create<ledgertools::Special_Function>("Ledgertools.Special_Function");
    ASSERT_TRUE(sf_) << "Ledgertools.Special_Function cannot be created";
  }
  // `n` payments waiting with keys 1..n, purposes "платёж 1".. "платёж n".
  void Buffered(int n) {
    std::string rows = "INSERT INTO NAL_BUFFER VALUES ";
    for (int k = 1; k <= n; ++k)
      rows += (k > 1 ? ", (" : "(") + std::to_string(k) + ", '2026-12-01', 1, 'платёж " +
              std::to_string(k) + "', " + std::to_string(k) + ".5, 2)";
    Exec(rows);
  }
  // How often each purpose is in NAL, and the keys it got.
  Rows Loaded(int node) {
    return cluster_.Query(node,
                          "SELECT ESTABLISH_PAYMENT, COUNT(*), MIN(ID_EXL) FROM db_pnr_l.NAL "
                          "WHERE ESTABLISH_PAYMENT LIKE 'платёж %' GROUP BY 1 ORDER BY 3");
  }
  std::shared_ptr<ledgertools::Special_Function> sf_;
};

TEST_F(Buffer, ALoadWhoseNodeDiesIsAllOrNothingAndThenAll) {
  std::string old = "INSERT INTO NAL (ID_EXL, ESTABLISH_PAYMENT) VALUES ";
  for (int r = 2; r <= 101; ++r) old += (r > 2 ? ", (" : "(") + std::to_string(r) + ", 'старый')";
  Exec(old);
  Buffered(50);
  const Rows waiting_before =
      cluster_.Query(1, "SELECT * FROM db_pnr_l.NAL_BUFFER ORDER BY ID_NUM");
  int killed = 0;
  Rows seen_buffer, seen_ledger;
  on_line = [&](const std::string& line) {
    // Renumbered inside the transaction; the copy into NAL comes next.
    if (!killed && line.rfind("SQL \" Insert into  NAL Select", 0) == 0) {
      killed = KillNodeInUse();
      const int other = killed % 3 + 1;
      seen_buffer = cluster_.Query(other, "SELECT * FROM db_pnr_l.NAL_BUFFER ORDER BY ID_NUM");
      seen_ledger = cluster_.Query(other, "SELECT COUNT(*) FROM db_pnr_l.NAL");
    }
  };
  const Clock::time_point started = Clock::now();
  sf_->Load_Buffer();
  ASSERT_NE(killed, 0);
  Report("buffer load of 50 payments", killed, started);
  // What the other nodes held at the kill: nothing of the load at all.
  EXPECT_EQ(seen_buffer, waiting_before);
  EXPECT_EQ(seen_ledger, (Rows{{"100"}}));
  // Then the load completed elsewhere: every payment once, keys after the ledger's.
  EXPECT_TRUE(Messages().empty());
  Rows expected;
  for (int k = 1; k <= 50; ++k)
    expected.push_back({"платёж " + std::to_string(k), "1", std::to_string(101 + k)});
  for (int n : LiveNodes()) {
    EXPECT_EQ(Loaded(n), expected) << "node " << n;
    EXPECT_EQ(cluster_.Query(n, "SELECT COUNT(*) FROM db_pnr_l.NAL_BUFFER"), (Rows{{"0"}}));
  }
  ASSERT_TRUE(cluster_.StartAll());
  EXPECT_EQ(Loaded(killed), expected);
}

// Twelve entries in the entry program, each a program run of its own: the
// node used is killed between two entries (the next entry's employee is
// chosen in the picker, which lists from the nodes still up), and later
// another node in the middle of an entry (before its insert). Then the
// buffer is loaded.
TEST_F(Buffer, PaydeskEntriesAcrossKilledNodesAreEachStoredOnce) {
  constexpr int kEntries = 12;
  int used = 0, killed_between = 0, killed_during = 0;
  int entry = 0;
  double between_time = 0, during_time = 0;
  on_line = [&](const std::string& line) {
    if (line.rfind("SQL \"Insert Into NAL_BUFFER", 0) != 0) return;
    used = cluster_.NodeOfUser(kAppUser);
    if (entry == 9 && !killed_during) killed_during = KillNodeInUse();
  };
  for (entry = 1; entry <= kEntries; ++entry) {
    if (entry == 5) {  // the node the last entries used dies between two entries
      ASSERT_NE(used, 0);
      ASSERT_TRUE(cluster_.Kill(used));
      killed_between = used;
      killed_at_ = Clock::now();
    }
    if (entry == 9) {
      ASSERT_TRUE(cluster_.StartAll());  // back to three before the next kill
    }
    ui_.ClearTranscript();
    if (entry == 5) {  // the employee picker lists from the nodes still up
      actions_.push_back(
          [] { ui::ActPress(*ui::FindForm(paydesk::texts::kMainForm), "List_Members"); });
      actions_.push_back([] {
        ui::Form* picker = ui::FindForm(paydesk::texts::kMemberForm);
        ASSERT_TRUE(picker && picker->visible());
        const auto& rows = picker->control("Grid_List_Member").rows;
        ASSERT_EQ(rows.size(), 100u);
        for (size_t i = 0; i < rows.size(); ++i)
          if (rows[i].at(0) == "Имя105")
            ui::ActChoose(*picker, "Grid_List_Member", static_cast<int>(i));
        EXPECT_EQ(ui::FindForm(paydesk::texts::kMainForm)->control("Recipient").text, "Имя105");
      });
    }
    actions_.push_back([entry] {
      ui::Form* f = ui::FindForm(paydesk::texts::kMainForm);
      ASSERT_TRUE(f);
      if (entry != 5) ui::ActFill(*f, "Recipient", "имя" + std::to_string(100 + entry));
      ui::ActFill(*f, "Category_Payment", "к" + std::to_string(100 + entry));
      ui::ActFill(*f, "Establish_Payment", "платёж " + std::to_string(entry));
      ui::ActFill(*f, "Sum_RUB", std::to_string(entry) + ",5");
      ui::ActPress(*f, "Button_Input_Nal");
    });
    ui_.QueueAnswer(ui::Answer::OK);
    EXPECT_EQ(paydesk::RunPaydesk(), 0) << "entry " << entry;
    EXPECT_EQ(Messages(), std::vector<std::string>{paydesk::texts::kStored}) << "entry " << entry;
    if (entry == 5) between_time = Since(killed_at_);
    if (entry == 9) during_time = Since(killed_at_);
  }
  ASSERT_NE(killed_between, 0);
  ASSERT_NE(killed_during, 0);
  std::printf(
      "failover: paydesk entry after its node died: node %d killed -> entry stored %.3f s "
      "later\n",
      killed_between, between_time);
  std::printf(
      "failover: paydesk entry whose node died before its insert: node %d killed -> entry "
      "stored %.3f s later\n",
      killed_during, during_time);
  std::fflush(stdout);

  const int live = LiveNodes().front();
  EXPECT_EQ(cluster_.Query(live,
                           "SELECT COUNT(*), COUNT(DISTINCT ID_NUM), MIN(ID_NUM), "
                           "MAX(ID_NUM) FROM db_pnr_l.NAL_BUFFER"),
            (Rows{{"12", "12", "1", "12"}}));
  ui_.ClearTranscript();
  sf_->Load_Buffer();
  EXPECT_TRUE(Messages().empty());
  Rows expected;
  for (int k = 1; k <= kEntries; ++k)
    expected.push_back({"платёж " + std::to_string(k), "1", std::to_string(1 + k)});
  ASSERT_TRUE(cluster_.StartAll());
  for (int n = 1; n <= 3; ++n) EXPECT_EQ(Loaded(n), expected) << "node " << n;
}

// With every node up: a statement that fails on the first node succeeds on
// the second (the reconnect moved there, not to any other), and a statement
// that fails everywhere goes round the three and ends with the prompt.
TEST_F(Failover, EachReconnectMovesToTheNextServer) {
  // A table only the second and third nodes have, each with its own number.
  for (int n = 2; n <= 3; ++n) {
    std::string error;
    auto c = sql::Connection::Open(cluster_.RootParams(n), error);
    ASSERT_TRUE(c) << error;
    for (const std::string& s : {std::string("SET SESSION wsrep_on = OFF"),
                                 std::string("CREATE TABLE T_LOCAL (N INT PRIMARY KEY)"),
                                 "INSERT INTO T_LOCAL VALUES (" + std::to_string(n) + ")",
                                 std::string("GRANT SELECT ON db_pnr_l.T_LOCAL TO pnrowner")})
      ASSERT_TRUE(c->Execute(s, error)) << s << ": " << error;
  }
  auto adb = component::Create<dbgate::ADB_cls>("Dbgate.ADB_cls");
  ASSERT_TRUE(adb);
  bool stop = true;
  EXPECT_EQ(adb->Get_Value_by_SQL("SELECT @@port", stop), std::to_string(cluster_.Port(1)));
  EXPECT_FALSE(stop);
  EXPECT_EQ(adb->Get_Value_by_SQL("SELECT N FROM T_LOCAL", stop), "2");
  EXPECT_FALSE(stop);
  EXPECT_TRUE(Messages().empty());

  ui_.QueueAnswer(ui::Answer::Cancel);
  adb->SQL_Command_Execute("SELEC 1", stop);
  EXPECT_TRUE(stop);
  EXPECT_EQ(Messages(), std::vector<std::string>{dbgate::texts::kGiveUpCommand});
  // Three reconnects from the second node: third, first, second.
  EXPECT_EQ(adb->Get_Value_by_SQL("SELECT @@port", stop), std::to_string(cluster_.Port(2)));
}

}  // namespace
}  // namespace kassa
