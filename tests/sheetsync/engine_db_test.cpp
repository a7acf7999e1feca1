// The engine against the test server, driven in-process: faults in the
// middle of a store, the read-only save, the engine's limits.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>

#include "platform/ui/script/scripted.h"
#include "sheetsync/engine.h"
#include "sheetsync/progress.h"
#include "sheetsync/texts.h"
#include "tests/sheetsync/test_book.h"
#include "tests/support/testsupport.h"

namespace kassa::sheetsync {
namespace {

namespace fs = std::filesystem;
namespace ts = kassa::testsupport;

using Rows = std::vector<std::vector<std::string>>;

class EngineDbTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(ts::HaveTestEnv()) << "needs the test server (ctest fixture db)";
    ASSERT_TRUE(ts::StartServer());
    ASSERT_TRUE(ts::ResetDatabase());
    const ts::TestEnv env = ts::TestEnv::FromEnvironment();
    fs::copy_file(ts::SourceDir() + "/tests/scenarios/sheetsync/Sync.ini", env.dlls() + "/Sync.ini",
                  fs::copy_options::overwrite_existing);
    dir_ = fs::path(env.testenv) / "sheetsync_engine" /
           ::testing::UnitTest::GetInstance()->current_test_info()->name();
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    ASSERT_TRUE(ts::RootExec(
        "INSERT INTO OUR_MEMBERS VALUES (1,'Иванов','Иванов','Иван','Иванович','кассир')"));
    ASSERT_TRUE(ts::RootExec("INSERT INTO CATEGORY_NAL VALUES (1,'ХОЗ','хозяйственные')"));
    ASSERT_TRUE(
        ts::RootExec("INSERT INTO NAL VALUES (2,'2010-01-05',1,'Аванс',1500.5,1),"
                     "(3,'2010-01-06',1,'Такси',300,1)"));
    ui::Install(&ui_);
    ui_.SetNow(MakeDate(2011, 3, 1, 9, 7, 0));
  }
  void TearDown() override {
    ui::Install(nullptr);
    ts::StartServer();
  }

  // Opens the test workbook with an engine of our own as its event sink.
  host::Workbook& Open(bool read_only = false) {
    const std::string path = (dir_ / "Sync.xls").string();
    testing::WriteTestBook(path, false);
    host::Workbook& wb = app_.Open(path, read_only);
    wb.SetEventSink(engine_);
    EXPECT_EQ(engine_->Workbook_Open(wb), 0);
    return wb;
  }

  bool Asked(const std::string& text) const {
    for (const ui::RecordedMessage& m : ui_.messages())
      if (m.text == text) return true;
    return false;
  }

  fs::path dir_;
  ui::ScriptedBackend ui_;
  host::Application app_;
  std::shared_ptr<Engine> engine_ = std::make_shared<Engine>();
};

TEST_F(EngineDbTest, ServerStoppedInTheMiddleOfAStoreLeavesTheTableAsItWas) {
  host::Workbook& wb = Open();
  EXPECT_EQ(wb.Status(), "");
  ASSERT_TRUE(ts::RootExec("UPDATE NAL SET SUM_RUB = 301 WHERE ID_EXL = 3"));
  ui_.SetTrace(true);
  bool stopped = false;
  ui_.on_line = [&](const std::string& line) {
    // The delete of the store has run inside its transaction; the inserts follow.
    if (!stopped && line.rfind("SQL \"Insert Into NAL", 0) == 0) stopped = ts::StopServer();
  };
  ui_.unanswered = [](const ui::RecordedMessage& m) {
    if (m.buttons == ui::Buttons::YesNo) return ui::Answer::Yes;  // the emergency copy
    if (m.buttons == ui::Buttons::OKCancel) return ui::Answer::Cancel;
    return ui::Answer::OK;
  };
  bool cancel = false;
  EXPECT_EQ(engine_->Workbook_BeforeSave(wb, cancel), 0);
  ASSERT_TRUE(stopped);
  EXPECT_TRUE(engine_->Stop_Program);
  EXPECT_TRUE(Asked(texts::kEmergencyQuestion));
  EXPECT_TRUE(fs::exists(dir_ / "Copy_Sync.xls_010311_0907.xls"));
  ASSERT_TRUE(ts::StartServer());
  EXPECT_EQ(ts::RootQuery("SELECT ID_EXL, SUM_RUB FROM NAL ORDER BY ID_EXL"),
            (Rows{{"2", "1500.5"}, {"3", "301"}}));
}

// Rows 2..last of the cash sheet: a date, a text of about 1.6 KB that starts
// with the row number, and the row number as the sum (no lookups).
void FillLongRows(host::Worksheet& ws, long last) {
  std::string tail;
  for (int i = 0; i < 800; ++i) tail += "ж";
  for (long r = 2; r <= last; ++r) {
    ws.Cells(r, 1).Value(Variant::Date(MakeDate(2010, 1, 5)));
    ws.Cells(r, 3).Value(Variant::Text(std::to_string(r) + tail));
    ws.Cells(r, 4).Value(Variant::Number(static_cast<double>(r)));
  }
}

int CountLines(const std::vector<std::string>& transcript, const std::string& prefix) {
  int n = 0;
  for (const std::string& line : transcript)
    if (line.rfind(prefix, 0) == 0) ++n;
  return n;
}

TEST_F(EngineDbTest, AStoreTooLargeForOneStatementSendsSeveralAndKeepsEveryRow) {
  host::Workbook& wb = Open();
  FillLongRows(wb.ActiveSheet(), 1501);  // 1500 rows, about 2.4 MB of text
  ui_.SetTrace(true);
  engine_->Store_Sheet(false);
  ASSERT_FALSE(engine_->Stop_Program);
  EXPECT_GE(CountLines(ui_.transcript(), "SQL \"Insert Into NAL"), 3);
  // Every row arrived once, whole, with its own id, text and sum.
  EXPECT_EQ(ts::RootQuery("SELECT count(*), sum(ID_EXL), sum(SUM_RUB), min(CHAR_LENGTH("
                          "ESTABLISH_PAYMENT) - CHAR_LENGTH(ID_EXL)), max(CHAR_LENGTH("
                          "ESTABLISH_PAYMENT) - CHAR_LENGTH(ID_EXL)), sum(LEFT(ESTABLISH_PAYMENT, "
                          "CHAR_LENGTH(ID_EXL)) = ID_EXL) FROM NAL"),
            (Rows{{"1500", "1127250", "1127250", "800", "800", "1500"}}));
  // The sheet shows what the table holds.
  EXPECT_EQ(wb.ActiveSheet().Cells(1501, 4).Text(), "1501");
}

TEST_F(EngineDbTest, AStoreOfASheetWithOnlyItsHeadersEmptiesTheTableAndRefreshes) {
  host::Workbook& wb = Open();
  host::Worksheet& ws = wb.ActiveSheet();
  for (long r = 2; r <= 3; ++r)
    for (int c = 1; c <= 5; ++c) ws.Cells(r, c).Value(Variant());
  ui_.SetTrace(true);
  engine_->Store_Sheet(false);
  ASSERT_FALSE(engine_->Stop_Program);
  EXPECT_EQ(CountLines(ui_.transcript(), "SQL \"Delete From NAL\""), 1);
  EXPECT_EQ(CountLines(ui_.transcript(), "SQL \"Insert Into"), 0);
  EXPECT_EQ(CountLines(ui_.transcript(), "SQL \"Select * from Nal_Exl\""), 1);
  EXPECT_EQ(ts::RootQuery("SELECT count(*) FROM NAL"), (Rows{{"0"}}));
}

TEST_F(EngineDbTest, AServerLostBetweenTheInsertsOfOneStoreLeavesTheTableAsItWas) {
  host::Workbook& wb = Open();
  FillLongRows(wb.ActiveSheet(), 1501);
  ui_.SetTrace(true);
  int inserts = 0;
  bool stopped = false;
  ui_.on_line = [&](const std::string& line) {
    // The first insert of the transaction has run; the server goes before
    // the second.
    if (line.rfind("SQL \"Insert Into NAL", 0) == 0 && ++inserts == 2 && !stopped)
      stopped = ts::StopServer();
  };
  ui_.unanswered = [](const ui::RecordedMessage& m) {
    if (m.buttons == ui::Buttons::OKCancel) return ui::Answer::Cancel;
    return ui::Answer::OK;
  };
  engine_->Store_Sheet(false);
  ASSERT_TRUE(stopped);
  EXPECT_TRUE(engine_->Stop_Program);
  ASSERT_TRUE(ts::StartServer());
  EXPECT_EQ(ts::RootQuery("SELECT ID_EXL, SUM_RUB FROM NAL ORDER BY ID_EXL"),
            (Rows{{"2", "1500.5"}, {"3", "300"}}));
}

// The statement that fetches the employees' dictionary whole.
const char* const kMembersFetched =
    "SQL \" Select ucase(Name_Short), ID_Responsible From OUR_MEMBERS\"";

TEST_F(EngineDbTest, AStoreFetchesEachDictionaryOnceAndSendsOneInsertForAllRows) {
  host::Workbook& wb = Open();
  for (int r = 4; r <= 30; ++r) host::user::Type(wb.ActiveSheet(), r, 2, "иванов");
  ASSERT_TRUE(ts::RootExec("UPDATE NAL SET SUM_RUB = 301 WHERE ID_EXL = 3"));
  ui_.ClearTranscript();
  ui_.SetTrace(true);
  bool cancel = false;
  EXPECT_EQ(engine_->Workbook_BeforeSave(wb, cancel), 0);
  EXPECT_EQ(CountLines(ui_.transcript(), kMembersFetched), 1);
  EXPECT_EQ(CountLines(ui_.transcript(), "SQL \" Select ID_Responsible"), 0);
  EXPECT_EQ(CountLines(ui_.transcript(), "SQL \"Insert Into NAL"), 1);
  EXPECT_FALSE(cancel);
  EXPECT_EQ(ts::RootQuery("SELECT count(*), sum(RECIPIENT_ID), sum(SUM_RUB) FROM NAL"),
            (Rows{{"29", "29", "1800.5"}}));
}

TEST_F(EngineDbTest, AStoreFindsANameWhateverItsLetterCaseAndMarksEveryMiss) {
  host::Workbook& wb = Open();
  host::Worksheet& ws = wb.ActiveSheet();
  const char* names[] = {"иванов", "ИВАНОВ", "Сидоров", "сидоров", "Сидоров"};
  for (int i = 0; i < 5; ++i) ws.Cells(2 + i, 2).Value(Variant::Text(names[i]));
  ui_.SetTrace(true);
  ui_.QueueAnswer(ui::Answer::OK);
  engine_->Store_Sheet(true);
  ASSERT_FALSE(engine_->Stop_Program);
  EXPECT_EQ(CountLines(ui_.transcript(), kMembersFetched), 1);
  EXPECT_EQ(CountLines(ui_.transcript(), "SQL \" Select ID_Responsible"), 0);
  EXPECT_TRUE(Asked(std::string(texts::kNotStoredPrefix) + "3" + texts::kNotStoredMarkedSuffix));
  EXPECT_EQ(engine_->Error_Count, 0);
  for (int r = 2; r <= 6; ++r) {
    const bool miss = r >= 4;
    EXPECT_EQ(ws.Cells(r, 2).Font().ColorIndex(), miss ? host::kColorRed : host::kColorAutomatic)
        << r;
    EXPECT_EQ(ws.Cells(r, 2).Font().Bold(), miss) << r;
  }
  EXPECT_EQ(ts::RootQuery("SELECT ID_EXL, RECIPIENT_ID FROM NAL ORDER BY ID_EXL"),
            (Rows{{"2", "1"}, {"3", "1"}, {"4", "NULL"}, {"5", "NULL"}, {"6", "NULL"}}));
}

TEST_F(EngineDbTest, ADictionaryEntryWithoutAValueStoresNullWithoutMarksEachTimeItIsMet) {
  ASSERT_TRUE(ts::RootExec(
      "ALTER TABLE OUR_MEMBERS DROP PRIMARY KEY, MODIFY ID_RESPONSIBLE SMALLINT NULL"));
  ASSERT_TRUE(
      ts::RootExec("INSERT INTO OUR_MEMBERS (ID_RESPONSIBLE, NAME_SHORT) VALUES "
                   "(NULL, 'Безключа')"));
  host::Workbook& wb = Open();
  host::Worksheet& ws = wb.ActiveSheet();
  const char* names[] = {"Безключа", "безключа", "Безключа"};
  for (int i = 0; i < 3; ++i) ws.Cells(2 + i, 2).Value(Variant::Text(names[i]));
  engine_->Store_Sheet(true);
  ASSERT_FALSE(engine_->Stop_Program);
  EXPECT_EQ(engine_->Error_Count, 0);
  EXPECT_FALSE(Asked(std::string(texts::kNotStoredPrefix) + "1" + texts::kNotStoredMarkedSuffix));
  EXPECT_EQ(ts::RootQuery("SELECT ID_EXL, RECIPIENT_ID FROM NAL ORDER BY ID_EXL"),
            (Rows{{"2", "NULL"}, {"3", "NULL"}, {"4", "NULL"}}));
}

// Employee ids found for the names of column B, rows 2.., and whether each
// cell is marked.
struct Found {
  Rows ids;
  std::vector<bool> marks;
  bool operator==(const Found&) const = default;
};

Found FoundFor(host::Worksheet& ws, size_t n) {
  Found f;
  f.ids = ts::RootQuery("SELECT ID_EXL, RECIPIENT_ID FROM NAL WHERE ID_EXL BETWEEN 2 AND " +
                        std::to_string(n + 1) + " ORDER BY ID_EXL");
  for (size_t i = 0; i < n; ++i) {
    host::Range cell = ws.Cells(static_cast<long>(i) + 2, 2);
    f.marks.push_back(cell.Font().ColorIndex() == host::kColorRed && cell.Font().Bold());
  }
  return f;
}

void Unmark(host::Worksheet& ws, size_t n) {
  for (size_t i = 0; i < n; ++i) {
    ws.Cells(static_cast<long>(i) + 2, 2).Font().ColorIndex(host::kColorAutomatic);
    ws.Cells(static_cast<long>(i) + 2, 2).Font().Bold(false);
  }
}

// A dictionary fetched whole finds, for every name, what the lookup of that
// one name finds on the server: letter case, trailing and leading blanks,
// Ё and Е, apostrophes, Latin look-alikes, two entries of one name.
TEST_F(EngineDbTest, ADictionaryFetchedWholeFindsWhatEachLookupFinds) {
  ASSERT_TRUE(
      ts::RootExec("INSERT INTO OUR_MEMBERS (ID_RESPONSIBLE, NAME_SHORT) VALUES (2, 'Петров  '), "
                   "(3, 'ЁЖИКОВ'), (4, 'Ежов'), (5, 'O\"Brien'), (6, 'Дубль'), (7, 'ДУБЛЬ'), "
                   "(8, ' Пробел'), (9, 'Смит'), (10, 'Ёлкин'), (11, '')"));
  const std::vector<std::string> names = {"иванов",  "ИВАНОВ   ", "петров",  "Петров ", "ёжиков",
                                          "ежиков",  "ЕЖОВ",      "Ёжов",    "O'Brien", "o''brien",
                                          "дубль",   "пробел",    " пробел", "Cмит",    "елкин",
                                          "Сидоров", " ",         "ёлкин"};
  const size_t n = names.size();
  host::Workbook& wb = Open();
  host::Worksheet& ws = wb.ActiveSheet();

  // The whole store.
  for (size_t i = 0; i < n; ++i)
    ws.Cells(static_cast<long>(i) + 2, 2).Value(Variant::Text(names[i]));
  ui_.SetTrace(true);
  ui_.QueueAnswer(ui::Answer::OK);  // the values not stored
  engine_->Store_Sheet(true);
  ASSERT_FALSE(engine_->Stop_Program);
  EXPECT_EQ(CountLines(ui_.transcript(), kMembersFetched), 1);
  const Found stored = FoundFor(ws, n);

  // One typed cell at a time: one lookup each.
  ASSERT_TRUE(ts::RootExec("UPDATE NAL SET RECIPIENT_ID = 99"));
  Unmark(ws, n);
  ui_.ClearTranscript();
  for (size_t i = 0; i < n; ++i) host::user::Type(ws, static_cast<long>(i) + 2, 2, names[i]);
  ASSERT_FALSE(engine_->Stop_Program);
  EXPECT_EQ(CountLines(ui_.transcript(), "SQL \" Select ID_Responsible"), static_cast<int>(n));
  EXPECT_EQ(CountLines(ui_.transcript(), kMembersFetched), 0);
  EXPECT_EQ(FoundFor(ws, n), stored);

  // One paste of the whole column.
  ASSERT_TRUE(ts::RootExec("UPDATE NAL SET RECIPIENT_ID = 99"));
  Unmark(ws, n);
  ui_.ClearTranscript();
  std::string tsv;
  for (const std::string& name : names) tsv += name + "\n";
  ui_.QueueAnswer(ui::Answer::OK);  // the values not stored
  host::user::Paste(ws, 2, 2, tsv);
  ASSERT_FALSE(engine_->Stop_Program);
  EXPECT_EQ(CountLines(ui_.transcript(), kMembersFetched), 1);
  EXPECT_EQ(CountLines(ui_.transcript(), "SQL \" Select ID_Responsible"), 0);
  EXPECT_EQ(FoundFor(ws, n), stored);

  // What the server found: letter case and trailing blanks do not count.
  ASSERT_EQ(stored.ids.size(), n);
  EXPECT_EQ(stored.ids[0][1], "1");
  EXPECT_EQ(stored.ids[1][1], "1");
  EXPECT_EQ(stored.ids[2][1], "2");
  EXPECT_EQ(stored.ids[15][1], "NULL");  // Сидоров is not in the dictionary
  EXPECT_TRUE(stored.marks[15]);
  EXPECT_FALSE(stored.marks[0]);
}

// A paste is written in one transaction: a statement the server refuses
// leaves the table as it was, and the cells keep what was pasted, marked
// only where a value cannot be stored.
TEST_F(EngineDbTest, APasteWithARefusedStatementLeavesTheTableAsItWas) {
  ASSERT_TRUE(ts::RootExec(
      "CREATE TRIGGER nal_refuse BEFORE UPDATE ON NAL FOR EACH ROW BEGIN IF "
      "NEW.ESTABLISH_PAYMENT = 'отказ' THEN SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT = "
      "'refused'; END IF; END"));
  host::Workbook& wb = Open();
  host::Worksheet& ws = wb.ActiveSheet();
  const Rows before = ts::RootQuery("SELECT * FROM NAL ORDER BY ID_EXL");
  ui_.unanswered = [](const ui::RecordedMessage& m) {
    return m.buttons == ui::Buttons::OKCancel ? ui::Answer::Cancel : ui::Answer::OK;
  };
  host::user::Paste(ws, 2, 3, "новый 1\t10,5\nновый 2\t11\nотказ\tабв\nновый 4\t12");
  EXPECT_TRUE(engine_->Stop_Program);
  EXPECT_TRUE(Asked("Команда к базе данных не была выполнена. Показать текст команды ?"));
  EXPECT_EQ(ts::RootQuery("SELECT * FROM NAL ORDER BY ID_EXL"), before);
  EXPECT_EQ(ws.Cells(2, 3).Text(), "новый 1");
  EXPECT_EQ(ws.Cells(5, 4).Text(), "12");
  for (long r = 2; r <= 5; ++r)
    for (int c = 3; c <= 4; ++c) {
      const bool bad = r == 4 && c == 4;  // "абв" is no number
      EXPECT_EQ(ws.Cells(r, c).Font().ColorIndex() == host::kColorRed, bad) << r << ", " << c;
    }
}

// The server lost in the middle of a paste's updates: nothing of the paste
// is in the table.
TEST_F(EngineDbTest, APasteWhoseServerIsLostMidwayLeavesTheTableAsItWas) {
  host::Workbook& wb = Open();
  host::Worksheet& ws = wb.ActiveSheet();
  const Rows before = ts::RootQuery("SELECT * FROM NAL ORDER BY ID_EXL");
  ui_.SetTrace(true);
  int updates = 0;
  bool stopped = false;
  ui_.on_line = [&](const std::string& line) {
    if (line.rfind("SQL \"Update NAL", 0) == 0 && ++updates == 3 && !stopped)
      stopped = ts::StopServer();
  };
  ui_.unanswered = [](const ui::RecordedMessage& m) {
    return m.buttons == ui::Buttons::OKCancel ? ui::Answer::Cancel : ui::Answer::OK;
  };
  host::user::Paste(ws, 2, 3, "новый 1\t10,5\nновый 2\t11\nновый 3\t12");
  ASSERT_TRUE(stopped);
  EXPECT_TRUE(engine_->Stop_Program);
  ASSERT_TRUE(ts::StartServer());
  EXPECT_EQ(ts::RootQuery("SELECT * FROM NAL ORDER BY ID_EXL"), before);
  EXPECT_EQ(ws.Cells(4, 3).Text(), "новый 3");
}

TEST_F(EngineDbTest, ASaveOfAReadOnlyWorkbookIsCancelledAfterItsDatabaseWork) {
  host::Workbook& wb = Open(true);
  ASSERT_TRUE(ts::RootExec("UPDATE NAL SET SUM_RUB = 301 WHERE ID_EXL = 3"));
  bool cancel = false;
  EXPECT_EQ(engine_->Workbook_BeforeSave(wb, cancel), 0);
  EXPECT_TRUE(cancel);
  EXPECT_EQ(ts::RootQuery("SELECT SUM_RUB FROM NAL WHERE ID_EXL = 3"), (Rows{{"300"}}));
}

TEST_F(EngineDbTest, AWorkbookOfMoreThanFiftySheetsIsOutsideTheEnginesLimits) {
  const std::string path = (dir_ / "Sync.xls").string();
  {
    host::Application maker;
    host::Workbook& big = maker.Add();
    testing::BuildTestBook(big);
    for (int i = big.SheetsCount() + 1; i <= 51; ++i) big.AddSheet("Лист " + std::to_string(i));
    big.SaveAs(path, 1);
  }
  host::Workbook& wb = app_.Open(path);
  EXPECT_EQ(engine_->Workbook_Open(wb), 9);
  EXPECT_FALSE(ProgressWindow::Instance().form().visible());
}

// Runs `body` with a component registry holding only `lines`.
template <class F>
void WithRegistry(const fs::path& file, const std::string& lines, F&& body) {
  const std::string saved = ts::TestEnv::FromEnvironment().components;
  {
    std::ofstream out(file);
    out << lines;
  }
  setenv("KASSA_COMPONENTS", file.c_str(), 1);
  body();
  setenv("KASSA_COMPONENTS", saved.c_str(), 1);
}

TEST_F(EngineDbTest, AMissingConfigurationComponentEndsTheOpenWithAnError) {
  const std::string path = (dir_ / "Sync.xls").string();
  testing::WriteTestBook(path, false);
  host::Workbook& wb = app_.Open(path);
  WithRegistry(dir_ / "none.conf", "", [&] { EXPECT_EQ(engine_->Workbook_Open(wb), 91); });
  EXPECT_TRUE(Asked(texts::kNoIniObject));
  EXPECT_FALSE(ProgressWindow::Instance().form().visible());
}

TEST_F(EngineDbTest, AMissingDatabaseComponentStopsAllDatabaseWork) {
  const std::string path = (dir_ / "Sync.xls").string();
  testing::WriteTestBook(path, false);
  host::Workbook& wb = app_.Open(path);
  const std::string ini = ts::TestEnv::FromEnvironment().dlls() + "/libinibook.so";
  WithRegistry(dir_ / "ini_only.conf", "INI_*.Ini_Book=" + ini + "\n", [&] {
    EXPECT_EQ(engine_->Workbook_Open(wb), 0);
    EXPECT_TRUE(engine_->Stop_Program);
    EXPECT_TRUE(Asked(texts::kNoDbObject));
    ui_.QueueAnswer(ui::Answer::OK);  // the message of the next attempt
    ui_.QueueAnswer(ui::Answer::No);  // no emergency copy
    bool cancel = false;
    EXPECT_EQ(engine_->Workbook_BeforeSave(wb, cancel), 0);
    EXPECT_EQ(ui_.messages().back().title, texts::kEmergencyTitle);
  });
}

TEST_F(EngineDbTest, ClosingAWorkbookThatIsNotTheActiveOneClosesThatWorkbook) {
  host::Workbook& wb = Open();
  const std::string other_path = (dir_ / "Alt.xls").string();
  testing::WriteTestBook(other_path, false);
  host::Workbook& other = app_.Open(other_path);
  ASSERT_EQ(&app_.ActiveWorkbook(), &other);
  engine_->Sheet_Visited.Clear();  // no sheet to compare: the close activates none
  host::user::Close(wb);           // the close button of a window in the background
  EXPECT_TRUE(wb.closed());
  EXPECT_FALSE(other.closed());
  EXPECT_EQ(&app_.ActiveWorkbook(), &other);
}

// With the database lost, an edit lives only in the workbook: a close whose
// emergency copy or whose own save cannot be written keeps the workbook open
// and says why; once the file can be written the close goes through.
TEST_F(EngineDbTest, ACloseWhoseWritesFailKeepsTheWorkbookOpenWithItsEdit) {
  host::Workbook& wb = Open();
  ASSERT_TRUE(ts::StopServer());
  ui_.QueueAnswer(ui::Answer::OK);  // the connection cannot be made
  host::user::Type(wb.ActiveSheet(), 2, 3, "Сдача");
  const fs::path copy = dir_ / "Copy_Sync.xls_010311_0907.xls";
  const fs::path book = dir_ / "Sync.xls";
  fs::create_directory(copy);  // neither file can be written
  fs::remove(book);
  fs::create_directory(book);

  EXPECT_EQ(wb.Status(), texts::kDatabaseLostStatus);  // for as long as the workbook is open
  ui_.QueueAnswer(ui::Answer::Yes);                    // an emergency copy, please
  ui_.QueueAnswer(ui::Answer::OK);                     // the copy could not be written
  host::user::Close(wb);
  ASSERT_FALSE(wb.closed());
  EXPECT_EQ(ui_.messages().back().text.rfind(texts::kCopyNotSavedPrefix, 0), 0u);
  EXPECT_EQ(wb.ActiveSheet().Cells(2, 3).Text(), "Сдача");

  ui_.QueueAnswer(ui::Answer::No);  // no copy: the workbook itself is saved
  ui_.QueueAnswer(ui::Answer::OK);  // the workbook could not be written
  host::user::Close(wb);
  ASSERT_FALSE(wb.closed());
  const std::string told = ui_.messages().back().text;
  EXPECT_EQ(told.rfind(std::string(texts::kBookNotSavedPrefix) + "Sync.xls" +
                           texts::kBookNotSavedMiddle + "не удалось записать файл " + book.string(),
                       0),
            0u)
      << told;
  EXPECT_TRUE(told.ends_with(texts::kBookNotSavedSuffix)) << told;
  EXPECT_FALSE(engine_->Closing);

  fs::remove(book);
  ui_.QueueAnswer(ui::Answer::No);
  host::user::Close(wb);
  EXPECT_TRUE(wb.closed());
  EXPECT_TRUE(fs::is_regular_file(book));
  EXPECT_TRUE(ui_.queued_answers().empty());
  EXPECT_TRUE(ui_.failures().empty());
}

// Hostile texts typed into the cash sheet's purpose (1500 characters): a
// stray byte before an apostrophe, a million apostrophes, and 3000 of them
// that quote into 1500 double quotes. Each edit returns; what the database
// cannot hold is marked and stored as NULL, the rest is stored.
TEST_F(EngineDbTest, HostileTextsAreRefusedOrStoredAndNeverHangTheEngine) {
  host::Workbook& wb = Open();
  host::Worksheet& ws = wb.ActiveSheet();
  host::user::Type(ws, 2, 3, "\xA1'");
  host::user::Type(ws, 3, 3, std::string(1000000, '\''));
  host::user::Type(ws, 4, 3, std::string(3000, '\''));
  ASSERT_FALSE(engine_->Stop_Program);
  for (long row : {2L, 3L}) EXPECT_EQ(ws.Cells(row, 3).Font().ColorIndex(), host::kColorRed) << row;
  EXPECT_EQ(ws.Cells(4, 3).Font().ColorIndex(), host::kColorAutomatic);
  EXPECT_EQ(
      ts::RootQuery("SELECT ID_EXL, ESTABLISH_PAYMENT IS NULL, CHAR_LENGTH(ESTABLISH_PAYMENT), "
                    "LEFT(ESTABLISH_PAYMENT, 2) FROM NAL ORDER BY ID_EXL"),
      (Rows{{"2", "1", "NULL", "NULL"}, {"3", "1", "NULL", "NULL"}, {"4", "0", "1500", "\"\""}}));
}

TEST_F(EngineDbTest, TheErrorCountSaturatesInsteadOfOverflowing) {
  host::Workbook& wb = Open();
  engine_->Error_Count = 32766;
  engine_->Mark_Error(2, 1);
  engine_->Mark_Error(3, 1);
  EXPECT_EQ(engine_->Error_Count, 32767);
  EXPECT_EQ(wb.ActiveSheet().Cells(3, 1).Font().ColorIndex(), host::kColorRed);
  EXPECT_TRUE(wb.ActiveSheet().Cells(3, 1).Font().Bold());
}

}  // namespace
}  // namespace kassa::sheetsync
