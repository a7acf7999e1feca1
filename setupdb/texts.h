// The installer's fixed texts: messages shown to the user, file names and the
// names of the ledger database and its application user. The schema
// statements themselves are kept in schema.cpp.
#pragma once

namespace kassa::setupdb::texts {

// Files.
inline constexpr const char* kPassFile = "Pass_Parametrs.ini";
inline constexpr const char* kDllsFolder = "DLLs";
inline constexpr const char* kConnectFile = "Connect_Parametrs.ini";

// Database identity.
inline constexpr const char* kAdminDatabase = "mysql";
inline constexpr const char* kAdminUser = "root";
inline constexpr const char* kDatabase = "db_pnr_l";
inline constexpr const char* kAppUser = "pnrowner";

// Keys of the connection parameters file, in line order 1, 3, 5, 7.
inline constexpr const char* kKeyPort = "DB_Port";
inline constexpr const char* kKeyName = "DB_Name";
inline constexpr const char* kKeyLogin = "DB_Login";
inline constexpr const char* kKeyPassword = "DB_Password";

// Placeholders of the user creation statement.
inline constexpr const char* kPasswordPlaceholder = "'pnrowner_password'";
inline constexpr const char* kLoginPlaceholder = "pnrowner_login";

// Statements of the installer's own (outside the installation script).
inline constexpr const char* kSelectUsers = "select User from USER ;";
inline constexpr const char* kDropUserPrefix = "DROP USER ";
inline constexpr const char* kDropUserSuffix = " ; ";

// Messages.
inline constexpr const char* kInputFileError = "Error on Input Parametrs. Exit.";
inline constexpr const char* kNoPort = "Не задан порт подключения к MySQL.";
inline constexpr const char* kNoPassword = "Не задан пароль к MySQL.";
inline constexpr const char* kCannotConnect =
    "Установить подключение к MySQL невозможно. Проверьте установлено программное обеспечение "
    "MySQL сервера, правильность пароля к MySQL серверу и номера порта. ";
inline constexpr const char* kDropFailPrefix = "Fail ";  // then the attempt number
inline constexpr const char* kDropFailSuffix = " Delay pnrowner";
inline constexpr const char* kIniNotWritten = "File Ini Not Found. Exit";

// A failing installation statement: the first line gets its number, then
// the statement text and the server's answer follow on lines of their own.
inline constexpr const char* kStatementFailed = "Не выполнен оператор установки базы данных № ";
inline constexpr const char* kServerAnswer = "Ответ сервера: ";
inline constexpr const char* kNothingWritten =
    "Установка прервана, файл параметров подключения не записан.";

}  // namespace kassa::setupdb::texts
