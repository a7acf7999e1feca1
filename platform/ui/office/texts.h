// The office backend's own user-visible texts.
#pragma once

namespace kassa::ui::office::texts {

inline constexpr const char* kOK = "ОК";
inline constexpr const char* kCancel = "Отмена";
inline constexpr const char* kYes = "Да";
inline constexpr const char* kNo = "Нет";

}  // namespace kassa::ui::office::texts
