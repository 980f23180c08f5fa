// A guard against processor faults (an access violation and the like) in a
// stretch of the program: the fault is swallowed and the program goes on
// behind the guarded stretch. MinGW has no __try, so on Windows the guard is
// an exception filter; on the simulated machine it catches the structured
// exceptions the simulation raises.
#pragma once

// Runs `body`. Returns 1 when it ran to its end, 0 when a fault cut it short;
// what `body` did before the fault stays done. Guards do not nest.
int RunFaultGuarded(void (*body)());
