// The desktop backend's own user-visible texts.
#pragma once

namespace kassa::ui::qt::texts {

inline constexpr const char* kOK = "ОК";
inline constexpr const char* kCancel = "Отмена";
inline constexpr const char* kYes = "Да";
inline constexpr const char* kNo = "Нет";

// The user's guide.
inline constexpr const char* kGuideFileName = "guide.ru.md";
inline constexpr const char* kGuideTitle = "Справка — Kassa";
inline constexpr const char* kGuideMissing =
    "Руководство пользователя не найдено. Оно поставляется вместе с программой: "
    "doc/ рядом с программой или share/doc/kassa/ в каталоге установки, файл ";
inline constexpr const char* kMenuHelp = "&Справка";
inline constexpr const char* kGuide = "&Руководство пользователя";

}  // namespace kassa::ui::qt::texts
