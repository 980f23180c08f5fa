// What a run may change on a machine, as it stands at one moment: every
// file and folder with its identity, size and time of its last write, the
// marks of machine.ini's [files] (attributes, DACLs, links, read-only
// folders, holds), and every registry value; and the differences between
// two such moments.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "simmachine/machine.h"

namespace fleet {

struct MachineSnapshot {
  // By upper-case Windows path: a file's or folder's state, and its marks.
  std::map<std::string, std::string> files;
  std::map<std::string, std::string> marks;
  // By upper-case key path and value name ("KEY\NAME", "@" for the default
  // value); a key's own entry is "KEY\" with no value name.
  std::map<std::string, std::string> registry;
  // The ids of the user's preload list by position (1 to 49), and the
  // layout text of each keyboard layout by its upper-case id.
  std::map<int, std::string> preload;
  std::map<std::string, std::string> layoutTexts;
};

MachineSnapshot TakeSnapshot(const sim::Machine &machine);

// One upper-case path that differs, and how: "added", "removed", "written",
// "marks changed" (files) or "added", "removed", "changed" (registry).
struct Change {
  std::string path;
  std::string how;
};
std::vector<Change> FileChanges(const MachineSnapshot &before, const MachineSnapshot &after);
std::vector<Change> RegistryChanges(const MachineSnapshot &before, const MachineSnapshot &after);

// A Windows path as the snapshots key it.
std::string SnapshotKey(const std::string &windowsPath);

}  // namespace fleet
