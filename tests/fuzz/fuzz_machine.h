// The simulated machine the fuzz targets run on: made once per process in a
// folder of the current directory (the run script's work folder, emptied by
// the next run), with C:\fuzz\ as installation directory and the working
// buffer allocated.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <set>
#include <string>

#include <unistd.h>

#include "common/program_state.h"
#include "common/text_buffer.h"
#include "package/package_data.h"
#include "simmachine/machine.h"

namespace fuzz_machine {

const char kInstallDir[] = "C:\\fuzz\\";

inline std::filesystem::path Root() {
  return std::filesystem::current_path() / ("fuzz-machine-" + std::to_string(getpid()));
}

// The files the machine had before any input.
inline std::set<std::string> &FilesAtStart() {
  static std::set<std::string> files;
  return files;
}

// The machine, ready for one more input: its event log cleared and, every
// few hundred inputs, the installation directory emptied.
inline sim::Machine &Ready() {
  static std::unique_ptr<sim::Machine> machine;
  static int inputs = 0;
  if (!machine) {
    machine = sim::Machine::CreateFromPreset("win10-x64", Root());
    sim::Machine::Install(machine.get());
    CopyText(installDir, kInstallDirSize, kInstallDir);
    AllocateWorkingBuffer();
    for (const std::string &path : machine->files.ListAllFiles()) FilesAtStart().insert(path);
  }
  if (inputs++ % 256 == 0) {
    std::filesystem::remove_all(machine->files.HostPath(kInstallDir));
    machine->files.MakeDirectories(kInstallDir);
  }
  machine->events.Clear();
  return *machine;
}

// Aborts when a file appeared anywhere but in the installation directory.
inline void CheckNothingOutsideInstallDir(sim::Machine &machine) {
  for (const std::string &path : machine.files.ListAllFiles()) {
    if (FilesAtStart().count(path)) continue;
    // The listing names the drive as "C" or "C:".
    const size_t folder = path.find('\\');
    if (path[0] != 'C' || folder == std::string::npos || path.compare(folder, 6, "\\fuzz\\") != 0) std::abort();
  }
}

}  // namespace fuzz_machine
