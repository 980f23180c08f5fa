// Conformance of the fault guard (platform/fault_guard.h): a structured
// exception raised inside the guarded stretch is swallowed, the stretch ends
// there, and the program goes on behind the guard, as often as it happens.
#include "platform/conformance.h"
#include "platform/fault_guard.h"

namespace {

int reached = 0;

void FaultAfterFirstStep() {
  reached = 1;
  RaiseException(EXCEPTION_ACCESS_VIOLATION, 0, 0, NULL);
  reached = 2;
}

void RunToTheEnd() { reached = 3; }

}  // namespace

CONFORMANCE_CHECK(FaultGuardSwallowsAnAccessViolationAndGoesOnBehindIt) {
  reached = 0;
  CHECK_EQ(RunFaultGuarded(FaultAfterFirstStep), 0);
  CHECK_EQ(reached, 1);
  CHECK_EQ(RunFaultGuarded(RunToTheEnd), 1);
  CHECK_EQ(reached, 3);
}

CONFORMANCE_CHECK(FaultGuardCatchesEveryFaultInTurn) {
  for (int i = 0; i < 3; ++i) {
    reached = 0;
    CHECK_EQ(RunFaultGuarded(FaultAfterFirstStep), 0);
    CHECK_EQ(reached, 1);
  }
}
