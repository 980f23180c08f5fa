#include "fleet/machine_snapshot.h"

#include <sys/stat.h>

#include <filesystem>
#include <sstream>

#include "simmachine/code_page.h"

namespace fleet {

namespace {

namespace fs = std::filesystem;

// The keys of the [files] lines that mark one path, with the path after a
// word ("attributes = 0x1 PATH") or alone ("read_only_folder = PATH"), or
// before " | " (links).
void AddMarkLine(const std::string &line, std::map<std::string, std::string> *marks) {
  const size_t equals = line.find(" = ");
  if (equals == std::string::npos) return;
  const std::string key = line.substr(0, equals), value = line.substr(equals + 3);
  std::string path;
  if (key == "junction" || key == "symlink") path = value.substr(0, value.find(" | "));
  else if (key == "read_only_folder" || key == "delete_pending" || key == "crash_on_write") path = value;
  else if (key == "attributes" || key == "security" || key == "in_use" || key == "short_write")
    path = value.substr(value.find(' ') + 1);
  else return;
  (*marks)[SnapshotKey(path)] += line + "\n";
}

void AddFiles(const fs::path &drives, std::map<std::string, std::string> *files) {
  std::error_code error;
  for (const auto &drive : fs::directory_iterator(drives, error)) {
    const std::string letter = drive.path().filename().string();
    const size_t prefix = drive.path().native().size() + 1;
    for (auto it = fs::recursive_directory_iterator(drive.path(), error); it != fs::recursive_directory_iterator();
         it.increment(error)) {
      struct stat status {};
      if (::lstat(it->path().c_str(), &status) != 0) continue;
      std::string relative = it->path().native().substr(prefix);
      for (char &c : relative)
        if (c == '/') c = '\\';
      // A folder changes when something in it does, and a file's count of
      // names when one of its names goes: that name is judged on its own.
      std::ostringstream state;
      if (S_ISDIR(status.st_mode))
        state << "folder " << status.st_ino;
      else
        state << (S_ISLNK(status.st_mode) ? "link " : "file ") << status.st_size << " " << status.st_mtim.tv_sec << "."
              << status.st_mtim.tv_nsec << " " << status.st_ino;
      (*files)[SnapshotKey(letter + ":\\" + relative)] = state.str();
    }
  }
}

// regedit's export, one entry per value: lines that end in a backslash go on.
void AddRegistry(const std::string &exported, std::map<std::string, std::string> *registry) {
  std::istringstream in(exported);
  std::string line, key, pending;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!pending.empty() || (!line.empty() && line[0] != '[')) {
      pending += line;
      if (!pending.empty() && pending.back() == '\\') {
        pending.pop_back();
        continue;
      }
      const size_t equals = pending[0] == '@' ? 1 : pending.find("\"=");
      if (equals != std::string::npos && !key.empty()) {
        const std::string name = pending[0] == '@' ? "@" : pending.substr(1, equals - 1);
        (*registry)[key + "\\" + SnapshotKey(name)] = pending.substr(equals + (pending[0] == '@' ? 1 : 2));
      }
      pending.clear();
    } else if (line.size() > 2 && line.front() == '[' && line.back() == ']') {
      key = SnapshotKey(line.substr(1, line.size() - 2));
      (*registry)[key + "\\"] = "";
    }
  }
}

const char kLayouts[] = "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\Keyboard Layouts";

void AddLayouts(const sim::Machine &machine, MachineSnapshot *snapshot) {
  const sim::Registry &registry = machine.registry;
  if (machine.profile.family == sim::Family::NT) {
    const std::string list = "HKEY_CURRENT_USER\\Keyboard Layout\\Preload";
    for (int position = 1; position <= 49; ++position) {
      std::string id;
      if (registry.GetString(list, std::to_string(position), &id)) snapshot->preload[position] = id;
    }
  } else {
    const std::string list = "HKEY_CURRENT_USER\\keyboard layout\\preload\\";
    for (int position = 1; position <= 49; ++position) {
      std::string id;
      if (registry.GetString(list + std::to_string(position), "", &id)) snapshot->preload[position] = id;
    }
  }
  for (const std::string &id : registry.SubkeyNames(kLayouts)) {
    std::string text;
    registry.GetString(std::string(kLayouts) + "\\" + id, "Layout Text", &text);
    snapshot->layoutTexts[SnapshotKey(id)] = text;
  }
}

template <typename Map>
std::vector<Change> Compare(const Map &before, const Map &after, const char *changed) {
  std::vector<Change> changes;
  for (const auto &[path, state] : after) {
    auto old = before.find(path);
    if (old == before.end()) changes.push_back({path, "added"});
    else if (old->second != state) changes.push_back({path, changed});
  }
  for (const auto &[path, state] : before)
    if (!after.count(path)) changes.push_back({path, "removed"});
  return changes;
}

}  // namespace

std::string SnapshotKey(const std::string &windowsPath) {
  std::string key = windowsPath;
  for (char &c : key)
    if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
  while (key.size() > 3 && key.back() == '\\') key.pop_back();
  return key;
}

MachineSnapshot TakeSnapshot(const sim::Machine &machine) {
  MachineSnapshot snapshot;
  AddFiles(machine.root() / "drives", &snapshot.files);
  std::istringstream marks(machine.files.StateIni());
  std::string line;
  while (std::getline(marks, line)) AddMarkLine(line, &snapshot.marks);
  AddRegistry(machine.registry.Export(), &snapshot.registry);
  AddLayouts(machine, &snapshot);
  return snapshot;
}

std::vector<Change> FileChanges(const MachineSnapshot &before, const MachineSnapshot &after) {
  std::vector<Change> changes = Compare(before.files, after.files, "written");
  for (const Change &change : Compare(before.marks, after.marks, "marks changed"))
    changes.push_back({change.path, "marks changed"});
  return changes;
}

std::vector<Change> RegistryChanges(const MachineSnapshot &before, const MachineSnapshot &after) {
  return Compare(before.registry, after.registry, "changed");
}

}  // namespace fleet
