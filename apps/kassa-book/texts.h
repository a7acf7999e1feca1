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

}  // namespace kassa::book::texts
