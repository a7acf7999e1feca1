// Names of the wait-message server.
#pragma once

namespace kassa::waitbox::texts {

inline constexpr char kProgId[] = "Waitbox.clsMsgBox";
inline constexpr char kFormName[] = "clsMsgBox";
inline constexpr char kLabelName[] = "Label_Msg";

}  // namespace kassa::waitbox::texts
