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

TEST_F(EngineDbTest, AStoreRemembersEachLookupAndSendsOneInsertForAllRows) {
  host::Workbook& wb = Open();
  for (int r = 4; r <= 30; ++r) host::user::Type(wb.ActiveSheet(), r, 2, "иванов");
  ASSERT_TRUE(ts::RootExec("UPDATE NAL SET SUM_RUB = 301 WHERE ID_EXL = 3"));
  ui_.ClearTranscript();
  ui_.SetTrace(true);
  bool cancel = false;
  EXPECT_EQ(engine_->Workbook_BeforeSave(wb, cancel), 0);
  int lookups = 0, inserts = 0;
  for (const std::string& line : ui_.transcript()) {
    if (line.rfind("SQL \" Select ID_Responsible", 0) == 0) ++lookups;
    if (line.rfind("SQL \"Insert Into NAL", 0) == 0) ++inserts;
  }
  EXPECT_EQ(lookups, 1);
  EXPECT_EQ(inserts, 1);
  EXPECT_FALSE(cancel);
  EXPECT_EQ(ts::RootQuery("SELECT count(*), sum(RECIPIENT_ID), sum(SUM_RUB) FROM NAL"),
            (Rows{{"29", "29", "1800.5"}}));
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
