// Every text of the ledger service library, kept verbatim in one place:
// messages, dialog names and captions, sheet and button names, SQL texts.
// A statement is built by joining its pieces exactly as listed; blanks at
// the ends of the pieces are part of the text.
#pragma once

namespace kassa::ledgertools::texts {

// ---- ProgIDs and the library's own messages ----------------------------
inline constexpr const char* kProgIdADB = "Dbgate.ADB_cls";
inline constexpr const char* kProgIdEngine = "Sheetsync.WB_Events";
inline constexpr const char* kProgIdSelf = "Ledgertools.Special_Function";
inline constexpr const char* kNoDbgate = "Библиотека Dbgate не установлена";
inline constexpr const char* kNoSheetsync = "Библиотека Sheetsync не загружена.";

// ---- literals ----------------------------------------------------------
inline constexpr const char* kNull = "Null";
inline constexpr const char* kIs = " is ";
inline constexpr const char* kEquals = " = ";

// ---- sheet macros ------------------------------------------------------
inline constexpr const char* kMacroCommon = "Action_Common";
inline constexpr const char* kMacroCategory = "Action_Category";
inline constexpr const char* kMacroMember = "Action_Member";
inline constexpr const char* kMacroExpences = "Action_Expences";

// ---- buffer loading ----------------------------------------------------
inline constexpr const char* kBufferCount = " select Size_Nal_Buffer from Count_NAL_BUFFER";
inline constexpr const char* kNalCount = " select count(*) from NAL";
// The keys actually waiting, read before renumbering.
inline constexpr const char* kBufferKeys = " select ID_Num from NAL_BUFFER order by ID_Num ;";
inline constexpr const char* kRenumberHead = " Update NAL_BUFFER Set ID_Num = ";
inline constexpr const char* kRenumberWhere = " where ID_Num = ";
inline constexpr const char* kStatementEnd = " ;";
inline constexpr const char* kBufferCopy = " Insert into  NAL Select * from NAL_BUFFER ;";
inline constexpr const char* kBufferEmpty = " Delete from NAL_BUFFER ;";

// ---- dialogs: common menu and statistics menu --------------------------
inline constexpr const char* kMenuCaption = "Меню";
inline constexpr const char* kFormCommon = "Choice_Action_Common";
inline constexpr const char* kBSaveCommon = "B_Save_Common";
inline constexpr const char* kBRefreshCommon = "B_Refresh_Common";
inline constexpr const char* kBArchiveCommon = "B_Archive_Common";
inline constexpr const char* kCapSave = "Сохранить";
inline constexpr const char* kCapRefresh = "Обновить";
inline constexpr const char* kCapArchive = "Архивир.";
inline constexpr const char* kFormExpences = "Choice_Action_Expences";
inline constexpr const char* kBRefreshExpences = "B_Refresh_Expences";

// ---- dialogs: dictionary menus -----------------------------------------
inline constexpr const char* kCapAdd = "Добавить";
inline constexpr const char* kCapEdit = "Редактир.";
inline constexpr const char* kCapDelete = "Удалить";
inline constexpr const char* kFormCategoryMenu = "Choice_Action_Category";
inline constexpr const char* kBAddCategory = "B_Add_Category";
inline constexpr const char* kBEditCategory = "B_Edit_Category";
inline constexpr const char* kBDelCategory = "B_Del_Category";
inline constexpr const char* kBRefreshCategory = "B_Refresh";
inline constexpr const char* kFormMemberMenu = "Choice_Action_Member";
inline constexpr const char* kBAddMember = "B_Add_Member";
inline constexpr const char* kBEditMember = "B_Edit_Member";
inline constexpr const char* kBDelMember = "B_Del_Member";
inline constexpr const char* kBRefreshMember = "B_Refresh_Member";

// ---- dialogs: entry dialogs --------------------------------------------
inline constexpr const char* kBInput = "B_Input";
inline constexpr const char* kBExit = "B_Exit";
inline constexpr const char* kCapInput = "Ввести";
inline constexpr const char* kCapExit = "Выход";

inline constexpr const char* kFormCategoryEntry = "Input_Nal_Category";
inline constexpr const char* kCategoryEntryCaption = "Ввод категории";
inline constexpr const char* kLNameEncipher = "L_Name_Encipher";
inline constexpr const char* kTBNameEncipher = "TB_Name_Encipher";
inline constexpr const char* kCapNameEncipher = "Сокращенное название категории";
inline constexpr const char* kLDescriptionPayment = "L_Description_Payment";
inline constexpr const char* kTBDescriptionPayment = "TB_Description_Payment";
inline constexpr const char* kCapDescriptionPayment = "Описание категории";

inline constexpr const char* kFormMemberEntry = "Input_Nal_Member";
inline constexpr const char* kMemberEntryCaption = "Ввод сотрудника";
inline constexpr const char* kLNameShort = "L_Name_Short";
inline constexpr const char* kTBNameShort = "TB_Name_Short";
inline constexpr const char* kCapNameShort = "Инициалы";
inline constexpr const char* kLLastName = "L_Last_Name";
inline constexpr const char* kTBLastName = "TB_Last_Name";
inline constexpr const char* kCapLastName = "Фамилия";
inline constexpr const char* kLFirstName = "L_First_Name";
inline constexpr const char* kTBFirstName = "TB_First_Name";
inline constexpr const char* kCapFirstName = "Имя";
inline constexpr const char* kLMiddleName = "L_Middle_Name";
inline constexpr const char* kTBMiddleName = "TB_Middle_Name";
inline constexpr const char* kCapMiddleName = "Отчество";
inline constexpr const char* kLPositionInFirm = "L_Position_in_Firm";
inline constexpr const char* kTBPositionInFirm = "TB_Position_in_Firm";
inline constexpr const char* kCapPositionInFirm = "Должность";

// ---- archive -----------------------------------------------------------
inline constexpr const char* kArchivePrefix = "/Archiv_";
inline constexpr const char* kArchiveSeparator = "_";
inline constexpr const char* kArchiveExtension = ".xls";
struct SheetButton {
  const char* sheet;
  const char* shape;
};
inline constexpr SheetButton kArchiveButtons[] = {
    {"Наличные", "B_Commom"},
    {"Категории", "B_Category"},
    {"Сотрудники", "B_Member"},
    {"Статистика по категориям", "B_Expences_Category"},
    {"Статистика по сотрудникам", "B_Member"},
};

// ---- dictionaries: shared messages -------------------------------------
inline constexpr const char* kHeaderNoEdit =
    "Выделен заголовок, не подлежащий редактированию. Выход.";
inline constexpr const char* kHeaderNoDelete = "Выделен заголовок, не подлежащий удалению. Выход.";
inline constexpr const char* kMismatch = "Несоответствие с базой данных. Обновите таблицу.";
inline constexpr const char* kFound = "Найдено ";
inline constexpr const char* kUsedEditTail =
    " на основном листе ввода наличных. После внесений изменений в базу данных следует обновить "
    "лист Наличные, либо исправить в ручном режиме. Внести изменения ?";
inline constexpr const char* kUsedDeleteTail =
    " на основном листе ввода наличных. Удаление невозможно.";
// Refusals of typed texts the database cannot hold, and of a second
// dictionary operation while an entry dialog waits for the user.
inline constexpr const char* kTooLongHead = "Слишком длинное значение в поле \"";
inline constexpr const char* kTooLongMiddle = "\": допускается не более ";
inline constexpr const char* kTooLongTail = " символов.";
inline constexpr const char* kBadCharsHead = "Поле \"";
inline constexpr const char* kBadCharsTail =
    "\" содержит символы, которые невозможно сохранить в базе данных.";
inline constexpr const char* kEntryBusy =
    "Окно ввода уже открыто. Завершите начатый ввод и повторите операцию.";
inline constexpr const char* kRuntimeError = "Ошибка выполнения ";
// The archive copy could not be written.
inline constexpr const char* kArchiveNotSavedHead = "Архивная копия книги не сохранена: ";
inline constexpr const char* kArchiveNotSavedTail = ".";
// A sheet refresh the workbook refused: the result is larger than the sheet
// (the rows that fit are shown), or the sheet's query is not one SELECT.
inline constexpr const char* kSheetTooSmallHead = "Результат запроса листа ";
inline constexpr const char* kSheetTooSmallTail =
    " не помещается на лист (на листе 65535 строк данных): показаны первые 65535 записей.";
inline constexpr const char* kQueryRefusedHead = "Запрос листа ";
inline constexpr const char* kQueryRefusedTail =
    " не выполнен: книга может читать базу данных только одним запросом SELECT.";

// Column widths of the dictionaries' texts.
inline constexpr int kShortTextLength = 10;
inline constexpr int kLongTextLength = 100;

// ---- category dictionary -----------------------------------------------
inline constexpr const char* kCategoryEmpty =
    "Не заполненно обязательное поле: сокращенное название категории.";
inline constexpr const char* kCategoryExistsHead = "Категория ";
inline constexpr const char* kCategoryExistsTail = " уже существует.";
inline constexpr const char* kCategoryNoCode =
    "В выделенной области нет значения в сокращенном названии категории. Выход.";
inline constexpr const char* kCategoryUsedMiddle = " вхождений категории ";
inline constexpr const char* kCategoryDeleteHead = "Удалить категорию: ";
inline constexpr const char* kSlash = " / ";
inline constexpr const char* kQuestionTail = " ? ";

inline constexpr const char* kCategoryKeyOne =
    "Select count(*) from CATEGORY_NAL where ID_CATEGORY_PAYMENT  = ";
inline constexpr const char* kKeyOneTail = "1 ; ";
inline constexpr const char* kCategoryKeyGap =
    " SELECT MIN(cn1.ID_CATEGORY_PAYMENT) + 1 "
    "FROM CATEGORY_NAL cn1 "
    "Where not Exists (Select * From CATEGORY_NAL cn2 "
    "where cn1.ID_CATEGORY_PAYMENT = cn2.ID_CATEGORY_PAYMENT - 1) ; ";
inline constexpr const char* kCategoryUnique =
    "Select count(*) from CATEGORY_NAL where ucase(NAME_ENCIPHER)  = '";
inline constexpr const char* kQuoteTail = "' ; ";
inline constexpr const char* kCategoryInsert =
    " Insert Into CATEGORY_NAL "
    "(ID_CATEGORY_PAYMENT, NAME_ENCIPHER, DESCRIPTION_PAYMENT) "
    "Values (";
inline constexpr const char* kCommaQuote = ", '";
inline constexpr const char* kQuoteComma = "', ";
inline constexpr const char* kComma = ", ";
inline constexpr const char* kInsertEnd = ") ;";
inline constexpr const char* kCategoryLookup =
    "Select ID_CATEGORY_PAYMENT from CATEGORY_NAL "
    "where NAME_ENCIPHER  = '";
inline constexpr const char* kQuoteBlank = "' ";
inline constexpr const char* kCategoryLookupEditTail = "and DESCRIPTION_PAYMENT  ";
inline constexpr const char* kCategoryLookupDeleteTail = "and DESCRIPTION_PAYMENT ";
inline constexpr const char* kLookupEnd = "  ; ";
inline constexpr const char* kCategoryUsage =
    "Select count(*) from NAL where CATEGORY_PAYMENT_ID  = ";
inline constexpr const char* kCountEnd = " ; ";
inline constexpr const char* kCategoryUpdate = "UpDate CATEGORY_NAL ";
inline constexpr const char* kCategorySetCode = "Set NAME_ENCIPHER = '";
inline constexpr const char* kCategorySetDescription = "Set DESCRIPTION_PAYMENT = ";
inline constexpr const char* kBlank = " ";
inline constexpr const char* kCategoryWhereKey = "Where ID_CATEGORY_PAYMENT = ";
inline constexpr const char* kCategoryDelete = "Delete From CATEGORY_NAL ";

// ---- employee dictionary -----------------------------------------------
inline constexpr const char* kMemberEmpty = "Не заполненно обязательное поле инициалы.";
inline constexpr const char* kMemberExistsHead = "Сотрудник с инициалами ";
inline constexpr const char* kMemberExistsTail = " уже существует.";
inline constexpr const char* kSurnameExistsHead = "Сотрудник с фамилией ";
inline constexpr const char* kSurnameExistsTail =
    " уже существует. Ввести нового сотрудника с такой же фамилией ?";
inline constexpr const char* kMemberNoShort =
    "В выделенной области нет значения в инициалах сотрудника. Выход.";
inline constexpr const char* kMemberUsedMiddle = " вхождений сотрудника с инициалами ";
inline constexpr const char* kMemberDeleteHead = "Удалить запись: ";

inline constexpr const char* kMemberKeyOne =
    "Select count(*) from OUR_MEMBERS where ID_Responsible  = ";
inline constexpr const char* kMemberKeyGap =
    " SELECT MIN(om1.ID_Responsible) + 1 "
    "FROM OUR_MEMBERS om1 "
    "Where not Exists (Select * From OUR_MEMBERS om2 "
    "where om1.ID_Responsible = om2.ID_Responsible - 1) ; ";
inline constexpr const char* kMemberUnique =
    "Select count(*) from OUR_MEMBERS where ucase(Name_Short)  = '";
inline constexpr const char* kMemberSurname =
    "Select count(*) from OUR_MEMBERS where Last_Name  = '";
inline constexpr const char* kMemberInsert =
    " Insert Into OUR_MEMBERS "
    "(ID_Responsible, Name_Short, Last_Name, First_Name, Middle_Name, Position_in_Firm) "
    "Values (";
inline constexpr const char* kMemberLookup =
    "Select ID_Responsible from OUR_MEMBERS "
    "where Name_Short  = '";
inline constexpr const char* kMemberLookupLast = " and Last_Name  ";
inline constexpr const char* kMemberLookupFirst = " and First_Name  ";
inline constexpr const char* kMemberLookupMiddle = " and Middle_Name  ";
inline constexpr const char* kMemberLookupPosition = " and Position_in_Firm  ";
inline constexpr const char* kMemberUsage = "Select count(*) from NAL where Recipient_ID  = ";
inline constexpr const char* kMemberUpdate = "UpDate OUR_MEMBERS ";
inline constexpr const char* kMemberSetShort = "Set Name_Short = '";
inline constexpr const char* kMemberSetLast = "Set Last_Name = ";
inline constexpr const char* kMemberSetFirst = "Set First_Name = ";
inline constexpr const char* kMemberSetMiddle = "Set Middle_Name = ";
inline constexpr const char* kMemberSetPosition = "Set Position_in_Firm = ";
inline constexpr const char* kMemberWhereKey = "Where ID_Responsible = ";
inline constexpr const char* kMemberDelete = "Delete From OUR_MEMBERS ";

}  // namespace kassa::ledgertools::texts
