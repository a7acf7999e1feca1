// The workbook configuration component: the file format, the three calls,
// and the sample workbook's configuration loaded through the component
// registry as the engine creates it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/component/component.h"
#include "platform/inibook/book_config.h"
#include "platform/inibook/ini_book_object.h"

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
  // Another book has no file beside the component: not configured.
  auto other = component::Create<IniBook>("INI_Other.Ini_Book");
  ASSERT_NE(other, nullptr);
  std::vector<bool> change, save, ask;
  bool ready = true;
  ASSERT_EQ(other->Ini_Book(Names({"Наличные"}), change, save, ask, ready), 0);
  EXPECT_FALSE(ready);
  EXPECT_EQ(change.size(), kSheetSlots);
  EXPECT_FALSE(change[1]);
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
  struct Bad {
    const char* text;
    const char* error;
  } cases[] = {
      {"table = NAL\n", "line 1: a setting before the first [sheet]"},
      {"[A]\ncolumn = F\n", "line 2: column needs 2 or 5 fields"},
      {"[A]\ncolumn = F | Money\n", "line 2: unknown column type: Money"},
      {"[A]\ncolumn = F | Str | T | K\n", "line 2: column needs 2 or 5 fields"},
      {"[A]\ncolumn = F | Str | T | | V\n", "line 2: incomplete lookup"},
      {"[A]\nchange = maybe\n", "line 2: switch must be yes or no: maybe"},
      {"[A]\ncolour = red\n", "line 2: unknown key: colour"},
      {"[A]\n[A]\n", "line 2: sheet listed twice: A"},
      {"[A\n", "line 1: bad section header"},
      {"[A]\njust words\n", "line 2: expected key = value"},
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
  EXPECT_NE(ini.last_error().find("line 5"), std::string::npos);
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
