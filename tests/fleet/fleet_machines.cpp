#include "fleet/fleet_machines.h"

#include <initializer_list>

#include "fleet/fleet_machine.h"
#include "fleet/random_draws.h"
#include "fleet/run_grammar.h"
#include "fleet/user_data.h"

namespace fleet {

namespace {

template <typename T, size_t N>
const T &Pick(Random &random, const T (&items)[N]) {
  return items[random.Below(N)];
}

Step Kind(Step::Kind kind) {
  Step step;
  step.kind = kind;
  return step;
}

// A plain installation: the windowless run or the wizard walked through.
Step Installation(Random &random) {
  Step step = Kind(Step::Kind::kRun);
  step.run.windowless = Chance(random, 40);
  step.run.walk.pinyin = Chance(random, 30);
  step.run.walk.ime = Chance(random, 40);
  return step;
}

const char *const kEarlierKinds[] = {"none",         "this version (wizard)", "this version (windowless)",
                                     "an older one", "damaged",               "in another folder",
                                     "its folder deleted"};

// The earlier installation, returning the kind's index.
size_t DrawEarlier(Random &random, std::vector<Step> *steps) {
  const size_t kind = Weighted(random, {36, 17, 13, 10, 8, 9, 7});
  switch (kind) {
    case 0: break;
    case 1:
    case 2: {
      Step run = Installation(random);
      run.run.windowless = kind == 2;
      steps->push_back(run);
      break;
    }
    case 3: steps->push_back(Kind(Step::Kind::kOlderInstallation)); break;
    default: {
      steps->push_back(Installation(random));
      Step after = Kind(kind == 4 ? Step::Kind::kDamage : kind == 5 ? Step::Kind::kMoveToEarlierFolder
                                                                     : Step::Kind::kDeleteFolder);
      after.seed = random.Next();
      steps->push_back(after);
      break;
    }
  }
  return kind;
}

Edit DrawCopyEdit(Random &random) {
  static const char *const kCopied[] = {"vorlcyzk.voh", "voszsj43.voh", "cfontset.voh", "cwbzlcz1.voh",
                                        "vowbcmxz.voh", "vodhzcm.voh",  "vorldhz.voh",  "vogbkhz.voh"};
  Edit edit = DrawEdit(random);
  edit.file = Pick(random, kCopied);
  return edit;
}

// A file held by another program or read-only, or a read-only folder.
Mark DrawMark(Random &random, const Places &places, std::string *label) {
  static const char *const kModules[] = {"vorlsrf.dll", "vorlsrf6.dll", "morvak4.ime", "vorl320.ime"};
  const std::vector<std::string> data = DataFiles();
  const std::string dataFile = data[random.Below(uint32_t(data.size()))];
  const std::string systemCopy =
      places.systemDirs[1 + random.Below(uint32_t(places.systemDirs.size() - 1))] + "\\" + Pick(random, kModules);
  Mark mark;
  switch (Weighted(random, {20, 6, 10, 6, 8, 4, 10, 6, 4, 3, 3})) {
    case 0: mark.name = dataFile, mark.how = sim::InUse(random.Below(2)), *label = "a data file held"; break;
    case 1: mark.name = "vorlback.voz", mark.how = sim::InUse(random.Below(2)), *label = "the backup held"; break;
    case 2: mark.name = Pick(random, kModules), mark.how = sim::InUse::LoadedModule, *label = "a module loaded"; break;
    case 3: mark.name = "morvak88.exe", *label = "the server's program running"; break;
    case 4: mark.name = systemCopy, mark.how = sim::InUse::LoadedModule, *label = "a system copy loaded"; break;
    case 5: mark.name = places.systemDirs[0] + "\\vorldel8.exe", *label = "the uninstaller held"; break;
    case 6: mark.kind = Mark::Kind::kReadOnlyFile, mark.name = dataFile, *label = "a data file read-only"; break;
    case 7:
      mark.kind = Mark::Kind::kReadOnlyFile, mark.name = PackageNames()[random.Below(uint32_t(PackageNames().size()))];
      *label = "a package file read-only";
      break;
    case 8: mark.kind = Mark::Kind::kReadOnlyFile, mark.name = systemCopy, *label = "a system copy read-only"; break;
    case 9: mark.kind = Mark::Kind::kReadOnlyFile, mark.name = places.recordPath, *label = "the record read-only"; break;
    default:
      mark.kind = Mark::Kind::kReadOnlyFolder;
      mark.name = Chance(random, 60) ? "" : places.systemDirs[random.Below(uint32_t(places.systemDirs.size()))];
      *label = mark.name.empty() ? "the data folder read-only" : "a system folder read-only";
      break;
  }
  return mark;
}

// Another user's doing: something planted in the folder, the folder or the
// data drive's folder replaced by a junction.
Step DrawLink(Random &random, std::string *label) {
  static const char *const kPlants[] = {"a file planted", "a folder planted", "a file link planted",
                                        "a junction planted", "a hard link planted", "a forged backup planted"};
  switch (Weighted(random, {70, 8, 22})) {
    case 0: {
      Step step = Kind(Step::Kind::kPlant);
      step.plant = DrawPlant(random);
      *label = kPlants[int(step.plant.kind)];
      return step;
    }
    case 1: *label = "the folder a junction"; return Kind(Step::Kind::kJunctionAtFolder);
    default: *label = "the data drive's folder a junction"; return Kind(Step::Kind::kDataDriveJunction);
  }
}

std::string FaultLabel(const Fault &fault) {
  static const char *const kKinds[] = {"none", "crash at a write", "short write", "read-only file", "file held",
                                       "full disk"};
  return kKinds[int(fault.kind)];
}

std::string FaultPlace(const Fault &fault) {
  if (fault.kind == Fault::Kind::kNone) return "none";
  if (fault.path.find(':') != std::string::npos) return "outside the folder";
  return fault.path.back() == '~' ? "in the folder, a fresh name" : "in the folder";
}

}  // namespace

std::vector<std::string> FleetAxisNames() {
  std::vector<std::string> names;
  for (const Axis &axis : MachineAxes()) names.push_back(axis.name);
  names.insert(names.end(), {"earlier installation", "user's data", ".bak copies left", "held or read-only",
                             "planted or linked", "run", "fault", "fault's place", "reinstallation", "package"});
  return names;
}

FleetMachine DrawFleetMachine(uint64_t seed) {
  Random random(seed * 0x9E3779B97F4A7C15ull + 7);
  FleetMachine machine;
  machine.seed = seed;
  machine.demoPackage = seed % kDemoPackageEvery == 0;
  machine.traits = DrawMachineTraits(random);
  const Places places = PlacesOf(ProfileOf(machine.traits));
  std::vector<Step> &steps = machine.steps;
  const size_t earlier = DrawEarlier(random, &steps);
  const bool installed = earlier != 0 && earlier != 6;
  bool edited = false, copies = false;
  if (installed && Chance(random, 55)) {
    Step edit = Kind(Step::Kind::kEdit);
    for (uint32_t n = 1 + random.Below(3); n > 0; --n) edit.edits.push_back(DrawEdit(random));
    steps.push_back(edit), edited = true;
  }
  if (installed && Chance(random, 12)) {
    Step left = Kind(Step::Kind::kUnmergedCopies);
    for (uint32_t n = 1 + random.Below(3); n > 0; --n) left.edits.push_back(DrawCopyEdit(random));
    steps.push_back(left), copies = true;
  }
  std::string held = "none", linked = "none";
  if (Chance(random, 30)) {
    Step mark = Kind(Step::Kind::kMark);
    mark.mark = DrawMark(random, places, &held);
    steps.push_back(mark);
  }
  if (Chance(random, 28)) steps.push_back(DrawLink(random, &linked));
  Step run = Kind(Step::Kind::kRun);
  run.run = DrawGrammarRun(random);
  if (Chance(random, 40)) run.run.fault = RandomFault(random, places);
  steps.push_back(run);
  Step reinstallation = Kind(Step::Kind::kRun);
  reinstallation.run = DrawReinstallation(random);
  steps.push_back(reinstallation);

  for (const Axis &axis : MachineAxes()) machine.axes.push_back({axis.name, axis.value(machine.traits)});
  machine.axes.insert(machine.axes.end(),
                      {{"earlier installation", kEarlierKinds[earlier]},
                       {"user's data", edited ? "edited" : "none"},
                       {".bak copies left", copies ? "yes" : "no"},
                       {"held or read-only", held},
                       {"planted or linked", linked},
                       {"run", run.run.windowless ? "windowless" : "wizard"},
                       {"fault", FaultLabel(run.run.fault)},
                       {"fault's place", FaultPlace(run.run.fault)},
                       {"reinstallation", reinstallation.run.windowless ? "windowless" : "wizard"},
                       {"package", machine.demoPackage ? "the demo package" : "small"}});
  return machine;
}

}  // namespace fleet
