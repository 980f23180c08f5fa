// A history: a seeded sequence of steps on one fresh machine, each followed
// by every invariant; the first step that breaks one ends it. A failing
// history shrinks to the fewest of its steps that still break the same
// invariant.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "fleet/fleet_machine.h"
#include "fleet/history_steps.h"
#include "fleet/invariants.h"

namespace fleet {

struct HistoryOptions {
  MachineTraits machine;
  std::string package;           // the package the program carries
  std::filesystem::path work;    // a folder of the runner's own for machines
  bool verbose = false;          // print each step as it runs
};

struct HistoryResult {
  size_t stepsRun = 0;
  int failedStep = -1;  // the index of the step after which an invariant broke
  std::vector<Violation> violations;
  bool Failed() const { return failedStep >= 0; }
};

class HistoryRunner {
 public:
  // Makes the machine every history starts from, in options.work.
  explicit HistoryRunner(HistoryOptions options);

  const Places &places() const { return places_; }

  // The steps of the history of `seed`.
  std::vector<Step> Draw(uint64_t seed) const;

  // Runs `steps` on a fresh machine of the options' kind with the options'
  // package, or of `traits` with `package`; the machine is kept in
  // machine_root() until the next run, and its state before each step in
  // step_root(index) while `keepSteps` is set.
  HistoryResult Run(const std::vector<Step> &steps);
  HistoryResult Run(const MachineTraits &traits, const std::vector<Step> &steps, const std::string &package);

  // The indices of the fewest of the steps found that still break the
  // invariant `failure` broke, on the machine and package of the last Run;
  // at most `budget` histories are tried.
  std::vector<size_t> Shrink(const std::vector<Step> &steps, const HistoryResult &failure, int budget);

  std::filesystem::path machine_root() const { return options_.work / "machine"; }
  std::filesystem::path step_root(size_t index) const { return options_.work / ("before-" + std::to_string(index)); }
  void set_keep_steps(bool keep) { keepSteps_ = keep; }

 private:
  HistoryOptions options_;
  Places places_;
  std::map<std::string, std::string> protectedFiles_;
  MachineTraits traits_;
  std::string package_;
  bool keepSteps_ = false;
};

}  // namespace fleet
