// The workbook window's own user-visible texts.
#pragma once

namespace kassa::book::texts {

inline constexpr const char* kMenuFile = "&Файл";
inline constexpr const char* kOpen = "&Открыть...";
inline constexpr const char* kSave = "&Сохранить";
inline constexpr const char* kClose = "&Закрыть";
inline constexpr const char* kOpenTitle = "Открыть книгу";
inline constexpr const char* kOpenFilter = "Книги (*.xls *.xlsx);;Все файлы (*)";
inline constexpr const char* kReadOnlySuffix = " [только чтение]";
// Something the window could not handle ended the program (shown, then the
// program exits with a non-zero status).
inline constexpr const char* kInternalError = "Работа программы прервана из-за внутренней ошибки: ";
inline constexpr const char* kNoDisplay =
    "kassa-book: окно книги требует графической среды (DISPLAY не задан).\n";

// Texts shown in place of a cell's error value.
inline constexpr const char* kErrorNull = "#ПУСТО!";
inline constexpr const char* kErrorDiv0 = "#ДЕЛ/0!";
inline constexpr const char* kErrorValue = "#ЗНАЧ!";
inline constexpr const char* kErrorRef = "#ССЫЛКА!";
inline constexpr const char* kErrorName = "#ИМЯ?";
inline constexpr const char* kErrorNum = "#ЧИСЛО!";
inline constexpr const char* kErrorNA = "#Н/Д";

}  // namespace kassa::book::texts
