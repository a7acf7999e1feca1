// Every text the cash entry program shows or sends, verbatim: captions,
// labels, messages and the SQL pieces of the store and the pickers.
#pragma once

namespace kassa::paydesk::texts {

// Components.
inline constexpr char kDbgateProgId[] = "Dbgate.ADB_cls";
inline constexpr char kLedgertoolsProgId[] = "Ledgertools.Special_Function";
inline constexpr char kDbgateMissing[] = "Библиотека Dbgate не установлена";
inline constexpr char kLedgertoolsMissing[] = "Библиотека Ledgertools не загружена.";

// The program without a desktop to show its window on (standard error).
inline constexpr char kNoDisplay[] =
    "paydesk: нет графического экрана (DISPLAY), окно программы показать негде.";

// Something the program could not handle ended it (shown, then the program
// exits with a non-zero status).
inline constexpr char kInternalError[] = "Работа программы прервана из-за внутренней ошибки: ";

// Main window.
inline constexpr char kMainForm[] = "Input_Nal_Pay";
inline constexpr char kMainCaption[] = "Форма ввода Kassa";
inline constexpr char kDateLabel[] = "Дата";
inline constexpr char kRecipientLabel[] = "Сотрудник";
inline constexpr char kCategoryLabel[] = "Категория";
inline constexpr char kPurposeLabel[] = "Назначение";
inline constexpr char kSumLabel[] = "Сумма руб. ";
inline constexpr char kListButton[] = "?";
inline constexpr char kInputButton[] = "Ввести";
inline constexpr char kExitButton[] = "Выход";
inline constexpr char kDateFormat[] = "dd.MM.yyyy";  // the Russian short date

// Checks of the entry, in their order.
inline constexpr char kEnterRecipient[] = " Введите сотрудника. ";
inline constexpr char kEnterCategory[] = "Введите категорию";
inline constexpr char kRecipientMissingPrefix[] = "Сотрудник ";
inline constexpr char kRecipientMissingSuffix[] = " в списках отсутствует ";
inline constexpr char kCategoryMissingPrefix[] = "Категория ";
inline constexpr char kCategoryMissingSuffix[] = " в списке отсутствует ";
inline constexpr char kEnterSum[] = "Введите сумму";
inline constexpr char kBadSum[] = "Некоректная рублевая сумма";
inline constexpr char kEnterPurpose[] = "Введите назначение платежа";

// Outcome.
inline constexpr char kStored[] = "Данные в базу внесены!";
inline constexpr char kNotStored[] = "Ошибка. Данные в базу не внесены!";

// Refusals that keep the window as typed, with nothing written.
inline constexpr char kLookupFailed[] =
    "Проверить данные по базе не удалось. Данные в базу не внесены, введенные значения "
    "сохранены в форме.";
inline constexpr char kPurposeTooLong[] = "Назначение платежа длиннее 1500 знаков. Сократите его.";
inline constexpr char kPurposeBadCharacters[] =
    "Назначение платежа содержит знаки, которые база данных не может сохранить.";
inline constexpr char kStoreRunning[] = "Данные уже вносятся в базу. Дождитесь завершения.";

// Store statements.
inline constexpr char kCountSelect[] = " SELECT count(*) ";
inline constexpr char kFromMembers[] = " FROM OUR_MEMBERS";
inline constexpr char kMemberWhere[] = " Where Ucase (Name_Short) = '";
inline constexpr char kFromCategories[] = " From CATEGORY_NAL ";
inline constexpr char kCategoryWhere[] = " Where Ucase (NAME_ENCIPHER) = '";
inline constexpr char kCheckClose[] = "' ";
inline constexpr char kRecipientIdSelect[] = " SELECT ID_RESPONSIBLE ";
inline constexpr char kRecipientIdWhere[] = " Where ucase(NAME_SHORT) = '";
inline constexpr char kCategoryIdSelect[] = " SELECT ID_CATEGORY_PAYMENT ";
inline constexpr char kFromCategoriesId[] = " FROM CATEGORY_NAL";
inline constexpr char kCategoryIdWhere[] = " Where ucase(NAME_ENCIPHER) = '";
inline constexpr char kIdClose[] = "'";
inline constexpr char kBufferCount[] = " select Size_Nal_Buffer from Count_NAL_BUFFER";
inline constexpr char kInsertInto[] = "Insert Into NAL_BUFFER ";
inline constexpr char kInsertOpen[] = " (";
inline constexpr char kInsertColumns1[] = "ID_Num, DATE_ON, RECIPIENT_ID, Establish_Payment, ";
inline constexpr char kInsertColumns2[] = " Sum_RUB, CATEGORY_PAYMENT_ID ";
inline constexpr char kInsertColumnsClose[] = ") ";
inline constexpr char kInsertValues[] = " Values (";
inline constexpr char kInsertSeparator[] = ", ";
inline constexpr char kInsertClose[] = " ) ";

// Pickers.
inline constexpr char kPickerCaption[] = "Список";
inline constexpr char kFilterLabel[] = "Фильтр";
inline constexpr char kAddButton[] = "Добавить";
inline constexpr char kPickerListFailed[] = "Список не удалось получить из базы данных.";

inline constexpr char kCategoryForm[] = "Choice_Category";
inline constexpr char kCategoryColumn0[] = "Катег.";
inline constexpr char kCategoryField0[] = "NAME_ENCIPHER";
inline constexpr char kCategoryColumn1[] = "  Описание";
inline constexpr char kCategoryField1[] = "DESCRIPTION_PAYMENT";
inline constexpr char kCategoryLoad[] =
    "   Select  NAME_ENCIPHER, DESCRIPTION_PAYMENT From CATEGORY_NAL "
    "order by NAME_ENCIPHER ";
inline constexpr char kCategoryFilterHead[] =
    "   Select NAME_ENCIPHER, DESCRIPTION_PAYMENT From CATEGORY_NAL where "
    " ucase(DESCRIPTION_PAYMENT) like '%";
inline constexpr char kCategoryFilterOrder[] = " order by NAME_ENCIPHER ";

inline constexpr char kMemberForm[] = "Choice_Member";
inline constexpr char kMemberColumn0[] = "Сокр.";
inline constexpr char kMemberField0[] = "Name_Short";
inline constexpr char kMemberColumn1[] = "            ФИО";
inline constexpr char kMemberField1[] = "FIO";
inline constexpr char kMemberColumn2[] = " Должность";
inline constexpr char kMemberField2[] = "Position_In_Firm";
inline constexpr char kMemberLoad[] =
    "   SELECT Name_Short, "
    "concat(case when not Last_Name is Null then Last_Name else '' end , "
    "case when not First_Name is Null then concat(' ' , First_Name) else '' end , "
    "case when not Middle_Name is Null then concat( ' ' , Middle_Name) else '' end) FIO, "
    "Position_In_Firm "
    "From OUR_MEMBERS  "
    "Order by Last_Name ; ";
inline constexpr char kMemberFilterHead[] =
    "SELECT Name_Short,"
    "CONCAT(CASE WHEN NOT Last_Name IS NULL THEN Last_Name ELSE '' END , "
    "CASE WHEN NOT First_Name IS NULL THEN CONCAT(' ' , First_Name) ELSE '' END , "
    "CASE WHEN NOT Middle_Name IS NULL THEN CONCAT( ' ' , Middle_Name) ELSE '' END) FIO, "
    "Position_In_Firm "
    "From OUR_MEMBERS "
    "Where "
    "UCASE(CONCAT(CASE WHEN NOT Last_Name IS NULL THEN Last_Name ELSE '' END , "
    "CASE WHEN NOT First_Name IS NULL THEN CONCAT(' ' , First_Name) ELSE '' END , "
    "CASE WHEN NOT Middle_Name IS NULL THEN CONCAT( ' ' , Middle_Name) ELSE '' END)) "
    "LIKE '%";
inline constexpr char kMemberFilterOrder[] = " ORDER BY Last_Name ;";

// Closes a filter pattern.
inline constexpr char kFilterPatternClose[] = "%'";
// Added after the closing quote of a filter pattern in which wildcard
// characters or backslashes had to be escaped.
inline constexpr char kLikeEscapeClause[] = " ESCAPE '\\'";

}  // namespace kassa::paydesk::texts
