#include "fleet/allowed_places.h"

#include <algorithm>
#include <set>
#include <sstream>

#include "fleet/user_data.h"
#include "simmachine/code_page.h"

namespace fleet {

namespace {

// The folders of the table, found on each machine.
enum class Role { kInstallation, kEarlier, kWindows, kSystem, kDataDrive, kFixedToolFolder };

struct Place {
  Role role;
  // The names in the folder the program may change, blank-separated; "*"
  // the folder and everything below it, "." the folder itself.
  const char *names;
  bool marksOnly;  // only its attributes, access or integrity
};

// The user's data files, their ".bak" copies, and each also under the name
// it is written under before it is put in place, come from kDataRows.
const char kBackupNames[] = "vorlback.voz vorlback.vo~";

const Place kPlaces[] = {
    {Role::kInstallation, "*", false},
    {Role::kEarlier, kBackupNames, false},  // and the data rows
    {Role::kWindows, "vorlpat8.voh vorlpat8.vo~ vorlback.pnd vorlback.pn~ vorldel8.exe vorldel2.exe vorldel1.exe", false},
    {Role::kSystem,
     "morvak4.ime morvak2.ime morvak1.ime vorlsrf.dll vorlsr2.dll vorlsr1.dll vorlsrf6.dll vorlsrf2.dll vorlsrf1.dll",
     false},
    {Role::kDataDrive, ". vorlpat8.voh vorlpat8.vo~", false},
    {Role::kFixedToolFolder, ".", true},
};

// Registry keys, upper case: a key with everything below it, or one value
// of a key (and the key itself, should it be missing).
struct RegistryPlace {
  const char *key;  // below HKEY_LOCAL_MACHINE\SOFTWARE (and its WOW6432Node) when it starts with '\'
  const char *value;  // null for the whole key
};

const RegistryPlace kRegistryPlaces[] = {
    {"\\MICROSOFT\\CTF\\TIP\\{65653599-5030-4C0F-8871-83F6AFDE5098}", nullptr},
    {"\\CLASSES\\CLSID\\{65653599-5030-4C0F-8871-83F6AFDE5098}", nullptr},
    {"\\CLASSES\\WOW6432NODE\\CLSID\\{65653599-5030-4C0F-8871-83F6AFDE5098}", nullptr},
    {"\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\UNINSTALL\\VORLQWB8", nullptr},
    {"\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\RUN", "VOVQSJGL"},
    {"\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\INTERNET SETTINGS\\USER AGENT\\POST PLATFORM", "KELT8800"},
    {"HKEY_CURRENT_USER\\KEYBOARD LAYOUT\\PRELOAD", nullptr},
    {"HKEY_USERS\\.DEFAULT\\KEYBOARD LAYOUT\\PRELOAD", nullptr},
};

const char kLayoutsKey[] = "HKEY_LOCAL_MACHINE\\SYSTEM\\CURRENTCONTROLSET\\CONTROL\\KEYBOARD LAYOUTS\\";
const char kDisplayName[] = u8"智能Qelvo输入平台";
const char kDisplayNameTraditional[] = u8"智能Qelvo輸入平台";

std::vector<std::string> Words(const std::string &text) {
  std::vector<std::string> words;
  std::istringstream in(text);
  for (std::string word; in >> word;) words.push_back(word);
  return words;
}

std::vector<std::string> NamesOf(const Place &place) {
  std::vector<std::string> names = Words(place.names);
  if (place.role == Role::kEarlier)
    for (const DataRow &row : kDataRows)
      for (const std::string &name : {std::string(row.file), ArchivedName(row)})
        names.insert(names.end(), {name, name.substr(0, name.size() - 1) + "~"});
  return names;
}

// The folders a role stands for on this machine, as snapshot keys.
std::vector<std::string> FoldersOf(Role role, const sim::Machine &machine, const Places &places,
                                   const std::vector<std::string> &earlier) {
  const sim::Profile &profile = machine.profile;
  switch (role) {
    case Role::kInstallation: return {SnapshotKey(places.installDir)};
    case Role::kEarlier: {
      std::vector<std::string> keys;
      for (const std::string &folder : earlier) keys.push_back(SnapshotKey(folder));
      return keys;
    }
    case Role::kWindows: return {SnapshotKey(profile.windowsDir)};
    case Role::kSystem: {
      std::vector<std::string> keys = {SnapshotKey(profile.systemDir)};
      if (!profile.syswow64Dir.empty()) keys.push_back(SnapshotKey(profile.syswow64Dir));
      return keys;
    }
    case Role::kDataDrive: return {SnapshotKey(places.dataDriveDir)};
    case Role::kFixedToolFolder: {
      std::string found;
      bool directory = false;
      if (machine.files.LocateObject(u"C:\\Progra~1\\morvak8", &found, &directory) != 0) return {};
      return {SnapshotKey(found)};
    }
  }
  return {};
}

bool Below(const std::string &path, const std::string &folder) {
  return path == folder || (path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 &&
                            (path[folder.size()] == '\\' || folder.back() == '\\'));
}

bool FileChangeAllowed(const Change &change, const sim::Machine &machine, const Places &places,
                       const std::vector<std::string> &earlier) {
  for (const Place &place : kPlaces) {
    if (place.marksOnly && change.how != "marks changed") continue;
    const std::vector<std::string> names = NamesOf(place);
    for (const std::string &folder : FoldersOf(place.role, machine, places, earlier)) {
      for (const std::string &name : names) {
        if (name == "*" && Below(change.path, folder)) return true;
        if (name == "." && change.path == folder) return true;
        if (change.path == SnapshotKey(folder + "\\" + name)) return true;
      }
    }
  }
  return false;
}

// A key of the table below HKEY_LOCAL_MACHINE\SOFTWARE stands for both views.
std::vector<std::string> KeysOf(const RegistryPlace &place) {
  if (place.key[0] != '\\') return {place.key};
  return {std::string("HKEY_LOCAL_MACHINE\\SOFTWARE") + place.key,
          std::string("HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432NODE") + place.key};
}


// A keyboard layout the program may write: one that was not there, or one
// that was the product's.
bool OwnLayout(const std::string &path, const sim::Machine &machine, const MachineSnapshot &before) {
  if (path.compare(0, sizeof kLayoutsKey - 1, kLayoutsKey) != 0) return false;
  const std::string rest = path.substr(sizeof kLayoutsKey - 1);
  const std::string id = rest.substr(0, rest.find('\\'));
  if (id.empty()) return false;
  auto found = before.layoutTexts.find(id);
  return found == before.layoutTexts.end() || IsProductLayoutText(machine.profile, found->second);
}

// A key's own entry ends in a backslash; the keys above an allowed key may
// be made on the way to it.
bool RegistryChangeAllowed(const std::string &path, const sim::Machine &machine, const MachineSnapshot &before) {
  if (OwnLayout(path, machine, before)) return true;
  const bool keyMade = path.back() == '\\';
  for (const RegistryPlace &place : kRegistryPlaces)
    for (const std::string &key : KeysOf(place)) {
      if (keyMade && key.compare(0, path.size(), path) == 0) return true;
      if (!place.value && path.compare(0, key.size() + 1, key + "\\") == 0) return true;
      if (place.value && (path == key + "\\" || path == key + "\\" + place.value)) return true;
    }
  return false;
}

std::string Upper(std::string text) { return SnapshotKey(text); }

}  // namespace

bool IsProductLayoutText(const sim::Profile &profile, const std::string &text) {
  const bool big5 = profile.oemCodePage == 950;
  const std::string name = big5 ? kDisplayNameTraditional : kDisplayName;
  const std::string eightBit = sim::CodePageToUtf8(profile.ansiCodePage, sim::Utf8ToCodePage(big5 ? 950 : 936, name));
  for (const std::string &prefix : {std::string(kDisplayName), name, eightBit})
    if (text.rfind(prefix, 0) == 0) return true;
  return false;
}

std::vector<std::string> EarlierFolders(const sim::Machine &machine) {
  std::vector<std::string> folders;
  auto add = [&](const std::string &ansi) {
    const std::string folder = sim::CodePageToUtf8(machine.profile.ansiCodePage, ansi);
    if (folder.size() >= 3 && folder[1] == ':' && folder.back() == '\\') folders.push_back(folder);
  };
  std::string record, pending;
  if (machine.files.ReadFile(machine.profile.windowsDir + "\\vorlpat8.voh", &record)) add(record);
  // "DIGEST SIZE FOLDER|TARGET"
  if (machine.files.ReadFile(machine.profile.windowsDir + "\\vorlback.pnd", &pending)) {
    const size_t start = pending.find(' ', pending.find(' ') + 1), bar = pending.find('|');
    if (start != std::string::npos && bar != std::string::npos && bar > start) {
      add(pending.substr(start + 1, bar - start - 1));
      add(pending.substr(bar + 1));
    }
  }
  return folders;
}

std::vector<std::string> ChangesOutsideAllowedPlaces(const sim::Machine &machine, const Places &places,
                                                     const std::vector<std::string> &earlier,
                                                     const MachineSnapshot &before, const MachineSnapshot &after) {
  std::vector<std::string> outside;
  for (const Change &change : FileChanges(before, after))
    if (!FileChangeAllowed(change, machine, places, earlier)) outside.push_back(change.path + " " + change.how);
  for (const Change &change : RegistryChanges(before, after))
    if (!RegistryChangeAllowed(change.path, machine, before)) outside.push_back(change.path + " " + change.how);
  return outside;
}

std::vector<std::string> ForeignPreloadIdsLost(const sim::Machine &machine, const MachineSnapshot &before,
                                               const MachineSnapshot &after) {
  std::set<std::string> kept, own;
  for (const auto &[position, id] : after.preload) kept.insert(Upper(id));
  for (const auto &[id, text] : after.layoutTexts)
    if (IsProductLayoutText(machine.profile, text)) own.insert(id);
  std::vector<std::string> lost;
  for (const auto &[position, written] : before.preload) {
    const std::string id = Upper(written);
    // An id of eight hexadecimal digits names a layout; anything else no input method.
    if (id.size() != 8 || id.find_first_not_of("0123456789ABCDEF") != std::string::npos) continue;
    if (kept.count(id) || own.count(id)) continue;
    if (before.preload.size() >= 49 && position == 49) continue;  // a full list gives its last place
    const bool replaced = std::any_of(own.begin(), own.end(), [&](const std::string &mine) {
      return mine.size() == 8 && id.size() >= 5 && mine.compare(0, 5, id, 0, 5) == 0;
    });
    if (!replaced) lost.push_back(written);
  }
  return lost;
}

}  // namespace fleet
