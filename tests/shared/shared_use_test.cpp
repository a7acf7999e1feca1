// One ledger used from several workstations at once, for a fixed time, on
// loopback only: four workbook sessions (kassa-script processes, each on its
// own copy of the sample workbook, editing and saving the cash sheet and
// editing the category dictionary through its dialog) and two cash desks
// (kassa-script processes running the entry program in a loop). Afterwards
// the buffer is loaded into NAL and the ledger is checked:
//  - every payment the entry program told as stored is in NAL exactly once,
//    and no payment told as not stored is there;
//  - every sheet row and category holds what its owner (the one session
//    that edits it) last typed, or an earlier value of that owner: nothing
//    was changed by another session (no session chooses to overwrite).
// The figures are printed as "shared use: ..." lines (ctest -L shared -V).
// Once against the test server, once against the Galera cluster with the
// node in use killed half-way through.
//
// KASSA_SHARED_SECONDS sets the running time (default 120).
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "ledgertools/special_function.h"
#include "paydesk/texts.h"
#include "platform/component/component.h"
#include "platform/ui/script/scripted.h"
#include "sheetsync/texts.h"
#include "tests/support/galera.h"
#include "tests/support/testsupport.h"

namespace kassa {
namespace {

namespace fs = std::filesystem;
namespace ts = kassa::testsupport;
using Rows = std::vector<std::vector<std::string>>;
using Clock = std::chrono::steady_clock;

constexpr int kSessions = 4;
constexpr int kDesks = 2;
constexpr long kFirstRow = 2, kLastRow = 41;  // the rows the sessions edit
constexpr int kEntriesPerRun = 5;

int Seconds() {
  const char* s = std::getenv("KASSA_SHARED_SECONDS");
  const int n = s ? std::atoi(s) : 0;
  return n > 0 ? n : 120;
}

int OwnerOf(long row) {
  return static_cast<int>((row - kFirstRow) % kSessions) + 1;
}

std::string Quoted(const std::string& s) {
  return "\"" + s + "\"";
}

// Boxes no line answers: the conflict question is cancelled (nothing is
// overwritten), a write-back's reload question declined, the give-up prompt
// cancelled, every notice acknowledged.
constexpr char kStandingAnswers[] =
    "unasked YesNoCancel Cancel\nunasked YesNo No\nunasked OKCancel Cancel\nunasked OK OK\n";

struct Figures {
  std::atomic<int> session_runs{0}, session_failures{0}, edits{0}, conflicts{0};
  std::atomic<int> dictionary_edits{0};
  std::atomic<int> desk_runs{0}, desk_failures{0};
};

class SharedUse : public ::testing::Test {
 protected:
  void Prepare() {
    const ts::TestEnv env = ts::TestEnv::FromEnvironment();
    runner_ = env.deploy + "/kassa-script";
    ASSERT_TRUE(fs::exists(runner_)) << runner_;
    dir_ = fs::path(env.testenv) / "shared_use" /
           ::testing::UnitTest::GetInstance()->current_test_info()->name();
    fs::remove_all(dir_);
    ASSERT_TRUE(ts::RootExec(
        "INSERT INTO OUR_MEMBERS VALUES (1,'Иванов','Иванов','Иван','Иванович','кассир')"));
    ASSERT_TRUE(ts::RootExec(
        "INSERT INTO CATEGORY_NAL VALUES (1,'ХОЗ','хозяйственные'),(2,'С1','исходная'),"
        "(3,'С2','исходная'),(4,'С3','исходная'),(5,'С4','исходная')"));
    std::string rows = "INSERT INTO NAL VALUES ";
    for (long r = kFirstRow; r <= kLastRow; ++r)
      rows += (r > kFirstRow ? ", (" : "(") + std::to_string(r) + ",'2009-12-01',1,'исходная " +
              std::to_string(r) + "'," + std::to_string(r) + ",1)";
    ASSERT_TRUE(ts::RootExec(rows));
    for (int s = 1; s <= kSessions; ++s) {
      fs::create_directories(dir_ / ("session" + std::to_string(s)));
      fs::copy_file(env.deploy + "/Kassa.xls", dir_ / ("session" + std::to_string(s)) / "Kassa.xls",
                    fs::copy_options::overwrite_existing);
    }
    for (int d = 1; d <= kDesks; ++d) fs::create_directories(dir_ / ("desk" + std::to_string(d)));
  }

  ts::ProcessResult RunScript(const fs::path& file, const std::string& text) {
    std::ofstream(file, std::ios::binary | std::ios::trunc) << text;
    return ts::Run({runner_, file.string()});
  }

  // One workbook session on the sample workbook: opens it, types new values
  // into two of its own cash rows (each written to the table at once),
  // gives its own category a new description through the category dialog
  // (rows 2..5 of the dictionary sheet hold С1..С4) and saves the workbook
  // (the whole-sheet store of the cash sheet).
  void Session(int s, Clock::time_point end) {
    const fs::path folder = dir_ / ("session" + std::to_string(s));
    std::vector<long> mine;
    for (long r = kFirstRow; r <= kLastRow; ++r)
      if (OwnerOf(r) == s) mine.push_back(r);
    for (int round = 1; Clock::now() < end; ++round) {
      std::string text = kStandingAnswers;
      text += "open " + Quoted((folder / "Kassa.xls").string()) + "\nactivate Наличные\n";
      std::vector<std::pair<long, std::string>> typed;
      for (int k = 0; k < 2; ++k) {
        const long row = mine[static_cast<size_t>((round * 2 + k) % mine.size())];
        const std::string value =
            "с" + std::to_string(s) + " р" + std::to_string(row) + " в" + std::to_string(round);
        typed.emplace_back(row, value);
        text += "type C" + std::to_string(row) + " " + Quoted(value) + "\n";
      }
      const std::string description = "с" + std::to_string(s) + " в" + std::to_string(round);
      text +=
          "activate Категории\nclick B_Category\npress Choice_Action_Category B_Refresh\n"
          "select A" +
          std::to_string(s + 1) +
          "\nclick B_Category\npress Choice_Action_Category B_Edit_Category\n"
          "fill Input_Nal_Category TB_Description_Payment " +
          Quoted(description) + "\npress Input_Nal_Category B_Input\nactivate Наличные\n";
      text += "save\n";
      const ts::ProcessResult r = RunScript(folder / "round.ks", text);
      ++figures_.session_runs;
      if (r.exit_code != 0) {
        ++figures_.session_failures;
        std::lock_guard<std::mutex> lock(mutex_);
        failures_.push_back("session " + std::to_string(s) + ": " + r.output + r.error);
      }
      int conflicts = 0;
      for (size_t at = 0;
           (at = r.output.find(sheetsync::texts::kTableChangedTitle, at)) != std::string::npos;
           ++at)
        ++conflicts;
      figures_.conflicts += conflicts;
      std::lock_guard<std::mutex> lock(mutex_);
      for (const auto& [row, value] : typed) {
        typed_[row].push_back(value);
        ++figures_.edits;
      }
      described_[s].push_back(description);
      ++figures_.dictionary_edits;
    }
  }

  // One cash desk: entries of its own numbered payments, each a run of the
  // entry program; the message shown after each tells whether it was stored.
  void Desk(int d, Clock::time_point end) {
    const fs::path folder = dir_ / ("desk" + std::to_string(d));
    int next = 1;
    while (Clock::now() < end) {
      std::string text = kStandingAnswers;
      std::vector<std::string> purposes;
      for (int k = 0; k < kEntriesPerRun; ++k, ++next) {
        const std::string purpose = "касса" + std::to_string(d) + " платёж " + std::to_string(next);
        purposes.push_back(purpose);
        text +=
            "paydesk\n"
            "fill Input_Nal_Pay Recipient \"иванов\"\n"
            "fill Input_Nal_Pay Category_Payment \"хоз\"\n"
            "fill Input_Nal_Pay Establish_Payment " +
            Quoted(purpose) + "\nfill Input_Nal_Pay Sum_RUB \"" + std::to_string(next) +
            ",5\"\npress Input_Nal_Pay Button_Input_Nal\n";
      }
      const ts::ProcessResult r = RunScript(folder / "entries.ks", text);
      ++figures_.desk_runs;
      if (r.exit_code != 0) {
        ++figures_.desk_failures;
        std::lock_guard<std::mutex> lock(mutex_);
        failures_.push_back("desk " + std::to_string(d) + ": " + r.output + r.error);
      }
      // The k-th "stored" / "not stored" message belongs to the k-th entry.
      const std::string stored = std::string("\"") + paydesk::texts::kStored + "\"";
      const std::string not_stored = std::string("\"") + paydesk::texts::kNotStored + "\"";
      size_t k = 0, at = 0;
      std::lock_guard<std::mutex> lock(mutex_);
      while (k < purposes.size()) {
        const size_t a = r.output.find(stored, at), b = r.output.find(not_stored, at);
        if (a == std::string::npos && b == std::string::npos) break;
        if (a < b) {
          told_stored_.push_back(purposes[k]);
          at = a + 1;
        } else {
          told_not_stored_.push_back(purposes[k]);
          at = b + 1;
        }
        ++k;
      }
      for (; k < purposes.size(); ++k) untold_.push_back(purposes[k]);
    }
  }

  // Runs everything for Seconds(); `midway` runs once half-way through.
  void Run(const std::function<void()>& midway) {
    const Clock::time_point start = Clock::now();
    const Clock::time_point end = start + std::chrono::seconds(Seconds());
    std::vector<std::thread> workers;
    for (int s = 1; s <= kSessions; ++s) workers.emplace_back([this, s, end] { Session(s, end); });
    for (int d = 1; d <= kDesks; ++d) workers.emplace_back([this, d, end] { Desk(d, end); });
    if (midway) {
      std::this_thread::sleep_until(start + std::chrono::seconds(Seconds() / 2));
      midway();
    }
    for (std::thread& t : workers) t.join();
  }

  void LoadBuffer() {
    ui::ScriptedBackend ui;
    ui.unanswered = [](const ui::RecordedMessage& m) {
      return m.buttons == ui::Buttons::YesNo || m.buttons == ui::Buttons::YesNoCancel
                 ? ui::Answer::Yes
                 : ui::Answer::OK;
    };
    ui::Install(&ui);
    auto sf = component::Create<ledgertools::Special_Function>("Ledgertools.Special_Function");
    ASSERT_TRUE(sf);
    sf->Load_Buffer();
    sf.reset();
    ui::Install(nullptr);
    EXPECT_EQ(ts::RootQuery("SELECT count(*) FROM NAL_BUFFER"), (Rows{{"0"}}));
  }

  // Checks the ledger and prints the figures; `label` names the run.
  void Check(const std::string& label, bool expect_current) {
    std::map<std::string, int> in_nal;
    for (const auto& row : ts::RootQuery(
             "SELECT ESTABLISH_PAYMENT, count(*) FROM NAL WHERE ESTABLISH_PAYMENT LIKE 'касса%' "
             "GROUP BY ESTABLISH_PAYMENT"))
      in_nal[row[0]] = std::atoi(row[1].c_str());
    int lost = 0, duplicated = 0, phantom = 0;
    for (const std::string& p : told_stored_) {
      const int n = in_nal.count(p) ? in_nal[p] : 0;
      if (n == 0) ++lost;
      if (n > 1) ++duplicated;
      EXPECT_EQ(n, 1) << p;
    }
    for (const std::string& p : told_not_stored_) {
      const int n = in_nal.count(p) ? in_nal[p] : 0;
      if (n > 0) ++phantom;
      EXPECT_EQ(n, 0) << p << " was told as not stored";
    }
    for (const std::string& p : untold_) {
      const int n = in_nal.count(p) ? in_nal[p] : 0;
      if (n > 1) ++duplicated;
      EXPECT_LE(n, 1) << p;
    }
    const long in_buffer_runs = static_cast<long>(in_nal.size());

    // Every sheet row: its owner's last value, or an earlier one of its
    // owner (a write the owner was told it could not make), never another's.
    int foreign = 0, behind = 0, missing = 0;
    for (long r = kFirstRow; r <= kLastRow; ++r) {
      const Rows found =
          ts::RootQuery("SELECT ESTABLISH_PAYMENT FROM NAL WHERE ID_EXL = " + std::to_string(r));
      if (found.size() != 1) {
        ++missing;
        ADD_FAILURE() << "row " << r << " is missing";
        continue;
      }
      const std::string& value = found[0][0];
      const std::vector<std::string>& owner_values = typed_[r];
      const std::string original = "исходная " + std::to_string(r);
      const bool owners = value == original || std::find(owner_values.begin(), owner_values.end(),
                                                         value) != owner_values.end();
      if (!owners) {
        ++foreign;
        ADD_FAILURE() << "row " << r << " holds " << value << ", not a value of session "
                      << OwnerOf(r);
      } else if (!owner_values.empty() && value != owner_values.back()) {
        ++behind;
      }
    }
    // Each session's category: its last description, or an earlier one of
    // that session's.
    for (int s = 1; s <= kSessions; ++s) {
      const Rows found =
          ts::RootQuery("SELECT DESCRIPTION_PAYMENT FROM CATEGORY_NAL WHERE NAME_ENCIPHER = 'С" +
                        std::to_string(s) + "'");
      ASSERT_EQ(found.size(), 1u) << "category С" << s;
      const std::vector<std::string>& mine = described_[s];
      const std::string& value = found[0][0];
      if (value != "исходная" && std::find(mine.begin(), mine.end(), value) == mine.end()) {
        ++foreign;
        ADD_FAILURE() << "category С" << s << " holds " << value;
      } else if (!mine.empty() && value != mine.back()) {
        ++behind;
      }
    }
    EXPECT_EQ(ts::RootQuery("SELECT count(*) FROM CATEGORY_NAL"), (Rows{{"5"}}));
    if (expect_current) {
      EXPECT_EQ(behind, 0);
    }
    for (const std::string& f : failures_) ADD_FAILURE() << f;

    std::printf(
        "shared use (%s): %d s, sessions %d (%d runs, %d cash edits, %d dictionary edits, %d "
        "failed "
        "runs), cash desks %d "
        "(%d runs, %d failed runs)\n"
        "shared use (%s): payments entered %zu told stored, %zu told not stored, %zu untold; "
        "in NAL %ld; lost %d, duplicated %d, stored though told not %d\n"
        "shared use (%s): conflicts detected %d (stores held), rows changed by another session "
        "%d, rows behind their owner's last edit %d, rows missing %d, explicit overwrites 0\n",
        label.c_str(), Seconds(), kSessions, figures_.session_runs.load(), figures_.edits.load(),
        figures_.dictionary_edits.load(), figures_.session_failures.load(), kDesks,
        figures_.desk_runs.load(), figures_.desk_failures.load(), label.c_str(),
        told_stored_.size(), told_not_stored_.size(), untold_.size(), in_buffer_runs, lost,
        duplicated, phantom, label.c_str(), figures_.conflicts.load(), foreign, behind, missing);
    std::fflush(stdout);
    EXPECT_GT(told_stored_.size(), 0u);
    EXPECT_GT(figures_.edits.load(), 0);
  }

  std::string runner_;
  fs::path dir_;
  Figures figures_;
  std::mutex mutex_;
  std::map<long, std::vector<std::string>> typed_;     // per row, in order typed
  std::map<int, std::vector<std::string>> described_;  // per session, its category's
  std::vector<std::string> told_stored_, told_not_stored_, untold_;
  std::vector<std::string> failures_;
};

TEST_F(SharedUse, OneServer) {
  ASSERT_TRUE(ts::HaveTestEnv()) << "run through ctest (fixture db)";
  ASSERT_TRUE(ts::StartServer());
  ASSERT_TRUE(ts::ResetDatabase());
  Prepare();
  Run(nullptr);
  LoadBuffer();
  Check("one server", true);
}

TEST_F(SharedUse, GaleraClusterWithANodeKilled) {
  ASSERT_TRUE(ts::GaleraCluster::Have()) << "run through ctest (fixture galera)";
  ts::GaleraCluster cluster;
  ASSERT_EQ(cluster.Nodes(), 3);
  ASSERT_TRUE(cluster.StartAll());
  ASSERT_TRUE(ts::ResetDatabase());
  ASSERT_TRUE(ts::WriteClusterHosts(cluster));
  Prepare();
  int killed = 0;
  Run([&] {
    killed = cluster.NodeOfUser("pnrowner");
    if (killed == 0) killed = 1;
    EXPECT_TRUE(cluster.Kill(killed));
    std::printf("shared use (galera): node %d killed half-way\n", killed);
  });
  ASSERT_NE(killed, 0);
  ASSERT_TRUE(cluster.StartAll());
  LoadBuffer();
  // A write cut by the kill is told to its session, which may leave a row
  // at an earlier value of its owner.
  Check("galera, a node killed", false);
}

}  // namespace
}  // namespace kassa
