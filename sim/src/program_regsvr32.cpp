// regsvr32: loads a module and runs its registration. The product's text
// service modules register the text service as their own registration code
// does; any other module registers nothing here (narrower than Windows, where
// every module runs its own DllRegisterServer).
#include <initializer_list>

#include "api_support.h"
#include "programs.h"
#include "system_programs.h"

namespace sim {
namespace {

const char16_t kTextService[] = u"{65653599-5030-4C0F-8871-83F6AFDE5098}";
// The categories the text service's own registration puts it in.
const char16_t *const kOwnCategories[] = {
    u"{34745C63-B2F0-4784-8B67-5E12C8701A31}",  // keyboard
    u"{13A016DF-560B-46CD-947A-4C3AF1E0E35D}",  // immersive support
    u"{25504FB4-7BAB-4BC1-9C69-CF81890F0EF5}",  // system tray support
};

bool StartsWithNoCase(const std::string &text, const std::string &prefix) {
  return text.size() >= prefix.size() && EqualNoCase(Utf8ToUtf16(text.substr(0, prefix.size())), Utf8ToUtf16(prefix));
}

// The path a process of `bits` opens for `path`: a 32-bit process on 64-bit
// Windows finds the system folder's files in syswow64 (narrower than
// Windows: the folders exempt from redirection are not modelled).
std::string PathInView(const Profile &profile, const std::string &path, unsigned bits) {
  const std::string system = profile.systemDir + "\\";
  if (bits != 32 || !profile.Is64BitWindows() || !StartsWithNoCase(path, system)) return path;
  return profile.syswow64Dir + "\\" + path.substr(system.size());
}

// Which regsvr32 runs: the one in syswow64 is 32-bit; the system folder's is
// 64-bit on 64-bit Windows unless a 32-bit caller's redirection sends the
// start to syswow64.
unsigned ToolBits(const Machine &machine, const std::string &toolPath) {
  const Profile &profile = machine.profile;
  if (!profile.Is64BitWindows() || StartsWithNoCase(toolPath, profile.syswow64Dir + "\\")) return 32;
  return profile.IsWow64() && !machine.process.wow64RedirectionDisabled ? 32 : 64;
}

// 32 or 64 from the PE header's machine field; 0 for a file that is no module.
unsigned ModuleBits(const std::string &image) {
  if (image.size() < 0x40 || image[0] != 'M' || image[1] != 'Z') return 0;
  const uint32_t pe = static_cast<unsigned char>(image[0x3C]) | static_cast<unsigned char>(image[0x3D]) << 8;
  if (pe + 6 > image.size() || image.compare(pe, 4, std::string("PE\0\0", 4)) != 0) return 0;
  const unsigned machineType = static_cast<unsigned char>(image[pe + 4]) | static_cast<unsigned char>(image[pe + 5]) << 8;
  return machineType == 0x14C ? 32 : machineType == 0x8664 ? 64 : 0;
}

HKEY CreateKey(const std::u16string &path, unsigned bits) {
  HKEY key = nullptr;
  const REGSAM view = bits == 32 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, reinterpret_cast<LPCWSTR>(path.c_str()), 0, nullptr, 0,
                      KEY_ALL_ACCESS | view, nullptr, &key, nullptr) != ERROR_SUCCESS)
    return nullptr;
  return key;
}

bool CreateKeys(std::initializer_list<std::u16string> paths, unsigned bits) {
  for (const std::u16string &path : paths) {
    HKEY key = CreateKey(path, bits);
    if (!key) return false;
    RegCloseKey(key);
  }
  return true;
}

void SetText(HKEY key, const char16_t *name, const std::u16string &text) {
  RegSetValueExW(key, reinterpret_cast<LPCWSTR>(name), 0, REG_SZ, reinterpret_cast<const BYTE *>(text.c_str()),
                 static_cast<DWORD>((text.size() + 1) * 2));
}

// The text service's registration in the registry view of `bits`: its COM
// class with the module, the text service key and its own categories.
bool RegisterTextService(const std::string &module, unsigned bits) {
  const std::u16string service = kTextService;
  HKEY server = CreateKey(u"SOFTWARE\\Classes\\CLSID\\" + service + u"\\InprocServer32", bits);
  if (!server) return false;
  SetText(server, u"", Utf8ToUtf16(module));
  SetText(server, u"ThreadingModel", u"Apartment");
  RegCloseKey(server);
  const std::u16string tip = u"SOFTWARE\\Microsoft\\CTF\\TIP\\" + service;
  for (const char16_t *category : kOwnCategories)
    if (!CreateKeys({tip + u"\\Category\\Category\\" + category + u"\\" + service,
                     tip + u"\\Category\\Item\\" + service + u"\\" + category},
                    bits))
      return false;
  return true;
}

bool IsTextServiceModule(const std::string &path) {
  return IsProgramNamed(path, "vorlsrf.dll") || IsProgramNamed(path, "vorlsrf6.dll");
}

// What one regsvr32 of `bits` does with the module; the 64-bit tool hands a
// 32-bit module to the 32-bit tool, as on Windows.
std::string Register(Machine &machine, const std::string &module, unsigned bits) {
  std::string image;
  if (machine.profile.family == Family::Win9x) return "no text services";
  if (!machine.files.ReadFile(PathInView(machine.profile, module, bits), &image)) return "module not found";
  const unsigned moduleBits = ModuleBits(image);
  if (moduleBits == 32 && bits == 64) return Register(machine, module, 32);
  if (moduleBits != bits) return "module not loadable";
  if (!IsTextServiceModule(module)) return "nothing registered";
  return RegisterTextService(PathInView(machine.profile, module, bits), bits) ? "registered" : "access denied";
}

}  // namespace

bool RunRegsvr32(Machine &machine, const StartedProgram &program) {
  if (!IsProgramNamed(program.path, "regsvr32.exe")) return false;
  const std::string module = SplitToolArguments(program.arguments).operand;
  const unsigned bits = ToolBits(machine, program.path);
  const std::string result = Register(machine, module, bits);
  machine.events.Add("regsvr32", {{"module", module}, {"bits", std::to_string(bits)}, {"result", result}});
  return true;
}

}  // namespace sim
