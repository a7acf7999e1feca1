// Texts of values shown to the user.
#pragma once

namespace kassa::texts {

inline constexpr const char* kTrue = "Истина";
inline constexpr const char* kFalse = "Ложь";

}  // namespace kassa::texts
