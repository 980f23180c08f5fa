#include "fuzz_machine.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "common/install_dir.h"
#include "common/text_buffer.h"
#include "package/package_data.h"
#include "package/working_buffer.h"
#include "platform/win32.h"
#include "tree_watch.h"

namespace fuzz_machine {

namespace {

// Files in use in the installation directory: an entry of the same name
// finds each undeletable and moves it aside. "abc" and "abcd" are too short
// to carry the mark in their own name (the fifth byte from the end of the
// path falls on the folder's name or on the separator before them);
// "morvak4.ime" and "a.txt" carry it.
const struct {
  const char *name;
  sim::InUse how;
} kFilesInUse[] = {
    {"abc", sim::InUse::LoadedModule},
    {"abcd", sim::InUse::OpenNoShareDelete},
    {"morvak4.ime", sim::InUse::LoadedModule},
    {"a.txt", sim::InUse::OpenNoShareDelete},
};

// Where a mark put on the folder's name or on the separator lands: moving
// "C:\fuzz\morvak8\abc" aside that way clears and replaces
// "C:\fuzz\morvak2\abc", and "C:\fuzz\morvak8\abcd" becomes
// "C:\fuzz\morvak82abcd". The read-only and hidden ones show a change of
// attributes as well.
const struct {
  const char *path;
  uint32_t attributes;  // 0: as written
} kFilesBeside[] = {
    {"C:\\fuzz\\morvak2\\abc", 0},
    {"C:\\fuzz\\morvak1\\abc", FILE_ATTRIBUTE_HIDDEN},
    {"C:\\fuzz\\morvak82abcd", 0},
    {"C:\\fuzz\\morvak81abcd", FILE_ATTRIBUTE_READONLY},
};

struct State {
  std::unique_ptr<sim::Machine> machine;
  std::filesystem::path installFolder;  // the installation directory on the host
  std::string marks;                    // the file system's marks as laid out (machine.ini text)
  TreeWatch outside;                    // every folder of the machine but the installation directory
  TreeWatch installed;                  // the installation directory itself
};

State &TheState() {
  static State state;
  return state;
}

std::filesystem::path Root() {
  const char *folder = std::getenv("FUZZ_MACHINE_DIR");
  const std::filesystem::path parent =
      folder && *folder ? std::filesystem::path(folder) : std::filesystem::current_path();
  return parent / ("fuzz-machine-" + std::to_string(getpid()));
}

// Written on the host: the simulation's lookup of a Windows path, done for
// each file after each input, would cost more than the input itself.
void WriteFileInUse(const std::filesystem::path &folder, const std::string &name) {
  std::ofstream(folder / name, std::ios::binary) << "in use\r\n";
}

void LayOut(State &state) {
  state.machine = sim::Machine::CreateFromPreset("win10-x64", Root());
  sim::Machine &machine = *state.machine;
  sim::Machine::Install(&machine);
  machine.profile.programFilesDir = machine.profile.programFilesX86Dir = kProgramFiles;
  ComputeInstallDir();
  AllocateWorkingBuffer();
  // A fixed drive's folder is made when a path first reaches it; made now,
  // a read there later is no change.
  for (char drive : machine.profile.fixedDrives) machine.files.Exists(std::string(1, drive) + ":\\");
  for (const auto &file : kFilesBeside) {
    machine.files.WriteFile(file.path, "beside\r\n");
    if (file.attributes) machine.files.SetAttributesOf(file.path, file.attributes);
  }
  machine.files.MakeDirectories(kInstallDir);
  // Spelled without the trailing separator, as a directory walk spells it.
  const std::string dir = kInstallDir;
  state.installFolder = machine.files.HostPath(dir.substr(0, dir.size() - 1));
  for (const auto &file : kFilesInUse) {
    WriteFileInUse(state.installFolder, file.name);
    machine.files.SetInUse(std::string(kInstallDir) + file.name, file.how);
  }
  state.marks = machine.files.StateIni();
  state.outside.WatchTree(machine.root() / "drives", state.installFolder);
  state.installed.WatchFolder(state.installFolder);
}

std::set<std::string> Lines(const std::string &text) {
  std::set<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.insert(line);
  return lines;
}

// Marks ("in_use = loaded_module C:\fuzz\abc") that one side has and the
// other lacks, for paths outside the installation directory.
void AppendMarksOnlyIn(const std::string &text, const std::string &other, const char *side, std::string *changes) {
  const std::set<std::string> others = Lines(other);
  const std::string inside = std::string(" ") + kInstallDir;
  for (const std::string &line : Lines(text))
    if (!others.count(line) && line.find(inside) == std::string::npos) *changes += side + line + "\n";
}

// The names in the installation directory that `changes` touched; every
// name there and every file in use's when a change hit the folder itself or
// changes were lost.
std::set<std::string> TouchedNames(const std::filesystem::path &folder,
                                   const std::vector<TreeWatch::Change> &changes) {
  std::set<std::string> names;
  for (const TreeWatch::Change &change : changes) {
    if (change.path.parent_path() == folder) {
      names.insert(change.path.filename().string());
      continue;
    }
    for (const auto &entry : std::filesystem::directory_iterator(folder)) names.insert(entry.path().filename().string());
    for (const auto &file : kFilesInUse) names.insert(file.name);
    break;
  }
  return names;
}

// Back to the layout: the entries the input made, wrote or renamed gone,
// the files in use back under their names, and, when `marks` are not the
// laid-out ones, every mark as laid out. An input that changed nothing
// costs nothing here.
void RestoreInstallDir(State &state, const std::string &marks) {
  const std::filesystem::path &folder = state.installFolder;
  const std::set<std::string> touched = TouchedNames(folder, state.installed.TakeChanges());
  for (const std::string &name : touched) std::filesystem::remove_all(folder / name);
  for (const auto &file : kFilesInUse)
    if (touched.count(file.name)) WriteFileInUse(folder, file.name);
  std::string error;
  if (marks != state.marks && !state.machine->files.LoadStateIni(state.marks, &error)) std::abort();
  state.installed.TakeChanges();
}

}  // namespace

sim::Machine &Ready() {
  State &state = TheState();
  if (!state.machine) LayOut(state);
  return *state.machine;
}

void Finish(sim::Machine &machine) {
  State &state = TheState();
  std::string changes;
  for (const TreeWatch::Change &change : state.outside.TakeChanges()) changes += TreeWatch::Describe(change) + "\n";
  const std::string marks = machine.files.StateIni();
  if (marks != state.marks) {
    AppendMarksOnlyIn(state.marks, marks, "mark gone: ", &changes);
    AppendMarksOnlyIn(marks, state.marks, "mark new: ", &changes);
  }
  if (!changes.empty()) {
    std::fprintf(stderr, "changed outside %s:\n%s", kInstallDir, changes.c_str());
    std::abort();
  }
  RestoreInstallDir(state, marks);
  machine.events.Clear();
}

}  // namespace fuzz_machine
