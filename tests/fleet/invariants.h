// What must hold after every step of a history, each checked from the
// machine's state and what the run logged, not from the product's own
// records where that can be avoided.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "fleet/fleet_machine.h"
#include "fleet/history_steps.h"
#include "fleet/machine_snapshot.h"
#include "fleet/program_run.h"
#include "fleet/user_data.h"

namespace fleet {

struct Violation {
  std::string invariant;  // the name of the invariant
  std::string detail;     // what was wrong, in one line
};

// Whether two violations are the same break: the same invariant, and the
// same detail up to its first colon (what follows names files and messages,
// which a smaller history changes). A shrunk history that breaks the
// invariant another way, a run that waits for clicks it no longer has, say,
// is not the same failure.
bool SameBreak(const Violation &a, const Violation &b);

// What one step left, as the checks see it.
struct StepContext {
  const sim::Machine &machine;  // after the step
  const Places &places;
  const Step &step;
  const RunOutcome *run = nullptr;  // null when the step ran no program
  const UserDataModel &model;       // what the user's data is after the step
  const std::map<std::string, std::string> &protectedFiles;  // the protected folder as the machine was made
  // The size of each data file in the folder the input method used before
  // the step, for those that were there.
  const std::map<std::string, uint64_t> &sizesBefore;
  // Runs a reinstallation that keeps the earlier data on a copy of the
  // machine, and gives the model's files it does not bring back.
  std::function<std::vector<std::string>()> filesLostOnReinstall;
  // For a run: the machine before it, the earlier installation's folders
  // then, and why the machine allowed no reinstallation ("" when it did).
  const MachineSnapshot *before = nullptr;
  const std::vector<std::string> &earlierFolders;
  const std::string &whyNoReinstallation;
  const std::string &package;  // the package the program carried
};

using Check = void (*)(const StepContext &context, std::vector<Violation> *violations);

struct Invariant {
  const char *name;
  Check check;
};

// Every invariant, in the order they are checked:
//   data-kept          each byte the user last wrote is in place, or comes back
//                      with a reinstallation that keeps the earlier data once
//                      the other programs let go of the machine's files;
//   outside-unchanged  nothing of the protected folder changed, and nothing of
//                      it was copied into the installation folder;
//   planted-not-run    no program another user planted was started, and nothing
//                      they planted reached a system folder;
//   messages-true      the restore's success message only with the data in place,
//                      its failure message never for a file that is fine or that
//                      the backup cannot carry;
//   crash-chosen       the program crashed only where a fault made it;
//   places-kept        a run wrote, deleted, renamed or re-permissioned nothing
//                      outside the places the program may change, and took no
//                      other input method's id from the preload list;
//   outcome-true       the completion message or the windowless exit code 0
//                      only when every installed file checks out and the
//                      registration took place; no failure shown that was not
//                      one when it showed, no message that cannot be read;
//   reinstall-succeeds a reinstallation on a machine that allows one succeeds.
// A run that hangs or dies of a fault of its own process (a sanitizer's
// report among them) is caught by whoever runs the history: no-hang.
const std::vector<Invariant> &Invariants();

}  // namespace fleet
