// What a run changed on the simulated machine: files and registry keys,
// compared between a snapshot taken before and one taken after.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "simmachine/machine.h"

struct MachineSnapshot {
  std::map<std::string, std::string> files;  // path -> size and digest
  std::map<std::string, std::string> keys;   // key path -> its values as exported
};

MachineSnapshot TakeSnapshot(const sim::Machine &machine);

struct Change {
  char kind;  // '+' added, '-' removed, '~' changed
  std::string what;
};

std::vector<Change> FileChanges(const MachineSnapshot &before, const MachineSnapshot &after);
std::vector<Change> KeyChanges(const MachineSnapshot &before, const MachineSnapshot &after);
