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
inline constexpr const char* kLoopback = "127.0.0.1";
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

// The program takes no arguments: any argument prints this on standard
// error and changes nothing.
inline constexpr const char* kUsage =
    "Использование: setupdb\n"
    "Программа установки не принимает аргументов. Она читает файл Pass_Parametrs.ini из своей "
    "папки (строка 1: порт сервера MySQL; строка 2: пароль root; необязательная строка 3: "
    "серверы базы данных в виде host[:port],host[:port],...), создаёт базу данных db_pnr_l и "
    "пользователя pnrowner и записывает файл DLLs/Connect_Parametrs.ini.\n"
    "Если база данных db_pnr_l уже содержит платежи, программа спрашивает, удалить ли их. "
    "Без вопроса база данных создаётся заново, только когда переменная окружения "
    "KASSA_REINSTALL имеет значение yes.\n";

// Line 3 of Pass_Parametrs.ini that is not a server list; then the line.
inline constexpr const char* kBadServerList =
    "Строка 3 файла Pass_Parametrs.ini должна перечислять серверы базы данных в виде "
    "host[:port],host[:port],... Прочитано: ";

// No random bytes for the application password.
inline constexpr const char* kNoRandomSource =
    "Не удалось получить случайные данные для пароля пользователя базы данных. "
    "Установка прервана, ничего не изменено.";

// A ledger that holds payments: the question before it is dropped (the
// total, then the rows of NAL and of the buffer) and the outcome of "No".
inline constexpr const char* kLedgerHoldsPayments = "База данных db_pnr_l уже содержит платежи: ";
inline constexpr const char* kLedgerInNal = " (в таблице NAL: ";
inline constexpr const char* kLedgerInBuffer = ", в буфере NAL_BUFFER: ";
inline constexpr const char* kLedgerDropQuestion =
    ").\nУстановка создаёт базу данных заново, и эти платежи будут потеряны.\n"
    "Удалить базу данных с платежами и установить её заново?";
inline constexpr const char* kLedgerKept =
    "Установка отменена: база данных db_pnr_l и файл параметров подключения не изменены.";
// The payments could not be counted; then the server's answer.
inline constexpr const char* kLedgerNotCounted =
    "Не удалось проверить, есть ли платежи в базе данных db_pnr_l. Установка отменена, "
    "база данных не изменена.\nОтвет сервера: ";

// Connect_Parametrs.ini could not be given the group of its folder; the
// group's name stands between the two parts.
inline constexpr const char* kGroupRefusedPrefix =
    "Файл Connect_Parametrs.ini доступен только его владельцу: группу ";
inline constexpr const char* kGroupRefusedSuffix =
    " папки DLLs ему назначить нельзя, установка запущена не участником этой группы.";

}  // namespace kassa::setupdb::texts
