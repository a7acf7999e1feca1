// `kassa-script --calc`: runs a scenario in LibreOffice Calc instead of the
// in-memory host.
//
// The office starts on its own, with a private copy of a profile that has
// the Kassa extension and the runner's extension installed (so it never
// meets the user's office or another instance: the profile folder decides
// the office's instance), headless with visible document windows, or on
// $DISPLAY with `window`. The runner inside the office (calc/script) runs
// the scenario and writes the transcript, which is printed here; the exit
// status is the run's (0 after the last line, 1 when it ended early, 2 when
// the office could not run it).
//
// The profile is $KASSA_CALC_PROFILE when set, else
// $XDG_CACHE_HOME/kassa/calc-profile (~/.cache/...), made when missing by
// <tools>/calc-profile.sh from <tools>/kassa-calc.oxt and
// <tools>/kassa-calc-script.oxt. $KASSA_CALC_TIMEOUT (seconds, default 280)
// bounds the run.
#pragma once

#include <string>

namespace kassa::script {

int RunInOffice(const std::string& scenario, bool window, const std::string& deploy,
                const std::string& tools);

}  // namespace kassa::script
