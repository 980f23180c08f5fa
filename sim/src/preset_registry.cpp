// Registry content of a freshly installed Windows of each preset: the keys the
// program reads or writes under, with the values Windows puts there.
#include "preset_registry.h"

#include <cstdio>
#include <string>
#include <vector>

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

// One keyboard-layout entry: its id, layout file (NT spelling) and text.
struct LayoutEntry {
  const char *id;
  const char *file;
  const char *text;
};

// The keyboards that come with every Windows of these presets.
const LayoutEntry kKeyboards[] = {
    {"00000401", "KBDA1.DLL", "Arabic (101)"},           {"00000402", "KBDBU.DLL", "Bulgarian (Typewriter)"},
    {"00000404", "KBDUS.DLL", "Chinese (Traditional) - US Keyboard"},
    {"00000405", "KBDCZ.DLL", "Czech"},                  {"00000406", "KBDDA.DLL", "Danish"},
    {"00000407", "KBDGR.DLL", "German"},                 {"00000408", "KBDHE.DLL", "Greek"},
    {"00000409", "KBDUS.DLL", "US"},                     {"0000040A", "KBDSP.DLL", "Spanish"},
    {"0000040B", "KBDFI.DLL", "Finnish"},                {"0000040C", "KBDFR.DLL", "French"},
    {"0000040D", "KBDHEB.DLL", "Hebrew"},                {"0000040E", "KBDHU.DLL", "Hungarian"},
    {"0000040F", "KBDIC.DLL", "Icelandic"},              {"00000410", "KBDIT.DLL", "Italian"},
    {"00000411", "KBDJPN.DLL", "Japanese"},              {"00000412", "KBDKOR.DLL", "Korean"},
    {"00000413", "KBDNE.DLL", "Dutch"},                  {"00000414", "KBDNO.DLL", "Norwegian"},
    {"00000415", "KBDPL1.DLL", "Polish (Programmers)"},  {"00000416", "KBDBR.DLL", "Portuguese (Brazilian ABNT)"},
    {"00000418", "KBDRO.DLL", "Romanian (Legacy)"},      {"00000419", "KBDRU.DLL", "Russian"},
    {"0000041A", "KBDCR.DLL", "Croatian"},               {"0000041B", "KBDSL.DLL", "Slovak"},
    {"0000041D", "KBDSW.DLL", "Swedish"},                {"0000041E", "KBDTH0.DLL", "Thai Kedmanee"},
    {"0000041F", "KBDTUQ.DLL", "Turkish Q"},             {"00000422", "KBDUR.DLL", "Ukrainian"},
    {"00000423", "KBDBLR.DLL", "Belarusian"},            {"00000424", "KBDCR.DLL", "Slovenian"},
    {"00000425", "KBDEST.DLL", "Estonian"},              {"00000426", "KBDLV.DLL", "Latvian"},
    {"00000427", "KBDLT.DLL", "Lithuanian IBM"},         {"00000429", "KBDFA.DLL", "Persian"},
    {"0000042A", "KBDVNTC.DLL", "Vietnamese"},           {"0000042B", "KBDARME.DLL", "Armenian Eastern"},
    {"0000042F", "KBDMAC.DLL", "Macedonian (FYROM)"},    {"00000437", "KBDGEO.DLL", "Georgian"},
    {"00000439", "KBDINDEV.DLL", "Devanagari - INSCRIPT"}, {"00000452", "KBDUKX.DLL", "United Kingdom Extended"},
    {"00000804", "KBDUS.DLL", "Chinese (Simplified) - US Keyboard"},
    {"00000807", "KBDSG.DLL", "Swiss German"},           {"00000809", "KBDUK.DLL", "United Kingdom"},
    {"0000080A", "KBDLA.DLL", "Latin American"},         {"0000080C", "KBDBE.DLL", "Belgian French"},
    {"00000813", "KBDBE.DLL", "Belgian (Period)"},       {"00000816", "KBDPO.DLL", "Portuguese"},
    {"00000C0C", "KBDFC.DLL", "Canadian French (Legacy)"}, {"00001009", "KBDCA.DLL", "Canadian French"},
    {"0000100C", "KBDSF.DLL", "Swiss French"},           {"00010402", "KBDUS.DLL", "Bulgarian (Latin)"},
    {"00010405", "KBDCZ1.DLL", "Czech (QWERTY)"},        {"00010407", "KBDGR1.DLL", "German (IBM)"},
    {"00010408", "KBDHE220.DLL", "Greek (220)"},         {"00010409", "KBDDV.DLL", "United States-Dvorak"},
    {"0001040A", "KBDES.DLL", "Spanish Variation"},      {"0001040E", "KBDHU1.DLL", "Hungarian 101-key"},
    {"00010410", "KBDIT142.DLL", "Italian (142)"},       {"00010415", "KBDPL.DLL", "Polish (214)"},
    {"00010416", "KBDBR.DLL", "Portuguese (Brazilian ABNT2)"}, {"00010419", "KBDRU1.DLL", "Russian (Typewriter)"},
    {"0001041B", "KBDSL1.DLL", "Slovak (QWERTY)"},       {"0001041F", "KBDTUF.DLL", "Turkish F"},
    {"00020409", "KBDUSX.DLL", "United States-International"}, {"00030409", "KBDUSL.DLL", "United States-Dvorak for left hand"},
    {"00040409", "KBDUSR.DLL", "United States-Dvorak for right hand"},
};

// The Chinese IMEs each Windows brings (its own numbers lie below E020).
const LayoutEntry kWin9xImes[] = {
    {"E0010804", "WINPY.IME", u8"中文 (简体) - 全拼"},   {"E0020804", "WINSP.IME", u8"中文 (简体) - 双拼"},
    {"E0030804", "WINZM.IME", u8"中文 (简体) - 郑码"},   {"E0040804", "WINABC.IME", u8"中文 (简体) - 智能 ABC"},
    {"E0050804", "WINGB.IME", u8"中文 (简体) - 内码"},
};
const LayoutEntry kWinXpImes[] = {
    {"E0010804", "WINPY.IME", u8"中文 (简体) - 全拼"},      {"E0030804", "WINZM.IME", u8"中文 (简体) - 郑码"},
    {"E0040804", "WINABC.IME", u8"中文 (简体) - 智能 ABC"}, {"E0050804", "WINGB.IME", u8"中文 (简体) - 内码"},
    {"E00E0804", "PINTLGNT.IME", u8"中文 (简体) - 微软拼音输入法 3.0 版"},
    {"E0010404", "PHON.IME", u8"中文 (繁體) - 注音"},      {"E0020404", "CHAJEI.IME", u8"中文 (繁體) - 倉頡"},
    {"E0030404", "QUICK.IME", u8"中文 (繁體) - 速成"},     {"E0080404", "TINTLGNT.IME", u8"中文 (繁體) - 新注音"},
};
const LayoutEntry kWin7Imes[] = {
    {"E00E0804", "PINTLGNT.IME", u8"中文(简体) - 微软拼音 ABC 输入风格"},
    {"E0010404", "PHON.IME", u8"中文 (繁體) - 注音"},     {"E0020404", "CHAJEI.IME", u8"中文 (繁體) - 倉頡"},
    {"E0030404", "QUICK.IME", u8"中文 (繁體) - 速成"},    {"E0080404", "TINTLGNT.IME", u8"中文 (繁體) - 新注音"},
    {"E0090404", "CINTLGNT.IME", u8"中文 (繁體) - 新倉頡"},
};
const LayoutEntry kWin10Imes[] = {
    {"E0010404", "PHON.IME", u8"中文 (繁體) - 注音"},     {"E0020404", "CHAJEI.IME", u8"中文 (繁體) - 倉頡"},
    {"E0030404", "QUICK.IME", u8"中文 (繁體) - 速成"},    {"E0080404", "TINTLGNT.IME", u8"中文 (繁體) - 新注音"},
    {"E0090404", "CINTLGNT.IME", u8"中文 (繁體) - 新倉頡"},
};

template <size_t N>
std::vector<LayoutEntry> Entries(const LayoutEntry (&table)[N]) {
  return std::vector<LayoutEntry>(table, table + N);
}

std::vector<LayoutEntry> Imes(const Profile &p) {
  if (p.family == Family::Win9x) return Entries(kWin9xImes);
  if (p.major == 5) return Entries(kWinXpImes);
  if (p.major == 6) return Entries(kWin7Imes);
  return Entries(kWin10Imes);
}

// Windows 9x names the keyboard drivers *.KBD and spells the value names in
// lower case.
void SeedLayoutEntry(const Profile &p, Registry &r, const LayoutEntry &entry, bool ime) {
  const std::string key = kHklm + "System\\CurrentControlSet\\Control\\Keyboard Layouts\\" + entry.id;
  const bool nt = p.family == Family::NT;
  if (ime) r.SetString(key, nt ? "Ime File" : "IME file", entry.file);
  std::string file = ime ? "KBDUS.DLL" : entry.file;
  if (!nt) file.replace(file.size() - 3, 3, "KBD");
  r.SetString(key, nt ? "Layout File" : "layout file", file);
  r.SetString(key, nt ? "Layout Text" : "layout text", entry.text);
}

// The preload list of a Chinese Windows: its own keyboard first, then the
// IMEs the version puts there.
std::vector<std::string> PreloadList(const Profile &p) {
  const bool big5 = p.oemCodePage == 950;
  if (p.family == Family::Win9x) return {"00000804", "E0010804", "E0040804"};
  if (p.major == 5) return big5 ? std::vector<std::string>{"00000404", "E0080404", "E0010404"}
                                : std::vector<std::string>{"00000804", "E00E0804", "E0010804", "E0040804"};
  return {big5 ? "00000404" : "00000804"};
}

void SeedKeyboardLayouts(const Profile &p, Registry &r) {
  for (const LayoutEntry &entry : kKeyboards) SeedLayoutEntry(p, r, entry, false);
  for (const LayoutEntry &entry : Imes(p)) SeedLayoutEntry(p, r, entry, true);
  const std::vector<std::string> preload = PreloadList(p);
  for (size_t i = 0; i < preload.size(); ++i) {
    const std::string position = std::to_string(i + 1);
    if (p.family == Family::Win9x) {
      r.SetString(kHkcu + "keyboard layout\\preload\\" + position, "", preload[i]);
    } else {
      r.SetString(kHkcu + "Keyboard Layout\\Preload", position, preload[i]);
      r.SetString(kHku + ".DEFAULT\\Keyboard Layout\\Preload", position, preload[i]);
    }
  }
}

// The Text Services Framework's order of the user's keyboard text services
// (Windows 7 and later): Microsoft's own Chinese input methods.
void SeedTextServiceOrder(const Profile &p, Registry &r) {
  const bool big5 = p.oemCodePage == 950;
  const std::string order = kHkcu + "SOFTWARE\\Microsoft\\CTF\\SortOrder\\AssemblyItem\\" +
                            (big5 ? "0x00000404" : "0x00000804") + "\\{34745C63-B2F0-4784-8B67-5E12C8701A31}\\";
  struct TextService {
    const char *classId, *profile;
  };
  const std::vector<TextService> services =
      big5 ? std::vector<TextService>{{"{B115690A-EA02-48D5-A231-E3578D2FDF80}", "{B2F9C502-1742-11D4-9790-0080C882687E}"}}
           : std::vector<TextService>{{"{81D4E9C9-1D3B-41BC-9E6C-4B40BF79E35E}", "{FA550B04-5AD7-411F-A5AC-CA038EC515D7}"},
                                      {"{6A498709-E00B-4C45-A018-8F9E4081AE40}", "{82590C13-F4DD-44F4-BA1D-8667246FDF8E}"}};
  for (size_t i = 0; i < services.size(); ++i) {
    char name[24];
    std::snprintf(name, sizeof name, "%08zu", i);
    r.SetString(order + name, "CLSID", services[i].classId);
    r.SetString(order + name, "profile", services[i].profile);
    r.SetDword(order + name, "KeyboardLayout", 0);
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
  if (p.family == Family::NT && p.major >= 6) SeedTextServiceOrder(p, r);
  r.CreateKey(kHku + ".DEFAULT\\Software");
}

}  // namespace sim
