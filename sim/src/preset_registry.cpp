// Registry content of a freshly installed Windows of each preset: the keys the
// program reads or writes under, with the values Windows puts there.
#include "preset_registry.h"

#include <string>

#include "simmachine/profile.h"
#include "simmachine/registry_model.h"

namespace sim {
namespace {

const std::string kHklm = "HKEY_LOCAL_MACHINE\\";
const std::string kHkcu = "HKEY_CURRENT_USER\\";
const std::string kHku = "HKEY_USERS\\";

std::string ProductName(const Profile &p) {
  if (p.major == 5) return "Microsoft Windows XP";
  if (p.major == 6 && p.minor == 1) return "Windows 7 Professional";
  if (p.major == 6 && p.minor == 2) return "Windows 8 Pro";
  return "Windows 10 Pro";  // Windows 11 keeps this name in the registry
}

void SeedWindowsNtVersion(const Profile &p, Registry &r, const std::string &software) {
  const std::string key = kHklm + software + "\\Microsoft\\Windows NT\\CurrentVersion";
  r.SetString(key, "CurrentBuildNumber", std::to_string(p.build));
  r.SetString(key, "CurrentBuild", std::to_string(p.build));
  r.SetString(key, "CurrentVersion", p.major >= 10 ? "6.3" : std::to_string(p.major) + "." + std::to_string(p.minor));
  r.SetString(key, "ProductName", ProductName(p));
  r.SetString(key, "SystemRoot", p.windowsDir);
  if (p.major >= 10) {
    r.SetDword(key, "CurrentMajorVersionNumber", 10);
    r.SetDword(key, "CurrentMinorVersionNumber", 0);
    r.SetString(key, "DisplayVersion", p.build >= 22000 ? "23H2" : "22H2");
  }
  if (!p.servicePack.empty()) r.SetString(key, "CSDVersion", p.servicePack);
}

void SeedWindowsVersion(Registry &r, const std::string &software, const std::string &programFiles) {
  const std::string key = kHklm + software + "\\Microsoft\\Windows\\CurrentVersion";
  r.SetString(key, "ProgramFilesDir", programFiles);
  r.SetString(key, "CommonFilesDir", programFiles + "\\Common Files");
  r.CreateKey(key + "\\Uninstall");
  r.CreateKey(key + "\\Run");
  r.SetString(key + "\\Internet Settings\\User Agent", "", "Mozilla/4.0 (compatible; MSIE 8.0; Win32)");
  r.CreateKey(key + "\\Internet Settings\\User Agent\\Post Platform");
}

// Keyboard layouts every Chinese Windows has: US English and the Chinese
// keyboard of the machine's language.
void SeedKeyboardLayouts(const Profile &p, Registry &r) {
  const std::string layouts = kHklm + "System\\CurrentControlSet\\Control\\Keyboard Layouts\\";
  const bool nt = p.family == Family::NT;
  r.SetString(layouts + "00000409", "Layout File", nt ? "KBDUS.DLL" : "kbdus.kbd");
  r.SetString(layouts + "00000409", "Layout Text", "US");
  r.SetString(layouts + "00000804", "Layout File", nt ? "KBDUS.DLL" : "kbdus.kbd");
  r.SetString(layouts + "00000804", "Layout Text", "Chinese (Simplified) - US Keyboard");
  r.SetString(layouts + "00000404", "Layout File", nt ? "KBDUS.DLL" : "kbdus.kbd");
  r.SetString(layouts + "00000404", "Layout Text", "Chinese (Traditional) - US Keyboard");
  const std::string own = p.oemCodePage == 950 ? "00000404" : "00000804";
  if (nt) {
    r.SetString(kHkcu + "Keyboard Layout\\Preload", "1", own);
    r.SetString(kHku + ".DEFAULT\\Keyboard Layout\\Preload", "1", own);
  } else {
    r.SetString(kHkcu + "keyboard layout\\preload\\1", "", own);
  }
}

}  // namespace

void SeedRegistry(const Profile &p, Registry &r) {
  const bool x64 = p.Is64BitWindows();
  if (p.family == Family::NT) {
    SeedWindowsNtVersion(p, r, "SOFTWARE");
    if (x64) SeedWindowsNtVersion(p, r, "SOFTWARE\\WOW6432Node");
  }
  SeedWindowsVersion(r, "SOFTWARE", p.programFilesDir);
  if (x64) SeedWindowsVersion(r, "SOFTWARE\\WOW6432Node", p.programFilesX86Dir);
  SeedKeyboardLayouts(p, r);
  r.CreateKey(kHku + ".DEFAULT\\Software");
}

}  // namespace sim
