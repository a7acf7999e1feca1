// Every text of the synchronisation engine that a user or the database sees:
// messages, titles, progress lines, ProgIDs and the fixed parts of its SQL.
// Kept verbatim here and nowhere else.
#pragma once

namespace kassa::sheetsync::texts {

// Components the engine creates.
inline constexpr const char* kEngineProgId = "Sheetsync.WB_Events";
inline constexpr const char* kDbProgId = "Dbgate.ADB_cls";
inline constexpr const char* kIniProgIdPrefix = "INI_";
inline constexpr const char* kIniProgIdSuffix = ".Ini_Book";
inline constexpr const char* kBookExtension = ".xls";

// Messages.
inline constexpr const char* kSimpleExp = " ДА ";
inline constexpr const char* kNoIniObject = "Объект инициализации книги не установлен";
inline constexpr const char* kNoDbObject = "Объект подключения к базе данных не установлен";
inline constexpr const char* kSheetPrefix = "Лист ";
inline constexpr const char* kSheetNotReadySuffix = " не инициализирован";
inline constexpr const char* kNotStoredPrefix = "Остались не занесенными в базу ";
inline constexpr const char* kNotStoredMarkedSuffix =
    " значений, выделенные красным. При следующем обновлении значения будут утеряны.";
inline constexpr const char* kRangeTooLargePrefix = "Диапазон синхронизации выходит за пределы ";
inline constexpr const char* kRangeLimit = "100";
inline constexpr const char* kRangeTooLargeSuffix =
    " строк. Для внесения изменений в базу лист следует сохранить.";
inline constexpr const char* kEmergencyQuestion =
    "Нет подключение к базе данных. Сохранить копию файла ?";
inline constexpr const char* kEmergencyTitle = "Аварийный выход";
inline constexpr const char* kStoreQuestionPrefix = "Внести изменения на листах ";
inline constexpr const char* kStoreQuestionSuffix = " в базу данных ?";
inline constexpr const char* kStoreQuestionTitle = "Запрос на внесение в базу";
inline constexpr const char* kInputErrorsSuffix =
    " значений. При следующем обновлении данные будут утеряны. Вернуться и внести исправления ?";
inline constexpr const char* kInputErrorsTitle = "Ошибки ввода";
// The workbook could not be written on its way out: it stays open.
inline constexpr const char* kBookNotSavedPrefix = "Книга ";
inline constexpr const char* kBookNotSavedMiddle = " не сохранена: ";
inline constexpr const char* kBookNotSavedSuffix =
    ". Книга остаётся открытой, изменения в ней не потеряны.";
// A sheet that cannot be loaded whole: its table is larger than the sheet,
// or its query is not one SELECT and was not run. Such a sheet is never
// written to its table.
inline constexpr const char* kTableTooLargePrefix = "Таблица ";
inline constexpr const char* kTableTooLargeMiddle = " не помещается на лист ";
inline constexpr const char* kQueryTooLargePrefix = "Результат запроса листа ";
inline constexpr const char* kQueryTooLargeMiddle = " не помещается на лист";
inline constexpr const char* kTooLargeSuffix = " (на листе 65535 строк данных).";
inline constexpr const char* kQueryRefusedPrefix = "Запрос листа ";
inline constexpr const char* kQueryRefusedSuffix =
    " не выполнен: книга может читать базу данных только одним запросом SELECT.";
inline constexpr const char* kSheetNotStored = " Изменения листа в базу не вносятся.";
// The workbook's status once the database is lost: nothing more is written.
inline constexpr const char* kDatabaseLostStatus =
    "нет связи с базой данных: изменения книги в базу не записываются";
// The emergency copy could not be written.
inline constexpr const char* kCopyNotSavedPrefix = "Копия книги не сохранена: ";
inline constexpr const char* kCopyNotSavedSuffix = ".";

// Progress window.
inline constexpr const char* kProgressForm = "Dispay_Proccess";
inline constexpr const char* kProgressLabel = "Dialog_Information";
inline constexpr const char* kProgressBar = "Progress_Status";
inline constexpr const char* kProgressFont = "Arial";
inline constexpr const char* kInitBook = "инициализация книги...";
inline constexpr const char* kInitSheet = "инициализация листа...";
inline constexpr const char* kRefreshSheet = "обновление листа...";
inline constexpr const char* kLoadingSheetPrefix = "загрузка листа ";
inline constexpr const char* kRefreshingSheetPrefix = "обновление листа ";
inline constexpr const char* kFiveDots = ".....";
inline constexpr const char* kCheckingSheetPrefix = "проверка листа ";
inline constexpr const char* kCheckingSheetSuffix = " ...";
inline constexpr const char* kCopyingSheetPrefix = "Копируется лист ";
inline constexpr const char* kCopyingSheetSuffix = "...";
inline constexpr const char* kSavingCopy = "Сохраняется копия книги...";

// Emergency copy file name: <folder>/Copy_<book>_<ddmmyy>_<hhmm>.xls
inline constexpr const char* kCopyPrefix = "/Copy_";
inline constexpr const char* kCopyExtension = ".xls";

// SQL.
inline constexpr const char* kDeleteFrom = "Delete From ";
inline constexpr const char* kInsertInto = "Insert Into ";
inline constexpr const char* kValues = ") Values (";
inline constexpr const char* kUpdate = "Update ";
inline constexpr const char* kSet = " Set ";
inline constexpr const char* kWhere = " Where ";
inline constexpr const char* kEquals = " = ";
inline constexpr const char* kFieldsOpen = " (";
inline constexpr const char* kClose = ")";
inline constexpr const char* kNextRow = "), (";  // between the rows of one insert
inline constexpr const char* kIdExlValues = " (ID_Exl) Values (";
inline constexpr const char* kCountFrom = "SELECT count(*) FROM ";
inline constexpr const char* kMaxIdFrom = "SELECT Max(ID_Exl) FROM ";
inline constexpr const char* kWhereIdAbove = " Where ID_Exl > ";
inline constexpr const char* kCountOfQueryPrefix = "select count(*) from (";
inline constexpr const char* kCountOfQuerySuffix = ") t ";
inline constexpr const char* kLookupSelect = " Select ";
inline constexpr const char* kLookupFrom = " From ";
inline constexpr const char* kLookupWhere = " Where ucase(";
inline constexpr const char* kLookupEquals = ") = ";
// A whole dictionary, fetched once per store or write-back of several
// cells: " Select ucase(<compared field>), <stored field> From <table>".
inline constexpr const char* kDictionarySelect = " Select ucase(";
inline constexpr const char* kDictionaryThen = "), ";
inline constexpr const char* kNull = "Null";
// Column types and widths of a table, learned once per table name.
inline constexpr const char* kColumnsQueryPrefix =
    "SELECT COLUMN_NAME, DATA_TYPE, CHARACTER_MAXIMUM_LENGTH, NUMERIC_PRECISION, "
    "NUMERIC_SCALE, COLUMN_TYPE FROM information_schema.COLUMNS WHERE TABLE_SCHEMA = DATABASE() "
    "AND LOWER(TABLE_NAME) = LOWER('";
inline constexpr const char* kColumnsQuerySuffix = "')";

}  // namespace kassa::sheetsync::texts
