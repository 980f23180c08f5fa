// The machines of the fleet, each the history of one machine: a machine
// drawn along the axes, its earlier life (an installation of this version,
// an older one, a damaged one, one in another folder or deleted by hand;
// the user's data in any of its files; ".bak" copies a restore left; files
// held or read-only, read-only folders; files, folders and links planted),
// one run drawn from the grammar, at times with a fault, and then the
// reinstallation that must succeed where the machine allows one.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "fleet/history_steps.h"
#include "fleet/machine_axes.h"

namespace fleet {

struct FleetMachine {
  uint64_t seed = 0;
  MachineTraits traits;
  bool demoPackage = false;  // the real demo package instead of the small one
  std::vector<Step> steps;
  // Every axis with this machine's value on it, in a fixed order.
  std::vector<std::pair<std::string, std::string>> axes;
};

// One machine in this many carries the real demo package (seeds that are
// multiples of it).
const uint64_t kDemoPackageEvery = 100;

FleetMachine DrawFleetMachine(uint64_t seed);

// The names of every axis a fleet machine is described by, in order.
std::vector<std::string> FleetAxisNames();

}  // namespace fleet
