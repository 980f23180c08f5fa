#include "fleet/history.h"

#include <cstdio>
#include <optional>

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

// The walk of a reinstallation that keeps the earlier data.
RunSpec KeepingReinstallation() {
  RunSpec spec;
  spec.walk.keep = WizardWalk::Keep::kYes;
  return spec;
}

}  // namespace

HistoryRunner::HistoryRunner(HistoryOptions options) : options_(std::move(options)) {
  MakeMachine(options_.machine, options_.work / "template");
  const std::unique_ptr<sim::Machine> machine = sim::Machine::Load(options_.work / "template");
  places_ = PlacesOf(machine->profile);
  protectedFiles_ = ReadProtected(*machine, places_);
}

std::vector<Step> HistoryRunner::Draw(uint64_t seed) const {
  Random random(seed);
  std::vector<Step> steps;
  const uint32_t length = kShortest + random.Below(kLongest - kShortest + 1);
  for (uint32_t i = 0; i < length; ++i) steps.push_back(RandomStep(random, places_, i == 0));
  return steps;
}

HistoryResult HistoryRunner::Run(const std::vector<Step> &steps) {
  const fs::path root = machine_root(), trial = options_.work / "trial";
  CopyMachine(options_.work / "template", root);
  HistoryState state;
  HistoryResult result;
  for (size_t i = 0; i < steps.size(); ++i) {
    std::unique_ptr<sim::Machine> machine = sim::Machine::Load(root);
    const std::map<std::string, uint64_t> sizesBefore = DataSizes(*machine, DataFolder(*machine, places_));
    std::optional<RunOutcome> run;
    const std::string note = ApplyStep(steps[i], *machine, places_, options_.package, &state, &run);
    machine->Save();
    ++result.stepsRun;
    if (options_.verbose)
      std::printf("  %zu: %s%s\n", i, Describe(steps[i]).c_str(), note.empty() ? "" : (" (" + note + ")").c_str());
    // The next installation that keeps the data, once the administrator has
    // removed what others planted: a junction at the folder stops every
    // installation, as it must, without the data being lost.
    auto lostOnReinstall = [&] {
      CopyMachine(root, trial);
      std::unique_ptr<sim::Machine> copy = sim::Machine::Load(trial);
      HistoryState cleaned = state;
      RemovePlants(*copy, &cleaned);
      RunProgram(*copy, KeepingReinstallation(), options_.package);
      return FilesNotInPlace(*copy, DataFolder(*copy, places_), state.model);
    };
    const StepContext context{*machine,    places_,         steps[i], run ? &*run : nullptr,
                              state.model, protectedFiles_, sizesBefore, lostOnReinstall};
    for (const Invariant &invariant : Invariants()) invariant.check(context, &result.violations);
    if (!result.violations.empty()) {
      result.failedStep = int(i);
      break;
    }
  }
  return result;
}

std::vector<size_t> HistoryRunner::Shrink(const std::vector<Step> &steps, const HistoryResult &failure, int budget) {
  const std::string invariant = failure.violations.front().invariant;
  std::vector<size_t> kept;
  for (size_t i = 0; i <= size_t(failure.failedStep); ++i) kept.push_back(i);
  // Still fails the same way: then the steps after the failing one go too.
  auto stillFails = [&](std::vector<size_t> *candidate) {
    std::vector<Step> chosen;
    for (size_t index : *candidate) chosen.push_back(steps[index]);
    const HistoryResult result = Run(chosen);
    if (!result.Failed() || result.violations.front().invariant != invariant) return false;
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
