#include "fleet/history_steps.h"

#include <algorithm>
#include <initializer_list>
#include <iterator>

#include "fleet/fleet_machine.h"
#include "fleet/random_draws.h"
#include "fleet/run_grammar.h"
#include "fleet/user_data.h"

namespace fleet {

namespace {

std::vector<std::string> &Names() {
  static std::vector<std::string> names;
  return names;
}

// Names the installer writes in the folder besides the package's.
const char *const kBackupNames[] = {"vorlback.voz", "vorlback.pnd"};
const char *const kCopyNames[] = {"vorlcyzk.bak", "voszsj43.bak", "cfontset.bak", "cwbzlcz1.bak",
                                  "vowbcmxz.bak", "vodhzcm.bak",  "vorldhz.bak",  "vogbkhz.bak",
                                  "vorlpyck.bak", "vorlcyzk.dat", "vorlpyck.dat"};
const char *const kSettingsNames[] = {"install.voh", "vonetsj.dat", "vorldat.dat",
                                      "voyhgl0.dat", "wbpybz.voh",  "voszsj43.voh"};
// Where Windows looks first for an unquoted command of the installation
// folder or the earlier one (their paths hold a blank).
const char *const kUnquotedCommandNames[] = {"C:\\Program.exe", "C:\\Qelvo.exe"};

template <size_t N>
std::string Pick(Random &random, const char *const (&names)[N]) {
  return names[random.Below(N)];
}

// A name in the installation folder the installer writes.
std::string FolderName(Random &random) {
  switch (Weighted(random, {30, 30, 15, 25})) {
    case 0: return Pick(random, kBackupNames);
    case 1: return Pick(random, kCopyNames);
    case 2: return Pick(random, kSettingsNames);
    default: return Names()[random.Below(uint32_t(Names().size()))];
  }
}


// A place outside the folder the installer writes: the record and the
// pending backup's marker in the Windows folder, the uninstaller there, the
// modules in the system folders, the record's second copy on the data drive.
std::string SystemPlace(Random &random, const Places &places) {
  static const char *const kModules[] = {"morvak4.ime", "vorlsrf.dll", "vorlsrf6.dll"};
  const std::string windows = places.systemDirs[0] + "\\";
  switch (Weighted(random, {30, 20, 10, 25, 15})) {
    case 0: return places.recordPath;
    case 1: return windows + "vorlback.pnd";
    case 2: return windows + "vorldel8.exe";
    case 3: return places.systemDirs[1 + random.Below(uint32_t(places.systemDirs.size() - 1))] + "\\" + Pick(random, kModules);
    default: return places.dataDriveDir + "vorlpat8.voh";
  }
}

}  // namespace

Fault RandomFault(Random &random, const Places &places) {
  Fault fault;
  const std::vector<std::string> files = DataFiles();
  auto dataName = [&] {
    switch (Weighted(random, {40, 25, 35})) {
      case 0: return Pick(random, kBackupNames);
      case 1: return Pick(random, kCopyNames);
      default: return files[random.Below(uint32_t(files.size()))];
    }
  };
  // Most files are written under a name of their own first.
  auto written = [&](const std::string &name) { return Chance(random, 60) ? FreshName(name) : name; };
  auto anyName = [&] {
    switch (Weighted(random, {55, 25, 20})) {
      case 0: return dataName();
      case 1: return FolderName(random);
      default: return SystemPlace(random, places);
    }
  };
  switch (Weighted(random, {45, 15, 8, 20, 12})) {
    case 0:
      fault.kind = Fault::Kind::kCrashOnWrite;
      fault.path = written(anyName());
      break;
    case 1:
      fault.kind = Fault::Kind::kShortWrite;
      fault.path = written(anyName());
      fault.bytes = random.Below(4096);
      break;
    case 2: fault.kind = Fault::Kind::kReadOnly, fault.path = dataName(); break;
    case 3:
      fault.kind = Fault::Kind::kHeld;
      fault.path = dataName();
      fault.how = sim::InUse(random.Below(3));
      break;
    default:
      fault.kind = Fault::Kind::kFullDisk;
      fault.path = written(anyName());
      fault.bytes = random.Below(4096);
      break;
  }
  return fault;
}

namespace {

RunPlan RandomRun(Random &random, const Places &places) {
  RunPlan run;
  run.windowless = Chance(random, 25);
  WizardWalk &walk = run.walk;
  walk.pinyin = Chance(random, 30);
  walk.ime = Chance(random, 40);
  walk.confirms = Chance(random, 70) ? 3 : int(random.Below(3));
  const bool installs = walk.confirms == 3;
  walk.leave = WizardWalk::Leave(Weighted(random, installs ? std::initializer_list<uint32_t>{75, 15, 10}
                                                           : std::initializer_list<uint32_t>{30, 40, 30}));
  walk.keep = WizardWalk::Keep(Weighted(random, {55, 25, 20}));
  walk.skinOk = Chance(random, 90);
  if (Chance(random, 35)) run.fault = RandomFault(random, places);
  return run;
}


const char *ContentName(Edit::Content content) {
  switch (content) {
    case Edit::Content::kText: return "text";
    case Edit::Content::kEmpty: return "empty";
    case Edit::Content::kIncompressible: return "incompressible";
    case Edit::Content::kLargeText: return "large text";
    case Edit::Content::kHuge: return "huge text";
  }
  return "";
}

std::string DescribeFault(const Fault &fault) {
  static const char *const kHolds[] = {"open without delete sharing", "open with delete sharing", "as a loaded module"};
  switch (fault.kind) {
    case Fault::Kind::kNone: return "";
    case Fault::Kind::kCrashOnWrite: return "; crash at the next write of " + fault.path;
    case Fault::Kind::kShortWrite:
      return "; disk full after " + std::to_string(fault.bytes) + " bytes of the next write of " + fault.path;
    case Fault::Kind::kReadOnly: return "; " + fault.path + " read-only";
    case Fault::Kind::kHeld: return "; " + fault.path + " held " + kHolds[int(fault.how)];
    case Fault::Kind::kFullDisk:
      return "; the disk full after " + std::to_string(fault.bytes) + " bytes of the next write of " + fault.path;
  }
  return "";
}

std::string DescribeRun(const RunPlan &run) {
  const std::string prefix = run.reinstallation ? "reinstallation: " : "";
  if (run.windowless) return prefix + "windowless run" + DescribeFault(run.fault);
  if (run.scripted) return prefix + "wizard: " + DescribeScript(run) + DescribeFault(run.fault);
  const WizardWalk &walk = run.walk;
  static const char *const kLeaves[] = {"", ", then the quit button", ", then the close box"};
  static const char *const kKeeps[] = {"Yes", "No", "unanswered"};
  std::string text = std::string("wizard ") + (walk.pinyin ? "Pinyin" : "Wubi") + (walk.ime ? " IME" : " TSF") + ", " +
                     std::to_string(walk.confirms) + " confirms";
  if (walk.confirms == 3)
    text += std::string(", keep ") + kKeeps[int(walk.keep)] + (walk.skinOk ? ", skin OK" : ", skin dialog unanswered");
  return text + kLeaves[int(walk.leave)] + DescribeFault(run.fault);
}

std::string DescribeMark(const Mark &mark) {
  static const char *const kHolds[] = {"open without delete sharing", "open with delete sharing", "as a loaded module"};
  switch (mark.kind) {
    case Mark::Kind::kHeld: return mark.name + " held " + kHolds[int(mark.how)] + " by another program";
    case Mark::Kind::kReadOnlyFile: return mark.name + " read-only";
    case Mark::Kind::kReadOnlyFolder: return "the folder " + mark.name + " read-only";
  }
  return "";
}

std::string DescribePlant(const Plant &plant) {
  const std::string target = std::string("protected ") + kLinkTargets[plant.target];
  switch (plant.kind) {
    case Plant::Kind::kFile: return "plant a file at " + plant.name;
    case Plant::Kind::kFolder: return "plant a folder at " + plant.name;
    case Plant::Kind::kFileLink: return "plant a file link at " + plant.name + " to " + target;
    case Plant::Kind::kJunction: return "plant a junction at " + plant.name + " to the protected folder";
    case Plant::Kind::kHardLink: return "plant a hard link at " + plant.name + " to " + target;
    case Plant::Kind::kForgedBackup: return "plant a forged backup of programs and data with a pending marker";
  }
  return "";
}

}  // namespace

Edit DrawEdit(Random &random) {
  const std::vector<std::string> files = DataFiles();
  Edit edit;
  edit.file = files[random.Below(uint32_t(files.size()))];
  edit.seed = random.Next();
  switch (Weighted(random, {45, 10, 22, 15, 8})) {
    case 0: edit.content = Edit::Content::kText, edit.size = 1 + random.Below(6000); break;
    case 1: edit.content = Edit::Content::kEmpty; break;
    case 2: edit.content = Edit::Content::kIncompressible, edit.size = 100 + random.Below(30000); break;
    case 3: edit.content = Edit::Content::kLargeText, edit.size = 8193 + random.Below(300000); break;
    default:
      edit.content = Edit::Content::kHuge;
      edit.size = uint32_t(kLargestArchivedFile) + 1 + random.Below(200000);
      break;
  }
  return edit;
}

Plant DrawPlant(Random &random) {
  Plant plant;
  plant.name = Chance(random, 5) ? Pick(random, kUnquotedCommandNames) : FolderName(random);
  if (plant.name == "vorlback.voz" && Chance(random, 40)) plant.kind = Plant::Kind::kForgedBackup;
  else plant.kind = Plant::Kind(Weighted(random, {30, 15, 20, 10, 25}));
  // A hard link is a second name of a file that exists.
  plant.target = int(random.Below(plant.kind == Plant::Kind::kHardLink ? 3 : 4));
  return plant;
}

void SetPackageNames(std::vector<std::string> names) { Names() = std::move(names); }

const std::vector<std::string> &PackageNames() { return Names(); }

std::vector<std::string> InstallerNames() {
  std::vector<std::string> names = Names();
  names.insert(names.end(), std::begin(kBackupNames), std::end(kBackupNames));
  names.insert(names.end(), std::begin(kCopyNames), std::end(kCopyNames));
  names.insert(names.end(), std::begin(kSettingsNames), std::end(kSettingsNames));
  return names;
}

std::string FreshName(const std::string &name) { return name.substr(0, name.size() - 1) + "~"; }

Step RandomStep(Random &random, const Places &places, bool first) {
  Step step;
  step.kind = first && Chance(random, 75) ? Step::Kind::kRun : Step::Kind(Weighted(random, {30, 30, 16, 2, 7, 3, 6}));
  switch (step.kind) {
    case Step::Kind::kEdit:
      for (uint32_t n = 1 + random.Below(3); n > 0; --n) step.edits.push_back(DrawEdit(random));
      break;
    case Step::Kind::kRun: step.run = RandomRun(random, places); break;
    case Step::Kind::kPlant: step.plant = DrawPlant(random); break;
    default: break;
  }
  return step;
}

std::string EditContent(const Edit &edit) {
  Random random(edit.seed);
  std::string bytes;
  switch (edit.content) {
    case Edit::Content::kEmpty: break;
    case Edit::Content::kIncompressible:
      while (bytes.size() < edit.size) bytes.push_back(char(random.Byte()));
      break;
    case Edit::Content::kText:
      // GBK phrases and ASCII words, as the input method keeps them.
      while (bytes.size() < edit.size) {
        if (random.Below(5) == 0) bytes += "word" + std::to_string(random.Below(1000));
        for (uint32_t n = 1 + random.Below(4); n > 0; --n)
          bytes += char(0xB0 + random.Below(0x28)), bytes += char(0xA1 + random.Below(0x5E));
        bytes += "; ";
      }
      bytes.resize(edit.size);
      break;
    case Edit::Content::kLargeText:
    case Edit::Content::kHuge: {
      const std::string line = "user phrase " + std::to_string(random.Below(100000)) + "\r\n";
      while (bytes.size() < edit.size) bytes += line + std::to_string(bytes.size() % 977);
      bytes.resize(edit.size);
      break;
    }
  }
  return bytes;
}

const char kPlantedMarker[] = "PLANTED-BY-ANOTHER-USER";

std::string PlantedContent(const std::string &name) {
  return std::string(kPlantedMarker) + " as " + name + "\r\n";
}

std::string KindOf(const Step &step) {
  static const char *const kFaults[] = {"", " with a crash", " with a short write", " with a read-only file",
                                        " with a file held", " with a full disk"};
  switch (step.kind) {
    case Step::Kind::kEdit: return "edit";
    case Step::Kind::kRun:
      return std::string(step.run.windowless ? "windowless run" : "wizard run") + kFaults[int(step.run.fault.kind)];
    case Step::Kind::kPlant: return "plant";
    case Step::Kind::kJunctionAtFolder: return "junction at the folder";
    case Step::Kind::kHelperMerge: return "helper merge";
    case Step::Kind::kMoveToEarlierFolder: return "move to the earlier folder";
    case Step::Kind::kRemovePlants: return "plants removed";
    case Step::Kind::kOlderInstallation: return "older installation";
    case Step::Kind::kDamage: return "damage";
    case Step::Kind::kUnmergedCopies: return "unmerged copies";
    case Step::Kind::kMark: return "held or read-only";
    case Step::Kind::kDataDriveJunction: return "junction at the data drive's folder";
    case Step::Kind::kDeleteFolder: return "folder deleted";
  }
  return "";
}

std::string Describe(const Step &step) {
  switch (step.kind) {
    case Step::Kind::kEdit: {
      std::string text = "edit";
      for (const Edit &edit : step.edits)
        text += std::string(text == "edit" ? " " : ", ") + edit.file + " = " + ContentName(edit.content) + " " +
                std::to_string(edit.size) + " bytes";
      return text;
    }
    case Step::Kind::kRun: return DescribeRun(step.run);
    case Step::Kind::kPlant: return DescribePlant(step.plant);
    case Step::Kind::kJunctionAtFolder: return "move the installation folder aside and put a junction to the protected folder there";
    case Step::Kind::kHelperMerge: return "the helper puts the .bak copies back";
    case Step::Kind::kMoveToEarlierFolder: return "the installation moves to the earlier folder, which the record names";
    case Step::Kind::kRemovePlants: return "the administrator removes planted links and folders";
    case Step::Kind::kOlderInstallation: return "an older version is installed";
    case Step::Kind::kDamage: return "files of the installation are deleted or cut short (" + std::to_string(step.seed) + ")";
    case Step::Kind::kUnmergedCopies: {
      std::string text = "a restore left copies";
      for (const Edit &edit : step.edits) text += " " + BakName(edit.file) + " = " + ContentName(edit.content);
      return text;
    }
    case Step::Kind::kMark: return DescribeMark(step.mark);
    case Step::Kind::kDataDriveJunction: return "a junction to the protected folder where the record's second copy goes";
    case Step::Kind::kDeleteFolder: return "the installation folder is deleted by hand";
  }
  return "";
}

}  // namespace fleet
