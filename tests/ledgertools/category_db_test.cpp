// The category dictionary through its menu and entry dialog, against the
// real server.
#include "tests/ledgertools/ledger_fixture.h"

namespace kassa::ledgertools::testing {
namespace {

constexpr const char* kMenu = "Choice_Action_Category";
constexpr const char* kEntry = "Input_Nal_Category";

class Category : public Ledger {
 protected:
  host::Worksheet& Sheet() {
    if (!sheet_)
      sheet_ = &Book("Kassa.xls", {{"Категории", "select * from CATEGORY_NAL_Exl"}}).Sheets(1);
    return *sheet_;
  }
  void Menu(const char* button) {
    sf_->Action_Category(Sheet());
    Press(kMenu, button);
  }
  void Refresh() { Menu("B_Refresh"); }
  // Adds through the menu with the texts typed.
  void Add(const std::string& code, const std::string& description) {
    Fill(kEntry, "TB_Name_Encipher", code);
    Fill(kEntry, "TB_Description_Payment", description);
    ThenPress(kEntry, "B_Input");
    Menu("B_Add_Category");
  }
  host::Worksheet* sheet_ = nullptr;
};

TEST_F(Category, AddGivesTheSmallestFreeKey) {
  struct Case {
    std::vector<int> used;
    std::string key;
  } cases[] = {{{}, "1"}, {{1, 2, 4}, "3"}, {{2, 3}, "1"}, {{1, 2, 3}, "4"}};
  for (const Case& c : cases) {
    Exec("DELETE FROM CATEGORY_NAL");
    for (int k : c.used)
      Exec("INSERT INTO CATEGORY_NAL VALUES (" + std::to_string(k) + ", 'K" + std::to_string(k) +
           "', NULL)");
    sql.clear();
    Add("НОВ", "");
    EXPECT_EQ(Query("SELECT ID_CATEGORY_PAYMENT FROM CATEGORY_NAL WHERE NAME_ENCIPHER = 'НОВ'"),
              (std::vector<std::vector<std::string>>{{c.key}}));
    EXPECT_EQ(Changes(), std::vector<std::string>{
                             " Insert Into CATEGORY_NAL (ID_CATEGORY_PAYMENT, NAME_ENCIPHER, "
                             "DESCRIPTION_PAYMENT) Values (" +
                             c.key + ", 'НОВ', Null) ;"});
  }
  // The sheet was refreshed after each add and shows the last one.
  EXPECT_EQ(Cell(Sheet(), 1, 1), "NAME_ENCIPHER");
  EXPECT_TRUE(ui_.failures().empty());
}

TEST_F(Category, CodeInOtherLetterCaseIsRefusedAndTheDialogKeepsTheTexts) {
  Exec("INSERT INTO CATEGORY_NAL VALUES (1, 'ХОЗ', 'Хозяйство')");
  Fill(kEntry, "TB_Name_Encipher", "хоз");
  Fill(kEntry, "TB_Description_Payment", "другое");
  ThenPress(kEntry, "B_Input");
  Then([this] {  // the dialog came back with what was typed
    EXPECT_TRUE(Form(kEntry).visible());
    EXPECT_EQ(Box(Form(kEntry), "TB_Name_Encipher"), "хоз");
    EXPECT_EQ(Box(Form(kEntry), "TB_Description_Payment"), "другое");
  });
  ThenPress(kEntry, "B_Exit");
  Menu("B_Add_Category");
  EXPECT_EQ(Messages(), std::vector<std::string>{"Категория хоз уже существует."});
  EXPECT_TRUE(Changes().empty());
  EXPECT_EQ(Box(Form(kEntry), "TB_Name_Encipher"), "");  // "Выход" empties the boxes
  EXPECT_FALSE(Form(kEntry).visible());
  EXPECT_EQ(Query("SELECT COUNT(*) FROM CATEGORY_NAL")[0][0], "1");
}

TEST_F(Category, EmptyCodeIsRefusedThenTheCorrectedEntryIsStored) {
  Fill(kEntry, "TB_Description_Payment", "без кода");
  ThenPress(kEntry, "B_Input");
  Fill(kEntry, "TB_Name_Encipher", "КОД");
  ThenPress(kEntry, "B_Input");
  Menu("B_Add_Category");
  EXPECT_EQ(Messages(), std::vector<std::string>{
                            "Не заполненно обязательное поле: сокращенное название категории."});
  EXPECT_EQ(
      Query("SELECT ID_CATEGORY_PAYMENT, NAME_ENCIPHER, DESCRIPTION_PAYMENT FROM CATEGORY_NAL"),
      (std::vector<std::vector<std::string>>{{"1", "КОД", "без кода"}}));
}

TEST_F(Category, EditChangingOnlyTheLetterCaseOfTheOwnCodeIsRefused) {
  Exec("INSERT INTO CATEGORY_NAL VALUES (1, 'ХОЗ', NULL)");
  Refresh();
  SelectRow(Sheet(), 2);
  Fill(kEntry, "TB_Name_Encipher", "хоз");
  ThenPress(kEntry, "B_Input");
  ThenPress(kEntry, "B_Exit");
  Menu("B_Edit_Category");
  EXPECT_EQ(Messages(), std::vector<std::string>{"Категория хоз уже существует."});
  EXPECT_TRUE(Changes().empty());
  EXPECT_EQ(Query("SELECT NAME_ENCIPHER FROM CATEGORY_NAL")[0][0], "ХОЗ");
}

TEST_F(Category, EditAsksForUniquenessBeforeRefusingAnEmptyCode) {
  Exec("INSERT INTO CATEGORY_NAL VALUES (1, 'ХОЗ', NULL)");
  Refresh();
  SelectRow(Sheet(), 2);
  Fill(kEntry, "TB_Name_Encipher", "");
  ThenPress(kEntry, "B_Input");
  Then([this] {  // the dialog came back with the texts as typed
    EXPECT_TRUE(Form(kEntry).visible());
    EXPECT_EQ(Box(Form(kEntry), "TB_Name_Encipher"), "");
  });
  ThenPress(kEntry, "B_Exit");
  sql.clear();
  Menu("B_Edit_Category");
  EXPECT_EQ(Messages(), std::vector<std::string>{
                            "Не заполненно обязательное поле: сокращенное название категории."});
  EXPECT_EQ(sql, (std::vector<std::string>{
                     "Select ID_CATEGORY_PAYMENT from CATEGORY_NAL where NAME_ENCIPHER  = 'ХОЗ' "
                     "and DESCRIPTION_PAYMENT   is Null  ; ",
                     "Select count(*) from CATEGORY_NAL where ucase(NAME_ENCIPHER)  = '' ; "}));
  EXPECT_EQ(Query("SELECT NAME_ENCIPHER FROM CATEGORY_NAL")[0][0], "ХОЗ");
}

TEST_F(Category, EditFillsTheDialogBeforeTheLookup) {
  // The row no longer matches the table: the dialog already holds the row's
  // texts when the mismatch is told, and it is not shown.
  Exec("INSERT INTO CATEGORY_NAL VALUES (1, 'ХОЗ', 'старое')");
  Refresh();
  Exec("UPDATE CATEGORY_NAL SET DESCRIPTION_PAYMENT = 'другое'");
  SelectRow(Sheet(), 2);
  Menu("B_Edit_Category");
  EXPECT_EQ(Messages(),
            std::vector<std::string>{"Несоответствие с базой данных. Обновите таблицу."});
  ui::Form& entry = Form(kEntry);
  EXPECT_FALSE(entry.visible());
  EXPECT_EQ(Box(entry, "TB_Name_Encipher"), "ХОЗ");
  EXPECT_EQ(Box(entry, "TB_Description_Payment"), "старое");
  EXPECT_TRUE(Changes().empty());
}

TEST_F(Category, EditChecksTheHeaderBeforeSelectingTheRowDeleteAfter) {
  Refresh();
  SelectRow(Sheet(), 1);
  Menu("B_Edit_Category");
  EXPECT_FALSE(Sheet().Selection().IsWholeRow());  // edit ended before selecting
  Menu("B_Del_Category");
  EXPECT_TRUE(Sheet().Selection().IsWholeRow());  // delete selected the header row first
  EXPECT_EQ(Sheet().Selection().Row(), 1);
  EXPECT_EQ(Messages(),
            (std::vector<std::string>{"Выделен заголовок, не подлежащий редактированию. Выход.",
                                      "Выделен заголовок, не подлежащий удалению. Выход."}));
  EXPECT_EQ(sql, std::vector<std::string>{"select * from CATEGORY_NAL_Exl"});  // no lookup
}

TEST_F(Category, ARowTheDatabaseCannotHoldIsAMismatchAndTheLibraryGoesOn) {
  // The user typed a character outside the database's character set into
  // the sheet: no category can match that row, and no statement fails.
  Exec("INSERT INTO CATEGORY_NAL VALUES (1, 'ХОЗ', NULL)");
  Refresh();
  Sheet().Cells(2, 2).Value(Variant::Text("日本"));
  SelectRow(Sheet(), 2);
  Menu("B_Edit_Category");
  SelectRow(Sheet(), 2);
  Menu("B_Del_Category");
  EXPECT_EQ(Messages(),
            (std::vector<std::string>{"Несоответствие с базой данных. Обновите таблицу.",
                                      "Несоответствие с базой данных. Обновите таблицу."}));
  EXPECT_FALSE(Form(kEntry).visible());
  // The database work is not disabled: the next add is stored.
  Add("ДАЛЕЕ", "");
  EXPECT_EQ(Query("SELECT COUNT(*) FROM CATEGORY_NAL")[0][0], "2");
  EXPECT_EQ(Messages().size(), 2u);
}

TEST_F(Category, ARowLongerThanItsColumnsIsAMismatchWithoutAStatement) {
  // A sheet row no category can be: a code of eleven letters, or a
  // description of a million apostrophes. Its length alone tells; nothing
  // is quoted or sent.
  Exec("INSERT INTO CATEGORY_NAL VALUES (1, 'ХОЗ', NULL)");
  Refresh();
  Sheet().Cells(2, 1).Value(Variant::Text("ХОЗЯЙСТВЕНН"));
  SelectRow(Sheet(), 2);
  Menu("B_Del_Category");
  Sheet().Cells(2, 1).Value(Variant::Text("ХОЗ"));
  Sheet().Cells(2, 2).Value(Variant::Text(std::string(1000000, '\'')));
  SelectRow(Sheet(), 2);
  sql.clear();
  Menu("B_Del_Category");
  EXPECT_TRUE(sql.empty());
  EXPECT_EQ(Messages(),
            (std::vector<std::string>{"Несоответствие с базой данных. Обновите таблицу.",
                                      "Несоответствие с базой данных. Обновите таблицу."}));
  EXPECT_EQ(Query("SELECT COUNT(*) FROM CATEGORY_NAL")[0][0], "1");
}

TEST_F(Category, DescriptionOnlyEditWritesOneStatementAndAsksNothing) {
  Exec("INSERT INTO CATEGORY_NAL VALUES (1, 'ХОЗ', 'старое')");
  Exec("INSERT INTO NAL (ID_EXL, CATEGORY_PAYMENT_ID) VALUES (2, 1)");
  Refresh();
  SelectRow(Sheet(), 2);
  Then([this] {  // the dialog opens with the row's texts
    EXPECT_EQ(Box(Form(kEntry), "TB_Name_Encipher"), "ХОЗ");
    EXPECT_EQ(Box(Form(kEntry), "TB_Description_Payment"), "старое");
  });
  Fill(kEntry, "TB_Description_Payment", "новое");
  ThenPress(kEntry, "B_Input");
  sql.clear();
  Menu("B_Edit_Category");
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(
      Changes(),
      std::vector<std::string>{
          "UpDate CATEGORY_NAL Set DESCRIPTION_PAYMENT = 'новое' Where ID_CATEGORY_PAYMENT = 1 ;"});
  EXPECT_EQ(Cell(Sheet(), 2, 2), "новое");
}

TEST_F(Category, CodeEditOfAUsedCategoryAsksThenWritesCodeFirst) {
  Exec("INSERT INTO CATEGORY_NAL VALUES (1, 'ХОЗ', 'старое')");
  Exec("INSERT INTO NAL (ID_EXL, CATEGORY_PAYMENT_ID) VALUES (2, 1), (3, 1)");
  Refresh();
  SelectRow(Sheet(), 2);
  Fill(kEntry, "TB_Name_Encipher", "ХОЗ2");
  Fill(kEntry, "TB_Description_Payment", "новое");
  ThenPress(kEntry, "B_Input");
  ui_.QueueAnswer(ui::Answer::Yes);
  sql.clear();
  Menu("B_Edit_Category");
  EXPECT_EQ(
      Messages(),
      std::vector<std::string>{
          "Найдено 2 вхождений категории ХОЗ на основном листе ввода наличных. После внесений "
          "изменений в базу данных следует обновить лист Наличные, либо исправить в ручном "
          "режиме. Внести изменения ?"});
  EXPECT_EQ(Changes(),
            (std::vector<std::string>{
                "UpDate CATEGORY_NAL Set NAME_ENCIPHER = 'ХОЗ2' Where ID_CATEGORY_PAYMENT = 1 ;",
                "UpDate CATEGORY_NAL Set DESCRIPTION_PAYMENT = 'новое' Where ID_CATEGORY_PAYMENT = "
                "1 ;"}));
}

TEST_F(Category, AcceptingAnUnchangedEditExecutesNothingButRefreshes) {
  Exec("INSERT INTO CATEGORY_NAL VALUES (1, 'ХОЗ', NULL)");
  Refresh();
  Exec("INSERT INTO CATEGORY_NAL VALUES (2, 'ЯЯЯ', NULL)");  // behind the sheet's back
  SelectRow(Sheet(), 2);
  ThenPress(kEntry, "B_Input");
  sql.clear();
  Menu("B_Edit_Category");
  EXPECT_TRUE(Changes().empty());
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(Cell(Sheet(), 3, 1), "ЯЯЯ");  // refreshed
}

TEST_F(Category, EmptyDescriptionIsStoredNullAndMatchesOnlyNull) {
  Add("ПУСТ", "");
  EXPECT_EQ(Query("SELECT DESCRIPTION_PAYMENT FROM CATEGORY_NAL")[0][0], "NULL");
  // A description stored as the empty string shows as an empty cell too,
  // but that row is not the one an empty cell stands for.
  Exec("INSERT INTO CATEGORY_NAL VALUES (2, 'СТР', '')");
  Refresh();
  SelectRow(Sheet(), 3);
  ASSERT_EQ(Cell(Sheet(), 3, 1), "СТР");
  Menu("B_Edit_Category");
  EXPECT_EQ(Messages(),
            std::vector<std::string>{"Несоответствие с базой данных. Обновите таблицу."});
  EXPECT_FALSE(Form(kEntry).visible());
  // The NULL row is found and deleted.
  SelectRow(Sheet(), 2);
  ui_.QueueAnswer(ui::Answer::OK);
  Menu("B_Del_Category");
  EXPECT_EQ(Query("SELECT NAME_ENCIPHER FROM CATEGORY_NAL"),
            (std::vector<std::vector<std::string>>{{"СТР"}}));
}

TEST_F(Category, DeleteAsksFirstAndThenRefusesAUsedCategory) {
  Exec("INSERT INTO CATEGORY_NAL VALUES (1, 'ХОЗ', 'Хозяйство'), (2, 'ТР', NULL)");
  Exec("INSERT INTO NAL (ID_EXL, CATEGORY_PAYMENT_ID) VALUES (2, 1), (3, 1), (4, 1)");
  Refresh();
  ASSERT_EQ(Cell(Sheet(), 3, 1), "ХОЗ");  // the sheet lists the codes in order
  SelectRow(Sheet(), 3);
  ui_.QueueAnswer(ui::Answer::OK);
  Menu("B_Del_Category");
  EXPECT_EQ(Messages(), (std::vector<std::string>{"Удалить категорию: ХОЗ / Хозяйство ? ",
                                                  "Найдено 3 вхождений категории ХОЗ на основном "
                                                  "листе ввода наличных. Удаление невозможно."}));
  EXPECT_EQ(ui_.messages()[0].buttons, ui::Buttons::OKCancel);
  EXPECT_EQ(Query("SELECT COUNT(*) FROM CATEGORY_NAL")[0][0], "2");
  // An unused one goes after the confirmation; Cancel keeps it.
  SelectRow(Sheet(), 2);
  ui_.QueueAnswer(ui::Answer::Cancel);
  Menu("B_Del_Category");
  EXPECT_EQ(Query("SELECT COUNT(*) FROM CATEGORY_NAL")[0][0], "2");
  SelectRow(Sheet(), 2);
  ui_.QueueAnswer(ui::Answer::OK);
  sql.clear();
  Menu("B_Del_Category");
  EXPECT_EQ(Changes(),
            std::vector<std::string>{"Delete From CATEGORY_NAL Where ID_CATEGORY_PAYMENT = 2 ;"});
  EXPECT_EQ(Query("SELECT NAME_ENCIPHER FROM CATEGORY_NAL"),
            (std::vector<std::vector<std::string>>{{"ХОЗ"}}));
  EXPECT_EQ(Cell(Sheet(), 2, 1), "ХОЗ");  // refreshed
  EXPECT_EQ(Cell(Sheet(), 3, 1), "");
}

TEST_F(Category, HeaderRowAndEmptyCodeEndTheOperation) {
  Refresh();
  SelectRow(Sheet(), 1);
  Menu("B_Edit_Category");
  SelectRow(Sheet(), 1);
  Menu("B_Del_Category");
  SelectRow(Sheet(), 5);
  Menu("B_Edit_Category");
  EXPECT_EQ(Messages(),
            (std::vector<std::string>{
                "Выделен заголовок, не подлежащий редактированию. Выход.",
                "Выделен заголовок, не подлежащий удалению. Выход.",
                "В выделенной области нет значения в сокращенном названии категории. Выход."}));
  EXPECT_TRUE(Changes().empty());
}

TEST_F(Category, TextsTheColumnsCannotHoldAreRefusedLikeAnEmptyCode) {
  Fill(kEntry, "TB_Name_Encipher", "ОДИННАДЦАТЬ");  // 11 characters
  ThenPress(kEntry, "B_Input");
  Then([this] { EXPECT_EQ(Box(Form(kEntry), "TB_Name_Encipher"), "ОДИННАДЦАТЬ"); });
  Fill(kEntry, "TB_Name_Encipher", "ДЕСЯТЬ____");  // 10 characters
  Fill(kEntry, "TB_Description_Payment", "日本");
  ThenPress(kEntry, "B_Input");
  Fill(kEntry, "TB_Description_Payment", std::string(101, 'x'));
  ThenPress(kEntry, "B_Input");
  Fill(kEntry, "TB_Description_Payment", std::string(100, 'x'));
  ThenPress(kEntry, "B_Input");
  Menu("B_Add_Category");
  EXPECT_EQ(Messages(),
            (std::vector<std::string>{"Слишком длинное значение в поле \"Сокращенное название "
                                      "категории\": допускается не более 10 символов.",
                                      "Поле \"Описание категории\" содержит символы, которые "
                                      "невозможно сохранить в базе данных.",
                                      "Слишком длинное значение в поле \"Описание категории\": "
                                      "допускается не более 100 символов."}));
  EXPECT_EQ(Query("SELECT NAME_ENCIPHER, CHAR_LENGTH(DESCRIPTION_PAYMENT) FROM CATEGORY_NAL"),
            (std::vector<std::vector<std::string>>{{"ДЕСЯТЬ____", "100"}}));
}

TEST_F(Category, ClosingTheEntryDialogByItsFrameCountsAsExit) {
  Fill(kEntry, "TB_Name_Encipher", "ЗАКР");
  Then([this] { ui::ActDismiss(Form(kEntry)); });
  Menu("B_Add_Category");
  EXPECT_TRUE(Changes().empty());
  EXPECT_EQ(Box(Form(kEntry), "TB_Name_Encipher"), "");
  // The next operation asks anew and works.
  Add("ПОТОМ", "");
  EXPECT_EQ(Query("SELECT NAME_ENCIPHER FROM CATEGORY_NAL")[0][0], "ПОТОМ");
}

TEST_F(Category, ASecondDictionaryOperationIsRefusedWhileAnEntryDialogWaits) {
  Fill(kEntry, "TB_Name_Encipher", "ПЕРВ");
  Then([this] {
    // Meanwhile the user starts another add from the employee menu.
    sf_->Action_Member(Sheet());
    Press("Choice_Action_Member", "B_Add_Member");
    const ui::Form* member_entry = ui::FindForm("Input_Nal_Member");
    EXPECT_TRUE(member_entry == nullptr || !member_entry->visible());
  });
  ThenPress(kEntry, "B_Input");
  Menu("B_Add_Category");
  EXPECT_EQ(Messages(),
            std::vector<std::string>{
                "Окно ввода уже открыто. Завершите начатый ввод и повторите операцию."});
  EXPECT_EQ(Query("SELECT NAME_ENCIPHER FROM CATEGORY_NAL")[0][0], "ПЕРВ");
  EXPECT_EQ(Query("SELECT COUNT(*) FROM OUR_MEMBERS")[0][0], "0");
}

TEST_F(Category, AddFromTheEntryProgramRefreshesNoSheet) {
  Refresh();
  Fill(kEntry, "TB_Name_Encipher", "ИЗВНЕ");
  ThenPress(kEntry, "B_Input");
  sql.clear();
  sf_->Add_Category_Input_Nal();
  EXPECT_EQ(Query("SELECT NAME_ENCIPHER FROM CATEGORY_NAL")[0][0], "ИЗВНЕ");
  EXPECT_EQ(Cell(Sheet(), 2, 1), "");  // not refreshed
  for (const std::string& s : sql) EXPECT_EQ(s.find("CATEGORY_NAL_Exl"), std::string::npos) << s;
}

TEST_F(Category, ApostrophesInCodesAndDescriptionsStayText) {
  Add("O'K", "it's \\ fine");
  Add("o'k", "");
  EXPECT_EQ(Messages(), std::vector<std::string>{"Категория o'k уже существует."});
  EXPECT_EQ(Query("SELECT NAME_ENCIPHER, DESCRIPTION_PAYMENT FROM CATEGORY_NAL"),
            (std::vector<std::vector<std::string>>{{"O'K", "it's \\ fine"}}));
  ui_.ClearTranscript();
  SelectRow(Sheet(), 2);
  Fill(kEntry, "TB_Name_Encipher", "O'K2");
  ThenPress(kEntry, "B_Input");
  Menu("B_Edit_Category");
  SelectRow(Sheet(), 2);
  ui_.QueueAnswer(ui::Answer::OK);
  Menu("B_Del_Category");
  EXPECT_EQ(Messages(), std::vector<std::string>{"Удалить категорию: O'K2 / it's \\ fine ? "});
  EXPECT_EQ(Query("SELECT COUNT(*) FROM CATEGORY_NAL")[0][0], "0");
}

}  // namespace
}  // namespace kassa::ledgertools::testing

namespace kassa::ledgertools::testing {
namespace {

TEST_F(Ledger, AHostErrorInAButtonIsShownAndTheProgramGoesOn) {
  host::Workbook& wb = Book("Kassa.xls", {{"Наличные", "select * from Nal_Exl"},
                                          {"Категории", "select * from CATEGORY_NAL_Exl"}});
  // The category menu was opened for a sheet that is not the active one:
  // its row cannot be selected there.
  host::user::Select(wb.Sheets(1), 3, 1, 3, 1);
  sf_->Action_Category(wb.Sheets(2));
  Press("Choice_Action_Category", "B_Edit_Category");
  bool reported = false;
  for (const std::string& l : ui_.transcript())
    if (l.rfind("ERROR Ошибка выполнения 1004", 0) == 0) reported = true;
  EXPECT_TRUE(reported);
  // The next operation runs normally.
  Fill("Input_Nal_Category", "TB_Name_Encipher", "ДАЛЬШЕ");
  ThenPress("Input_Nal_Category", "B_Input");
  sf_->Action_Category(wb.Sheets(2));
  Press("Choice_Action_Category", "B_Add_Category");
  EXPECT_EQ(Query("SELECT NAME_ENCIPHER FROM CATEGORY_NAL")[0][0], "ДАЛЬШЕ");
}

}  // namespace
}  // namespace kassa::ledgertools::testing
