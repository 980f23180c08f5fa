// The top-level windows of other programs that run on the machine from the
// start (the profile's [windows]).
#pragma once

namespace sim {

class Machine;

// Adds the profile's other-program windows to the machine's windows, once;
// the window calls that look for windows call it first.
void OpenOtherProgramWindows(Machine &machine);

}  // namespace sim
