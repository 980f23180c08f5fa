// Modules and resources: the system DLLs the program reaches by name, the
// DLL search order, and the program's own resources.
#include <algorithm>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>

#include "api_support.h"
#include "exports.h"
#include "program_resources.h"

using sim::M;

namespace {

// The program's own image and the system DLLs that every process has.
SimInstance programModule{"", false};
SimInstance systemModules[] = {{"kernel32.dll"}, {"ntdll.dll"}, {"advapi32.dll"}, {"user32.dll"},
                               {"gdi32.dll"},    {"imm32.dll"}, {"shell32.dll"}};

std::string Lower(std::string text) {
  for (char &c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  return text;
}

// "KERNEL32", "kernel32.dll" and "C:\Windows\system32\kernel32.dll" all name
// the same module.
std::string ModuleFileName(const char *name) {
  std::string base = Lower(name);
  size_t slash = base.find_last_of("\\/");
  if (slash != std::string::npos) base = base.substr(slash + 1);
  if (base.find('.') == std::string::npos) base += ".dll";
  return base;
}

SimInstance *SystemModule(const std::string &fileName) {
  for (SimInstance &module : systemModules)
    if (module.name == fileName) return &module;
  return nullptr;
}

// DLLs that Windows always loads from the system folder, whatever the search
// order (the KnownDLLs list): a copy planted elsewhere is never used for them.
bool IsKnownDll(const std::string &fileName) {
  static const char *known[] = {"kernel32.dll", "ntdll.dll", "advapi32.dll", "user32.dll",
                                "gdi32.dll",    "imm32.dll", "shell32.dll",  "ole32.dll"};
  for (const char *k : known)
    if (fileName == k) return true;
  return false;
}

using Export = FARPROC;
template <typename F>
Export AsExport(F function) {
  return reinterpret_cast<Export>(reinterpret_cast<void *>(function));
}

// Names each simulated DLL exports to GetProcAddress. A function is listed
// only on the Windows versions that have it.
Export FindExport(const std::string &module, const std::string &name) {
  const sim::Profile &p = M().profile;
  const bool nt = p.family == sim::Family::NT;
  const bool xpOrLater = nt && (p.major > 5 || (p.major == 5 && p.minor >= 1));
  const bool win7OrLater = nt && (p.major > 6 || (p.major == 6 && p.minor >= 1));
  if (module == "kernel32.dll") {
    if (name == "IsWow64Process" && xpOrLater) return AsExport(sim::ExportIsWow64Process);
    if (name == "Wow64DisableWow64FsRedirection" && p.Is64BitWindows())
      return AsExport(sim::ExportWow64DisableWow64FsRedirection);
    if (name == "Wow64RevertWow64FsRedirection" && p.Is64BitWindows())
      return AsExport(sim::ExportWow64RevertWow64FsRedirection);
    if (name == "SetDefaultDllDirectories" && win7OrLater) return AsExport(sim::ExportSetDefaultDllDirectories);
    if (name == "SetDllDirectoryA" && xpOrLater) return AsExport(SetDllDirectoryA);
  }
  if (module == "ntdll.dll" && name == "RtlGetNtVersionNumbers" && xpOrLater)
    return AsExport(sim::ExportRtlGetNtVersionNumbers);
  if (module == "advapi32.dll") {
    if (name == "MD5Init") return AsExport(sim::ExportMD5Init);
    if (name == "MD5Update") return AsExport(sim::ExportMD5Update);
    if (name == "MD5Final") return AsExport(sim::ExportMD5Final);
  }
  return nullptr;
}

}  // namespace

HMODULE GetModuleHandleA(LPCSTR name) {
  if (!name) return &programModule;
  if (SimInstance *module = SystemModule(ModuleFileName(name))) return module;
  sim::SetError(ERROR_MOD_NOT_FOUND);
  return nullptr;
}

namespace {

// The module's full path in UTF-8.
std::string ModulePath(HMODULE module) {
  const sim::Profile &p = M().profile;
  return (!module || module == &programModule) ? p.appDir + "\\" + p.appName : p.systemDir + "\\" + module->name;
}

// Copies as much of `path` as fits with a terminator; the characters copied.
template <typename Char>
DWORD CopyCut(const std::basic_string<Char> &path, Char *buffer, DWORD size) {
  if (size == 0) return 0;
  const DWORD n = static_cast<DWORD>(std::min<size_t>(path.size(), size - 1));
  std::memcpy(buffer, path.data(), n * sizeof(Char));
  buffer[n] = 0;
  return n;
}

}  // namespace

// The path in the machine's ANSI code page, cut to the buffer (narrower than
// Windows, which reports a cut path with the buffer's size and
// ERROR_INSUFFICIENT_BUFFER).
DWORD GetModuleFileNameA(HMODULE module, LPSTR buffer, DWORD size) {
  return CopyCut(sim::Utf8ToAnsi(ModulePath(module)), buffer, size);
}

// As GetModuleFileNameA, in UTF-16.
DWORD GetModuleFileNameW(HMODULE module, LPWSTR buffer, DWORD size) {
  const std::u16string path = sim::Utf8ToUtf16(ModulePath(module));
  return CopyCut(std::wstring(path.begin(), path.end()), buffer, size);
}

// Records the first load of a library by name: later loads find the module
// already in the process and search nothing.
static void RecordLoad(LPCSTR name, const std::string &fileName, bool restricted, const std::string &loaded) {
  if (!M().process.librariesLoaded.insert(fileName).second) return;
  M().events.Add("library", {{"name", name}, {"search", restricted ? "system32" : "default"}, {"loaded", loaded}});
}

// Without a restricted search, a DLL that is not a known DLL is looked for in
// the program's folder first, where a planted copy would be taken.
HMODULE LoadLibraryA(LPCSTR name) {
  const std::string fileName = ModuleFileName(name);
  const bool restricted = M().process.dllSearchRestricted;
  std::string planted = M().profile.appDir + "\\" + fileName;
  if (!restricted && !IsKnownDll(fileName) && M().files.Exists(planted)) {
    RecordLoad(name, fileName, restricted, planted);
    auto &module = M().process.plantedModules[fileName];
    if (!module) module.reset(new SimInstance{fileName, true});
    return module.get();
  }
  SimInstance *module = SystemModule(fileName);
  RecordLoad(name, fileName, restricted, module ? M().profile.systemDir + "\\" + fileName : "");
  if (!module) sim::SetError(ERROR_MOD_NOT_FOUND);
  return module;
}

BOOL FreeLibrary(HMODULE module) { return module ? TRUE : FALSE; }

FARPROC GetProcAddress(HMODULE module, LPCSTR name) {
  FARPROC function = (module && !module->planted) ? FindExport(module->name, name) : nullptr;
  if (!function) sim::SetError(ERROR_PROC_NOT_FOUND);
  return function;
}

BOOL SetDllDirectoryA(LPCSTR path) {
  if (path && path[0] == '\0') M().process.dllSearchRestricted = true;
  return TRUE;
}

BOOL sim::ExportSetDefaultDllDirectories(DWORD flags) {
  if (flags & LOAD_LIBRARY_SEARCH_SYSTEM32) M().process.dllSearchRestricted = true;
  return TRUE;
}

// ---- Resources: the package archive VOZ/KELTVOZ, the icon group MORVAK and
// the compiled resource file's entries (the dialog templates) ----

struct SimResource {
  std::string type, name;
  WORD language = 0;
  const BYTE *data = nullptr;  // null for the package, whose bytes come from its file
  DWORD size = 0;
};

namespace {

SimResource packageResource{"VOZ", "KELTVOZ", 0x0804};
SimResource iconResource{"#14", "MORVAK"};

std::string ResourceId(LPCSTR id) {
  if (IS_INTRESOURCE(id)) return "#" + std::to_string(reinterpret_cast<ULONG_PTR>(id));
  std::string text = id;
  for (char &c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return text;
}

// The package file's bytes, read once per process and kept by it.
const std::string *PackageBytes() {
  std::map<std::string, std::string> &loaded = M().process.packageBytes;
  const std::filesystem::path &path = M().process.packagePath;
  if (path.empty()) return nullptr;
  auto it = loaded.find(path.string());
  if (it != loaded.end()) return &it->second;
  std::ifstream in(path, std::ios::binary);
  if (!in) return nullptr;
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return &(loaded[path.string()] = bytes.str());
}

std::vector<SimResource *> &ProgramResources() {
  static std::vector<SimResource> compiled = [] {
    std::vector<SimResource> list;
    for (const sim::ResourceEntry &e : sim::ProgramResourceEntries())
      list.push_back(SimResource{e.type, e.name, e.language, e.data, e.size});
    return list;
  }();
  static std::vector<SimResource *> all = [] {
    std::vector<SimResource *> list{&packageResource, &iconResource};
    for (SimResource &r : compiled) list.push_back(&r);
    return list;
  }();
  return all;
}

// Language 0 takes the first resource of that type and name, as FindResourceA
// does for a program that carries one language of each.
HRSRC FindProgramResource(HMODULE module, LPCSTR name, LPCSTR type, WORD language) {
  if (module && module != &programModule) {
    sim::SetError(ERROR_RESOURCE_TYPE_NOT_FOUND);
    return nullptr;
  }
  bool nameFound = false;
  for (SimResource *resource : ProgramResources()) {
    if (ResourceId(type) != resource->type || ResourceId(name) != resource->name) continue;
    if (resource == &packageResource && !PackageBytes()) break;
    nameFound = true;
    if (language == 0 || language == resource->language) return resource;
  }
  sim::SetError(nameFound ? ERROR_RESOURCE_LANG_NOT_FOUND : ERROR_RESOURCE_NAME_NOT_FOUND);
  return nullptr;
}

}  // namespace

HRSRC FindResourceA(HMODULE module, LPCSTR name, LPCSTR type) { return FindProgramResource(module, name, type, 0); }

HRSRC FindResourceExA(HMODULE module, LPCSTR type, LPCSTR name, WORD language) {
  return FindProgramResource(module, name, type, language);
}

HGLOBAL LoadResource(HMODULE, HRSRC resource) { return reinterpret_cast<HGLOBAL>(resource); }

LPVOID LockResource(HGLOBAL handle) {
  auto *resource = reinterpret_cast<SimResource *>(handle);
  if (resource == &packageResource) {
    const std::string *bytes = PackageBytes();
    return bytes ? const_cast<char *>(bytes->data()) : nullptr;
  }
  return resource ? const_cast<BYTE *>(resource->data) : nullptr;
}

BOOL FreeResource(HGLOBAL) { return FALSE; }

DWORD SizeofResource(HMODULE, HRSRC resource) {
  if (resource == &packageResource) {
    const std::string *bytes = PackageBytes();
    return bytes ? static_cast<DWORD>(bytes->size()) : 0;
  }
  return resource ? resource->size : 0;
}
