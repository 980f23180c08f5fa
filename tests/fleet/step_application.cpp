#include "fleet/step_application.h"

#include <sys/stat.h>

#include <filesystem>
#include <set>

#include "archive_builder.h"
#include "fleet/outcome_check.h"
#include "simmachine/code_page.h"

namespace fleet {

namespace {

namespace fs = std::filesystem;

const char kKeepQuestion[] = u8"是否保留";

bool SameFolder(const std::string &a, const std::string &b) {
  return sim::EqualNoCase(sim::Utf8ToUtf16(a), sim::Utf8ToUtf16(b));
}

std::string InFolder(const std::string &name, const std::string &folder) {
  return name.find(':') == std::string::npos ? folder + name : name;
}

std::string ApplyEdits(const std::vector<Edit> &edits, sim::Machine &machine, const Places &places,
                       UserDataModel *model) {
  const std::string folder = DataFolder(machine, places);
  MergeCopies(machine, folder, model);
  std::string skipped;
  for (const Edit &edit : edits) {
    const std::string path = folder + edit.file;
    if (!IsPlainFile(machine, path)) {
      skipped += (skipped.empty() ? "no plain file " : ", ") + edit.file;
      continue;
    }
    const std::string content = EditContent(edit);
    machine.files.WriteFile(path, content);
    model->Wrote(edit.file, content);
  }
  return skipped;
}

// A full disk: nothing more fits into any file the installer writes, in
// the folder or in the Windows folder, under its own name or its fresh one.
std::vector<std::string> FullDiskPaths(const std::string &folder, const Places &places) {
  std::vector<std::string> paths;
  const std::string windows = places.systemDirs[0] + "\\";
  std::vector<std::string> names = InstallerNames();
  for (const std::string &name : names) paths.insert(paths.end(), {folder + name, folder + FreshName(name)});
  for (const char *name : {"vorlpat8.voh", "vorlback.pnd", "vorldel8.exe"})
    paths.insert(paths.end(), {windows + name, windows + FreshName(name)});
  return paths;
}

std::string ApplyRun(const RunPlan &plan, sim::Machine &machine, const Places &places, const std::string &package,
                     UserDataModel *model, std::optional<RunOutcome> *run) {
  RunPlan placed = plan;
  placed.fault = PlacedFault(plan.fault, machine, places);
  const std::set<std::string> obstacles = Obstacles(machine, placed.fault);
  std::vector<std::string> falseFailures;
  *run = RunProgram(machine, placed, package, [&](const std::string &text) {
    const std::string why = FalseFailure(text, machine, places, package, obstacles);
    if (!why.empty()) falseFailures.push_back(why);
  });
  (*run)->falseFailures = falseFailures;
  // The user chose the package's files over their own.
  if ((*run)->AnswerTo(kKeepQuestion) == "NO") model->Clear();
  return "";
}

// An archive of the other user's programs and of data of theirs under a
// data file's name.
std::string ForgedBackup() {
  std::vector<SourceFile> files;
  for (const char *name : {"vorlkelt.exe", "morvak4.ime", "vorldwdw.txt"}) {
    const std::string content = PlantedContent(name);
    files.push_back({name, name, Bytes(content.begin(), content.end())});
  }
  const Bytes archive = BuildArchive(files, Layout::kLong, 1, nullptr);
  return std::string(archive.begin(), archive.end());
}

// The data file whose kept content a name holds: the file itself, or its
// ".bak" copy; "" for another name.
std::string DataFileAt(const std::string &name) {
  for (const std::string &file : DataFiles())
    if (name == file || (IsCopiedFile(file) && name == BakName(file))) return file;
  return "";
}

// Another user replaces what lies under `name` in `folder`: what the user
// last wrote there is gone, and so is whatever only the backup still holds
// when the backup or its marker is replaced.
void ForgetReplaced(const std::string &name, sim::Machine &machine, const std::string &folder, UserDataModel *model) {
  if (name == "vorlback.voz" || name == "vorlback.pnd")
    for (const std::string &file : FilesNotInPlace(machine, folder, *model)) model->Forget(file);
  const std::string file = DataFileAt(name);
  if (!file.empty()) model->Forget(file);
}

// Windows 95 and 98 know no links of any kind: their file systems have
// neither reparse points nor second names.
bool LinksExist(const sim::Machine &machine) { return machine.profile.family == sim::Family::NT; }

std::string ApplyPlant(const Plant &plant, sim::Machine &machine, const Places &places, HistoryState *state) {
  const bool link = plant.kind == Plant::Kind::kFileLink || plant.kind == Plant::Kind::kJunction ||
                    plant.kind == Plant::Kind::kHardLink;
  if (link && !LinksExist(machine)) return "no links on this Windows";
  const std::string folder = DataFolder(machine, places);
  const bool inFolder = plant.name.find(':') == std::string::npos;
  if (inFolder && (!machine.files.IsDirectory(folder) || IsLink(machine, folder))) return "no folder to plant in";
  const std::string path = InFolder(plant.name, folder);
  const std::string target = places.protectedDir + "\\" + kLinkTargets[plant.target];
  if (inFolder) ForgetReplaced(plant.name, machine, folder, &state->model);
  RemoveEntry(machine, path);
  switch (plant.kind) {
    case Plant::Kind::kFile: machine.files.WriteFile(path, PlantedContent(plant.name)); break;
    case Plant::Kind::kFolder: machine.files.WriteFile(path + "\\inside.txt", PlantedContent(plant.name)); break;
    case Plant::Kind::kFileLink: machine.files.SetLink(path, target, false); break;
    case Plant::Kind::kJunction: machine.files.SetLink(path, places.protectedDir, true); break;
    case Plant::Kind::kHardLink: fs::create_hard_link(machine.files.HostPath(target), machine.files.HostPath(path)); break;
    case Plant::Kind::kForgedBackup:
      machine.files.WriteFile(path, ForgedBackup());
      RemoveEntry(machine, folder + "vorlback.pnd");
      machine.files.WriteFile(folder + "vorlback.pnd", "");
      break;
  }
  if (plant.kind != Plant::Kind::kFile && plant.kind != Plant::Kind::kForgedBackup)
    state->planted.push_back({path, plant.kind});
  return "";
}

std::string ApplyJunctionAtFolder(sim::Machine &machine, const Places &places, HistoryState *state) {
  if (!LinksExist(machine)) return "no links on this Windows";
  const std::string folder = WithoutBackslash(places.installDir);
  if (IsLink(machine, folder)) return "already a junction";
  if (machine.files.Exists(folder)) {
    const std::string aside = folder + ".moved";
    RemoveEntry(machine, aside);
    if (machine.files.Move(sim::Utf8ToUtf16(folder), sim::Utf8ToUtf16(aside)) != 0) return "the folder cannot move";
  }
  if (SameFolder(DataFolder(machine, places), places.installDir)) state->model.Clear();
  machine.files.SetLink(folder, places.protectedDir, true);
  state->planted.push_back({folder, Plant::Kind::kJunction});
  return "";
}

std::string ApplyMoveToEarlierFolder(sim::Machine &machine, const Places &places) {
  const std::string folder = WithoutBackslash(places.installDir);
  if (!SameFolder(DataFolder(machine, places), places.installDir)) return "already elsewhere";
  if (!machine.files.IsDirectory(folder) || IsLink(machine, folder)) return "no installation folder";
  const std::string earlier = WithoutBackslash(places.earlierDir);
  // A folder of that name holds the user's earlier data, or their backup.
  if (machine.files.Exists(earlier)) return "the earlier folder is there";
  machine.files.MakeDirectories(earlier.substr(0, earlier.rfind('\\')));
  if (machine.files.Move(sim::Utf8ToUtf16(folder), sim::Utf8ToUtf16(earlier)) != 0) return "the folder cannot move";
  machine.files.WriteFile(places.recordPath, places.earlierDir);
  return "";
}

// Whether what lies at the path is still what was planted there, and not
// what the installer put in its place.
bool StillPlanted(const sim::Machine &machine, const Planted &planted) {
  switch (planted.kind) {
    case Plant::Kind::kFileLink:
    case Plant::Kind::kJunction: return IsLink(machine, planted.path);
    case Plant::Kind::kFolder: return machine.files.IsDirectory(planted.path) && !IsLink(machine, planted.path);
    case Plant::Kind::kHardLink: {
      struct stat status {};
      return !IsLink(machine, planted.path) &&
             ::lstat(machine.files.HostPath(planted.path).c_str(), &status) == 0 && status.st_nlink > 1;
    }
    default: return false;
  }
}


// An older version's files under every name of the package, its record,
// its module in the system folder and its uninstaller: what the user had
// there is the older setup's to answer for.
std::string ApplyOlderInstallation(sim::Machine &machine, const Places &places, UserDataModel *model) {
  const std::string folder = WithoutBackslash(places.installDir);
  if (IsLink(machine, folder)) return "the folder is a junction";
  const bool made = !machine.files.IsDirectory(folder);
  for (const std::string &name : PackageNames()) {
    const std::string path = places.installDir + name;
    if (machine.files.IsDirectory(path) || IsLink(machine, path)) continue;
    machine.files.WriteFile(path, "version 8.50 of " + name + "\r\n");
  }
  // The older setup made its folder as this one does, open to application
  // packages where Windows can say so: a later installation finds it so.
  const sim::Profile &profile = machine.profile;
  if (made && (profile.major > 6 || (profile.major == 6 && profile.minor >= 2)))
    machine.files.SetSecurityOf(folder, "D:(A;OICI;FA;;;S-1-15-2-1)(A;OICI;0x1201bf;;;AU)(A;OICI;FA;;;BA)");
  machine.files.WriteFile(places.recordPath, places.installDir);
  machine.files.WriteFile(places.systemDirs[1] + "\\morvak4.ime", "MZ version 8.50 of morvak4.ime\r\n");
  machine.files.WriteFile(places.systemDirs[0] + "\\vorldel8.exe", "MZ version 8.50 of vorldel8.exe\r\n");
  model->Clear();
  return "";
}

// Some files of the installation go, some are cut to half.
std::string ApplyDamage(uint64_t seed, sim::Machine &machine, const Places &places, UserDataModel *model) {
  const std::string folder = DataFolder(machine, places);
  if (IsLink(machine, WithoutBackslash(folder)) || !machine.files.IsDirectory(folder)) return "no folder";
  Random random(seed);
  for (uint32_t n = 2 + random.Below(6); n > 0; --n) {
    const std::string name = PackageNames()[random.Below(uint32_t(PackageNames().size()))];
    const std::string path = folder + name;
    if (!IsPlainFile(machine, path)) continue;
    if (random.Below(2) == 0) {
      fs::remove(machine.files.HostPath(path));
    } else {
      std::string content;
      machine.files.ReadFile(path, &content);
      machine.files.WriteFile(path, content.substr(0, content.size() / 2));
    }
    model->Forget(DataFileAt(name));
  }
  return "";
}

std::string ApplyUnmergedCopies(const std::vector<Edit> &edits, sim::Machine &machine, const Places &places,
                                UserDataModel *model) {
  const std::string folder = DataFolder(machine, places);
  if (IsLink(machine, WithoutBackslash(folder)) || !machine.files.IsDirectory(folder)) return "no folder";
  for (const Edit &edit : edits) {
    const std::string path = folder + BakName(edit.file);
    if (!IsCopiedFile(edit.file) || (machine.files.Exists(path) && !IsPlainFile(machine, path))) continue;
    const std::string content = EditContent(edit);
    machine.files.WriteFile(path, content);
    model->Wrote(edit.file, content);
  }
  return "";
}

std::string ApplyMark(const Mark &mark, sim::Machine &machine, const Places &places) {
  const std::string path = InFolder(mark.name, DataFolder(machine, places));
  switch (mark.kind) {
    case Mark::Kind::kHeld:
      if (!machine.files.Exists(path) || machine.files.IsDirectory(path)) return "nothing there";
      machine.files.SetInUse(path, mark.how);
      return "";
    case Mark::Kind::kReadOnlyFile:
      if (!IsPlainFile(machine, path)) return "no plain file";
      machine.files.SetAttributesOf(path, machine.files.AttributesOf(path) | 0x1);
      return "";
    case Mark::Kind::kReadOnlyFolder:
      if (!machine.files.IsDirectory(path) || IsLink(machine, path)) return "no folder";
      machine.files.SetReadOnlyFolder(WithoutBackslash(path));
      return "";
  }
  return "";
}

std::string ApplyDataDriveJunction(sim::Machine &machine, const Places &places, HistoryState *state) {
  if (!LinksExist(machine)) return "no links on this Windows";
  const std::string folder = WithoutBackslash(places.dataDriveDir);
  if (folder.size() != 10 || folder.compare(1, 9, ":\\morvak8") != 0) return "no data drive";
  if (SameFolder(places.dataDriveDir, places.installDir) || SameFolder(places.dataDriveDir, DataFolder(machine, places)))
    return "the installation is there";
  RemoveEntry(machine, folder);
  machine.files.SetLink(folder, places.protectedDir, true);
  state->planted.push_back({folder, Plant::Kind::kJunction});
  return "";
}

std::string ApplyDeleteFolder(sim::Machine &machine, const Places &places, UserDataModel *model) {
  const std::string folder = WithoutBackslash(places.installDir);
  if (!machine.files.IsDirectory(folder) || IsLink(machine, folder)) return "no folder";
  if (SameFolder(DataFolder(machine, places), places.installDir)) model->Clear();
  RemoveEntry(machine, folder);
  return "";
}

}  // namespace

void RemovePlants(sim::Machine &machine, HistoryState *state) {
  for (const Planted &planted : state->planted)
    if (StillPlanted(machine, planted)) RemoveEntry(machine, planted.path);
  state->planted.clear();
}

Fault PlacedFault(const Fault &fault, const sim::Machine &machine, const Places &places) {
  Fault placed = fault;
  placed.path = InFolder(fault.path, DataFolder(machine, places));
  if (fault.kind == Fault::Kind::kFullDisk) placed.morePaths = FullDiskPaths(DataFolder(machine, places), places);
  return placed;
}

void MergeCopies(sim::Machine &machine, const std::string &folder, UserDataModel *model) {
  for (const std::string &file : DataFiles()) {
    const std::string copy = folder + BakName(file), original = folder + file;
    if (!IsCopiedFile(file) || !IsPlainFile(machine, copy)) continue;
    if (IsLink(machine, original) || (machine.files.Exists(original) && !IsPlainFile(machine, original))) continue;
    std::string content;
    machine.files.ReadFile(copy, &content);
    if (IsPackageCopy(BakName(file), content)) continue;
    machine.files.WriteFile(original, content);
    fs::remove(machine.files.HostPath(copy));
    auto written = model->files().find(file);
    if (written != model->files().end() && Keeps(file, written->second, content)) model->Wrote(file, content);
  }
}

std::string ApplyStep(const Step &step, sim::Machine &machine, const Places &places, const std::string &package,
                      HistoryState *state, std::optional<RunOutcome> *run) {
  switch (step.kind) {
    case Step::Kind::kEdit: return ApplyEdits(step.edits, machine, places, &state->model);
    case Step::Kind::kRun: return ApplyRun(step.run, machine, places, package, &state->model, run);
    case Step::Kind::kPlant: return ApplyPlant(step.plant, machine, places, state);
    case Step::Kind::kJunctionAtFolder: return ApplyJunctionAtFolder(machine, places, state);
    case Step::Kind::kHelperMerge: MergeCopies(machine, DataFolder(machine, places), &state->model); return "";
    case Step::Kind::kMoveToEarlierFolder: return ApplyMoveToEarlierFolder(machine, places);
    case Step::Kind::kRemovePlants: RemovePlants(machine, state); return "";
    case Step::Kind::kOlderInstallation: return ApplyOlderInstallation(machine, places, &state->model);
    case Step::Kind::kDamage: return ApplyDamage(step.seed, machine, places, &state->model);
    case Step::Kind::kUnmergedCopies: return ApplyUnmergedCopies(step.edits, machine, places, &state->model);
    case Step::Kind::kMark: return ApplyMark(step.mark, machine, places);
    case Step::Kind::kDataDriveJunction: return ApplyDataDriveJunction(machine, places, state);
    case Step::Kind::kDeleteFolder: return ApplyDeleteFolder(machine, places, &state->model);
  }
  return "";
}

}  // namespace fleet
