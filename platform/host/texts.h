// The host's own user-visible texts, kept in one place.
#pragma once

#include <string>
#include <vector>

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

// Kinds of content a workbook file may hold that the host does not keep, in
// the order they are listed to the user.
inline constexpr const char* kUnkeptKinds[] = {
    "формулы",
    "объединённые ячейки",
    "заливка ячеек",
    "границы ячеек",
    "шрифты (название, размер, начертание, цвет)",
    "выравнивание в ячейках",
    "форматы чисел",
    "оформление части текста в ячейке",
    "примечания",
    "фильтры",
    "закреплённые области",
    "рисунки и диаграммы",
    "гиперссылки",
    "проверка данных",
    "условное форматирование",
    "таблицы",
    "именованные диапазоны",
    "скрытые листы",
    "листы диаграмм и макросов",
    "скрытые строки и столбцы, высота и оформление строк",
    "защита листов и книги",
    "макросы",
    "сводные таблицы",
    "связи с другими книгами",
    "значения ошибок без формул",
    "ячейки за пределами 65536 строк и 256 столбцов",
};
inline std::string JoinedKinds(const std::vector<std::string>& kinds) {
  std::string out;
  for (const std::string& k : kinds) out += (out.empty() ? "" : ", ") + k;
  return out;
}
// A workbook opened read-only because saving it would lose part of it.
inline std::string OpenedReadOnly(const std::string& book, const std::vector<std::string>& kinds) {
  return "Книга " + book + " открыта только для чтения: в ней есть то, что эта программа " +
         "не сохраняет (" + JoinedKinds(kinds) +
         "). Сохранение заменило бы файл книгой без этого. Чтобы изменить книгу, откройте её в " +
         "программе, где она создана.";
}
// Host error: writing such a workbook is refused.
inline std::string WouldLoseContent(const std::string& path,
                                    const std::vector<std::string>& kinds) {
  return "файл " + path + " не записан: книга содержит то, что при записи было бы потеряно (" +
         JoinedKinds(kinds) + ")";
}
// Host error: a file whose parts inflate beyond what any workbook needs.
inline std::string TooLargeToRead(const std::string& path) {
  return "файл " + path +
         " не является рабочей книгой, которую можно прочитать: его содержимое после " +
         "распаковки слишком велико";
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
constexpr const char* kQueryRefused = "запрос таблицы запроса - не один запрос SELECT";
constexpr const char* kResultTooLarge = "результат запроса не помещается на лист";
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
