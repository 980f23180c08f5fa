// Machine facts: presets and machine.ini.
#include "simmachine/profile.h"

#include "ini_text.h"

#include <functional>
#include <map>
#include <sstream>

namespace sim {
namespace {

void Win9x(Profile *p) {
  p->family = Family::Win9x;
  p->major = 4, p->minor = 10, p->build = 2222;
  p->servicePack = " A";
  p->nativeArchitecture = 0;
  p->windowsDir = "C:\\WINDOWS";
  p->systemDir = "C:\\WINDOWS\\SYSTEM";
  p->syswow64Dir.clear();
  p->programFilesDir = "C:\\Program Files";
  p->programFilesX86Dir.clear();
  p->profileDir = "C:\\WINDOWS";
  p->appDir = "C:\\My Documents";
  p->screenWidth = 1024, p->screenHeight = 768;
}

void WinXp(Profile *p) {
  p->major = 5, p->minor = 1, p->build = 2600;
  p->servicePack = "Service Pack 3";
  p->servicePackMajor = 3;
  p->nativeArchitecture = 0;
  p->windowsDir = "C:\\WINDOWS";
  p->systemDir = "C:\\WINDOWS\\system32";
  p->syswow64Dir.clear();
  p->programFilesX86Dir.clear();
  p->profileDir = "C:\\Documents and Settings\\user";
  p->appDir = "C:\\Documents and Settings\\user\\My Documents\\Downloads";
  p->screenWidth = 1024, p->screenHeight = 768;
}

void Vista(Profile *p, unsigned major, unsigned minor, unsigned build, bool x64) {
  p->major = major, p->minor = minor, p->build = build;
  p->servicePack = (build == 7601) ? "Service Pack 1" : "";
  p->servicePackMajor = (build == 7601) ? 1 : 0;
  p->nativeArchitecture = x64 ? 9 : 0;
  p->windowsDir = "C:\\Windows";
  p->systemDir = "C:\\Windows\\system32";
  p->syswow64Dir = x64 ? "C:\\Windows\\SysWOW64" : "";
  p->programFilesX86Dir = x64 ? "C:\\Program Files (x86)" : "";
}

const std::map<std::string, std::function<void(Profile *)>> &BasePresets() {
  static const std::map<std::string, std::function<void(Profile *)>> presets = {
      {"win98", Win9x},
      {"winxp-x86", WinXp},
      {"win7-x86", [](Profile *p) { Vista(p, 6, 1, 7601, false); }},
      {"win7-x64", [](Profile *p) { Vista(p, 6, 1, 7601, true); }},
      {"win8-x64", [](Profile *p) { Vista(p, 6, 2, 9200, true); }},
      {"win10-x64", [](Profile *p) { Vista(p, 10, 0, 19045, true); }},
      {"win11-x64", [](Profile *p) { Vista(p, 10, 0, 22631, true); }},
  };
  return presets;
}

bool ParseBool(const std::string &text, bool *value) {
  if (text == "1" || text == "true" || text == "yes") return *value = true, true;
  if (text == "0" || text == "false" || text == "no") return *value = false, true;
  return false;
}

bool ParseUnsigned(const std::string &text, unsigned *value) {
  if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) return false;
  *value = static_cast<unsigned>(std::stoul(text));
  return true;
}

// One row per key of machine.ini: how to print it and how to read it back.
struct Field {
  const char *key;
  std::function<std::string(const Profile &)> get;
  std::function<bool(Profile &, const std::string &)> set;
};

Field Text(const char *key, std::string Profile::*member) {
  return {key, [member](const Profile &p) { return p.*member; },
          [member](Profile &p, const std::string &v) { return p.*member = v, true; }};
}
Field Number(const char *key, unsigned Profile::*member) {
  return {key, [member](const Profile &p) { return std::to_string(p.*member); },
          [member](Profile &p, const std::string &v) { return ParseUnsigned(v, &(p.*member)); }};
}
Field Signed(const char *key, int Profile::*member) {
  return {key, [member](const Profile &p) { return std::to_string(p.*member); },
          [member](Profile &p, const std::string &v) {
            unsigned u;
            return ParseUnsigned(v, &u) ? (p.*member = static_cast<int>(u), true) : false;
          }};
}
Field Flag(const char *key, bool Profile::*member) {
  return {key, [member](const Profile &p) { return std::string(p.*member ? "1" : "0"); },
          [member](Profile &p, const std::string &v) { return ParseBool(v, &(p.*member)); }};
}

const std::vector<Field> &Fields() {
  static const std::vector<Field> fields = {
      Text("preset", &Profile::preset),
      {"family", [](const Profile &p) { return std::string(p.family == Family::Win9x ? "9x" : "nt"); },
       [](Profile &p, const std::string &v) {
         if (v == "9x") return p.family = Family::Win9x, true;
         if (v == "nt") return p.family = Family::NT, true;
         return false;
       }},
      Number("major", &Profile::major),
      Number("minor", &Profile::minor),
      Number("build", &Profile::build),
      Text("service_pack", &Profile::servicePack),
      Number("service_pack_major", &Profile::servicePackMajor),
      Number("native_architecture", &Profile::nativeArchitecture),
      Number("process_bits", &Profile::processBits),
      Number("oem_code_page", &Profile::oemCodePage),
      Number("ansi_code_page", &Profile::ansiCodePage),
      Text("user_name", &Profile::userName),
      Flag("administrator", &Profile::administrator),
      Text("fixed_drives", &Profile::fixedDrives),
      Text("cdrom_drives", &Profile::cdromDrives),
      Text("windows_dir", &Profile::windowsDir),
      Text("system_dir", &Profile::systemDir),
      Text("syswow64_dir", &Profile::syswow64Dir),
      Text("program_files_dir", &Profile::programFilesDir),
      Text("program_files_x86_dir", &Profile::programFilesX86Dir),
      Text("profile_dir", &Profile::profileDir),
      Text("app_dir", &Profile::appDir),
      Text("app_name", &Profile::appName),
      Number("tick_count", &Profile::tickCount),
      Signed("screen_width", &Profile::screenWidth),
      Signed("screen_height", &Profile::screenHeight),
      Flag("special_folder_fails", &Profile::specialFolderFails),
      Flag("ime_install_fails", &Profile::imeInstallFails),
      Text("keyboard_layout", &Profile::keyboardLayout),
  };
  return fields;
}

// [windows]: one "window = CLASS | TITLE" line per window, with " | faults"
// after the title for a faulting one and " | owner N" for a popup owned by
// the Nth window line; one "file_mapping = NAME" line per named shared
// memory of other programs.
const char kWindowsSection[] = "[windows]";
const char kFaultsWord[] = "faults";
const char kOwnerWord[] = "owner ";

std::string WindowLine(const OtherWindow &window) {
  std::string line = "window = " + window.className + " | " + window.title;
  if (window.faults) line += std::string(" | ") + kFaultsWord;
  if (window.owner) line += std::string(" | ") + kOwnerWord + std::to_string(window.owner);
  return line;
}

// A part after the title: "faults", or "owner N" naming an earlier window.
bool ParseWindowPart(const std::string &part, int number, OtherWindow *window) {
  if (part == kFaultsWord) return !window->faults && (window->faults = true);
  if (part.compare(0, sizeof kOwnerWord - 1, kOwnerWord) != 0 || window->owner) return false;
  const std::string digits = part.substr(sizeof kOwnerWord - 1);
  if (digits.empty() || digits.size() > 4 || digits.find_first_not_of("0123456789") != std::string::npos) return false;
  window->owner = std::stoi(digits);
  return window->owner >= 1 && window->owner < number;
}

bool ParseWindowLine(const std::string &value, int number, OtherWindow *window) {
  std::vector<std::string> parts;
  for (size_t start = 0;;) {
    size_t bar = value.find('|', start);
    parts.push_back(TrimBlanks(value.substr(start, bar == std::string::npos ? std::string::npos : bar - start)));
    if (bar == std::string::npos) break;
    start = bar + 1;
  }
  if (parts[0].empty() || parts.size() > 4) return false;
  window->className = parts[0];
  window->title = parts.size() > 1 ? parts[1] : "";
  for (size_t i = 2; i < parts.size(); ++i)
    if (!ParseWindowPart(parts[i], number, window)) return false;
  return true;
}

bool WindowsFromIni(const std::string &text, Profile *profile, std::string *error) {
  profile->otherWindows.clear();
  profile->fileMappings.clear();
  return ForEachIniEntry(text, kWindowsSection, [&](const std::string &key, const std::string &value, int number) {
    OtherWindow window;
    const int windowNumber = static_cast<int>(profile->otherWindows.size()) + 1;
    if (key == "window" && ParseWindowLine(value, windowNumber, &window)) {
      profile->otherWindows.push_back(window);
      return true;
    }
    if (key == "file_mapping" && !value.empty()) {
      profile->fileMappings.push_back(value);
      return true;
    }
    *error = "machine.ini line " + std::to_string(number) + ": bad line in " + kWindowsSection + ": " + key + " = " + value;
    return false;
  });
}

}  // namespace

unsigned Profile::ReportedMajor() const { return (major > 6 || (major == 6 && minor > 2)) ? 6 : major; }
unsigned Profile::ReportedMinor() const { return (major > 6 || (major == 6 && minor > 2)) ? 2 : minor; }
unsigned Profile::ReportedBuild() const { return (major > 6 || (major == 6 && minor > 2)) ? 9200 : build; }

std::string Profile::ProgramFilesForProgram() const {
  if (Is64BitWindows() && processBits == 32 && !programFilesX86Dir.empty()) return programFilesX86Dir;
  return programFilesDir;
}

std::vector<std::string> PresetNames() {
  std::vector<std::string> names;
  for (const auto &preset : BasePresets()) {
    names.push_back(preset.first);
    names.push_back(preset.first + "-cp950");
  }
  return names;
}

bool PresetProfile(const std::string &name, Profile *profile) {
  std::string base = name;
  bool cp950 = false;
  const std::string suffix = "-cp950";
  if (base.size() > suffix.size() && base.compare(base.size() - suffix.size(), suffix.size(), suffix) == 0) {
    base.resize(base.size() - suffix.size());
    cp950 = true;
  }
  auto it = BasePresets().find(base);
  if (it == BasePresets().end()) return false;
  *profile = Profile();
  profile->preset = name;
  it->second(profile);
  if (cp950) profile->oemCodePage = profile->ansiCodePage = 950;
  return true;
}

std::string ProfileToIni(const Profile &profile) {
  std::ostringstream out;
  out << "[machine]\n";
  for (const auto &field : Fields()) out << field.key << " = " << field.get(profile) << "\n";
  out << "\n" << kWindowsSection << "\n";
  for (const auto &window : profile.otherWindows) out << WindowLine(window) << "\n";
  for (const auto &name : profile.fileMappings) out << "file_mapping = " << name << "\n";
  return out.str();
}

bool ProfileFromIni(const std::string &text, Profile *profile, std::string *error) {
  if (!WindowsFromIni(text, profile, error)) return false;
  return ForEachIniEntry(text, "[machine]", [&](const std::string &key, const std::string &value, int number) {
    for (const auto &field : Fields()) {
      if (key != field.key) continue;
      if (field.set(*profile, value)) return true;
      *error = "machine.ini line " + std::to_string(number) + ": bad value for " + key + ": " + value;
      return false;
    }
    *error = "machine.ini line " + std::to_string(number) + ": unknown key " + key;
    return false;
  });
}

}  // namespace sim
