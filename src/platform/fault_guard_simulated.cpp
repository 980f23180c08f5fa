// The fault guard on the simulated machine, where a processor fault is the
// structured exception the simulation raises.
#include "platform/fault_guard.h"

#include "simmachine/structured_exception.h"

int RunFaultGuarded(void (*body)()) {
  try {
    body();
  } catch (const sim::StructuredException &) {
    return 0;
  }
  return 1;
}
