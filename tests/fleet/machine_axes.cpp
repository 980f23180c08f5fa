#include "fleet/machine_axes.h"

#include <cstdio>
#include <initializer_list>

#include "fleet/random_draws.h"
#include "simmachine/code_page.h"

namespace fleet {

namespace {

using Traits = MachineTraits;

const char kLayoutsKey[] = "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\Keyboard Layouts\\";
const char kSortOrderKey[] =
    "HKEY_CURRENT_USER\\SOFTWARE\\Microsoft\\CTF\\SortOrder\\AssemblyItem\\0x00000804\\"
    "{34745C63-B2F0-4784-8B67-5E12C8701A31}\\";
const char kTextServiceId[] = "{65653599-5030-4C0F-8871-83F6AFDE5098}";
const char kProductLayoutText[] = u8"智能Qelvo输入平台I";
const char kProductLayoutTextTraditional[] = u8"智能Qelvo輸入平台I";

bool Nt(const sim::Profile &profile) { return profile.family == sim::Family::NT; }

std::string Hex8(uint32_t id) {
  char text[16];
  std::snprintf(text, sizeof text, "%08X", id);
  return text;
}

// The layout text the program writes on this machine: its 8-bit text
// (Big5 on code page 950, GBK elsewhere) as the machine's ANSI code page
// reads it, in UTF-8.
std::string ProductLayoutText(const sim::Profile &profile) {
  const bool big5 = profile.oemCodePage == 950;
  const std::string bytes =
      sim::Utf8ToCodePage(big5 ? 950 : 936, big5 ? kProductLayoutTextTraditional : kProductLayoutText);
  return sim::CodePageToUtf8(profile.ansiCodePage, bytes);
}

// The language part of the program's ids on this machine.
uint32_t Language(const sim::Profile &profile) { return profile.oemCodePage == 950 ? 0x404 : 0x804; }

void WriteLayout(sim::Machine &machine, const std::string &id, const std::string &imeFile, const std::string &text) {
  const bool nt = Nt(machine.profile);
  const std::string key = kLayoutsKey + id;
  machine.registry.SetString(key, nt ? "Ime File" : "IME file", imeFile);
  machine.registry.SetString(key, nt ? "Layout File" : "layout file", nt ? "KBDUS.DLL" : "KBDUS.KBD");
  machine.registry.SetString(key, nt ? "Layout Text" : "layout text", text);
}

void WriteProductLayout(sim::Machine &machine, const std::string &id) {
  WriteLayout(machine, id, "MORVAK4.IME", ProductLayoutText(machine.profile));
}

// The id the program gives a new layout on this machine: above every id
// there, in the machine's language.
uint32_t NextLayoutId(const sim::Machine &machine) {
  uint32_t largest = 0;
  for (const std::string &name : machine.registry.SubkeyNames(std::string(kLayoutsKey))) {
    unsigned long value = 0;
    if (std::sscanf(name.c_str(), "%lx", &value) == 1 && value > largest) largest = uint32_t(value);
  }
  const uint32_t floor = 0xE0000000 | Language(machine.profile);
  const uint32_t next = (largest < floor ? floor : largest) + 0x10000;
  return (next & ~0xFFFu) | Language(machine.profile);
}

void ApplyProgramFolder(const Traits &traits, sim::Profile &profile) {
  std::string &folder = profile.IsWow64() && !profile.programFilesX86Dir.empty() ? profile.programFilesX86Dir
                                                                                 : profile.programFilesDir;
  switch (traits.programFolder) {
    case Traits::ProgramFolder::kPreset: return;
    case Traits::ProgramFolder::kLong:
      folder = "C:\\Programs";
      while (int(folder.size()) < traits.longFolderLength) folder += " of a long name";
      folder.resize(size_t(traits.longFolderLength));
      if (folder.back() == ' ') folder.back() = 'x';
      break;
    case Traits::ProgramFolder::kNonAscii:
      folder = profile.ansiCodePage == 950 ? u8"C:\\程式檔案" : profile.ansiCodePage == 936 ? u8"C:\\程序文件"
                                                                                              : u8"C:\\Programmes d'été";
      break;
    case Traits::ProgramFolder::kOtherDrive:
      folder = "E:\\Program Files";
      if (profile.fixedDrives.find('E') == std::string::npos) profile.fixedDrives += "E";
      break;
    case Traits::ProgramFolder::kBlanks: folder = "C:\\Apps  "; break;
  }
}

void ApplyLayouts(const Traits &traits, sim::Machine &machine) {
  const bool big5 = machine.profile.oemCodePage == 950;
  switch (traits.layouts) {
    case Traits::Layouts::kPreset: return;
    case Traits::Layouts::kForeignImes:
      WriteLayout(machine, "E0200804", "SGPY.IME", u8"中文(简体) - 搜狗拼音输入法");
      WriteLayout(machine, "E0210804", "QQWUBI.IME", u8"中文(简体) - QQ五笔输入法");
      WriteLayout(machine, "E0220404", "BOSHIAMY.IME", u8"中文(繁體) - 嘸蝦米");
      return;
    case Traits::Layouts::kProductOtherLanguage: WriteProductLayout(machine, big5 ? "E0200804" : "E0200404"); return;
    case Traits::Layouts::kProductTwice:
      WriteProductLayout(machine, big5 ? "E0200404" : "E0200804");
      WriteProductLayout(machine, big5 ? "E0240404" : "E0240804");
      return;
    case Traits::Layouts::kMany:
      for (uint32_t i = 0; i < 300; ++i)
        WriteLayout(machine, Hex8(0xE1000804 + (i << 16)), "OTHER.IME", "Other input method " + std::to_string(i));
      return;
    case Traits::Layouts::kOdd:
      WriteLayout(machine, "ZZ000804", "ODD.IME", "A layout under a name that is no number");
      WriteLayout(machine, "E0250804", "LONG.IME", std::string(300, 'L'));
      machine.registry.SetDword(kLayoutsKey + std::string("E0260804"), "Layout Text", 7);
      WriteLayout(machine, "FFFF0804", "LAST.IME", "The largest id there is");
      return;
  }
}

// Preload lists: the current user's and, on the NT family, the default
// profile's.
std::vector<std::string> ReadPreload(const sim::Machine &machine) {
  std::vector<std::string> ids;
  const bool nt = Nt(machine.profile);
  for (int position = 1;; ++position) {
    std::string id;
    const std::string name = std::to_string(position);
    const bool found = nt ? machine.registry.GetString("HKEY_CURRENT_USER\\Keyboard Layout\\Preload", name, &id)
                          : machine.registry.GetString("HKEY_CURRENT_USER\\keyboard layout\\preload\\" + name, "", &id);
    if (!found) return ids;
    ids.push_back(id);
  }
}

// Writes the positions given ("" leaves a position out, a gap).
void WritePreload(sim::Machine &machine, const std::vector<std::string> &ids) {
  const bool nt = Nt(machine.profile);
  for (const char *list : {"HKEY_CURRENT_USER\\Keyboard Layout\\Preload", "HKEY_USERS\\.DEFAULT\\Keyboard Layout\\Preload",
                           "HKEY_CURRENT_USER\\keyboard layout\\preload"}) {
    const bool ntList = std::string(list).find("Preload") != std::string::npos;
    if (ntList != nt) continue;
    machine.registry.DeleteTree(list);
    machine.registry.CreateKey(list);
    for (size_t i = 0; i < ids.size(); ++i) {
      if (ids[i].empty()) continue;
      const std::string name = std::to_string(i + 1);
      if (nt) machine.registry.SetString(list, name, ids[i]);
      else machine.registry.SetString(std::string(list) + "\\" + name, "", ids[i]);
    }
  }
}

std::string Lower(std::string text) {
  for (char &c : text)
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  return text;
}

void ApplyPreload(const Traits &traits, sim::Machine &machine) {
  std::vector<std::string> ids = ReadPreload(machine);
  const std::string first = ids.empty() ? "00000804" : ids[0];
  const bool big5 = machine.profile.oemCodePage == 950;
  const std::string productId = big5 ? "E0300404" : "E0300804";
  switch (traits.preload) {
    case Traits::Preload::kPreset: return;
    case Traits::Preload::kFull:
      ids = {first};
      for (uint32_t i = 1; ids.size() < 49; ++i) ids.push_back(Hex8(0x00000400 + i));
      break;
    case Traits::Preload::kGaps: ids.insert(ids.end(), {"", "00000409", "00000411"}); break;
    case Traits::Preload::kProductFirst:
      WriteProductLayout(machine, productId);
      ids.insert(ids.begin(), Lower(productId));
      break;
    case Traits::Preload::kProductThird:
      WriteProductLayout(machine, productId);
      ids = {first, "00000409", Lower(productId), "00000411"};
      break;
    case Traits::Preload::kLongValue: ids.insert(ids.begin() + 1, "00000409 and more"); break;
    case Traits::Preload::kSameNumber: {
      const uint32_t next = NextLayoutId(machine);
      ids.insert(ids.begin() + 1, Lower(Hex8((next & ~0xFFFu) | (Language(machine.profile) ^ 0xC00))));
      break;
    }
  }
  WritePreload(machine, ids);
}

void WriteSortOrderEntry(sim::Machine &machine, const std::string &classId, bool withProfile) {
  char name[16];
  std::snprintf(name, sizeof name, "%08zu", machine.registry.SubkeyNames(kSortOrderKey).size());
  const std::string key = kSortOrderKey + std::string(name);
  machine.registry.SetString(key, "CLSID", classId);
  if (withProfile) machine.registry.SetString(key, "profile", "{7A3E9B51-1C2D-4E5F-8A9B-0C1D2E3F4A5B}");
  machine.registry.SetDword(key, "KeyboardLayout", 0);
}

void ApplySortOrder(const Traits &traits, sim::Machine &machine) {
  if (traits.sortOrder == Traits::SortOrder::kPreset) return;
  if (traits.sortOrder == Traits::SortOrder::kUnreadable)
    WriteSortOrderEntry(machine, "{0B6B7C2E-3E2A-4F0D-9C1B-2A3B4C5D6E7F}", false);
  WriteSortOrderEntry(machine, kTextServiceId, true);
}

void ApplyWindows(const Traits &traits, sim::Profile &profile) {
  auto add = [&](const char *className, const char *title, bool faults, int owner) {
    sim::OtherWindow window;
    window.className = className, window.title = title, window.faults = faults, window.owner = owner;
    profile.otherWindows.push_back(window);
  };
  switch (traits.windows) {
    case Traits::Windows::kNone: break;
    case Traits::Windows::kStatKeltOwned:
      add("Notepad", u8"无标题 - 记事本", false, 0);
      add("STATKELT", "", false, int(profile.otherWindows.size()));
      break;
    case Traits::Windows::kUiKeltAlone: add("UIKELT", u8"输入法状态", false, 0); break;
    case Traits::Windows::kBoth:
      add("WordPadClass", u8"文档 - 写字板", false, 0);
      add("STATKELT", "", false, int(profile.otherWindows.size()));
      add("UIKELT", "", false, int(profile.otherWindows.size()) - 1);
      break;
    case Traits::Windows::kServer: add(u8"智能Qelvo输入法", "", false, 0); break;
    case Traits::Windows::kServerFaulting: add(u8"智能Qelvo输入法", "", true, 0); break;
    case Traits::Windows::kUnrelated:
      add("Shell_TrayWnd", "", false, 0);
      add("Chrome_WidgetWin_1", u8"新标签页 - Google Chrome", false, 0);
      break;
  }
}

std::string YesNo(bool value) { return value ? "yes" : "no"; }

}  // namespace

const std::vector<Axis> &MachineAxes() {
  static const std::vector<Axis> axes = {
      {"preset", [](const Traits &s) { return s.preset; }, [](Traits *s) { s->preset = Traits().preset; }},
      {"code page", [](const Traits &s) { return std::string(s.western ? "437/1252" : "the preset's"); },
       [](Traits *s) { s->western = false; }},
      {"program", [](const Traits &s) { return std::string(s.process64 ? "setup64.exe" : "setup.exe"); },
       [](Traits *s) { s->process64 = false; }},
      {"administrator", [](const Traits &s) { return YesNo(s.administrator); },
       [](Traits *s) { s->administrator = true; }},
      {"IMM32 installer fails", [](const Traits &s) { return YesNo(s.imeInstallFails); },
       [](Traits *s) { s->imeInstallFails = false; }},
      {"Program Files lookup fails", [](const Traits &s) { return YesNo(s.specialFolderFails); },
       [](Traits *s) { s->specialFolderFails = false; }},
      {"Program Files folder",
       [](const Traits &s) {
         static const char *const names[] = {"the preset's", "long", "non-ASCII", "on drive E", "trailing blanks"};
         return std::string(names[int(s.programFolder)]);
       },
       [](Traits *s) { s->programFolder = Traits::ProgramFolder::kPreset; }},
      {"fixed drives",
       [](const Traits &s) {
         static const char *const names[] = {"the preset's", "C and E", "C, E, F and G"};
         return std::string(names[int(s.drives)]);
       },
       [](Traits *s) { s->drives = Traits::Drives::kPreset; }},
      {"keyboard layouts",
       [](const Traits &s) {
         static const char *const names[] = {"the preset's",          "foreign IMEs above", "product's, other language",
                                             "product's twice",       "300 more",          "odd names and texts"};
         return std::string(names[int(s.layouts)]);
       },
       [](Traits *s) { s->layouts = Traits::Layouts::kPreset; }},
      {"preload list",
       [](const Traits &s) {
         static const char *const names[] = {"the preset's",     "49 full",        "with a gap",
                                             "product first",    "product third",  "a value too long",
                                             "next id's number, other language"};
         return std::string(names[int(s.preload)]);
       },
       [](Traits *s) { s->preload = Traits::Preload::kPreset; }},
      {"text services' order",
       [](const Traits &s) {
         static const char *const names[] = {"the preset's", "product listed", "an unreadable entry first"};
         return std::string(names[int(s.sortOrder)]);
       },
       [](Traits *s) { s->sortOrder = Traits::SortOrder::kPreset; }},
      {"other programs' windows",
       [](const Traits &s) {
         static const char *const names[] = {"none",  "STATKELT, owned", "UIKELT, no owner", "STATKELT and UIKELT",
                                             "input-method server", "input-method server that faults", "unrelated"};
         return std::string(names[int(s.windows)]);
       },
       [](Traits *s) { s->windows = Traits::Windows::kNone; }},
      {"shared memory",
       [](const Traits &s) {
         static const char *const names[] = {"none", "morvakkelt80", "morvakkelt"};
         return std::string(names[int(s.sharedMemory)]);
       },
       [](Traits *s) { s->sharedMemory = Traits::SharedMemory::kNone; }},
  };
  return axes;
}

MachineTraits DrawMachineTraits(Random &random) {
  Traits traits;
  const std::vector<std::string> presets = sim::PresetNames();
  traits.preset = presets[random.Below(uint32_t(presets.size()))];
  sim::Profile profile;
  sim::PresetProfile(traits.preset, &profile);
  traits.western = Chance(random, 10);
  traits.process64 = profile.Is64BitWindows() && Chance(random, 25);
  traits.administrator = !Chance(random, 8);
  traits.imeInstallFails = Chance(random, 15);
  traits.specialFolderFails = Chance(random, 4);
  traits.programFolder = Traits::ProgramFolder(Weighted(random, {70, 8, 10, 6, 6}));
  traits.longFolderLength = 120 + int(random.Below(90));
  traits.drives = Traits::Drives(Weighted(random, {75, 15, 10}));
  traits.layouts = Traits::Layouts(Weighted(random, {60, 12, 8, 6, 6, 8}));
  traits.preload = Traits::Preload(Weighted(random, {58, 7, 8, 5, 8, 7, 7}));
  traits.sortOrder = Traits::SortOrder(Weighted(random, {80, 12, 8}));
  traits.windows = Traits::Windows(Weighted(random, {70, 6, 6, 5, 6, 3, 4}));
  traits.sharedMemory = Traits::SharedMemory(Weighted(random, {88, 6, 6}));
  return traits;
}

sim::Profile ProfileOf(const MachineTraits &traits) {
  sim::Profile profile;
  sim::PresetProfile(traits.preset, &profile);
  if (traits.western) profile.oemCodePage = 437, profile.ansiCodePage = 1252;
  if (traits.process64 && profile.Is64BitWindows()) profile.processBits = 64;
  profile.administrator = traits.administrator;
  profile.imeInstallFails = traits.imeInstallFails;
  profile.specialFolderFails = traits.specialFolderFails;
  if (traits.drives == Traits::Drives::kDataDriveE) profile.fixedDrives += "E";
  if (traits.drives == Traits::Drives::kDataDriveG) profile.fixedDrives += "EFG";
  ApplyProgramFolder(traits, profile);
  ApplyWindows(traits, profile);
  if (traits.sharedMemory == Traits::SharedMemory::kTsf) profile.fileMappings.push_back("morvakkelt80");
  if (traits.sharedMemory == Traits::SharedMemory::kIme) profile.fileMappings.push_back("morvakkelt");
  return profile;
}

void ApplyMachineTraits(const MachineTraits &traits, sim::Machine &machine) {
  machine.profile = ProfileOf(traits);
  machine.files.MakeDirectories(machine.profile.ProgramFilesForProgram());
  ApplyLayouts(traits, machine);
  ApplyPreload(traits, machine);
  ApplySortOrder(traits, machine);
}

}  // namespace fleet
