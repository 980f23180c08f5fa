// The simulated machine the fuzz targets run on, made once per process and
// reused: C:\fuzz\morvak8\ as installation directory (the Program Files
// folder is C:\fuzz), the working buffer allocated, and files in use where
// the extraction has to move them aside (a loaded module and a file held
// open without delete sharing, under names an input can hit, short ones
// included), with files beside the installation directory that a
// move-aside reaching out of it would delete or replace.
//
// The machine lives in $FUZZ_MACHINE_DIR (the run script points it at a
// tmpfs, where creating and deleting files costs no disk), or else in the
// current directory, as fuzz-machine-<pid>.
#pragma once

#include "simmachine/machine.h"

namespace fuzz_machine {

const char kProgramFiles[] = "C:\\fuzz";
const char kInstallDir[] = "C:\\fuzz\\morvak8\\";

// The machine for the next input, as it was laid out: made on the first call.
sim::Machine &Ready();

// Call after each input. Aborts, naming what changed, when anything outside
// the installation directory changed: a file or folder created, deleted,
// renamed, written, or given other attributes, in-use state or DACL. Then
// lays the installation directory out afresh if the input changed anything
// in it, and clears the event log, so that the next input starts from the
// same machine.
void Finish(sim::Machine &machine);

}  // namespace fuzz_machine
