// The workbook window's own user-visible texts.
#pragma once

namespace kassa::book::texts {

inline constexpr const char* kMenuFile = "&Файл";
inline constexpr const char* kOpen = "&Открыть...";
inline constexpr const char* kSave = "&Сохранить";
inline constexpr const char* kSaveAs = "Сохранить &как...";
inline constexpr const char* kClose = "&Закрыть";
inline constexpr const char* kOpenTitle = "Открыть книгу";
inline constexpr const char* kSaveAsTitle = "Сохранить книгу как";
inline constexpr const char* kOpenFilter = "Книги (*.xls *.xlsx);;Все файлы (*)";
inline constexpr const char* kReadOnlySuffix = " [только чтение]";
// The window's title: the workbook's file name, the workbook's status when
// it has one, then the program's name.
inline constexpr const char* kTitleSeparator = " — ";
inline constexpr const char* kProductName = "Kassa";

inline constexpr const char* kMenuEdit = "&Правка";
inline constexpr const char* kUndo = "&Отменить";
inline constexpr const char* kRedo = "&Повторить";
inline constexpr const char* kCut = "&Вырезать";
inline constexpr const char* kCopy = "&Копировать";
inline constexpr const char* kPaste = "Вст&авить";
inline constexpr const char* kClearCells = "О&чистить";
inline constexpr const char* kFind = "&Найти...";
inline constexpr const char* kMenuHelp = "&Справка";
inline constexpr const char* kGuide = "&Руководство пользователя";

// What an undoable edit was (shown with the undo and redo commands).
inline constexpr const char* kUndoTyping = "ввод";
inline constexpr const char* kUndoPaste = "вставку";
inline constexpr const char* kUndoClear = "очистку";
inline constexpr const char* kUndoCut = "вырезание";
inline constexpr const char* kUndoStale =
    "Отменить нельзя: ячейки изменились после правки (обновление из базы данных).";
inline constexpr const char* kRedoStale =
    "Повторить нельзя: ячейки изменились после отмены (обновление из базы данных).";

// The status bar: count and sum of the selected cells.
inline constexpr const char* kCount = "Количество: ";
inline constexpr const char* kSum = "Сумма: ";

// The find bar.
inline constexpr const char* kFindLabel = "Найти:";
inline constexpr const char* kFindNext = "Далее";
inline constexpr const char* kFindPrevious = "Назад";
inline constexpr const char* kFindClose = "Закрыть поиск";
inline constexpr const char* kNotFound = "Не найдено: ";

// Something the window could not handle ended the program (shown, then the
// program exits with a non-zero status).
inline constexpr const char* kInternalError = "Работа программы прервана из-за внутренней ошибки: ";
inline constexpr const char* kNoDisplay =
    "kassa-book: окно книги требует графической среды (DISPLAY не задан).\n";

// Printing and PDF of the active sheet; the charts beside a sheet.
inline constexpr const char* kPrint = "&Печать...";
inline constexpr const char* kPrintPreview = "Предварительный про&смотр...";
inline constexpr const char* kExportPdf = "&Экспорт в PDF...";
inline constexpr const char* kPreviewTitle = "Предварительный просмотр";
inline constexpr const char* kPdfTitle = "Экспорт листа в PDF";
inline constexpr const char* kPdfFilter = "Документы PDF (*.pdf)";
inline constexpr const char* kPdfFailed = "Не удалось записать файл PDF: ";
inline constexpr const char* kPageOf = "Страница %1 из %2";
inline constexpr const char* kSheetCaption = "Лист: %1";
inline constexpr const char* kChartMonth = "Месяц";
inline constexpr const char* kChartTotal = "Итого";
inline constexpr const char* kPdfUsage =
    "использование: kassa-book --pdf ФАЙЛ.pdf КНИГА ЛИСТ\n"
    "  записывает лист книги (как он сохранён, без макросов книги) в файл PDF\n";
inline constexpr const char* kPdfNoSheet = "kassa-book: в книге нет листа ";
inline constexpr const char* kPdfCannotOpen = "kassa-book: книга не открылась: ";

// Texts shown in place of a cell's error value.
inline constexpr const char* kErrorNull = "#ПУСТО!";
inline constexpr const char* kErrorDiv0 = "#ДЕЛ/0!";
inline constexpr const char* kErrorValue = "#ЗНАЧ!";
inline constexpr const char* kErrorRef = "#ССЫЛКА!";
inline constexpr const char* kErrorName = "#ИМЯ?";
inline constexpr const char* kErrorNum = "#ЧИСЛО!";
inline constexpr const char* kErrorNA = "#Н/Д";

// Month and day names of dates laid out by a number format.
inline constexpr const char* kMonthNominative[12] = {"Январь",   "Февраль", "Март",   "Апрель",
                                                     "Май",      "Июнь",    "Июль",   "Август",
                                                     "Сентябрь", "Октябрь", "Ноябрь", "Декабрь"};
inline constexpr const char* kMonthGenitive[12] = {"января",   "февраля", "марта",  "апреля",
                                                   "мая",      "июня",    "июля",   "августа",
                                                   "сентября", "октября", "ноября", "декабря"};
inline constexpr const char* kMonthShort[12] = {"янв", "фев", "мар", "апр", "май", "июн",
                                                "июл", "авг", "сен", "окт", "ноя", "дек"};
inline constexpr const char* kMonthLetter[12] = {"Я", "Ф", "М", "А", "М", "И",
                                                 "И", "А", "С", "О", "Н", "Д"};
// Sunday first.
inline constexpr const char* kDayLong[7] = {"воскресенье", "понедельник", "вторник", "среда",
                                            "четверг",     "пятница",     "суббота"};
inline constexpr const char* kDayShort[7] = {"Вс", "Пн", "Вт", "Ср", "Чт", "Пт", "Сб"};
inline constexpr const char* kAm = "AM";
inline constexpr const char* kPm = "PM";

}  // namespace kassa::book::texts
