// The runner's own transcript texts: why a run ended early.
#pragma once

namespace kassa::script::texts {

inline constexpr char kFailPrefix[] = "FAIL ";
inline constexpr char kUnansweredBox[] = "message box without an answer: ";
inline constexpr char kWaitAfterLastLine[] = "the program waits for the user after the last line";
inline constexpr char kUnknownCommand[] = "unknown command: ";
inline constexpr char kCannotCopy[] = "copy: cannot copy ";
inline constexpr char kInternalError[] = "internal error: ";
inline constexpr char kUsage[] = "usage: kassa-script [--calc | --calc-window] <scenario.ks>";
inline constexpr char kNoPaydesk[] = "paydesk: the cash entry program is not part of this build";

}  // namespace kassa::script::texts
