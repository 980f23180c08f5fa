// The places the setup program may change, written down once as data from
// what it is there to do: the installation folder whole; in the earlier
// installation's folders the backup, its copies and the user's data files;
// in the Windows folder the record, the pending backup's state and the
// uninstaller; in the system folders the input method's modules and the
// names they are moved aside to; the record's second copy on the data
// drive; the access of the folder the fixed tool path names; and in the
// registry the product's own keyboard layout, the preload lists, its text
// service, its uninstall, auto-start and user-agent entries. Anything a run
// writes, deletes, renames or re-permissions elsewhere is a fault.
#pragma once

#include <string>
#include <vector>

#include "fleet/fleet_machine.h"
#include "fleet/machine_snapshot.h"

namespace fleet {

// The folders an earlier installation lives in, as the machine says before
// a run: the one its record names and those of a pending backup.
std::vector<std::string> EarlierFolders(const sim::Machine &machine);

// The changes between `before` and `after` outside the places above, one
// line each. `earlier` is EarlierFolders() before the run.
std::vector<std::string> ChangesOutsideAllowedPlaces(const sim::Machine &machine, const Places &places,
                                                     const std::vector<std::string> &earlier,
                                                     const MachineSnapshot &before, const MachineSnapshot &after);

// Whether a keyboard layout's text (UTF-8) is the product's: its display
// name, as IMM32 writes it from the program's wide text or as the program
// writes its 8-bit text through the machine's ANSI code page.
bool IsProductLayoutText(const sim::Profile &profile, const std::string &text);

// The ids of the user's preload list that another input method holds and
// that a run took away, where the program had no reason to: the list was
// not full and the id was not one the program's own id replaces.
std::vector<std::string> ForeignPreloadIdsLost(const sim::Machine &machine, const MachineSnapshot &before,
                                               const MachineSnapshot &after);

}  // namespace fleet
