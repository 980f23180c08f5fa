// Running the fleet: machines of consecutive seeds, each its history run in
// this process on one of several worker processes (one per core), every
// invariant checked after every step. A failing machine prints its seed, is
// shrunk to the fewest steps, the plainest machine and the fewest actions
// that still break the same invariant, and is written to a replay folder
// that setup-sim --root replays. A worker that hangs on a machine or dies
// of it fails that machine (no-hang, crash-chosen) and the rest go on.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace fleet {

struct FleetOptions {
  uint64_t seed = 1;
  uint64_t machines = 0;
  int jobs = 2;
  std::string smallPackage, demoPackage;
  std::filesystem::path work;    // the workers' machines
  std::filesystem::path report;  // the table, the HTML page and the replay folders
  std::string setupSim;          // when set, each replay is run once to keep its screens
  int shrink = 10;               // failing machines shrunk and kept, at most
  unsigned timeoutSeconds = 300; // a machine's history that runs longer hangs
  bool verbose = false;
};

// Runs the fleet, prints the table and writes the report; 1 when a machine
// failed, 0 when none did.
int RunFleet(const FleetOptions &options);

}  // namespace fleet
