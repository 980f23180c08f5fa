#include "fleet/fleet_machine.h"

#include <sys/stat.h>

#include <algorithm>
#include <functional>
#include <sstream>
#include <stdexcept>

#include "simmachine/code_page.h"

namespace fleet {

namespace fs = std::filesystem;

const char kSecretMarker[] = "ADMINISTRATORS-ONLY";
const char *const kLinkTargets[4] = {"secret.txt", "kernel.dll", "hosts", "planted-here.dll"};

namespace {

const uint32_t kReparsePoint = 0x400;
const uint32_t kMissing = 0xFFFFFFFF;  // the attributes of a path that names nothing
const uint32_t kReadOnlyHiddenSystem = 0x7;
// Administrators and the system have full access, users none.
const char kAdministratorsOnly[] = "D:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)";

// The program's installation directory under its Program Files folder: cut
// at the first '(' and the blanks before it.
// A folder the lookup does not give, or one too long for the program's
// 200-byte directory, is "c:\Program Files".
std::string InstallDirOf(const sim::Profile &profile) {
  const std::string fallback = "c:\\Program Files\\morvak8\\";
  if (profile.specialFolderFails) return fallback;
  std::string folder = profile.ProgramFilesForProgram();
  folder = folder.substr(0, folder.find('('));
  while (!folder.empty() && folder.back() == ' ') folder.pop_back();
  if (folder.empty() || folder.back() != '\\') folder += "\\";
  folder += "morvak8\\";
  return sim::Utf8ToCodePage(profile.ansiCodePage, folder).size() >= 200 ? fallback : folder;
}

bool LooksLikeFolder(const std::string &text) {
  return text.size() >= 3 && text[1] == ':' && text[2] == '\\' && text.back() == '\\' &&
         text.find('\0') == std::string::npos;
}

}  // namespace

Places PlacesOf(const sim::Profile &profile) {
  Places places;
  places.installDir = InstallDirOf(profile);
  places.earlierDir = "C:\\Qelvo old\\morvak8\\";
  places.recordPath = profile.windowsDir + "\\vorlpat8.voh";
  places.protectedDir = profile.windowsDir + "\\Protected";
  places.systemDirs = {profile.windowsDir, profile.systemDir};
  if (!profile.syswow64Dir.empty()) places.systemDirs.push_back(profile.syswow64Dir);
  places.dataDriveDir = profile.appDir + "\\";
  for (char letter = 'G'; letter >= 'C'; --letter)
    if (profile.fixedDrives.find(letter) != std::string::npos) {
      places.dataDriveDir = std::string(1, letter) + ":\\morvak8\\";
      break;
    }
  return places;
}

void MakeMachine(const MachineTraits &traits, const fs::path &root) {
  fs::remove_all(root);
  std::unique_ptr<sim::Machine> machine = sim::Machine::CreateFromPreset(traits.preset, root);
  ApplyMachineTraits(traits, *machine);
  const Places places = PlacesOf(machine->profile);
  const std::string folder = places.protectedDir + "\\";
  machine->files.MakeDirectories(places.protectedDir);
  machine->files.SetSecurityOf(places.protectedDir, kAdministratorsOnly);
  machine->files.WriteFile(folder + "secret.txt", std::string(kSecretMarker) + " keys of the domain\r\n");
  machine->files.SetSecurityOf(folder + "secret.txt", kAdministratorsOnly);
  machine->files.WriteFile(folder + "kernel.dll", "MZ a system module\r\n");
  machine->files.SetAttributesOf(folder + "kernel.dll", kReadOnlyHiddenSystem);
  machine->files.WriteFile(folder + "hosts", "127.0.0.1 localhost\r\n");
  machine->Save();
}

void CopyMachine(const fs::path &root, const fs::path &copy) {
  fs::remove_all(copy);
  fs::create_directories(copy);
  std::map<std::pair<dev_t, ino_t>, fs::path> copied;  // files with more than one name, by identity
  const size_t prefix = root.native().size() + 1;
  for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it) {
    const fs::path target = copy / it->path().native().substr(prefix);
    if (it->is_symlink()) {
      fs::copy_symlink(it->path(), target);
    } else if (it->is_directory()) {
      fs::create_directory(target);
    } else {
      struct stat status {};
      if (::lstat(it->path().c_str(), &status) == 0 && status.st_nlink > 1) {
        auto [first, added] = copied.emplace(std::make_pair(status.st_dev, status.st_ino), target);
        if (!added) {
          fs::create_hard_link(first->second, target);
          continue;
        }
      }
      fs::copy_file(it->path(), target);
    }
  }
}

std::string DataFolder(const sim::Machine &machine, const Places &places) {
  std::string record;
  if (!machine.files.ReadFile(places.recordPath, &record)) return places.installDir;
  record = sim::CodePageToUtf8(machine.profile.ansiCodePage, record);
  return LooksLikeFolder(record) ? record : places.installDir;
}

std::map<std::string, std::string> ReadProtected(const sim::Machine &machine, const Places &places) {
  std::map<std::string, std::string> state;
  auto describe = [&](const std::string &path) {
    std::string content;
    machine.files.ReadFile(path, &content);
    std::ostringstream text;
    text << std::hex << machine.files.AttributesOf(path) << " " << machine.files.SecurityOf(path) << " " << content;
    state[path] = text.str();
  };
  describe(places.protectedDir);
  const fs::path host = machine.files.HostPath(places.protectedDir);
  std::error_code error;
  for (auto it = fs::recursive_directory_iterator(host, error); it != fs::recursive_directory_iterator(); ++it) {
    std::string relative = fs::relative(it->path(), host).string();
    std::replace(relative.begin(), relative.end(), '/', '\\');
    describe(places.protectedDir + "\\" + relative);
  }
  return state;
}

std::string WithoutBackslash(std::string path) {
  if (!path.empty() && path.back() == '\\') path.pop_back();
  return path;
}

bool IsLink(const sim::Machine &machine, const std::string &windowsPath) {
  const uint32_t attributes = machine.files.AttributesOf(WithoutBackslash(windowsPath));
  return attributes != kMissing && (attributes & kReparsePoint);
}

bool IsPlainFile(const sim::Machine &machine, const std::string &windowsPath) {
  const std::string folder = windowsPath.substr(0, windowsPath.rfind('\\'));
  if (!machine.files.Exists(folder) || IsLink(machine, folder) || IsLink(machine, windowsPath)) return false;
  struct stat status {};
  return ::lstat(machine.files.HostPath(windowsPath).c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
         status.st_nlink == 1;
}

// Loads [files] again without the lines `drop` picks.
void FilterStateLines(sim::Machine &machine, const std::function<bool(const std::string &)> &drop) {
  std::istringstream in(machine.files.StateIni());
  std::string kept, line;
  while (std::getline(in, line))
    if (!drop(line)) kept += line + "\n";
  std::string error;
  if (!machine.files.LoadStateIni(kept, &error)) throw std::logic_error("machine.ini: " + error);
}

void RemoveEntry(sim::Machine &machine, const std::string &windowsPath) {
  const std::string path = WithoutBackslash(windowsPath);
  if (IsLink(machine, path)) {
    const std::u16string key = sim::Upcase(sim::Utf8ToUtf16(path));
    FilterStateLines(machine, [&](const std::string &line) {
      const size_t equals = line.find(" = "), bar = line.find(" | ");
      const bool link = line.rfind("junction = ", 0) == 0 || line.rfind("symlink = ", 0) == 0;
      return link && bar != std::string::npos &&
             sim::Upcase(sim::Utf8ToUtf16(line.substr(equals + 3, bar - equals - 3))) == key;
    });
    return;
  }
  std::error_code ignored;
  fs::remove_all(machine.files.HostPath(path), ignored);
}

void DropStateLines(sim::Machine &machine, const std::vector<std::string> &keys) {
  FilterStateLines(machine, [&](const std::string &line) {
    for (const std::string &key : keys)
      if (line.rfind(key + " = ", 0) == 0) return true;
    return false;
  });
}

}  // namespace fleet
