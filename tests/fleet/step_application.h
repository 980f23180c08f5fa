// Doing a history's steps on the machine, and keeping the model of the
// user's data in step with what each one means for it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "fleet/fleet_machine.h"
#include "fleet/history_steps.h"
#include "fleet/program_run.h"
#include "fleet/user_data.h"

namespace fleet {

// A link, folder or hard link another user planted, by Windows path.
struct Planted {
  std::string path;
  Plant::Kind kind;
};

// What a history carries from step to step besides the machine.
struct HistoryState {
  UserDataModel model;
  std::vector<Planted> planted;
};

// The administrator removes what others planted (links, folders) and is
// still there.
void RemovePlants(sim::Machine &machine, HistoryState *state);

// Does `step` on `machine` (loaded, not saved); a run's outcome goes to
// `run`. The model changes as the step means: an edit is what the user
// last wrote; letting the earlier data go, or another user replacing a file
// or the folder, leaves nothing of the user's to keep there. Returns why
// the step did nothing, or "" when it did what it says. What another user
// destroys is theirs to answer for: a planted name that held the user's
// data, or the backup while the user's data depends on it, takes that data
// out of the model.
std::string ApplyStep(const Step &step, sim::Machine &machine, const Places &places, const std::string &package,
                      HistoryState *state, std::optional<RunOutcome> *run);

// A run's fault as it lies on this machine: a name without a drive in the
// folder the input method uses; a full disk's other files.
Fault PlacedFault(const Fault &fault, const sim::Machine &machine, const Places &places);

// The product's helper, once the input method runs: each ".bak" copy of a
// data file replaces that file and goes. Copies or files that are not plain
// files are left alone.
void MergeCopies(sim::Machine &machine, const std::string &folder, UserDataModel *model);

}  // namespace fleet
