// kassa-backup against the test server: a backup taken while the entry
// program keeps storing payments restores a consistent ledger, row for row;
// a ledger that holds data is overwritten only after the user said so; only
// the last N backups are kept and a failed backup leaves no file.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "paydesk/paydesk.h"
#include "paydesk/texts.h"
#include "platform/ui/form.h"
#include "platform/ui/script/scripted.h"
#include "tests/support/testsupport.h"

namespace kassa {
namespace {

namespace fs = std::filesystem;
namespace ts = kassa::testsupport;
using Rows = std::vector<std::vector<std::string>>;

// Every table of the ledger with its key, for comparisons row by row.
const std::vector<std::pair<std::string, std::string>> kTables = {
    {"NAL", "ID_EXL"},
    {"NAL_BUFFER", "ID_NUM"},
    {"CATEGORY_NAL", "ID_CATEGORY_PAYMENT"},
    {"OUR_MEMBERS", "ID_RESPONSIBLE"},
    {"NAMES_MONTH", "ID_MONTH"}};

class Backup : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(ts::HaveTestEnv()) << "run through ctest (fixture db)";
    ASSERT_TRUE(ts::StartServer());
    ASSERT_TRUE(ts::ResetDatabase());
    env_ = ts::TestEnv::FromEnvironment();
    dir_ = fs::path(env_.testenv) / "backup" /
           ::testing::UnitTest::GetInstance()->current_test_info()->name();
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    Exec(
        "INSERT INTO OUR_MEMBERS VALUES (1, 'Иванов', 'Иванов', 'Пётр', NULL, 'кассир'), "
        "(2, 'О''Нил', 'О''Нил', NULL, NULL, NULL)");
    Exec("INSERT INTO CATEGORY_NAL VALUES (1, 'ХОЗ', 'хозяйственные'), (2, 'ТР', NULL)");
  }
  void TearDown() override {
    ui::Install(nullptr);
    // The next tests find an installed ledger whatever happened here.
    ts::ResetDatabase();
  }

  static void Exec(const std::string& statement) {
    std::string error;
    ASSERT_TRUE(ts::RootExec(statement, &error)) << statement << ": " << error;
  }
  // `n` payments with keys 2..n+1 and every kind of value, NULLs included.
  static void Payments(int n, int first = 2) {
    std::string rows =
        "INSERT INTO NAL (ID_EXL, DATE_ON, RECIPIENT_ID, ESTABLISH_PAYMENT, SUM_RUB, "
        "CATEGORY_PAYMENT_ID) VALUES ";
    for (int k = 0; k < n; ++k) {
      const int id = first + k;
      rows +=
          (k ? ", (" : "(") + std::to_string(id) + ", " +
          (id % 50
               ? "'2025-" + std::to_string(1 + id % 12) + "-" + std::to_string(1 + id % 28) + "'"
               : std::string("NULL")) +
          ", " + std::to_string(1 + id % 2) + ", 'платёж №" + std::to_string(id) +
          " «кавычки» ''апостроф'' \\\\ обратная'" + ", " + std::to_string(id) + "." +
          std::to_string(id % 100) + ", " + (id % 7 ? std::to_string(1 + id % 2) : "NULL") + ")";
    }
    Exec(rows);
  }
  // Every row of a table in key order, as the server sends it.
  static Rows Table(const std::string& table, const std::string& key) {
    return ts::RootQuery("SELECT * FROM " + table + " ORDER BY " + key);
  }
  static std::string Checksum(const std::string& table) {
    return ts::RootQuery("CHECKSUM TABLE " + table).at(0).at(1);
  }

  // kassa-backup with arguments; `input` goes to its standard input.
  ts::ProcessResult Tool(const std::string& args, const std::string& input = "",
                         const std::vector<std::string>& extra_env = {}) {
    const std::string command = "printf '%s' \"$KASSA_TEST_INPUT\" | \"$KASSA_TEST_TOOL\" " + args;
    std::vector<std::string> env = extra_env;
    env.push_back("KASSA_TEST_INPUT=" + input);
    env.push_back("KASSA_TEST_TOOL=" + env_.deploy + "/kassa-backup");
    env.push_back("KASSA_BACKUP_DIR=" + (dir_ / "copies").string());
    return ts::Run({"/bin/bash", "-c", command}, env);
  }
  std::vector<std::string> Copies() const {
    std::vector<std::string> out;
    if (!fs::exists(dir_ / "copies")) return out;
    for (const auto& e : fs::directory_iterator(dir_ / "copies"))
      out.push_back(e.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
  }

  ts::TestEnv env_;
  fs::path dir_;
};

TEST_F(Backup, TakenDuringEntriesRestoresAConsistentLedgerRowForRow) {
  Payments(40000);
  ui::ScriptedBackend ui;
  ui::Install(&ui);
  std::vector<std::function<void()>> actions;
  ui.action_source = [&] {
    if (actions.empty()) return false;
    auto a = std::move(actions.front());
    actions.erase(actions.begin());
    a();
    return true;
  };
  // The entry program stores payments, one program run each, for as long
  // as the backup runs (and a few before and after it).
  std::atomic<bool> done{false};
  ts::ProcessResult backup;
  int entries = 0, during = 0;
  auto enter = [&] {
    ++entries;
    actions.push_back([n = entries] {
      ui::Form* f = ui::FindForm(paydesk::texts::kMainForm);
      ASSERT_TRUE(f);
      ui::ActFill(*f, "Recipient", n % 2 ? "иванов" : "о'нил");
      ui::ActFill(*f, "Category_Payment", n % 2 ? "хоз" : "тр");
      ui::ActFill(*f, "Establish_Payment", "взнос " + std::to_string(n));
      ui::ActFill(*f, "Sum_RUB", std::to_string(n) + ",25");
      ui::ActPress(*f, "Button_Input_Nal");
    });
    ui.QueueAnswer(ui::Answer::OK);
    ASSERT_EQ(paydesk::RunPaydesk(), 0);
    ASSERT_EQ(ui.messages().back().text, paydesk::texts::kStored);
  };
  for (int i = 0; i < 3; ++i) enter();
  double seconds = 0;
  std::thread worker([&] {
    const auto start = std::chrono::steady_clock::now();
    backup = Tool("--keep 5");
    seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    done = true;
  });
  while (!done && entries < 2000) {
    enter();
    if (!done) ++during;
  }
  worker.join();
  for (int i = 0; i < 3; ++i) enter();
  ASSERT_EQ(backup.exit_code, 0) << backup.error;
  const std::vector<std::string> copies = Copies();
  ASSERT_EQ(copies.size(), 1u);
  std::printf(
      "backup: 40,000 payments backed up in %.2f s into %ju bytes; %d entries stored "
      "while it ran, %d in all\n",
      seconds, static_cast<uintmax_t>(fs::file_size(dir_ / "copies" / copies[0])), during, entries);
  EXPECT_TRUE(copies[0].rfind("ledger-", 0) == 0 && copies[0].ends_with(".sql.gz")) << copies[0];
  std::map<std::string, std::string> sums;
  std::map<std::string, Rows> rows;
  for (const auto& [table, key] : kTables) {
    sums[table] = Checksum(table);
    rows[table] = Table(table, key);
  }
  ASSERT_EQ(rows["NAL_BUFFER"].size(), static_cast<size_t>(entries));

  Exec("DROP DATABASE db_pnr_l");
  const ts::ProcessResult restore = Tool("--restore " + (dir_ / "copies" / copies[0]).string());
  ASSERT_EQ(restore.exit_code, 0) << restore.error;
  EXPECT_EQ(restore.error.find("Заменить"),
            std::string::npos);  // nothing to overwrite: no question

  // Everything but the buffer was still: identical, checksum and rows.
  for (const auto& [table, key] : kTables) {
    if (table == "NAL_BUFFER") continue;
    EXPECT_EQ(Checksum(table), sums[table]) << table;
    EXPECT_EQ(Table(table, key), rows[table]) << table;
  }
  EXPECT_EQ(ts::RootQuery("SELECT COUNT(*) FROM NAL"), (Rows{{"40000"}}));
  // The buffer as it stood at one moment: the entries stored before it, each
  // whole, none after it, no gap.
  const Rows buffer = Table("NAL_BUFFER", "ID_NUM");
  ASSERT_GE(buffer.size(), 3u);
  ASSERT_LE(buffer.size(), static_cast<size_t>(entries - 3));
  EXPECT_TRUE(std::equal(buffer.begin(), buffer.end(), rows["NAL_BUFFER"].begin()));
  std::printf("backup: %zu of %d entries were in the backup, every one whole\n", buffer.size(),
              entries);
  // The views are back and the application reads through them as before.
  sql::Params app;
  ASSERT_TRUE(ts::AppParams(app));
  std::string error;
  auto cn = sql::Connection::Open(app, error);
  ASSERT_TRUE(cn) << error;
  auto r = cn->Query("SELECT COUNT(*) FROM Nal_Exl", error);
  ASSERT_TRUE(r) << error;
  EXPECT_EQ(r->Raw(0, 0), "40000");
}

TEST_F(Backup, RestoreOverALedgerWithDataAsksFirst) {
  Payments(3);
  ASSERT_EQ(Tool("").exit_code, 0);
  ASSERT_EQ(Copies().size(), 1u);
  const std::string copy = (dir_ / "copies" / Copies()[0]).string();
  Payments(5, 100);
  const Rows now = Table("NAL", "ID_EXL");

  for (const char* answer : {"нет\n", "", "\n", "да нет\n"}) {
    const ts::ProcessResult r = Tool("--restore " + copy, answer);
    EXPECT_EQ(r.exit_code, 1) << answer;
    EXPECT_NE(r.error.find("В базе db_pnr_l уже есть данные: платежей 8, в буфере 0, категорий 2, "
                           "сотрудников 2."),
              std::string::npos)
        << r.error;
    EXPECT_NE(r.error.find("Заменить данные базы данными резервной копии? (да/нет)"),
              std::string::npos);
    EXPECT_NE(r.error.find("восстановление отменено, база не изменена"), std::string::npos);
    EXPECT_EQ(Table("NAL", "ID_EXL"), now) << answer;
  }
  EXPECT_EQ(Copies().size(), 1u);

  // Both restores below run within one second of the clock: the copy saved
  // before the first must not be overwritten by the one saved before the second.
  const fs::path clock = dir_ / "clock";
  fs::create_directories(clock);
  std::ofstream(clock / "date") << "#!/bin/sh\necho 2026-01-02_030405\n";
  fs::permissions(clock / "date", fs::perms::owner_all);
  const std::vector<std::string> same_second = {"PATH=" + clock.string() + ":" +
                                                std::getenv("PATH")};
  const ts::ProcessResult yes = Tool("--restore " + copy, "да\n", same_second);
  ASSERT_EQ(yes.exit_code, 0) << yes.error;
  EXPECT_EQ(ts::RootQuery("SELECT COUNT(*) FROM NAL"), (Rows{{"3"}}));
  // What was overwritten was saved first and comes back just as well.
  const std::vector<std::string> copies = Copies();
  ASSERT_EQ(copies.size(), 2u);
  const auto saved = std::find_if(copies.begin(), copies.end(), [](const std::string& c) {
    return c.find("-before-restore") != std::string::npos;
  });
  ASSERT_NE(saved, copies.end());
  ASSERT_EQ(
      Tool("--restore " + (dir_ / "copies" / *saved).string() + " --yes", "", same_second).exit_code,
      0);
  EXPECT_EQ(Table("NAL", "ID_EXL"), now);

  // Not a backup of the ledger: refused before anything is touched.
  std::ofstream(dir_ / "other.sql") << "DROP DATABASE db_pnr_l;\n-- Dump completed\n";
  EXPECT_EQ(Tool("--restore " + (dir_ / "other.sql").string() + " --yes").exit_code, 1);
  std::ofstream(dir_ / "cut.sql") << "CREATE DATABASE `db_pnr_l`;\nDROP TABLE NAL;\n";
  EXPECT_EQ(Tool("--restore " + (dir_ / "cut.sql").string() + " --yes").exit_code, 1);
  EXPECT_EQ(Table("NAL", "ID_EXL"), now);
}

TEST_F(Backup, KeepsTheLastBackupsAndNeverLeavesAPartialOne) {
  Payments(10);
  for (int i = 0; i < 4; ++i) ASSERT_EQ(Tool("--keep 2").exit_code, 0);
  std::vector<std::string> copies = Copies();
  ASSERT_EQ(copies.size(), 2u);
  EXPECT_NE(copies[0], copies[1]);

  // A server that refuses the backup: no file, nothing removed.
  const fs::path wrong = dir_ / "wrong";
  fs::create_directories(wrong);
  std::ifstream pass(env_.pass_file());
  std::string port;
  std::getline(pass, port);
  if (!port.empty() && port.back() == '\r') port.pop_back();
  std::ofstream(wrong / "Pass_Parametrs.ini") << port << "\r\nnot-the-password\r\n";
  const ts::ProcessResult r = Tool("--keep 1", "", {"KASSA_DEPLOY=" + wrong.string()});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_EQ(Copies(), copies);
}

}  // namespace
}  // namespace kassa
