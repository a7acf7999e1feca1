// The cash entry program: records one cash payment into NAL_BUFFER.
#pragma once

namespace kassa::paydesk {

// Builds the program's windows on the UI port in effect, shows
// Input_Nal_Pay and returns when the program ends: 0 when it ended itself
// (an entry stored or refused by the database, "Выход", the window closed, a
// library missing), 1 when the user could act no more (the port's wait
// failed). The windows still shown are hidden before it returns.
int RunPaydesk();

}  // namespace kassa::paydesk
