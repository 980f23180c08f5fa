#include "fleet/history.h"

#include <cstdio>
#include <optional>

#include "fleet/allowed_places.h"
#include "fleet/machine_snapshot.h"
#include "fleet/outcome_check.h"
#include "fleet/run_grammar.h"
#include "fleet/step_application.h"

namespace fleet {

namespace {

namespace fs = std::filesystem;

// A history has from kShortest to kLongest steps.
const uint32_t kShortest = 3;
const uint32_t kLongest = 12;

std::map<std::string, uint64_t> DataSizes(const sim::Machine &machine, const std::string &folder) {
  std::map<std::string, uint64_t> sizes;
  for (const std::string &file : DataFiles()) {
    std::error_code error;
    const uint64_t size = fs::file_size(machine.files.HostPath(folder + file), error);
    if (!error) sizes[file] = size;
  }
  return sizes;
}

// The reinstallation that keeps the earlier data, made once the other
// programs have let go of the machine's files and folders: what it cannot
// bring back is lost.
// The next installation that keeps the data, once the administrator has
// removed what others planted and what held files: a junction at the folder
// stops every installation, as it must, without the data being lost.
std::vector<std::string> LostOnReinstall(const fs::path &root, const fs::path &trial, const Places &places,
                                         HistoryState state, const std::string &package) {
  CopyMachine(root, trial);
  std::unique_ptr<sim::Machine> copy = sim::Machine::Load(trial);
  DropStateLines(*copy, {"in_use", "read_only_folder", "attributes"});
  RemovePlants(*copy, &state);
  RunProgram(*copy, KeepingReinstallation(false), package);
  return FilesNotInPlace(*copy, DataFolder(*copy, places), state.model);
}

}  // namespace

HistoryRunner::HistoryRunner(HistoryOptions options) : options_(std::move(options)) {
  sim::Profile profile;
  sim::PresetProfile(options_.machine.preset, &profile);
  places_ = PlacesOf(profile);
}

std::vector<Step> HistoryRunner::Draw(uint64_t seed) const {
  Random random(seed);
  std::vector<Step> steps;
  const uint32_t length = kShortest + random.Below(kLongest - kShortest + 1);
  for (uint32_t i = 0; i < length; ++i) steps.push_back(RandomStep(random, places_, i == 0));
  return steps;
}

HistoryResult HistoryRunner::Run(const std::vector<Step> &steps) { return Run(options_.machine, steps, options_.package); }

HistoryResult HistoryRunner::Run(const MachineTraits &traits, const std::vector<Step> &steps,
                                 const std::string &package) {
  traits_ = traits, package_ = package;
  const fs::path root = machine_root(), trial = options_.work / "trial";
  MakeMachine(traits, root);
  {
    const std::unique_ptr<sim::Machine> made = sim::Machine::Load(root);
    places_ = PlacesOf(made->profile);
    protectedFiles_ = ReadProtected(*made, places_);
  }
  HistoryState state;
  HistoryResult result;
  for (size_t i = 0; i < steps.size(); ++i) {
    if (keepSteps_) CopyMachine(root, step_root(i));
    std::unique_ptr<sim::Machine> machine = sim::Machine::Load(root);
    const std::map<std::string, uint64_t> sizesBefore = DataSizes(*machine, DataFolder(*machine, places_));
    const bool runs = steps[i].kind == Step::Kind::kRun;
    std::optional<MachineSnapshot> before;
    std::vector<std::string> earlier;
    std::string whyNoReinstallation;
    if (runs) {
      before = TakeSnapshot(*machine);
      earlier = EarlierFolders(*machine);
      if (steps[i].run.reinstallation) whyNoReinstallation = WhyNoReinstallation(*machine, places_, steps[i].run);
    }
    std::optional<RunOutcome> run;
    const std::string note = ApplyStep(steps[i], *machine, places_, package, &state, &run);
    machine->Save();
    ++result.stepsRun;
    if (options_.verbose)
      std::printf("  %zu: %s%s\n", i, Describe(steps[i]).c_str(), note.empty() ? "" : (" (" + note + ")").c_str());
    auto lostOnReinstall = [&] { return LostOnReinstall(root, trial, places_, state, package); };
    const StepContext context{*machine,       places_,         steps[i],       run ? &*run : nullptr,
                              state.model,    protectedFiles_, sizesBefore,    lostOnReinstall,
                              before ? &*before : nullptr,     earlier,        whyNoReinstallation, package};
    for (const Invariant &invariant : Invariants()) invariant.check(context, &result.violations);
    if (!result.violations.empty()) {
      result.failedStep = int(i);
      break;
    }
  }
  return result;
}

std::vector<size_t> HistoryRunner::Shrink(const std::vector<Step> &steps, const HistoryResult &failure, int budget) {
  std::vector<size_t> kept;
  for (size_t i = 0; i <= size_t(failure.failedStep); ++i) kept.push_back(i);
  // Still fails the same way: then the steps after the failing one go too.
  auto stillFails = [&](std::vector<size_t> *candidate) {
    std::vector<Step> chosen;
    for (size_t index : *candidate) chosen.push_back(steps[index]);
    const HistoryResult result = Run(traits_, chosen, package_);
    if (!result.Failed() || !SameBreak(result.violations.front(), failure.violations.front())) return false;
    candidate->resize(size_t(result.failedStep) + 1);
    return true;
  };
  for (size_t chunk = kept.size() / 2; chunk >= 1 && budget > 0; chunk /= 2) {
    for (size_t start = 0; start + chunk <= kept.size() && budget > 0;) {
      std::vector<size_t> candidate(kept.begin(), kept.begin() + long(start));
      candidate.insert(candidate.end(), kept.begin() + long(start + chunk), kept.end());
      --budget;
      if (!candidate.empty() && stillFails(&candidate)) kept = candidate;
      else start += chunk;
    }
  }
  return kept;
}

}  // namespace fleet
