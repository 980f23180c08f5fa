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
#include "fleet/program_run.h"
#include "fleet/user_data.h"

namespace fleet {

struct Violation {
  std::string invariant;  // the name of the invariant
  std::string detail;     // what was wrong, in one line
};

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
};

using Check = void (*)(const StepContext &context, std::vector<Violation> *violations);

struct Invariant {
  const char *name;
  Check check;
};

// Every invariant, in the order they are checked:
//   data-kept          each byte the user last wrote is in place, or comes back
//                      with a reinstallation that keeps the earlier data;
//   outside-unchanged  nothing of the protected folder changed, and nothing of
//                      it was copied into the installation folder;
//   planted-not-run    no program another user planted was started, and nothing
//                      they planted reached a system folder;
//   messages-true      the restore's success message only with the data in place,
//                      its failure message never for a file that is fine or that
//                      the backup cannot carry;
//   crash-chosen       the program crashed only where a fault made it.
const std::vector<Invariant> &Invariants();

}  // namespace fleet
