// The configuration component's user-visible texts, kept in one place.
#pragma once

#include <string>

namespace kassa::inibook::texts {

// A configured book that is opened tells nothing; a book without a usable
// configuration tells the user once, on open, why its sheets stay apart
// from the database.
inline std::string NoConfiguration(const std::string& path) {
  return "Листы книги не синхронизируются с базой данных: настройка книги не найдена ни в "
         "файле " +
         path + ", ни в самой книге. Изменения на листах в базу данных записываться не будут.";
}
inline std::string FaultyConfiguration(const std::string& path, const std::string& error) {
  return "Листы книги не синхронизируются с базой данных: в настройке книги " + path + " ошибка (" +
         error + "). Изменения на листах в базу данных записываться не будут.";
}
// Where the copy of the configuration kept inside the workbook is named.
inline std::string CopyInBook(const std::string& path) {
  return "копия " + path + " в самой книге";
}

// Faults of the configuration file, as "строка N: <fault>".
inline std::string AtLine(int line, const std::string& fault) {
  return "строка " + std::to_string(line) + ": " + fault;
}
inline constexpr const char* kCannotRead = "файл не читается";
inline constexpr const char* kBadSection = "неверный заголовок раздела";
inline constexpr const char* kSheetTwice = "лист указан дважды: ";
inline constexpr const char* kNoEquals = "ожидается «ключ = значение»";
inline constexpr const char* kBeforeSheet = "настройка до первого раздела [лист]";
inline constexpr const char* kBadSwitch = "переключатель должен быть yes или no: ";
inline constexpr const char* kColumnFields = "у столбца должно быть 2 или 5 полей";
inline constexpr const char* kUnknownType = "неизвестный тип столбца: ";
inline constexpr const char* kNoField = "у столбца нет поля";
inline constexpr const char* kIncompleteLookup = "неполный справочник";
inline constexpr const char* kUnknownKey = "неизвестный ключ: ";

}  // namespace kassa::inibook::texts
