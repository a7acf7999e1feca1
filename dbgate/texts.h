// Every text Dbgate shows or builds, verbatim: messages, wait texts,
// give-up prompts and the fixed parts of the connection strings.
#pragma once

namespace kassa::dbgate::texts {

// Messages (OK button unless said otherwise; no title of their own).
inline constexpr char kConnectFailed[] = "Установить подключение к базе невозможно.";
inline constexpr char kCommandObjectFailed[] =
    "Установить объект команды невозможно. Попробуйте перезапустить программу.";
inline constexpr char kRvObjectFailed[] =
    "Установить объект запроса выборки невозможно. Попробуйте перезапустить программу.";
inline constexpr char kOvObjectFailed[] =
    "Установить объект запроса значения невозможно. Попробуйте перезапустить программу.";
inline constexpr char kDisconnectFailed[] = "Возникли ошибки соединения при отключении. ";
inline constexpr char kWaitServerMissing[] =
    "Внепроцессный сервер Waitbox.exe не зарегистрирован в вашей системе.";
inline constexpr char kSimple[] = " Yes ! Yes ! ";

// Wait texts.
inline constexpr char kWaitCommand[] = "Выполняется команда к базе. Ожидайте завершения...";
inline constexpr char kWaitQuery[] = "Выполняется запрос к базе. Ожидайте завершения...";
inline constexpr char kWaitValue[] = "Выполняется запрос значения к базе. Ожидайте завершения...";

// Give-up prompts (OK / Cancel).
inline constexpr char kGiveUpCommand[] =
    "Команда к базе данных не была выполнена. Показать текст команды ?";
inline constexpr char kGiveUpQuery[] =
    "Запрос к базе данных не был выполнен. Показать текст запроса ?";
inline constexpr char kGiveUpValue[] =
    "Запрос значения к базе данных не был выполнен. Показать текст запроса ?";

// Wait-message server.
inline constexpr char kWaitServerProgId[] = "Waitbox.clsMsgBox";
inline constexpr char kWaitCaption[] = " ";
inline constexpr short kWaitMaxMs = 3000;

// Get_Value_by_SQL when the query gives no row.
inline constexpr char kNoRowValue[] = "Null";

// The connection parameters file and the three connection strings.
inline constexpr char kParametersFile[] = "Connect_Parametrs.ini";
inline constexpr char kLoopbackHost[] = "localhost";
inline constexpr char kMaskedPassword[] = "xxx";

inline constexpr char kCnDriverServer[] = "Driver={MySQL ODBC 5.1 Driver};Server=";
inline constexpr char kCnPort[] = ";Port=";
inline constexpr char kCnSeparator[] = ";";
inline constexpr char kCnDatabase[] = "Database=";
inline constexpr char kCnUser[] = ";User=";
inline constexpr char kCnPassword[] = ";Password=";
inline constexpr char kCnOption[] = ";Option=3;";

inline constexpr char kSqlProviderPassword[] = "OLEDB;Provider=MSDASQL.1;Password=";
inline constexpr char kSqlExtended[] = ";Persist Security Info=True;Extended Properties=";
inline constexpr char kSqlDriverPwd[] = " \"DRIVER={MySQL ODBC 5.1 Driver};PWD=";
inline constexpr char kSqlServer[] = ";Server=";
inline constexpr char kSqlPort[] = ";Port=";
inline constexpr char kSqlDatabase[] = ";Database=";
inline constexpr char kSqlUser[] = ";User=";
inline constexpr char kSqlOption[] = ";Option=3;";
inline constexpr char kSqlClose[] = "\" ";

// The ledger server's certificate authority, beside the parameters file,
// and its item in the connection strings.
inline constexpr char kCaFile[] = "Connect_CA.pem";
inline constexpr char kCaKey[] = "SSLCA=";

}  // namespace kassa::dbgate::texts
