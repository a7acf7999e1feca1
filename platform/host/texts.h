// The host's own user-visible texts, kept in one place.
#pragma once

#include <string>

namespace kassa::host::texts {

// A component named by the workbook's macros could not be created.
inline std::string ComponentNotCreated(const std::string& progid) {
  return "Компонент " + progid + " не может быть создан.";
}
// A run-time error that escaped an event or a macro.
inline std::string RuntimeError(int code) {
  return "Ошибка выполнения " + std::to_string(code);
}
inline std::string RuntimeError(int code, const std::string& what) {
  return "Ошибка выполнения " + std::to_string(code) + ": " + what;
}
// The name of a new workbook before its first save.
inline std::string NewBookName(int n) {
  return "Книга" + std::to_string(n);
}
// The default name of a sheet of a new workbook.
inline std::string NewSheetName(int n) {
  return "Лист" + std::to_string(n);
}

// Host error descriptions.
constexpr const char* kNoWorkbook = "нет открытой книги";
constexpr const char* kNoSheet = "лист не найден";
constexpr const char* kBadName = "недопустимое имя листа";
constexpr const char* kBadRange = "недопустимый диапазон";
constexpr const char* kNoQueryTable = "на листе нет таблицы запроса";
constexpr const char* kNoShape = "фигура не найдена";
constexpr const char* kNotActive = "лист не активен";
constexpr const char* kErrorValue = "значение ячейки - ошибка";
constexpr const char* kRefreshDisabled = "обновление таблицы запроса запрещено";
constexpr const char* kBadConnection = "строка подключения не распознана";
constexpr const char* kNotSaved = "книга ещё не сохранялась";
constexpr const char* kCannotWrite = "не удалось записать файл ";
constexpr const char* kCannotRead = "не удалось прочитать файл ";
constexpr const char* kBadDirection = "недопустимое направление";

// The figures beside a chart in a workbook file, and a bar or month whose
// name the table leaves empty.
constexpr const char* kChartMonth = "Месяц";
constexpr const char* kChartTotal = "Итого";
constexpr const char* kChartNoName = "(не указано)";

}  // namespace kassa::host::texts
