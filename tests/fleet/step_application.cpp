#include "fleet/step_application.h"

#include <sys/stat.h>

#include <filesystem>

#include "archive_builder.h"
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

std::string ApplyRun(const RunSpec &spec, sim::Machine &machine, const Places &places, const std::string &package,
                     UserDataModel *model, std::optional<RunOutcome> *run) {
  RunSpec placed = spec;
  placed.fault.path = InFolder(spec.fault.path, DataFolder(machine, places));
  *run = RunProgram(machine, placed, package);
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

std::string ApplyPlant(const Plant &plant, sim::Machine &machine, const Places &places, HistoryState *state) {
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


}  // namespace

void RemovePlants(sim::Machine &machine, HistoryState *state) {
  for (const Planted &planted : state->planted)
    if (StillPlanted(machine, planted)) RemoveEntry(machine, planted.path);
  state->planted.clear();
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
  }
  return "";
}

}  // namespace fleet
