// The Calc host's own texts for the user.
#pragma once

namespace kassa::calc::texts {

// An edit outside the grid the synchronised workbook keeps.
inline constexpr char kBeyondGrid[] =
    "Ячейки ниже строки 65536 и правее столбца IV не связаны с базой данных: "
    "изменения в них в базу не вносятся.";
// Sheets of a synchronised workbook are not inserted, removed or moved.
inline constexpr char kSheetsFixed[] =
    "Листы книги, связанной с базой данных, нельзя вставлять, удалять и переставлять. "
    "Действие отменено.";
// The sheets were rearranged anyway (by dragging a tab): the workbook is
// reopened from its file to stay in step.
inline constexpr char kSheetsRearranged[] =
    "Порядок листов книги изменился. Связь книги с базой данных прервана: "
    "закройте книгу без сохранения и откройте её снова.";

}  // namespace kassa::calc::texts
