// The machines of the fleet: a preset made into a machine a real user might
// have, along the axes the simulated Windows knows (code page, the
// program's build, rights, the IMM32 installer, the Program Files folder,
// drives, keyboard layouts and preload lists, the text services' order,
// other programs' windows and shared memory). Each axis has a plain value,
// the preset's own, to which a shrunk machine falls back.
#pragma once

#include <string>
#include <vector>

#include "random.h"
#include "simmachine/machine.h"

namespace fleet {

struct MachineTraits {
  std::string preset = "win10-x64";
  // An English Windows (OEM 437, ANSI 1252) instead of the preset's Chinese one.
  bool western = false;
  bool process64 = false;  // setup64.exe on a 64-bit Windows
  bool administrator = true;
  bool imeInstallFails = false;
  bool specialFolderFails = false;
  enum class ProgramFolder { kPreset, kLong, kNonAscii, kOtherDrive, kBlanks } programFolder = ProgramFolder::kPreset;
  int longFolderLength = 0;  // of a long Program Files folder
  enum class Drives { kPreset, kDataDriveE, kDataDriveG } drives = Drives::kPreset;
  enum class Layouts { kPreset, kForeignImes, kProductOtherLanguage, kProductTwice, kMany, kOdd } layouts =
      Layouts::kPreset;
  enum class Preload { kPreset, kFull, kGaps, kProductFirst, kProductThird, kLongValue, kSameNumber } preload =
      Preload::kPreset;
  enum class SortOrder { kPreset, kProductListed, kUnreadable } sortOrder = SortOrder::kPreset;
  enum class Windows { kNone, kStatKeltOwned, kUiKeltAlone, kBoth, kServer, kServerFaulting, kUnrelated } windows =
      Windows::kNone;
  enum class SharedMemory { kNone, kTsf, kIme } sharedMemory = SharedMemory::kNone;
};

// One axis of the machines: its name, the value a machine has on it, and
// how a machine goes back to the plain value.
struct Axis {
  const char *name;
  std::string (*value)(const MachineTraits &traits);
  void (*plain)(MachineTraits *traits);
};
const std::vector<Axis> &MachineAxes();

// A random machine.
MachineTraits DrawMachineTraits(Random &random);

// The profile of `traits`: its preset's, with the facts of its axes.
sim::Profile ProfileOf(const MachineTraits &traits);

// Puts the axes of `traits` on a machine just made from its preset: the
// profile's facts, the registry's layouts, lists and orders, and the folders
// the new profile names.
void ApplyMachineTraits(const MachineTraits &traits, sim::Machine &machine);

}  // namespace fleet
