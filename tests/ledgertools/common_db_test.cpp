// The cash-sheet menu (save, refresh, archive) and the statistics menu,
// against the real server and real workbook files.
#include <set>

#include "tests/ledgertools/ledger_fixture.h"

namespace kassa::ledgertools::testing {
namespace {

namespace fs = std::filesystem;
constexpr const char* kMenu = "Choice_Action_Common";

host::Shape Button(const std::string& name, const std::string& method) {
  host::Shape s;
  s.name = name;
  s.caption = "Меню";
  s.left = 400;
  s.top = 5;
  s.width = 60;
  s.height = 20;
  s.progid = "Ledgertools.Special_Function";
  s.method = method;
  return s;
}

class Common : public Ledger {
 protected:
  void Payments() {
    Exec("INSERT INTO CATEGORY_NAL VALUES (1, 'ХОЗ', 'Хозяйство')");
    Exec("INSERT INTO OUR_MEMBERS VALUES (1, 'ИИИ', 'Иванов', 'Иван', 'Иванович', NULL)");
    Exec(
        "INSERT INTO NAL VALUES (2, '2026-11-03', 1, 'бумага', 250.5, 1), (3, '2026-11-20', 1, "
        "'вода', 100, 1)");
  }
  // The workbook laid out as the sample: five sheets with their buttons.
  host::Workbook& Sample_Like(const std::string& name) {
    host::Workbook& wb =
        Book(name, {{"Наличные", "select * from Nal_Exl"},
                    {"Категории", "select * from CATEGORY_NAL_Exl"},
                    {"Сотрудники", "select * from OUR_MEMBERS_Exl"},
                    {"Статистика по категориям", "select * from Expences_Category_Exl"},
                    {"Статистика по сотрудникам", "select * from Expences_Category_Member_Exl"}});
    wb.Sheets(1).shapes().push_back(Button("B_Commom", "Action_Common"));
    wb.Sheets(2).shapes().push_back(Button("B_Category", "Action_Category"));
    wb.Sheets(3).shapes().push_back(Button("B_Member", "Action_Member"));
    wb.Sheets(4).shapes().push_back(Button("B_Expences_Category", "Action_Expences"));
    wb.Sheets(5).shapes().push_back(Button("B_Member", "Action_Expences"));
    wb.Save();
    return wb;
  }
  void Archive(host::Worksheet& sheet) {
    sf_->Action_Common(sheet);
    Press(kMenu, "B_Archive_Common");
  }
  bool Has_Errors() const {
    for (const std::string& l : ui_.transcript())
      if (l.rfind("ERROR", 0) == 0) return true;
    return false;
  }
};

TEST_F(Common, RefreshLoadsTheBufferThenShowsIt) {
  Payments();
  Exec("INSERT INTO NAL_BUFFER VALUES (1, '2026-12-01', 1, 'такси', 300, 1)");
  host::Worksheet& cash = Book("Kassa.xls", {{"Наличные", "select * from Nal_Exl"}}).Sheets(1);
  sf_->Action_Common(cash);
  Press(kMenu, "B_Refresh_Common");
  EXPECT_FALSE(Form(kMenu).visible());
  EXPECT_EQ(Cell(cash, 4, 3), "такси");
  EXPECT_EQ(Query("SELECT COUNT(*) FROM NAL_BUFFER")[0][0], "0");
  // With the buffer empty only the count is asked, and the sheet is refreshed.
  Exec("INSERT INTO NAL VALUES (5, NULL, NULL, 'ещё', 1, NULL)");
  sql.clear();
  sf_->Action_Common(cash);
  Press(kMenu, "B_Refresh_Common");
  EXPECT_EQ(Changes(), std::vector<std::string>{});
  EXPECT_EQ(sql.front(), " select Size_Nal_Buffer from Count_NAL_BUFFER");
  EXPECT_EQ(Cell(cash, 5, 3), "ещё");
}

TEST_F(Common, TheButtonActsOnTheSheetHandedInLast) {
  Payments();
  host::Workbook& wb = Book(
      "Kassa.xls", {{"Наличные", "select * from Nal_Exl"}, {"Копия", "select * from Nal_Exl"}});
  sf_->Action_Common(wb.Sheets(1));
  sf_->Action_Common(wb.Sheets(2));  // the menu is still open
  Press(kMenu, "B_Refresh_Common");
  EXPECT_EQ(Cell(wb.Sheets(2), 2, 3), "бумага");
  EXPECT_EQ(Cell(wb.Sheets(1), 2, 3), "");
  // The press forgot the sheet: the button pressed again refreshes nothing.
  Exec("DELETE FROM NAL");
  ASSERT_TRUE(ui::ActPress(Form(kMenu), "B_Refresh_Common"));
  EXPECT_EQ(Cell(wb.Sheets(2), 2, 3), "бумага");
  EXPECT_TRUE(Messages().empty());
}

TEST_F(Common, StatisticsRefreshAndASheetWithoutQueryTable) {
  Exec("INSERT INTO CATEGORY_NAL VALUES (1, 'ХОЗ', 'Хозяйство')");
  Exec(
      "INSERT INTO NAL VALUES (2, '2026-11-03', 1, 'бумага', 250.4, 1), (3, '2026-11-20', 1, "
      "'вода', 100.3, 1)");
  host::Workbook& wb =
      Book("Kassa.xls",
           {{"Статистика по категориям", "select * from Expences_Category_Exl"}, {"Пустой", ""}});
  sf_->Action_Expences(wb.Sheets(2));
  Press("Choice_Action_Expences", "B_Refresh_Expences");  // nothing to refresh: nothing said
  sf_->Action_Expences(wb.Sheets(1));
  Press("Choice_Action_Expences", "B_Refresh_Expences");  // and the program goes on
  EXPECT_EQ(Cell(wb.Sheets(1), 2, 1), "Ноябрь");
  EXPECT_EQ(Cell(wb.Sheets(1), 2, 3), "ХОЗ / Хозяйство");
  EXPECT_EQ(Cell(wb.Sheets(1), 2, 4), "351");
  EXPECT_TRUE(Messages().empty());
  EXPECT_FALSE(Has_Errors());
}

TEST_F(Common, ArchiveOfAOneSheetWorkbook) {
  Payments();
  host::Workbook& wb = Book("Kassa.xls", {{"Наличные", "select * from Nal_Exl"}});
  wb.Sheets(1).shapes().push_back(Button("B_Commom", "Action_Common"));
  Archive(wb.Sheets(1));
  const fs::path archive = dir_ / "Archiv_Kassa_061226.xls";
  ASSERT_TRUE(fs::exists(archive));
  EXPECT_TRUE(Messages().empty());
  EXPECT_FALSE(Has_Errors());
  // The source stays open with its query table and button.
  ASSERT_EQ(app.Workbooks().size(), 1u);
  EXPECT_EQ(&app.ActiveWorkbook(), &wb);
  EXPECT_EQ(wb.Sheets(1).QueryTablesCount(), 1);
  EXPECT_NE(wb.Sheets(1).FindShape("B_Commom"), nullptr);
  // The archive holds the values only.
  host::Application other;
  host::Workbook& a = other.Open(archive.string());
  ASSERT_EQ(a.SheetsCount(), 1);
  EXPECT_EQ(a.Sheets(1).Name(), "Наличные");
  EXPECT_EQ(a.Sheets(1).Cells(2, 3).Text(), "бумага");
  EXPECT_EQ(a.Sheets(1).Cells(3, 4).Text(), "100");
  EXPECT_EQ(a.Sheets(1).QueryTablesCount(), 0);
  EXPECT_TRUE(a.Sheets(1).shapes().empty());
  a.Close();
}

TEST_F(Common, AnArchiveThatCannotBeWrittenSaysSo) {
  Payments();
  host::Workbook& wb = Book("Kassa.xls", {{"Наличные", "select * from Nal_Exl"}});
  wb.Sheets(1).shapes().push_back(Button("B_Commom", "Action_Common"));
  const fs::path archive = dir_ / "Archiv_Kassa_061226.xls";
  fs::create_directory(archive);  // the archive's file cannot be written
  Archive(wb.Sheets(1));
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(
      Messages()[0].rfind(
          "Архивная копия книги не сохранена: не удалось записать файл " + archive.string(), 0),
      0u)
      << Messages()[0];
  // The archive's workbook is gone; the source stays open and active.
  ASSERT_EQ(app.Workbooks().size(), 1u);
  EXPECT_EQ(&app.ActiveWorkbook(), &wb);
}

TEST_F(Common, ArchiveOfTheFiveSheetWorkbookLosesEveryButtonAndQuery) {
  Payments();
  host::Workbook& wb = Sample_Like("Касса.xls");
  Archive(wb.Sheets(3));
  const fs::path archive = dir_ / "Archiv_Касса_061226.xls";
  ASSERT_TRUE(fs::exists(archive));
  {
    host::Application other;
    host::Workbook& a = other.Open(archive.string());
    ASSERT_EQ(a.SheetsCount(), 5);
    for (int i = 1; i <= 5; ++i) {
      EXPECT_EQ(a.Sheets(i).Name(), wb.Sheets(i).Name());
      EXPECT_EQ(a.Sheets(i).QueryTablesCount(), 0) << i;
      EXPECT_TRUE(a.Sheets(i).shapes().empty()) << i;
      EXPECT_EQ(a.Sheets(i).Cells(1, 1).Text(), wb.Sheets(i).Cells(1, 1).Text()) << i;
    }
    EXPECT_EQ(a.Sheets(3).Cells(2, 2).Text(), "Иванов");
    a.Close();
  }
  // A second archive the same day replaces the first.
  Exec("INSERT INTO OUR_MEMBERS VALUES (2, 'ППП', 'Петров', NULL, NULL, NULL)");
  Archive(wb.Sheets(1));
  host::Application other;
  host::Workbook& a = other.Open(archive.string());
  EXPECT_EQ(a.Sheets(3).Cells(3, 2).Text(), "Петров");
  a.Close();
  size_t archives = 0;
  for (const auto& e : fs::directory_iterator(dir_))
    if (e.path().filename().string().rfind("Archiv_", 0) == 0) ++archives;
  EXPECT_EQ(archives, 1u);
  for (int i = 1; i <= 5; ++i) EXPECT_EQ(wb.Sheets(i).QueryTablesCount(), 1) << i;
  EXPECT_FALSE(Has_Errors());
}

TEST_F(Common, ArchiveWithoutTheParametersFileIsStillSavedAndSaysNothing) {
  Payments();
  host::Workbook& wb = Sample_Like("Kassa.xls");
  // The database object cannot read its parameters file: every refresh of
  // the archive fails inside the library and is skipped without a word.
  const fs::path params =
      fs::path(ts::TestEnv::FromEnvironment().deploy) / "DLLs" / "Connect_Parametrs.ini";
  const fs::path aside = params.string() + ".aside";
  ASSERT_TRUE(fs::exists(params));
  fs::rename(params, aside);
  struct Restore {
    fs::path from, to;
    ~Restore() { fs::rename(from, to); }
  } restore{aside, params};
  Archive(wb.Sheets(1));
  EXPECT_TRUE(Messages().empty());
  EXPECT_FALSE(Has_Errors());
  const fs::path archive = dir_ / "Archiv_Kassa_061226.xls";
  ASSERT_TRUE(fs::exists(archive));
  host::Application other;
  host::Workbook& a = other.Open(archive.string());
  EXPECT_EQ(a.SheetsCount(), 5);
  for (int i = 1; i <= a.SheetsCount(); ++i) {
    EXPECT_EQ(a.Sheets(i).QueryTablesCount(), 0) << i;
    EXPECT_TRUE(a.Sheets(i).shapes().empty()) << i;
  }
  a.Close();
  EXPECT_EQ(app.Workbooks().size(), 1u);  // the copy was closed, the source stays
}

// The sample workbook of the deployment, copied into the test folder.
class Sample : public Common {
 protected:
  host::Workbook* Open_Sample() {
    const fs::path sample = fs::path(ts::TestEnv::FromEnvironment().deploy) / "Kassa.xls";
    if (!fs::exists(sample)) return nullptr;
    fs::copy_file(sample, dir_ / "Kassa.xls");
    return &app.Open((dir_ / "Kassa.xls").string());
  }
  std::set<std::string> App_Connections() {
    std::set<std::string> ids;
    for (const auto& r :
         Query("SELECT ID FROM information_schema.PROCESSLIST WHERE USER = 'pnrowner'"))
      ids.insert(r[0]);
    return ids;
  }
};

TEST_F(Sample, ArchiveHasValuesNoButtonsNoQueries) {
  Payments();
  host::Workbook* wb = Open_Sample();
  if (!wb) GTEST_SKIP() << "no sample workbook in the deployment";
  host::Worksheet& cash = wb->Sheets("Наличные");
  host::user::Activate(cash);
  Archive(cash);
  const fs::path archive = dir_ / "Archiv_Kassa_061226.xls";
  ASSERT_TRUE(fs::exists(archive));
  host::Application other;
  host::Workbook& a = other.Open(archive.string());
  ASSERT_EQ(a.SheetsCount(), wb->SheetsCount());
  for (int i = 1; i <= a.SheetsCount(); ++i) {
    EXPECT_EQ(a.Sheets(i).QueryTablesCount(), 0) << a.Sheets(i).Name();
    EXPECT_TRUE(a.Sheets(i).shapes().empty()) << a.Sheets(i).Name();
  }
  EXPECT_EQ(a.Sheets("Наличные").Cells(2, 3).Text(), "бумага");
  EXPECT_EQ(a.Sheets("Сотрудники").Cells(2, 2).Text(), "Иванов");
  EXPECT_TRUE(a.EventSinkProgId().empty());
  // The statistics sheets keep their charts; the month figures written
  // beside them for other spreadsheet programs are not read back as cells.
  for (const char* name : {"Статистика по категориям", "Статистика по сотрудникам"}) {
    const host::Extent copied = host::ValueExtent(a.Sheets(name));
    const host::Extent source = host::ValueExtent(wb->Sheets(name));
    EXPECT_EQ(a.Sheets(name).charts().size(), 1u) << name;
    EXPECT_GT(copied.rows, 1) << name;
    EXPECT_EQ(std::make_pair(copied.rows, copied.columns),
              std::make_pair(source.rows, source.columns))
        << name;
  }
  a.Close();
}

TEST_F(Sample, SavePressedTwiceReusesTheEngine) {
  Payments();
  host::Workbook* wb = Open_Sample();
  if (!wb) GTEST_SKIP() << "no sample workbook in the deployment";
  host::Worksheet& cash = wb->Sheets("Наличные");
  host::user::Activate(cash);
  const std::set<std::string> before = App_Connections();
  sf_->Action_Common(cash);
  Press(kMenu, "B_Save_Common");
  const std::set<std::string> after_first = App_Connections();
  sf_->Action_Common(cash);
  Press(kMenu, "B_Save_Common");
  // The engine made by the first press, and its connection, served the second.
  EXPECT_GT(after_first.size(), before.size());
  EXPECT_EQ(App_Connections(), after_first);
  EXPECT_FALSE(Has_Errors());
}

}  // namespace
}  // namespace kassa::ledgertools::testing
