// The ledger database as the installer leaves it, checked on the server:
// tables, columns, keys, views and their rules, and the rights of the
// application user.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "tests/support/testsupport.h"

using kassa::testsupport::RootExec;
using kassa::testsupport::RootQuery;
using Rows = std::vector<std::vector<std::string>>;

namespace {

class Schema : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_TRUE(kassa::testsupport::HaveTestEnv());
    ASSERT_TRUE(kassa::testsupport::ResetDatabase());
  }
  static void TearDownTestSuite() { EXPECT_TRUE(kassa::testsupport::ResetDatabase()); }
  void SetUp() override {
    for (const char* table : {"NAL", "NAL_BUFFER", "CATEGORY_NAL", "OUR_MEMBERS"})
      ASSERT_TRUE(RootExec(std::string("DELETE FROM ") + table));
  }
  static void Exec(const std::string& sql) {
    std::string error;
    ASSERT_TRUE(RootExec(sql, &error)) << sql << ": " << error;
  }
};

// Name, column type and nullability of each column, in order.
Rows Columns(const std::string& table) {
  return RootQuery(
      "select COLUMN_NAME, COLUMN_TYPE, IS_NULLABLE from information_schema.COLUMNS "
      "where TABLE_SCHEMA = 'db_pnr_l' and TABLE_NAME = '" +
      table + "' order by ORDINAL_POSITION");
}

std::vector<std::string> ColumnNames(const std::string& table) {
  std::vector<std::string> names;
  for (const auto& row : Columns(table)) names.push_back(row[0]);
  return names;
}

std::vector<std::string> PrimaryKey(const std::string& table) {
  std::vector<std::string> names;
  for (const auto& row :
       RootQuery("select COLUMN_NAME from information_schema.KEY_COLUMN_USAGE where TABLE_SCHEMA = "
                 "'db_pnr_l' and TABLE_NAME = '" +
                 table + "' and CONSTRAINT_NAME = 'PRIMARY'"))
    names.push_back(row[0]);
  return names;
}

// One row of a view or query as "a|b|c".
std::vector<std::string> Lines(const std::string& sql) {
  std::vector<std::string> lines;
  for (const auto& row : RootQuery(sql)) {
    std::string line;
    for (size_t i = 0; i < row.size(); ++i) line += (i ? "|" : "") + row[i];
    lines.push_back(line);
  }
  return lines;
}

using Strings = std::vector<std::string>;

}  // namespace

TEST_F(Schema, TablesColumnsAndKeys) {
  EXPECT_EQ(Columns("our_members"), (Rows{{"ID_RESPONSIBLE", "smallint(6)", "NO"},
                                          {"NAME_SHORT", "varchar(10)", "YES"},
                                          {"LAST_NAME", "varchar(100)", "YES"},
                                          {"FIRST_NAME", "varchar(100)", "YES"},
                                          {"MIDDLE_NAME", "varchar(100)", "YES"},
                                          {"POSITION_IN_FIRM", "varchar(100)", "YES"}}));
  EXPECT_EQ(Columns("names_month"),
            (Rows{{"ID_MONTH", "smallint(6)", "NO"}, {"NAME_MONTH", "varchar(15)", "YES"}}));
  const Rows payment_tail = {{"DATE_ON", "date", "YES"},
                             {"RECIPIENT_ID", "int(11)", "YES"},
                             {"ESTABLISH_PAYMENT", "varchar(1500)", "YES"},
                             {"SUM_RUB", "double", "YES"},
                             {"CATEGORY_PAYMENT_ID", "smallint(6)", "YES"}};
  Rows nal = {{"ID_EXL", "int(11)", "NO"}};
  nal.insert(nal.end(), payment_tail.begin(), payment_tail.end());
  Rows buffer = {{"ID_NUM", "int(11)", "NO"}};
  buffer.insert(buffer.end(), payment_tail.begin(), payment_tail.end());
  EXPECT_EQ(Columns("nal"), nal);
  EXPECT_EQ(Columns("nal_buffer"), buffer);
  EXPECT_EQ(Columns("category_nal"), (Rows{{"ID_CATEGORY_PAYMENT", "smallint(6)", "NO"},
                                           {"NAME_ENCIPHER", "varchar(10)", "YES"},
                                           {"DESCRIPTION_PAYMENT", "varchar(100)", "YES"}}));

  // One primary key each, on the first column; no other index, no defaults,
  // nothing auto-incremented. (The server keeps a primary key under the
  // name PRIMARY whatever name the constraint was given.)
  EXPECT_EQ(PrimaryKey("our_members"), Strings{"ID_RESPONSIBLE"});
  EXPECT_EQ(PrimaryKey("names_month"), Strings{"ID_MONTH"});
  EXPECT_EQ(PrimaryKey("nal"), Strings{"ID_EXL"});
  EXPECT_EQ(PrimaryKey("category_nal"), Strings{"ID_CATEGORY_PAYMENT"});
  EXPECT_EQ(PrimaryKey("nal_buffer"), Strings{"ID_NUM"});
  EXPECT_EQ(Lines("select count(*) from information_schema.STATISTICS where TABLE_SCHEMA = "
                  "'db_pnr_l' and INDEX_NAME <> 'PRIMARY'"),
            Strings{"0"});
  EXPECT_EQ(
      Lines("select count(*) from information_schema.COLUMNS c join information_schema.TABLES "
            "t using (TABLE_SCHEMA, TABLE_NAME) where TABLE_SCHEMA = 'db_pnr_l' and "
            "TABLE_TYPE = 'BASE TABLE' and (EXTRA like '%auto_increment%' or "
            "(COLUMN_DEFAULT is not null and COLUMN_DEFAULT <> 'NULL'))"),
      Strings{"0"});

  // Windows Cyrillic text with a binary collation.
  EXPECT_EQ(Lines("select DEFAULT_CHARACTER_SET_NAME, DEFAULT_COLLATION_NAME from "
                  "information_schema.SCHEMATA where SCHEMA_NAME = 'db_pnr_l'"),
            Strings{"cp1251|cp1251_bin"});
  EXPECT_EQ(Lines("select distinct COLLATION_NAME from information_schema.COLUMNS where "
                  "TABLE_SCHEMA = 'db_pnr_l' and DATA_TYPE = 'varchar'"),
            Strings{"cp1251_bin"});

  EXPECT_EQ(Lines("select TABLE_NAME, TABLE_TYPE from information_schema.TABLES where "
                  "TABLE_SCHEMA = 'db_pnr_l' order by TABLE_NAME"),
            (Strings{"category_nal|BASE TABLE", "category_nal_exl|VIEW", "count_nal_buffer|VIEW",
                     "expences_category_exl|VIEW", "expences_category_exl_gd|VIEW",
                     "expences_category_member_exl|VIEW", "expences_category_member_exl_gd|VIEW",
                     "nal|BASE TABLE", "nal_buffer|BASE TABLE", "nal_exl|VIEW",
                     "names_month|BASE TABLE", "our_members|BASE TABLE", "our_members_exl|VIEW"}));
}

TEST_F(Schema, MonthNamesAndNamesInAnyLetterCase) {
  EXPECT_EQ(Lines("select ID_MONTH, NAME_MONTH from NAMES_MONTH order by ID_MONTH"),
            (Strings{"1|Январь", "2|Февраль", "3|Март", "4|Апрель", "5|Май", "6|Июнь", "7|Июль",
                     "8|Август", "9|Сентябрь", "10|Октябрь", "11|Ноябрь", "12|Декабрь"}));
  for (const char* name : {"NAL", "nal", "Nal", "Category_Nal", "category_nal",
                           "Expences_Category_Exl_GD", "expences_category_exl_gd", "names_month"})
    EXPECT_NO_THROW(RootQuery(std::string("select count(*) from ") + name)) << name;
  EXPECT_EQ(Lines("select count(*) from mysql.USER where User = 'root'")[0] != "0", true);
}

TEST_F(Schema, ViewColumns) {
  EXPECT_EQ(ColumnNames("nal_exl"), (Strings{"Date_On", "Name_Recipient", "Establish_Payment",
                                             "Sum_RUB", "Name_Category"}));
  EXPECT_EQ(ColumnNames("our_members_exl"),
            (Strings{"NAME_SHORT", "LAST_NAME", "FIRST_NAME", "Middle_Name", "Position_in_Firm"}));
  EXPECT_EQ(ColumnNames("category_nal_exl"), (Strings{"NAME_ENCIPHER", "DESCRIPTION_PAYMENT"}));
  EXPECT_EQ(ColumnNames("expences_category_member_exl_gd"),
            (Strings{"Month_ON", "Year_ON", "RECIPIENT_ID", "Category_Payment_ID", "Sum_RUB"}));
  EXPECT_EQ(ColumnNames("expences_category_member_exl"),
            (Strings{"NAME_MONTH", "YEAR_ON", "Category", "Member", "SUM_RUB"}));
  EXPECT_EQ(ColumnNames("expences_category_exl_gd"),
            (Strings{"Month_ON", "Year_ON", "Category_Payment_ID", "Sum_RUB"}));
  EXPECT_EQ(ColumnNames("expences_category_exl"),
            (Strings{"NAME_MONTH", "YEAR_ON", "Category", "SUM_RUB"}));
  EXPECT_EQ(ColumnNames("count_nal_buffer"), Strings{"Size_NAL_BUFFER"});
}

TEST_F(Schema, DictionaryViewsAndCountOfTheBuffer) {
  EXPECT_EQ(Lines("select * from Count_NAL_BUFFER"), Strings{"0"});
  Exec("INSERT INTO NAL_BUFFER (ID_NUM) VALUES (1), (2)");
  EXPECT_EQ(Lines("select Size_Nal_Buffer from Count_NAL_BUFFER"), Strings{"2"});

  Exec(
      "INSERT INTO OUR_MEMBERS VALUES (2, 'Петров', 'Петров', NULL, NULL, NULL), "
      "(1, 'Анна', 'Смирнова', 'Анна', 'Ивановна', 'бухгалтер')");
  EXPECT_EQ(Lines("select * from OUR_MEMBERS_Exl"),
            (Strings{"Анна|Смирнова|Анна|Ивановна|бухгалтер", "Петров|Петров|NULL|NULL|NULL"}));
  // Codes that differ only in letter case are different values; binary order.
  Exec("INSERT INTO CATEGORY_NAL VALUES (1, 'ab', 'малое'), (2, 'AB', NULL), (3, 'Б', 'кир')");
  EXPECT_EQ(Lines("select * from CATEGORY_NAL_Exl"), (Strings{"AB|NULL", "ab|малое", "Б|кир"}));
  EXPECT_EQ(Lines("select count(*) from CATEGORY_NAL where NAME_ENCIPHER = 'ab'"), Strings{"1"});
  EXPECT_EQ(Lines("select count(*) from CATEGORY_NAL where ucase(NAME_ENCIPHER) = ucase('Ab')"),
            Strings{"2"});
}

TEST_F(Schema, PaymentsViewKeepsDanglingReferences) {
  Exec("INSERT INTO OUR_MEMBERS (ID_RESPONSIBLE, NAME_SHORT) VALUES (1, 'Иванов')");
  Exec("INSERT INTO CATEGORY_NAL (ID_CATEGORY_PAYMENT, NAME_ENCIPHER) VALUES (1, 'ХОЗ')");
  Exec(
      "INSERT INTO NAL VALUES (3, '2024-03-05', 1, 'бумага', 150.5, 1), "
      "(2, NULL, NULL, NULL, NULL, NULL), (4, '2024-03-06', 99, 'чужой', 10, 77)");
  EXPECT_EQ(Lines("select * from Nal_Exl"),
            (Strings{"NULL|NULL|NULL|NULL|NULL", "2024-03-05|Иванов|бумага|150.5|ХОЗ",
                     "2024-03-06|NULL|чужой|10|NULL"}));
}

TEST_F(Schema, CategoryAndMemberLabels) {
  Exec("INSERT INTO CATEGORY_NAL VALUES (1, 'ХОЗ', 'хозяйственные'), (2, 'ТР', NULL)");
  Exec(
      "INSERT INTO OUR_MEMBERS VALUES (1, 'a', 'Иванов', 'Пётр', 'Сергеевич', NULL), "
      "(2, 'b', 'Сидоров', NULL, NULL, NULL), (3, 'c', 'Петров', '', NULL, NULL), "
      "(4, 'd', NULL, 'Олег', NULL, NULL)");
  Exec(
      "INSERT INTO NAL VALUES "
      "(2, '2024-01-10', 1, NULL, 100, 1), (3, '2024-01-11', 2, NULL, 50, 2), "
      "(4, '2024-01-12', 3, NULL, 30, 1), (5, '2024-01-13', 42, NULL, 20, 1), "
      "(6, '2024-01-14', 4, NULL, 10, 1), (7, '2024-01-15', 1, NULL, 5, NULL), "
      "(8, '2024-01-16', 1, NULL, 1, 9)");
  std::vector<std::string> member = Lines(
      "select Category, Member, SUM_RUB from Expences_Category_Member_Exl "
      "order by SUM_RUB desc");
  EXPECT_EQ(member,
            (Strings{"ХОЗ / хозяйственные|Иванов П. С.|100", "ТР|Сидоров|50",
                     "ХОЗ / хозяйственные|Петров .|30", "ХОЗ / хозяйственные||20",
                     "ХОЗ / хозяйственные| О.|10", "NULL|Иванов П. С.|5", "NULL|Иванов П. С.|1"}));
  std::vector<std::string> category = Lines(
      "select NAME_MONTH, YEAR_ON, Category, SUM_RUB from Expences_Category_Exl "
      "order by SUM_RUB desc");
  EXPECT_EQ(category, (Strings{"Январь|2024|ХОЗ / хозяйственные|160", "Январь|2024|ТР|50",
                               "Январь|2024|NULL|5", "Январь|2024|NULL|1"}));
}

TEST_F(Schema, GroupedSumsRoundAfterSummingAndOrderByUnroundedSum) {
  Exec("INSERT INTO CATEGORY_NAL VALUES (1, 'A', NULL), (2, 'B', NULL), (3, 'C', NULL)");
  Exec(
      "INSERT INTO NAL VALUES "
      "(2, '2024-02-01', 1, NULL, 0.4, 1), (3, '2024-02-20', 1, NULL, 0.4, 1), "  // 0.8 -> 1
      "(4, '2024-02-03', 1, NULL, 0.9, 2), "                                      // 0.9 -> 1
      "(5, '2024-02-04', 1, NULL, 0.3, 3), "                                      // 0.3 -> 0
      "(6, '2023-12-31', 1, NULL, 7, 1), "
      "(7, NULL, 1, NULL, 2.2, 1), (8, NULL, 1, NULL, 2.2, 1)");
  // Within a month the order is by the unrounded sum, largest first (0.9
  // before 0.8 although both round to 1); years and months ascending, the
  // payments without a date forming their own group first.
  EXPECT_EQ(Lines("select * from Expences_Category_Exl_GD"),
            (Strings{"NULL|NULL|1|4", "12|2023|1|7", "2|2024|2|1", "2|2024|1|1", "2|2024|3|0"}));
  EXPECT_EQ(Lines("select * from Expences_Category_Member_Exl_GD"),
            (Strings{"NULL|NULL|1|1|4", "12|2023|1|1|7", "2|2024|1|1|1", "2|2024|1|2|1",
                     "2|2024|1|3|0"}));
  // Month names by number; no month name for payments without a date.
  std::vector<std::string> named =
      Lines("select NAME_MONTH, YEAR_ON, Category, SUM_RUB from Expences_Category_Exl");
  std::sort(named.begin(), named.end());
  EXPECT_EQ(named, (Strings{"NULL|NULL|A|4", "Декабрь|2023|A|7", "Февраль|2024|A|1",
                            "Февраль|2024|B|1", "Февраль|2024|C|0"}));
}

TEST_F(Schema, ApplicationUserHasExactlyItsTenRights) {
  std::set<std::string> grants;
  for (const auto& row : RootQuery("SHOW GRANTS FOR pnrowner", "mysql"))
    if (row[0].rfind("GRANT USAGE ON *.*", 0) != 0) grants.insert(row[0]);
  const std::string full = "GRANT SELECT, INSERT, UPDATE, DELETE ON `db_pnr_l`.`";
  const std::string read = "GRANT SELECT ON `db_pnr_l`.`";
  const std::string to = "` TO `pnrowner`@`%`";
  EXPECT_EQ(grants,
            (std::set<std::string>{
                full + "nal" + to, full + "category_nal" + to, full + "our_members" + to,
                full + "nal_buffer" + to, read + "nal_exl" + to, read + "our_members_exl" + to,
                read + "category_nal_exl" + to, read + "expences_category_exl" + to,
                read + "expences_category_member_exl" + to, read + "count_nal_buffer" + to}));
  EXPECT_EQ(Lines("select count(*) from mysql.user where User = 'pnrowner'"), Strings{"1"});
  EXPECT_EQ(Lines("select count(*) from mysql.user where User = ''"), Strings{"0"});
}

TEST_F(Schema, ApplicationUserReadsTheViewsAndNothingMore) {
  Exec("INSERT INTO CATEGORY_NAL VALUES (1, 'ХОЗ', NULL)");
  Exec("INSERT INTO NAL VALUES (2, '2024-05-05', NULL, NULL, 12.6, 1)");
  kassa::sql::Params app;
  ASSERT_TRUE(kassa::testsupport::AppParams(app));
  std::string error;
  auto cn = kassa::sql::Connection::Open(app, error);
  ASSERT_TRUE(cn) << error;
  for (const char* view :
       {"Nal_Exl", "OUR_MEMBERS_Exl", "CATEGORY_NAL_Exl", "Expences_Category_Exl",
        "Expences_Category_Member_Exl", "Count_NAL_BUFFER"})
    EXPECT_TRUE(cn->Query(std::string("select * from ") + view, error)) << view << ": " << error;
  auto stats = cn->Query("select NAME_MONTH, Category, SUM_RUB from expences_category_exl", error);
  ASSERT_TRUE(stats) << error;
  ASSERT_EQ(stats->RowCount(), 1u);
  EXPECT_EQ(stats->Raw(0, 0), "Май");
  EXPECT_EQ(stats->Raw(0, 1), "ХОЗ");
  EXPECT_EQ(stats->Raw(0, 2), "13");
  for (const char* table : {"nal", "nal_buffer", "category_nal", "our_members"}) {
    EXPECT_TRUE(
        cn->Execute(std::string("UPDATE ") + table + " SET " +
                        (std::string(table) == "category_nal"  ? "NAME_ENCIPHER = NAME_ENCIPHER"
                         : std::string(table) == "our_members" ? "NAME_SHORT = NAME_SHORT"
                                                               : "SUM_RUB = SUM_RUB"),
                    error))
        << table << ": " << error;
  }
  EXPECT_TRUE(cn->Execute("INSERT INTO NAL_BUFFER (ID_NUM) VALUES (1)", error)) << error;
  EXPECT_TRUE(cn->Execute("DELETE FROM NAL_BUFFER", error)) << error;
  // Not granted: the month names, the grouped views, writing views, new objects.
  EXPECT_FALSE(cn->Query("select * from NAMES_MONTH", error));
  EXPECT_FALSE(cn->Query("select * from Expences_Category_Exl_GD", error));
  EXPECT_FALSE(cn->Query("select * from Expences_Category_Member_Exl_GD", error));
  EXPECT_FALSE(cn->Execute("DELETE FROM Nal_Exl", error));
  EXPECT_FALSE(cn->Execute("CREATE TABLE extra (n int)", error));
  EXPECT_FALSE(cn->Execute("DROP TABLE NAL", error));
}
