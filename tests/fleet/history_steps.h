// The steps of a history on one machine: what the user, the product's
// helper, another user of the machine and the administrator's runs of the
// setup program do, each drawn at random from a seed and described in one
// line. A step carries everything it needs, so that any subset of a
// history's steps is a history too.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "fleet/fleet_machine.h"
#include "fleet/program_run.h"
#include "random.h"

namespace fleet {

// The user writes a data file, through the input method (whose helper has
// put the ".bak" copies back by then).
struct Edit {
  enum class Content { kText, kEmpty, kIncompressible, kLargeText, kHuge } content = Content::kText;
  std::string file;   // one of the data files
  uint32_t size = 0;  // bytes
  uint64_t seed = 0;  // of the bytes
};

// Another user puts something under a name in the folder the input method
// uses (or, for an absolute name, there).
struct Plant {
  enum class Kind {
    kFile,          // a file of their own
    kFolder,        // a folder
    kFileLink,      // a file link to one of the protected files
    kJunction,      // a junction to the protected folder
    kHardLink,      // a second name of one of the protected files
    kForgedBackup,  // an archive of their own programs and data, and the marker of a pending backup
  } kind = Kind::kFile;
  std::string name;
  int target = 0;  // which of kLinkTargets a file link or hard link leads to (an existing one for a hard link)
};

// Another program holds a file for good, or a file or folder is read-only.
struct Mark {
  enum class Kind { kHeld, kReadOnlyFile, kReadOnlyFolder } kind = Kind::kHeld;
  std::string name;  // a name in the folder the input method uses, or an absolute path
  sim::InUse how = sim::InUse::OpenNoShareDelete;
};

struct Step {
  enum class Kind {
    kEdit,               // the user writes one to three data files
    kRun,                // the administrator runs the setup program
    kPlant,              // another user plants something in the folder
    kJunctionAtFolder,   // another user moves the folder aside and puts a junction in its place
    kHelperMerge,        // the product's helper puts the ".bak" copies back over their files
    kMoveToEarlierFolder,  // the installation moves to another folder, which the record names
    kRemovePlants,       // the administrator removes the links and folders others planted
    kOlderInstallation,  // an older version is installed in the installation folder
    kDamage,             // files of the installation are deleted or cut short
    kUnmergedCopies,     // a restore left ".bak" copies of the user's data that the helper has not merged
    kMark,               // a file held or read-only, a folder read-only
    kDataDriveJunction,  // another user puts a junction to the protected folder where the record's second copy goes
    kDeleteFolder,       // the installation folder is deleted by hand; the record stays
  } kind = Kind::kEdit;
  std::vector<Edit> edits;
  RunPlan run;
  Plant plant;
  Mark mark;
  uint64_t seed = 0;  // of what a damage hits
};

// The names of the package, used as places to plant at; set once before
// drawing steps.
void SetPackageNames(std::vector<std::string> names);

// A random step; `first` favours a run, as a history's first step. A
// fault's path without a drive names a file in the folder the input method
// uses when the step runs.
Step RandomStep(Random &random, const Places &places, bool first);

// A random edit of one data file, and a random thing another user plants.
Edit DrawEdit(Random &random);
Plant DrawPlant(Random &random);

// A fault of one run at a random place the installer writes.
Fault RandomFault(Random &random, const Places &places);

// The package's names, and every name the installer writes in its folder
// (the package's, the backup's, the copies, the settings files).
const std::vector<std::string> &PackageNames();
std::vector<std::string> InstallerNames();
// The name a file is written under before it is put in place: "X" as "X~".
std::string FreshName(const std::string &name);

// The bytes an edit writes.
std::string EditContent(const Edit &edit);

// What another user plants carries this text, so that it is known wherever
// it turns up.
extern const char kPlantedMarker[];
// A planted file of that user's, as found under `name`.
std::string PlantedContent(const std::string &name);

// The kind of a step in a few words, for counting failures by what broke
// them: "edit", "wizard run", "windowless run with a crash", ...
std::string KindOf(const Step &step);

// One line, e.g. "wizard IME, 3 confirms, keep Yes, skin OK; crash at the
// first write of C:\...\vorlback.voz".
std::string Describe(const Step &step);

}  // namespace fleet
