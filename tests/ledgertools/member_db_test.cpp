// The employee dictionary: what differs from the categories, and names
// with apostrophes, against the real server.
#include "tests/ledgertools/ledger_fixture.h"

namespace kassa::ledgertools::testing {
namespace {

constexpr const char* kMenu = "Choice_Action_Member";
constexpr const char* kEntry = "Input_Nal_Member";
constexpr const char* kBoxes[5] = {"TB_Name_Short", "TB_Last_Name", "TB_First_Name",
                                   "TB_Middle_Name", "TB_Position_in_Firm"};
using Rows = std::vector<std::vector<std::string>>;

class Member : public Ledger {
 protected:
  host::Worksheet& Sheet() {
    if (!sheet_)
      sheet_ = &Book("Kassa.xls", {{"Сотрудники", "select * from OUR_MEMBERS_Exl"}}).Sheets(1);
    return *sheet_;
  }
  void Menu(const char* button) {
    sf_->Action_Member(Sheet());
    Press(kMenu, button);
  }
  void Type(const std::vector<std::string>& texts) {
    for (size_t i = 0; i < texts.size(); ++i) Fill(kEntry, kBoxes[i], texts[i]);
  }
  Rows All() {
    return Query(
        "SELECT ID_RESPONSIBLE, NAME_SHORT, LAST_NAME, FIRST_NAME, MIDDLE_NAME, POSITION_IN_FIRM "
        "FROM OUR_MEMBERS ORDER BY 1");
  }
  host::Worksheet* sheet_ = nullptr;
};

TEST_F(Member, AddStoresEmptyTextsAsNullWithTheSmallestFreeKey) {
  Exec("INSERT INTO OUR_MEMBERS (ID_RESPONSIBLE, NAME_SHORT) VALUES (2, 'ББ')");
  Type({"ИИИ", "", "Иван", "", "кассир"});
  ThenPress(kEntry, "B_Input");
  sql.clear();
  Menu("B_Add_Member");
  EXPECT_EQ(Changes(), std::vector<std::string>{
                           " Insert Into OUR_MEMBERS (ID_Responsible, Name_Short, Last_Name, "
                           "First_Name, Middle_Name, Position_in_Firm) Values (1, 'ИИИ', Null, "
                           "'Иван', Null, 'кассир') ;"});
  EXPECT_EQ(All(), (Rows{{"1", "ИИИ", "NULL", "Иван", "NULL", "кассир"},
                         {"2", "ББ", "NULL", "NULL", "NULL", "NULL"}}));
  EXPECT_TRUE(Messages().empty());       // no surname, no surname warning
  EXPECT_EQ(Cell(Sheet(), 2, 1), "ББ");  // refreshed
}

TEST_F(Member, ShortNameInOtherLetterCaseIsRefused) {
  Exec("INSERT INTO OUR_MEMBERS (ID_RESPONSIBLE, NAME_SHORT) VALUES (1, 'ИИИ')");
  Type({"иии", "Новый"});
  ThenPress(kEntry, "B_Input");
  Then([this] { EXPECT_EQ(Box(Form(kEntry), "TB_Last_Name"), "Новый"); });
  ThenPress(kEntry, "B_Exit");
  Menu("B_Add_Member");
  EXPECT_EQ(Messages(), std::vector<std::string>{"Сотрудник с инициалами иии уже существует."});
  EXPECT_EQ(All().size(), 1u);
}

TEST_F(Member, RepeatedSurnameIsAddedOnlyAfterYes) {
  Exec(
      "INSERT INTO OUR_MEMBERS (ID_RESPONSIBLE, NAME_SHORT, LAST_NAME) VALUES (1, 'ИИИ', "
      "'Иванов')");
  Type({"ИПП", "Иванов", "Пётр"});
  ThenPress(kEntry, "B_Input");
  ui_.QueueAnswer(ui::Answer::No);
  Menu("B_Add_Member");
  const std::string question =
      "Сотрудник с фамилией Иванов уже существует. Ввести нового сотрудника с такой же фамилией ?";
  EXPECT_EQ(Messages(), std::vector<std::string>{question});
  EXPECT_EQ(ui_.messages()[0].buttons, ui::Buttons::YesNo);
  EXPECT_EQ(All().size(), 1u);
  EXPECT_EQ(Box(Form(kEntry), "TB_Name_Short"), "ИПП");  // the boxes keep their texts

  // A surname in other letter case is another surname to the server.
  ThenPress(kEntry, "B_Input");
  ui_.QueueAnswer(ui::Answer::Yes);
  Menu("B_Add_Member");
  EXPECT_EQ(All(), (Rows{{"1", "ИИИ", "Иванов", "NULL", "NULL", "NULL"},
                         {"2", "ИПП", "Иванов", "Пётр", "NULL", "NULL"}}));
  Exec("DELETE FROM OUR_MEMBERS WHERE ID_RESPONSIBLE = 2");
  ui_.ClearTranscript();
  Type({"ИВА", "иванов"});
  ThenPress(kEntry, "B_Input");
  Menu("B_Add_Member");
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(All().size(), 2u);
}

TEST_F(Member, EditWritesOneStatementPerChangedTextShortNameFirst) {
  Exec("INSERT INTO OUR_MEMBERS VALUES (1, 'ИИИ', 'Иванов', 'Иван', 'Иванович', 'кассир')");
  Exec("INSERT INTO NAL (ID_EXL, RECIPIENT_ID) VALUES (2, 1)");
  Menu("B_Refresh_Member");
  SelectRow(Sheet(), 2);
  Then([this] {  // filled from the row
    EXPECT_EQ(Box(Form(kEntry), "TB_Middle_Name"), "Иванович");
    EXPECT_EQ(Box(Form(kEntry), "TB_Position_in_Firm"), "кассир");
  });
  Type({"ПСП", "Петров", "Пётр", "", "бухгалтер"});
  ThenPress(kEntry, "B_Input");
  ui_.QueueAnswer(ui::Answer::Yes);
  sql.clear();
  Menu("B_Edit_Member");
  EXPECT_EQ(
      Messages(),
      std::vector<std::string>{
          "Найдено 1 вхождений сотрудника с инициалами ИИИ на основном листе ввода наличных. После "
          "внесений изменений в базу данных следует обновить лист Наличные, либо исправить в "
          "ручном режиме. Внести изменения ?"});
  EXPECT_EQ(
      Changes(),
      (std::vector<std::string>{
          "UpDate OUR_MEMBERS Set Name_Short = 'ПСП' Where ID_Responsible = 1 ;",
          "UpDate OUR_MEMBERS Set Last_Name = 'Петров' Where ID_Responsible = 1 ;",
          "UpDate OUR_MEMBERS Set First_Name = 'Пётр' Where ID_Responsible = 1 ;",
          "UpDate OUR_MEMBERS Set Middle_Name = Null Where ID_Responsible = 1 ;",
          "UpDate OUR_MEMBERS Set Position_in_Firm = 'бухгалтер' Where ID_Responsible = 1 ;"}));
  EXPECT_EQ(All(), (Rows{{"1", "ПСП", "Петров", "Пётр", "NULL", "бухгалтер"}}));
  for (const char* b : kBoxes) EXPECT_EQ(Box(Form(kEntry), b), "");
}

TEST_F(Member, EditOfThePositionAloneAsksNothing) {
  Exec("INSERT INTO OUR_MEMBERS VALUES (1, 'ИИИ', 'Иванов', NULL, NULL, 'кассир')");
  Exec("INSERT INTO NAL (ID_EXL, RECIPIENT_ID) VALUES (2, 1)");
  Menu("B_Refresh_Member");
  SelectRow(Sheet(), 2);
  Fill(kEntry, "TB_Position_in_Firm", "старший кассир");
  ThenPress(kEntry, "B_Input");
  sql.clear();
  Menu("B_Edit_Member");
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(
      Changes(),
      std::vector<std::string>{
          "UpDate OUR_MEMBERS Set Position_in_Firm = 'старший кассир' Where ID_Responsible = 1 ;"});
}

TEST_F(Member, DeleteShowsTheNamesAndRefusesAUsedEmployeeAfterAsking) {
  Exec(
      "INSERT INTO OUR_MEMBERS VALUES (1, 'ИИИ', 'Иванов', 'Иван', NULL, 'кассир'), (2, 'ППП', "
      "'Петров', NULL, NULL, NULL)");
  Exec("INSERT INTO NAL (ID_EXL, RECIPIENT_ID) VALUES (2, 1), (3, 1)");
  Menu("B_Refresh_Member");
  SelectRow(Sheet(), 2);
  ui_.QueueAnswer(ui::Answer::OK);
  Menu("B_Del_Member");
  SelectRow(Sheet(), 3);
  ui_.QueueAnswer(ui::Answer::OK);
  Menu("B_Del_Member");
  EXPECT_EQ(Messages(),
            (std::vector<std::string>{
                "Удалить запись: ИИИ / Иванов Иван  ? ",
                "Найдено 2 вхождений сотрудника с инициалами ИИИ на основном листе ввода наличных. "
                "Удаление невозможно.",
                "Удалить запись: ППП / Петров   ? "}));
  EXPECT_EQ(All(), (Rows{{"1", "ИИИ", "Иванов", "Иван", "NULL", "кассир"}}));
}

TEST_F(Member, EditAsksForUniquenessBeforeRefusingAnEmptyShortName) {
  Exec("INSERT INTO OUR_MEMBERS VALUES (1, 'ИИИ', 'Иванов', NULL, NULL, NULL)");
  Menu("B_Refresh_Member");
  SelectRow(Sheet(), 2);
  Fill(kEntry, "TB_Name_Short", "");
  ThenPress(kEntry, "B_Input");
  Then([this] { EXPECT_EQ(Box(Form(kEntry), "TB_Last_Name"), "Иванов"); });
  ThenPress(kEntry, "B_Exit");
  sql.clear();
  Menu("B_Edit_Member");
  EXPECT_EQ(Messages(), std::vector<std::string>{"Не заполненно обязательное поле инициалы."});
  ASSERT_EQ(sql.size(), 2u);
  EXPECT_EQ(sql[1], "Select count(*) from OUR_MEMBERS where ucase(Name_Short)  = '' ; ");
  EXPECT_EQ(All(), (Rows{{"1", "ИИИ", "Иванов", "NULL", "NULL", "NULL"}}));
}

TEST_F(Member, EditSelectsTheRowFirstAndFillsTheDialogOnlyAfterTheLookup) {
  Exec("INSERT INTO OUR_MEMBERS VALUES (1, 'ИИИ', 'Иванов', NULL, NULL, NULL)");
  Menu("B_Refresh_Member");
  SelectRow(Sheet(), 1);
  Menu("B_Edit_Member");
  EXPECT_TRUE(Sheet().Selection().IsWholeRow());  // selected, then the header refused
  // A row that no longer matches: the dialog stays empty and hidden.
  Exec("UPDATE OUR_MEMBERS SET LAST_NAME = 'Петров'");
  SelectRow(Sheet(), 2);
  Menu("B_Edit_Member");
  EXPECT_EQ(Messages(),
            (std::vector<std::string>{"Выделен заголовок, не подлежащий редактированию. Выход.",
                                      "Несоответствие с базой данных. Обновите таблицу."}));
  const ui::Form* entry = ui::FindForm(kEntry);
  if (entry) {
    EXPECT_FALSE(entry->visible());
    for (const char* b : kBoxes) EXPECT_EQ(entry->control(b).text, "") << b;
  }
  EXPECT_TRUE(Changes().empty());
}

TEST_F(Member, ARowTheDatabaseCannotHoldIsAMismatchAndTheLibraryGoesOn) {
  Exec("INSERT INTO OUR_MEMBERS VALUES (1, 'ИИИ', 'Иванов', NULL, NULL, NULL)");
  Menu("B_Refresh_Member");
  Sheet().Cells(2, 5).Value(Variant::Text("\xE2\x9C\x93"));  // a check mark
  SelectRow(Sheet(), 2);
  Menu("B_Del_Member");
  EXPECT_EQ(Messages(),
            std::vector<std::string>{"Несоответствие с базой данных. Обновите таблицу."});
  Type({"ППП"});
  ThenPress(kEntry, "B_Input");
  Menu("B_Add_Member");
  EXPECT_EQ(All().size(), 2u);  // the database work goes on
}

TEST_F(Member, EmptyPatronymicCellMatchesOnlyNull) {
  Exec("INSERT INTO OUR_MEMBERS VALUES (1, 'ИИИ', 'Иванов', 'Иван', '', NULL)");
  Menu("B_Refresh_Member");
  SelectRow(Sheet(), 2);
  Menu("B_Edit_Member");
  EXPECT_EQ(Messages(),
            std::vector<std::string>{"Несоответствие с базой данных. Обновите таблицу."});
  const ui::Form* entry = ui::FindForm(kEntry);
  EXPECT_TRUE(entry == nullptr || !entry->visible());
}

TEST_F(Member, AnEmployeeCalledOBrienCanBeAddedFoundEditedAndDeleted) {
  Type({"O'B", "O'Brien", "Sean", "", "d'Artagnan's aide"});
  ThenPress(kEntry, "B_Input");
  Menu("B_Add_Member");
  EXPECT_EQ(All(), (Rows{{"1", "O'B", "O'Brien", "Sean", "NULL", "d'Artagnan's aide"}}));
  // The same short name in other letter case is refused.
  Type({"o'b", "O'Brien"});
  ThenPress(kEntry, "B_Input");
  ThenPress(kEntry, "B_Exit");
  Menu("B_Add_Member");
  // Found on its row and edited.
  SelectRow(Sheet(), 2);
  ASSERT_EQ(Cell(Sheet(), 2, 2), "O'Brien");
  Fill(kEntry, "TB_Name_Short", "O'B2");
  Fill(kEntry, "TB_Middle_Name", "O'Neil");
  ThenPress(kEntry, "B_Input");
  Menu("B_Edit_Member");
  EXPECT_EQ(All(), (Rows{{"1", "O'B2", "O'Brien", "Sean", "O'Neil", "d'Artagnan's aide"}}));
  // And deleted.
  SelectRow(Sheet(), 2);
  ui_.QueueAnswer(ui::Answer::OK);
  Menu("B_Del_Member");
  EXPECT_TRUE(All().empty());
  EXPECT_EQ(Messages(),
            (std::vector<std::string>{"Сотрудник с инициалами o'b уже существует.",
                                      "Удалить запись: O'B2 / O'Brien Sean O'Neil ? "}));
}

TEST_F(Member, AddFromTheEntryProgramRefreshesNoSheet) {
  Menu("B_Refresh_Member");
  Type({"ВНЕ"});
  ThenPress(kEntry, "B_Input");
  sql.clear();
  sf_->Add_Member_Input_Nal();
  EXPECT_EQ(All().size(), 1u);
  EXPECT_EQ(Cell(Sheet(), 2, 1), "");
  for (const std::string& s : sql) EXPECT_EQ(s.find("OUR_MEMBERS_Exl"), std::string::npos) << s;
}

}  // namespace
}  // namespace kassa::ledgertools::testing
