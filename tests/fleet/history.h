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
  MachineSpec machine;
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

  // Runs `steps` on a fresh machine, kept in machine_root() until the next run.
  HistoryResult Run(const std::vector<Step> &steps);

  // The indices of the fewest of the steps found that still break the
  // invariant `failure` broke; at most `budget` histories are tried.
  std::vector<size_t> Shrink(const std::vector<Step> &steps, const HistoryResult &failure, int budget);

  std::filesystem::path machine_root() const { return options_.work / "machine"; }

 private:
  HistoryOptions options_;
  Places places_;
  std::map<std::string, std::string> protectedFiles_;
};

}  // namespace fleet
