// The top-level windows of other programs that run on the machine from the
// start (the profile's [windows]).
#pragma once

#include <string>

namespace sim {

class Machine;

// Adds the profile's other-program windows to the machine's windows, once;
// the window calls that look for windows call it first.
void OpenOtherProgramWindows(Machine &machine);

// The user ends the other programs that show a window of `className`: those
// windows and the windows that own them go, for the rest of the run.
void QuitOtherPrograms(Machine &machine, const std::string &className);

}  // namespace sim
