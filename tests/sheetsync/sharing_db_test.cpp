// Several workbook sessions on one ledger, driven in-process against the test
// server: each session is its own workbook and engine with its own database
// connection, and their edits interleave as two people's would. Nothing one
// session typed may be lost through another session's write-back or store;
// another workstation's rows survive a store unless the user chose to
// overwrite them, and the user is told which table and how many rows.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/script/scripted.h"
#include "sheetsync/engine.h"
#include "sheetsync/texts.h"
#include "tests/sheetsync/test_book.h"
#include "tests/support/testsupport.h"

namespace kassa::sheetsync {
namespace {

namespace fs = std::filesystem;
namespace ts = kassa::testsupport;
using Rows = std::vector<std::vector<std::string>>;

// One workstation: its own application, copy of the test workbook and engine.
struct Session {
  Session(const fs::path& dir) : dir(dir) {
    fs::create_directories(dir);
    const std::string path = (dir / "Sync.xls").string();
    testing::WriteTestBook(path, false);
    wb = &app.Open(path);
    wb->SetEventSink(engine);
    EXPECT_EQ(engine->Workbook_Open(*wb), 0);
  }
  host::Worksheet& Cash() { return wb->Sheets(1); }
  // Types cell `column` of a cash row: date, employee, purpose "<who> <row>",
  // sum "<row>,5", category.
  void TypeCell(long row, int column, const std::string& who) {
    const std::string texts[] = {"05.01.2010", "Иванов", who + " " + std::to_string(row),
                                 std::to_string(row) + ",5", "ХОЗ"};
    host::user::Type(Cash(), row, column, texts[column - 1]);
  }
  void TypeRow(long row, const std::string& who) {
    for (int c = 1; c <= 5; ++c) TypeCell(row, c, who);
  }
  fs::path dir;
  host::Application app;
  host::Workbook* wb = nullptr;
  std::shared_ptr<Engine> engine = std::make_shared<Engine>();
};

class SharingDbTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(ts::HaveTestEnv()) << "needs the test server (ctest fixture db)";
    ASSERT_TRUE(ts::StartServer());
    ASSERT_TRUE(ts::ResetDatabase());
    const ts::TestEnv env = ts::TestEnv::FromEnvironment();
    fs::copy_file(ts::SourceDir() + "/tests/scenarios/sheetsync/Sync.ini", env.dlls() + "/Sync.ini",
                  fs::copy_options::overwrite_existing);
    dir_ = fs::path(env.testenv) / "sheetsync_sharing" /
           ::testing::UnitTest::GetInstance()->current_test_info()->name();
    fs::remove_all(dir_);
    ASSERT_TRUE(ts::RootExec(
        "INSERT INTO OUR_MEMBERS VALUES (1,'Иванов','Иванов','Иван','Иванович','кассир')"));
    ASSERT_TRUE(ts::RootExec("INSERT INTO CATEGORY_NAL VALUES (1,'ХОЗ','хозяйственные')"));
    std::string rows = "INSERT INTO NAL VALUES ";
    for (int r = 2; r <= 11; ++r)
      rows += (r > 2 ? ", (" : "(") + std::to_string(r) + ",'2009-12-01',1,'старый " +
              std::to_string(r) + "'," + std::to_string(r) + ",1)";
    ASSERT_TRUE(ts::RootExec(rows));
    ui::Install(&ui_);
    ui_.SetNow(MakeDate(2011, 3, 1, 9, 7, 0));
  }
  void TearDown() override { ui::Install(nullptr); }

  std::unique_ptr<Session> Open(const std::string& name) {
    return std::make_unique<Session>(dir_ / name);
  }
  std::vector<std::string> Messages() const {
    std::vector<std::string> out;
    for (const ui::RecordedMessage& m : ui_.messages()) out.push_back(m.text);
    return out;
  }
  // How many of the rows typed as "<who> <row>" are in NAL whole, in their
  // own record: date, employee, purpose, sum and category.
  static int RowsKept(const std::string& who, const std::vector<long>& rows) {
    int kept = 0;
    for (long r : rows) {
      const Rows found = ts::RootQuery(
          "SELECT count(*) FROM NAL WHERE ID_EXL = " + std::to_string(r) +
          " AND DATE_ON = '2010-01-05' AND RECIPIENT_ID = 1 AND ESTABLISH_PAYMENT = '" + who + " " +
          std::to_string(r) + "' AND SUM_RUB = " + std::to_string(r) +
          ".5 AND CATEGORY_PAYMENT_ID = 1");
      if (found == Rows{{"1"}}) ++kept;
    }
    return kept;
  }

  fs::path dir_;
  ui::ScriptedBackend ui_;
};

// Two bookkeepers type 40 rows each at the same time, one row in turn: the
// first into rows 12..51, the second into rows 52..91 of the same ledger.
TEST_F(SharingDbTest, TwoSessionsTypingDisjointRowsAtOnceLoseNothing) {
  auto a = Open("a");
  auto b = Open("b");
  ui_.unanswered = [](const ui::RecordedMessage&) { return ui::Answer::No; };
  std::vector<long> rows_a, rows_b;
  for (long i = 0; i < 40; ++i) {
    a->TypeRow(12 + i, "А");
    b->TypeRow(52 + i, "Б");
    rows_a.push_back(12 + i);
    rows_b.push_back(52 + i);
  }
  EXPECT_FALSE(a->engine->Stop_Program);
  EXPECT_FALSE(b->engine->Stop_Program);
  EXPECT_EQ(RowsKept("А", rows_a), 40);
  EXPECT_EQ(RowsKept("Б", rows_b), 40);
  // The rows loaded with the sheets are untouched.
  EXPECT_EQ(ts::RootQuery("SELECT count(*) FROM NAL WHERE ESTABLISH_PAYMENT LIKE 'старый %'"),
            (Rows{{"10"}}));
}

// The same with interleaved rows, one cell in turn: the first types the even
// rows 12..90, the second the odd rows 13..91.
TEST_F(SharingDbTest, TwoSessionsTypingInterleavedRowsAtOnceLoseNothing) {
  auto a = Open("a");
  auto b = Open("b");
  ui_.unanswered = [](const ui::RecordedMessage&) { return ui::Answer::No; };
  std::vector<long> rows_a, rows_b;
  for (long i = 0; i < 40; ++i) {
    for (int c = 1; c <= 5; ++c) {
      a->TypeCell(12 + 2 * i, c, "А");
      b->TypeCell(13 + 2 * i, c, "Б");
    }
    rows_a.push_back(12 + 2 * i);
    rows_b.push_back(13 + 2 * i);
  }
  EXPECT_FALSE(a->engine->Stop_Program);
  EXPECT_FALSE(b->engine->Stop_Program);
  EXPECT_EQ(RowsKept("А", rows_a), 40);
  EXPECT_EQ(RowsKept("Б", rows_b), 40);
}

// The close question answered "Да" stores the sheet; another client has
// added rows and changed one since the sheet was loaded. The store finds it
// in its transaction and asks, naming the table and the rows that differ;
// Отмена keeps the table and the workbook open, Нет (overwrite) is the
// user's explicit choice and writes the sheet.
TEST_F(SharingDbTest, ClosingWithYesKeepsAnotherClientsRowsUnlessTheUserOverwrites) {
  auto a = Open("a");
  host::user::Type(a->Cash(), 3, 3, "Сдача");
  ASSERT_TRUE(ts::RootExec(
      "INSERT INTO NAL VALUES (12,'2011-02-01',1,'чужой 12',12,1),(13,'2011-02-01',1,'чужой "
      "13',13,1)"));
  ASSERT_TRUE(ts::RootExec("UPDATE NAL SET SUM_RUB = 501 WHERE ID_EXL = 5"));
  const Rows before = ts::RootQuery("SELECT * FROM NAL ORDER BY ID_EXL");
  const std::string question = std::string(texts::kTableChangedPrefix) + "NAL" +
                               texts::kTableChangedMiddle + a->Cash().Name() +
                               texts::kTableChangedRows + "3 строки" + texts::kTableChangedChoice;

  ui_.QueueAnswer(ui::Answer::Yes);  // store the changed sheet
  ui_.QueueAnswer(ui::Answer::Cancel);
  host::user::Close(*a->wb);
  EXPECT_EQ(ts::RootQuery("SELECT * FROM NAL ORDER BY ID_EXL"), before);
  EXPECT_FALSE(a->engine->Stop_Program);
  ASSERT_FALSE(a->wb->closed());
  ASSERT_FALSE(ui_.messages().empty());
  EXPECT_EQ(ui_.messages().back().text, question);
  EXPECT_EQ(ui_.messages().back().title, texts::kTableChangedTitle);

  ui_.QueueAnswer(ui::Answer::Yes);
  ui_.QueueAnswer(ui::Answer::No);  // overwrite
  host::user::Close(*a->wb);
  EXPECT_EQ(ui_.messages().back().text, question);
  EXPECT_TRUE(a->wb->closed());
  EXPECT_EQ(ts::RootQuery("SELECT count(*), max(ID_EXL) FROM NAL"), (Rows{{"10", "11"}}));
  EXPECT_EQ(ts::RootQuery("SELECT ESTABLISH_PAYMENT FROM NAL WHERE ID_EXL = 3"), (Rows{{"Сдача"}}));
  EXPECT_EQ(ts::RootQuery("SELECT SUM_RUB FROM NAL WHERE ID_EXL = 5"), (Rows{{"5"}}));
}

// Да to the same question: the workbook's sheet is saved as a copy with
// what was typed, the sheet is loaded anew with the other client's rows,
// and the table is not written.
TEST_F(SharingDbTest, ReloadingAfterAnotherClientsChangeKeepsTheTypedSheetInACopy) {
  auto a = Open("a");
  host::user::Type(a->Cash(), 3, 3, "Сдача");
  ASSERT_TRUE(ts::RootExec("UPDATE NAL SET SUM_RUB = 501 WHERE ID_EXL = 5"));
  const Rows before = ts::RootQuery("SELECT * FROM NAL ORDER BY ID_EXL");
  ui_.QueueAnswer(ui::Answer::Yes);  // reload, keeping a copy
  ui_.unanswered = [](const ui::RecordedMessage&) { return ui::Answer::OK; };
  bool cancel = false;
  EXPECT_EQ(a->engine->Workbook_BeforeSave(*a->wb, cancel), 0);
  EXPECT_EQ(ts::RootQuery("SELECT * FROM NAL ORDER BY ID_EXL"), before);
  EXPECT_EQ(a->Cash().Cells(5, 4).Text(), "501");
  // The copy holds the sheet as it was typed.
  std::vector<fs::path> copies;
  for (const auto& e : fs::directory_iterator(a->dir))
    if (e.path().filename().string().rfind("Copy_", 0) == 0) copies.push_back(e.path());
  ASSERT_EQ(copies.size(), 1u);
  host::Application other;
  host::Workbook& copy = other.Open(copies[0].string());
  EXPECT_EQ(copy.Sheets(1).Cells(3, 3).Text(), "Сдача");
  EXPECT_EQ(copy.Sheets(1).Cells(5, 4).Text(), "5");
  const std::string told = ui_.messages().back().text;
  EXPECT_EQ(told.rfind(texts::kReloadedPrefix, 0), 0u) << told;
  EXPECT_NE(told.find(copies[0].filename().string()), std::string::npos) << told;
}

// One workstation alone: the store asks nothing and writes the sheet.
TEST_F(SharingDbTest, AStoreWithNobodyElseWritingAsksNothing) {
  auto a = Open("a");
  host::user::Type(a->Cash(), 3, 3, "Сдача");
  ui_.QueueAnswer(ui::Answer::Yes);
  host::user::Close(*a->wb);
  EXPECT_TRUE(a->wb->closed());
  for (const ui::RecordedMessage& m : ui_.messages())
    EXPECT_NE(m.title, texts::kTableChangedTitle) << m.text;
  EXPECT_EQ(ts::RootQuery("SELECT count(*) FROM NAL"), (Rows{{"10"}}));
}

// A store that marked a cell leaves the sheet unrefreshed, as typed; the
// next store of the same session is still its own change, not another's.
TEST_F(SharingDbTest, AStoreAfterAnUnrefreshedStoreOfTheSameSessionAsksNothing) {
  auto a = Open("a");
  ui_.unanswered = [](const ui::RecordedMessage&) { return ui::Answer::OK; };
  a->Cash().Cells(3, 3).Value(Variant::Text("первая"));   // no change event: stored on save
  a->Cash().Cells(4, 1).Value(Variant::Text("не дата"));  // marked red, so no refresh
  a->engine->Store_Sheet(true);
  ASSERT_FALSE(a->engine->Stop_Program);
  EXPECT_EQ(ts::RootQuery("SELECT ESTABLISH_PAYMENT FROM NAL WHERE ID_EXL = 3"),
            (Rows{{"первая"}}));
  a->Cash().Cells(3, 3).Value(Variant::Text("вторая"));
  a->engine->Store_Sheet(true);
  EXPECT_EQ(ts::RootQuery("SELECT ESTABLISH_PAYMENT FROM NAL WHERE ID_EXL = 3"),
            (Rows{{"вторая"}}));
  for (const ui::RecordedMessage& m : ui_.messages())
    EXPECT_NE(m.title, texts::kTableChangedTitle) << m.text;
}

// Another workstation added row 5 while this sheet shows the table's rows
// 2..3: typing into row 5 here would create the rows 4 and 5 and meets it.
TEST_F(SharingDbTest, APlaceholderThatMeetsAnotherSessionsRowIsToldAsSuchAndWritesNothing) {
  ASSERT_TRUE(ts::RootExec("DELETE FROM NAL WHERE ID_EXL > 3"));
  auto a = Open("a");
  ASSERT_TRUE(ts::RootExec("INSERT INTO NAL VALUES (5,'2011-02-01',1,'чужой 5',5,1)"));
  ui_.unanswered = [](const ui::RecordedMessage&) { return ui::Answer::No; };
  host::user::Type(a->Cash(), 5, 3, "мой 5");
  EXPECT_FALSE(a->engine->Stop_Program);
  ASSERT_FALSE(ui_.messages().empty());
  EXPECT_EQ(ui_.messages().back().text.rfind(
                std::string(texts::kRowChangedPrefix) + "5" + texts::kRowsChangedSheet, 0),
            0u)
      << ui_.messages().back().text;
  EXPECT_TRUE(a->Cash().Cells(5, 3).Font().Bold());
  EXPECT_EQ(ts::RootQuery("SELECT ESTABLISH_PAYMENT FROM NAL WHERE ID_EXL = 5"),
            (Rows{{"чужой 5"}}));
}

// The same when the other row arrives between this session's count of the
// records and its insert (another workstation was a moment faster).
TEST_F(SharingDbTest, APlaceholderRacedByAnotherSessionIsToldAsSuchNotAsALostConnection) {
  auto a = Open("a");
  ui_.SetTrace(true);
  bool raced = false;
  ui_.on_line = [&](const std::string& line) {
    if (!raced && line == "SQL \"Insert Into NAL (ID_Exl) Values (12)\"")
      raced = ts::RootExec("INSERT INTO NAL VALUES (12,'2011-02-01',1,'чужой 12',12,1)");
  };
  ui_.unanswered = [](const ui::RecordedMessage&) { return ui::Answer::No; };
  host::user::Type(a->Cash(), 12, 3, "мой 12");
  ASSERT_TRUE(raced);
  EXPECT_FALSE(a->engine->Stop_Program);
  for (const ui::RecordedMessage& m : ui_.messages())  // not a lost connection
    EXPECT_EQ(m.title, texts::kTableChangedTitle) << m.text;
  ASSERT_FALSE(ui_.messages().empty());
  EXPECT_EQ(ui_.messages().back().text.rfind(
                std::string(texts::kRowChangedPrefix) + "12" + texts::kRowsChangedSheet, 0),
            0u)
      << ui_.messages().back().text;
  EXPECT_EQ(ts::RootQuery("SELECT ESTABLISH_PAYMENT FROM NAL WHERE ID_EXL = 12"),
            (Rows{{"чужой 12"}}));
}

// Another workstation appended rows 12..14 and changed row 5. Typing into
// row 5 here does not overwrite it, and clearing the last two rows of this
// sheet empties those two records and deletes none of the other's.
TEST_F(SharingDbTest, AWriteBackNeitherOverwritesNorDeletesAnotherSessionsRows) {
  auto a = Open("a");
  ASSERT_TRUE(ts::RootExec(
      "INSERT INTO NAL VALUES (12,'2011-02-01',1,'чужой 12',12,1),(13,'2011-02-01',1,'чужой "
      "13',13,1),(14,'2011-02-01',1,'чужой 14',14,1)"));
  ASSERT_TRUE(ts::RootExec("UPDATE NAL SET ESTABLISH_PAYMENT = 'чужой 5' WHERE ID_EXL = 5"));
  ui_.unanswered = [](const ui::RecordedMessage&) { return ui::Answer::No; };
  host::user::Type(a->Cash(), 5, 4, "77");
  host::user::Clear(a->Cash(), 10, 1, 11, 5);
  EXPECT_FALSE(a->engine->Stop_Program);
  EXPECT_EQ(ts::RootQuery("SELECT ID_EXL, ESTABLISH_PAYMENT, SUM_RUB FROM NAL WHERE ID_EXL = 5 "
                          "OR ID_EXL >= 10 ORDER BY ID_EXL"),
            (Rows{{"5", "чужой 5", "5"},
                  {"10", "NULL", "NULL"},
                  {"11", "NULL", "NULL"},
                  {"12", "чужой 12", "12"},
                  {"13", "чужой 13", "13"},
                  {"14", "чужой 14", "14"}}));
}

}  // namespace
}  // namespace kassa::sheetsync
