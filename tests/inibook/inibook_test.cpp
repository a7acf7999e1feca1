// The workbook configuration component: the file format, the three calls,
// and the sample workbook's configuration loaded through the component
// registry as the engine creates it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/component/component.h"
#include "platform/host/host.h"
#include "platform/inibook/book_config.h"
#include "platform/inibook/ini_book_object.h"
#include "platform/inibook/texts.h"
#include "tests/host/recording.h"

namespace kassa::inibook {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> Names(const std::vector<std::string>& sheets) {
  std::vector<std::string> names(kSheetSlots);
  for (size_t i = 0; i < sheets.size(); ++i) names[i + 1] = sheets[i];
  return names;
}

const std::vector<std::string> kSampleSheets = {
    "Наличные", "Категории", "Сотрудники", "Статистика по категориям", "Статистика по сотрудникам"};

// What the engine relies on for the sample workbook.
void ExpectSampleConfiguration(IniBook& ini) {
  std::vector<bool> change, save, ask;
  bool ready = false;
  ASSERT_EQ(ini.Ini_Book(Names(kSampleSheets), change, save, ask, ready), 0);
  EXPECT_TRUE(ready);
  ASSERT_EQ(change.size(), kSheetSlots);
  ASSERT_EQ(save.size(), kSheetSlots);
  ASSERT_EQ(ask.size(), kSheetSlots);
  EXPECT_TRUE(change[1] && save[1] && ask[1]);
  for (size_t i = 2; i < kSheetSlots; ++i) EXPECT_FALSE(change[i] || save[i] || ask[i]) << i;
  EXPECT_FALSE(change[0]);

  std::string table, id;
  std::vector<ColumnDesc> cols;
  int16_t count = -1;
  bool sheet_ready = false;
  ASSERT_EQ(ini.Ini_Sheet("Наличные", table, id, cols, count, sheet_ready), 0);
  EXPECT_TRUE(sheet_ready);
  EXPECT_EQ(table, "NAL");
  EXPECT_EQ(id, "ID_Exl");
  ASSERT_EQ(count, 5);
  ASSERT_EQ(cols.size(), 5u);
  auto expect_col = [&](size_t i, const char* field, const char* type, const char* dt,
                        const char* dk, const char* dv) {
    EXPECT_EQ(cols[i].field, field);
    EXPECT_EQ(cols[i].type, type);
    EXPECT_EQ(cols[i].dict_table, dt);
    EXPECT_EQ(cols[i].dict_key, dk);
    EXPECT_EQ(cols[i].dict_value, dv);
  };
  expect_col(0, "DATE_ON", "Dat", "", "", "");
  expect_col(1, "RECIPIENT_ID", "Str", "OUR_MEMBERS", "Name_Short", "ID_Responsible");
  expect_col(2, "ESTABLISH_PAYMENT", "Str", "", "", "");
  expect_col(3, "SUM_RUB", "Doub", "", "", "");
  expect_col(4, "CATEGORY_PAYMENT_ID", "Str", "CATEGORY_NAL", "NAME_ENCIPHER",
             "ID_CATEGORY_PAYMENT");

  for (size_t i = 1; i < kSampleSheets.size(); ++i) {
    ASSERT_EQ(ini.Ini_Sheet(kSampleSheets[i], table, id, cols, count, sheet_ready), 0);
    EXPECT_FALSE(sheet_ready) << kSampleSheets[i];
    EXPECT_EQ(count, 0);
    EXPECT_TRUE(table.empty());
  }
  ASSERT_EQ(ini.Ini_Sheet("Наличные", table, id, cols, count, sheet_ready), 0);
  ASSERT_EQ(ini.Clear_Ini_Sheet(table, id, cols, count, sheet_ready), 0);
  EXPECT_FALSE(sheet_ready);
  EXPECT_TRUE(table.empty() && id.empty() && cols.empty());
  EXPECT_EQ(count, 0);
}

TEST(IniBook, SampleConfigurationFile) {
  IniBookObject ini(std::string(KASSA_SOURCE_DIR) + "/examples/Kassa.ini");
  ExpectSampleConfiguration(ini);
  EXPECT_TRUE(ini.last_error().empty()) << ini.last_error();
}

TEST(IniBook, SampleThroughTheComponentRegistry) {
  // The engine creates "INI_" + book name + ".Ini_Book"; the component reads
  // the deployed Kassa.ini beside itself.
  fs::path registry = fs::path(::testing::TempDir()) / "inibook-components.conf";
  fs::remove(registry);
  setenv("KASSA_COMPONENTS", registry.c_str(), 1);
  std::string error;
  ASSERT_TRUE(component::Register("INI_*.Ini_Book", KASSA_INIBOOK_MODULE, error)) << error;
  auto ini = component::Create<IniBook>("INI_Kassa.Ini_Book");
  ASSERT_NE(ini, nullptr);
  ExpectSampleConfiguration(*ini);
  // Another book has no file beside the component: not configured, and the
  // user is told which file was looked for.
  host::testing::RecordingUi ui;
  auto other = component::Create<IniBook>("INI_Other.Ini_Book");
  ASSERT_NE(other, nullptr);
  std::vector<bool> change, save, ask;
  bool ready = true;
  ASSERT_EQ(other->Ini_Book(Names({"Наличные"}), change, save, ask, ready), 0);
  EXPECT_FALSE(ready);
  EXPECT_EQ(change.size(), kSheetSlots);
  EXPECT_FALSE(change[1]);
  const std::string folder = fs::path(KASSA_INIBOOK_MODULE).parent_path().string();
  EXPECT_EQ(ui.messages, (std::vector<std::string>{texts::NoConfiguration(folder + "/Other.ini")}));
}

TEST(IniBook, SheetNamesMustCoverIndexesUpToFifty) {
  IniBookObject ini(std::string(KASSA_SOURCE_DIR) + "/examples/Kassa.ini");
  std::vector<bool> change, save, ask;
  bool ready = false;
  EXPECT_EQ(ini.Ini_Book(std::vector<std::string>(50), change, save, ask, ready), 9);
  EXPECT_EQ(ini.Ini_Book(std::vector<std::string>(52), change, save, ask, ready), 9);
}

TEST(IniBook, SwitchesFollowSheetPositions) {
  fs::path file = fs::path(::testing::TempDir()) / "Order.ini";
  std::ofstream(file) << "[B]\nchange = yes\n[A]\nsave = да\nask = 1\n";
  IniBookObject ini(file.string());
  std::vector<bool> change, save, ask;
  bool ready = false;
  ASSERT_EQ(ini.Ini_Book(Names({"A", "X", "B"}), change, save, ask, ready), 0);
  EXPECT_TRUE(ready);
  EXPECT_FALSE(change[1]);
  EXPECT_TRUE(save[1] && ask[1]);
  EXPECT_FALSE(change[2] || save[2] || ask[2]);
  EXPECT_TRUE(change[3]);
  EXPECT_FALSE(save[3]);
}

TEST(IniBook, FileFormatFaults) {
  host::testing::RecordingUi ui;
  struct Bad {
    const char* text;
    const char* error;
  } cases[] = {
      {"table = NAL\n", "строка 1: настройка до первого раздела [лист]"},
      {"[A]\ncolumn = F\n", "строка 2: у столбца должно быть 2 или 5 полей"},
      {"[A]\ncolumn = F | Money\n", "строка 2: неизвестный тип столбца: Money"},
      {"[A]\ncolumn = F | Str | T | K\n", "строка 2: у столбца должно быть 2 или 5 полей"},
      {"[A]\ncolumn = F | Str | T | | V\n", "строка 2: неполный справочник"},
      {"[A]\nchange = maybe\n", "строка 2: переключатель должен быть yes или no: maybe"},
      {"[A]\ncolour = red\n", "строка 2: неизвестный ключ: colour"},
      {"[A]\n[A]\n", "строка 2: лист указан дважды: A"},
      {"[A\n", "строка 1: неверный заголовок раздела"},
      {"[A]\njust words\n", "строка 2: ожидается «ключ = значение»"},
  };
  for (const Bad& c : cases) {
    BookConfig cfg;
    std::string error;
    EXPECT_FALSE(ParseBookConfig(c.text, cfg, error)) << c.text;
    EXPECT_EQ(error, c.error);
  }
  // A faulty file leaves the whole book unconfigured.
  fs::path file = fs::path(::testing::TempDir()) / "Faulty.ini";
  std::ofstream(file) << "[A]\ntable = T\ncolumn = F | Str\nchange = yes\ncolumn = G | Nope\n";
  IniBookObject ini(file.string());
  std::vector<bool> change, save, ask;
  bool ready = true;
  ASSERT_EQ(ini.Ini_Book(Names({"A"}), change, save, ask, ready), 0);
  EXPECT_FALSE(ready);
  EXPECT_FALSE(change[1]);
  std::string table, id;
  std::vector<ColumnDesc> cols;
  int16_t count = 0;
  bool sheet_ready = true;
  ini.Ini_Sheet("A", table, id, cols, count, sheet_ready);
  EXPECT_FALSE(sheet_ready);
  EXPECT_NE(ini.last_error().find("строка 5"), std::string::npos);
}

// The configuration travels with the workbook: read from "<book>.ini" it is
// kept in the workbook, saved with it, and serves a renamed, copied or
// re-saved book for which no file exists.
class TravellingConfiguration : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::remove_all(dir);
    fs::create_directories(dir);
    std::ofstream(dir / "Sync.ini") << kText;
  }
  // A workbook with the configured sheet, saved as `name` in `dir`.
  host::Workbook& Book() {
    host::Workbook& wb = app.Add();
    wb.Sheets(1).Name("Наличные");
    wb.AddSheet("Справка");
    return wb;
  }
  static void ExpectConfigured(IniBook& ini) {
    std::vector<bool> change, save, ask;
    bool ready = false;
    ASSERT_EQ(ini.Ini_Book(Names({"Справка", "Наличные"}), change, save, ask, ready), 0);
    EXPECT_TRUE(ready);
    EXPECT_TRUE(change[2] && save[2] && !ask[2]);
    EXPECT_FALSE(change[1] || save[1] || ask[1]);
    std::string table, id;
    std::vector<ColumnDesc> cols;
    int16_t count = 0;
    bool sheet_ready = false;
    ASSERT_EQ(ini.Ini_Sheet("Наличные", table, id, cols, count, sheet_ready), 0);
    EXPECT_TRUE(sheet_ready);
    EXPECT_EQ(table, "NAL");
    EXPECT_EQ(id, "ID_Exl");
    ASSERT_EQ(count, 2);
    EXPECT_EQ(cols[1].dict_table, "OUR_MEMBERS");
  }
  static bool Ready(IniBook& ini) {
    std::vector<bool> change, save, ask;
    bool ready = false;
    ini.Ini_Book(Names({"Наличные"}), change, save, ask, ready);
    return ready;
  }

  static constexpr const char* kText =
      "[Наличные]\ntable = NAL\nid = ID_Exl\nchange = yes\nsave = yes\n"
      "column = DATE_ON | Dat\n"
      "column = RECIPIENT_ID | Str | OUR_MEMBERS | Name_Short | ID_Responsible\n";
  const fs::path dir = fs::path(::testing::TempDir()) / "inibook-travel";
  host::testing::RecordingUi ui;
  host::Application app;
};

TEST_F(TravellingConfiguration, ARenamedBookIsServedByTheCopyItCarries) {
  host::Workbook& wb = Book();
  wb.SaveAs((dir / "Sync.xls").string());
  IniBookObject ini((dir / "Sync.ini").string());
  ini.Set_Workbook(wb);
  ExpectConfigured(ini);
  EXPECT_EQ(wb.StoredText(kStoredConfigKey), kText);
  EXPECT_TRUE(wb.Saved());  // keeping the copy is not a change of the book
  // Save As under a Cyrillic name and as .xlsx; a plain copy of the file.
  wb.SaveAs((dir / "Касса 2026.xls").string());
  wb.SaveAs((dir / "Sync.xlsx").string());
  wb.Close();
  fs::copy_file(dir / "Sync.xlsx", dir / "Копия.xls");
  // The file and the "<book>.ini" the component looks for (none exists).
  const std::pair<const char*, const char*> books[] = {{"Касса 2026.xls", "Касса 2026.ini"},
                                                       {"Sync.xlsx", "Sync.xlsx.ini"},
                                                       {"Копия.xls", "Копия.ini"}};
  for (const auto& [file, ini_file] : books) {
    SCOPED_TRACE(file);
    ASSERT_FALSE(fs::exists(dir / ini_file));
    host::Workbook& reopened = app.Open((dir / file).string());
    IniBookObject copy((dir / ini_file).string());
    copy.Set_Workbook(reopened);
    ExpectConfigured(copy);
    reopened.Close();
  }
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(TravellingConfiguration, TheComponentServesRenamedBooksByTheirProgId) {
  fs::path registry = dir / "components.conf";
  setenv("KASSA_COMPONENTS", registry.c_str(), 1);
  std::string error;
  ASSERT_TRUE(component::Register("INI_*.Ini_Book", KASSA_INIBOOK_MODULE, error)) << error;
  host::Workbook& wb = Book();
  wb.StoredText(kStoredConfigKey, kText);
  // What the engine creates for "Касса 2026.xls" and for "Sync.xlsx".
  for (const char* progid : {"INI_Касса 2026.Ini_Book", "INI_Sync.xlsx.Ini_Book"}) {
    SCOPED_TRACE(progid);
    auto ini = component::Create<IniBook>(progid);
    ASSERT_NE(ini, nullptr);
    ini->Set_Workbook(wb);
    ExpectConfigured(*ini);
  }
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(TravellingConfiguration, AFileBesideTheComponentWinsOverTheCopy) {
  host::Workbook& wb = Book();
  wb.StoredText(kStoredConfigKey, "[Наличные]\ntable = OLD\ncolumn = X | Str\n");
  IniBookObject ini((dir / "Sync.ini").string());
  ini.Set_Workbook(wb);
  ExpectConfigured(ini);
  EXPECT_EQ(wb.StoredText(kStoredConfigKey), kText);
  // A faulty file is reported, not replaced by the copy the book carries.
  std::ofstream(dir / "Sync.ini") << "[Наличные]\ntable = NAL\ncolumn = X | Money\n";
  IniBookObject faulty((dir / "Sync.ini").string());
  faulty.Set_Workbook(wb);
  EXPECT_FALSE(Ready(faulty));
  EXPECT_EQ(ui.messages,
            (std::vector<std::string>{texts::FaultyConfiguration(
                (dir / "Sync.ini").string(), "строка 3: неизвестный тип столбца: Money")}));
  EXPECT_EQ(wb.StoredText(kStoredConfigKey), kText);
}

TEST_F(TravellingConfiguration, WithoutAUsableConfigurationTheUserIsToldOnce) {
  host::Workbook& wb = Book();
  const std::string absent = (dir / "Нет.ini").string();
  IniBookObject none(absent);
  none.Set_Workbook(wb);
  EXPECT_FALSE(Ready(none));
  EXPECT_FALSE(Ready(none));  // asked again on save: told once
  std::string table, id;
  std::vector<ColumnDesc> cols;
  int16_t count = 1;
  bool sheet_ready = true;
  none.Ini_Sheet("Наличные", table, id, cols, count, sheet_ready);
  EXPECT_FALSE(sheet_ready);
  EXPECT_EQ(ui.messages, (std::vector<std::string>{texts::NoConfiguration(absent)}));
  // A damaged copy in the book is named as such.
  ui.messages.clear();
  wb.StoredText(kStoredConfigKey, "[Наличные\n");
  IniBookObject damaged(absent);
  damaged.Set_Workbook(wb);
  EXPECT_FALSE(Ready(damaged));
  EXPECT_EQ(ui.messages, (std::vector<std::string>{texts::FaultyConfiguration(
                             texts::CopyInBook(absent), "строка 1: неверный заголовок раздела")}));
}

TEST(IniBook, CommentsBlanksAndCalcColumns) {
  BookConfig cfg;
  std::string error;
  ASSERT_TRUE(
      ParseBookConfig("\xEF\xBB\xBF# c\n; c\n\n[ Лист 1 ]\n  table=T  \nid=ID_Exl\n"
                      "column = A|Str\ncolumn = | Calc\n",
                      cfg, error))
      << error;
  const SheetConfig* s = cfg.Find("Лист 1");
  ASSERT_NE(s, nullptr);
  EXPECT_TRUE(s->Synchronised());
  EXPECT_EQ(s->table, "T");
  ASSERT_EQ(s->columns.size(), 2u);
  EXPECT_EQ(s->columns[1].type, "Calc");
  EXPECT_EQ(BookNameOf("INI_Kassa.Ini_Book"), "Kassa");
  EXPECT_EQ(BookNameOf("INI_.Ini_Book"), "");
  EXPECT_EQ(BookNameOf("Sheetsync.WB_Events"), "");
}

}  // namespace
}  // namespace kassa::inibook
