// IMM32 and the keyboard-layout queries of USER32: installing an IME module
// as a keyboard layout the way Windows does, the thread's keyboard layout and
// the description of an IME layout.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "api_support.h"

using sim::M;

namespace {

const char kLayoutsKey[] = "System\\CurrentControlSet\\Control\\Keyboard Layouts";
const char kPreloadNt[] = "Keyboard Layout\\Preload";
const char kPreload9x[] = "keyboard layout\\preload\\1";
// Windows numbers the IME layouts it installs from E020 on; lower numbers
// belong to the IMEs that come with the system.
const uint32_t kFirstInstalledImeNumber = 0xE020;
const uint32_t kLastImeNumber = 0xE0FF;

bool IsImeLayout(uint32_t id) { return (id >> 28) == 0xE; }

// A keyboard-layout handle is sign-extended to the pointer's width, as on
// 64-bit Windows.
HKL HklOf(uint32_t id) { return reinterpret_cast<HKL>(static_cast<intptr_t>(static_cast<int32_t>(id))); }
uint32_t IdOf(HKL layout) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(layout)); }

std::string IdText(uint32_t id) {
  char text[16];
  std::snprintf(text, sizeof text, "%08X", id);
  return text;
}

// Eight hexadecimal digits or fewer, nothing else.
bool ParseId(const std::string &text, uint32_t *id) {
  if (text.empty() || text.size() > 8 || text.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
    return false;
  *id = static_cast<uint32_t>(std::stoul(text, nullptr, 16));
  return true;
}

std::string HostKey(const char *hive, const std::string &path) { return std::string(hive) + "\\" + path; }
std::string LayoutKey(uint32_t id) { return HostKey("HKEY_LOCAL_MACHINE", std::string(kLayoutsKey) + "\\" + IdText(id)); }

// A file as the program sees it (WOW64 file-system redirection applies).
bool ReadProgramFile(const std::u16string &path, std::string *content) {
  sim::FileSystem &files = M().files;
  sim::OpenRequest request;
  request.access = GENERIC_READ;
  request.share = FILE_SHARE_READ;
  request.disposition = OPEN_EXISTING;
  uint32_t handle;
  bool existed;
  if (files.Open(path, request, &handle, &existed)) return false;
  uint64_t size = 0;
  files.Size(handle, &size);
  content->assign(size, '\0');
  uint32_t done = 0;
  const bool read = files.Read(handle, &(*content)[0], static_cast<uint32_t>(size), &done) == 0 && done == size;
  files.Close(handle);
  return read;
}

// The text that follows `key` in a module's version resource ("FileDescription",
// "StringFileInfo" whose block name carries the language), found by its
// UTF-16 spelling; padding between a key and its text is skipped. Narrower
// than Windows, which walks the resource tree.
std::u16string VersionText(const std::string &image, std::u16string_view key) {
  std::string pattern;
  for (char16_t c : key) pattern += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
  pattern.append(2, '\0');
  size_t at = image.find(pattern);
  if (at == std::string::npos) return u"";
  at += pattern.size();
  while (at + 1 < image.size() && image[at] == 0 && image[at + 1] == 0) at += 2;
  std::u16string text;
  for (; at + 1 < image.size() && (image[at] || image[at + 1]); at += 2)
    text += static_cast<char16_t>(static_cast<unsigned char>(image[at]) | static_cast<unsigned char>(image[at + 1]) << 8);
  return text;
}

// The language of a module: the first four digits of its string block name.
bool ModuleLanguage(const std::string &image, uint32_t *language) {
  const std::string block = sim::Utf16ToUtf8(VersionText(image, u"StringFileInfo"));
  return block.size() == 8 && ParseId(block.substr(0, 4), language);
}

// Installed IME layouts: their ids and IME file names, from the registry;
// a key under an IME's number without a file name still takes the number.
struct ImeLayout {
  uint32_t id;
  std::string file;
};
std::vector<ImeLayout> ImeLayouts() {
  std::vector<ImeLayout> layouts;
  const sim::Registry &registry = M().registry;
  for (const std::string &name : registry.SubkeyNames(HostKey("HKEY_LOCAL_MACHINE", kLayoutsKey))) {
    uint32_t id;
    std::string file;
    if (!ParseId(name, &id) || !IsImeLayout(id)) continue;
    registry.GetString(LayoutKey(id), "Ime File", &file);
    layouts.push_back({id, file});
  }
  return layouts;
}

// The layout the IME's file already has, or the next number above every IME
// layout: 0 when the file is registered for another language or no number
// is left. Narrower than Windows, which also looks for a free number below.
uint32_t ChooseImeLayout(const std::string &fileName, uint32_t language) {
  uint32_t highest = kFirstInstalledImeNumber - 1;
  for (const ImeLayout &layout : ImeLayouts()) {
    if (!layout.file.empty() && sim::EqualNoCase(sim::Utf8ToUtf16(layout.file), sim::Utf8ToUtf16(fileName)))
      return (layout.id & 0xFFFF) == language ? layout.id : 0;
    highest = std::max(highest, layout.id >> 16);
  }
  return highest < kLastImeNumber ? ((highest + 1) << 16 | language) : 0;
}

void SetText(HKEY key, const char16_t *name, const std::u16string &text) {
  RegSetValueExW(key, reinterpret_cast<LPCWSTR>(name), 0, REG_SZ, reinterpret_cast<const BYTE *>(text.c_str()),
                 static_cast<DWORD>((text.size() + 1) * 2));
}

// The keyboard-layout entry of an IME, as Windows writes it: the module's
// file name, the layout text, and the layout file of the language's own
// keyboard (US where the language has none).
LSTATUS WriteImeLayout(uint32_t id, const std::u16string &fileName, const std::u16string &layoutText) {
  std::string layoutFile = "kbdus.dll";
  M().registry.GetString(LayoutKey(id & 0xFFFF), "Layout File", &layoutFile);
  HKEY key;
  const std::u16string path = sim::Utf8ToUtf16(std::string(kLayoutsKey) + "\\" + IdText(id));
  LSTATUS error = RegCreateKeyExW(HKEY_LOCAL_MACHINE, reinterpret_cast<LPCWSTR>(path.c_str()), 0, nullptr, 0,
                                  KEY_ALL_ACCESS, nullptr, &key, nullptr);
  if (error) return error;
  SetText(key, u"Ime File", fileName);
  SetText(key, u"Layout Text", layoutText);
  SetText(key, u"Layout File", sim::Utf8ToUtf16(layoutFile));
  RegCloseKey(key);
  return ERROR_SUCCESS;
}

// Windows puts a newly installed IME into the current user's preload list:
// at the first free position, unless it is there already.
void AddToPreload(uint32_t id) {
  const std::string preload = HostKey("HKEY_CURRENT_USER", kPreloadNt);
  const std::string text = IdText(id);
  sim::Registry &registry = M().registry;
  for (int position = 1;; ++position) {
    std::string current;
    if (!registry.GetString(preload, std::to_string(position), &current)) {
      registry.SetString(preload, std::to_string(position), text);
      return;
    }
    if (sim::EqualNoCase(sim::Utf8ToUtf16(current), sim::Utf8ToUtf16(text))) return;
  }
}

uint32_t InstallIme(const std::u16string &path, const std::u16string &layoutText, uint32_t *error) {
  const sim::Profile &profile = M().profile;
  if (profile.family == sim::Family::Win9x) return *error = ERROR_CALL_NOT_IMPLEMENTED, 0;
  std::string image;
  if (!ReadProgramFile(path, &image)) return *error = ERROR_FILE_NOT_FOUND, 0;
  uint32_t language;
  if (!ModuleLanguage(image, &language)) return *error = ERROR_BAD_FORMAT, 0;
  const size_t slash = path.find_last_of(u"\\/");
  const std::u16string fileName = sim::Upcase(slash == std::u16string::npos ? path : path.substr(slash + 1));
  const uint32_t id = ChooseImeLayout(sim::Utf16ToUtf8(fileName), language);
  if (!id) return *error = ERROR_INVALID_PARAMETER, 0;
  if ((*error = WriteImeLayout(id, fileName, layoutText))) return 0;
  AddToPreload(id);
  return id;
}

// The layout id the thread runs with: the profile's, or the user's first
// preload entry; US English when neither says.
uint32_t ThreadLayoutId() {
  const sim::Profile &profile = M().profile;
  std::string text = profile.keyboardLayout;
  if (text.empty()) {
    const bool nt = profile.family == sim::Family::NT;
    M().registry.GetString(HostKey("HKEY_CURRENT_USER", nt ? kPreloadNt : kPreload9x), nt ? "1" : "", &text);
  }
  uint32_t id;
  return ParseId(text, &id) ? id : 0x00000409;
}

}  // namespace

// Modelled on Windows: the module must be readable and carry a version
// resource with its language; the entry is written with full strings and the
// id joins the user's preload list. The module is not loaded, not copied into
// the system folder and not checked for being an IME. Windows 9x has only
// the ANSI form. The profile can make the call fail (imeInstallFails),
// leaving the last error as it was.
HKL ImmInstallIMEW(LPCWSTR fileName, LPCWSTR layoutText) {
  uint32_t error = 0, id = 0;
  const std::u16string path = fileName ? sim::FromWide(fileName) : u"";
  const std::u16string text = layoutText ? sim::FromWide(layoutText) : u"";
  if (!fileName || !layoutText) error = ERROR_INVALID_PARAMETER;
  else if (!M().profile.imeInstallFails) id = InstallIme(path, text, &error);
  M().events.Add("imm_install", {{"file", sim::Utf16ToUtf8(path)},
                                 {"text", sim::Utf16ToUtf8(text)},
                                 {"layout", id ? IdText(id) : ""}});
  if (error) sim::SetError(error);
  return id ? HklOf(id) : nullptr;
}

// The IME module's FileDescription, read from the module in the system
// folder at each call (Windows reads it when the layout is loaded). 0 for a
// layout that is no IME, whose entry names no module, or whose module has no
// description; the text is cut to `size` with its terminator.
UINT ImmGetDescriptionA(HKL layout, LPSTR description, UINT size) {
  const uint32_t id = IdOf(layout);
  std::string file, image;
  if (!IsImeLayout(id) || !M().registry.GetString(LayoutKey(id), "Ime File", &file)) return 0;
  char systemDir[MAX_PATH];
  GetSystemDirectoryA(systemDir, sizeof systemDir);
  if (!ReadProgramFile(sim::Utf8ToUtf16(sim::AnsiToUtf8(systemDir) + "\\" + file), &image)) return 0;
  const std::string text = sim::Utf16ToCodePage(sim::AnsiCodePage(), VersionText(image, u"FileDescription"));
  if (text.empty() || size == 0) return static_cast<UINT>(text.size());
  const size_t n = std::min<size_t>(text.size(), size - 1);
  std::memcpy(description, text.data(), n);
  description[n] = '\0';
  return static_cast<UINT>(n);
}

// One thread, one layout. Handles of layouts that are no IME repeat the
// language in their high word, as on Windows for the system's own layouts
// (narrower: variant layouts such as 00010409 get no device number).
HKL GetKeyboardLayout(DWORD) {
  const uint32_t id = ThreadLayoutId();
  return HklOf(IsImeLayout(id) ? id : ((id & 0xFFFF) << 16 | (id & 0xFFFF)));
}

// The id of the thread's layout in eight upper-case digits.
BOOL GetKeyboardLayoutNameA(LPSTR name) {
  if (!name) {
    sim::SetError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::memcpy(name, IdText(ThreadLayoutId()).c_str(), KL_NAMELENGTH);
  return TRUE;
}
