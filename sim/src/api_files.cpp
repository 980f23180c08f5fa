// KERNEL32's file, folder and drive calls, the C runtime's file calls and the
// WOW64 redirection switch of the simulated machine, over its file system.
// The "A" calls take paths in the machine's ANSI code page.
#include <cerrno>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

#include "api_support.h"
#include "exports.h"
#include "security_model.h"

namespace sim {

UINT CopyOut(const std::string &text, char *buffer, UINT size) {
  if (!buffer || size <= text.size()) return static_cast<UINT>(text.size() + 1);
  std::memcpy(buffer, text.c_str(), text.size() + 1);
  return static_cast<UINT>(text.size());
}

UINT CopyOutWide(const std::u16string &text, wchar_t *buffer, UINT size) {
  if (!buffer || size <= text.size()) return static_cast<UINT>(text.size() + 1);
  std::memcpy(buffer, text.c_str(), (text.size() + 1) * sizeof(char16_t));
  return static_cast<UINT>(text.size());
}

}  // namespace sim

namespace {

using sim::M;

// The sharing modes of OpenFile and _lopen beyond OF_SHARE_EXCLUSIVE.
constexpr int kOfShareDenyWrite = 0x20;
constexpr int kOfShareDenyRead = 0x30;
constexpr DWORD kErrorInvalidName = 123;  // ERROR_INVALID_NAME

// A null path is an empty one, which names nothing.
std::u16string PathArgument(LPCSTR path) {
  return path ? sim::CodePageToUtf16(sim::AnsiCodePage(), path) : std::u16string();
}

HANDLE ToHandle(uint32_t handle) { return reinterpret_cast<HANDLE>(static_cast<uintptr_t>(handle)); }

// File handles are small values; anything else is no file handle.
uint32_t FromHandle(HANDLE handle) {
  uintptr_t value = reinterpret_cast<uintptr_t>(handle);
  return value <= 0xFFFFFFFFu ? static_cast<uint32_t>(value) : 0;
}

HANDLE FromHfile(HFILE file) { return ToHandle(static_cast<uint32_t>(file)); }

// Sets the last error of a failed call; TRUE when there was none.
BOOL Succeeded(uint32_t error) {
  if (error) sim::SetError(error);
  return error ? FALSE : TRUE;
}

// ReadFile and WriteFile tell the bytes moved also when they fail.
BOOL Transferred(uint32_t error, uint32_t done, LPDWORD count) {
  if (count) *count = done;
  return Succeeded(error);
}

// Records a change the program made, or tried to make, to the files.
BOOL Logged(uint32_t error, const char *operation, LPCSTR path, LPCSTR to = nullptr) {
  std::vector<std::pair<std::string, std::string>> fields = {{"op", operation}, {"path", sim::AnsiToUtf8(path)}};
  if (to) fields.emplace_back("to", sim::AnsiToUtf8(to));
  fields.emplace_back("error", std::to_string(error));
  M().events.Add("file", std::move(fields));
  return Succeeded(error);
}

// The errno that MSVCRT gives for a Win32 error.
int ErrnoOf(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case kErrorInvalidName: return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION: return EACCES;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: return EEXIST;
    case ERROR_DIR_NOT_EMPTY: return ENOTEMPTY;
    case ERROR_DISK_FULL: return ENOSPC;
    default: return EINVAL;
  }
}

char16_t Folded(char16_t c) { return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 0x20) : c; }

// '*' any run of characters, '?' any one, letters of either case alike;
// "*.*" is every name, as in Windows' DOS wildcards.
bool NameMatches(std::u16string_view pattern, std::u16string_view name) {
  if (pattern == u"*.*") pattern = u"*";
  if (pattern.empty()) return name.empty();
  if (pattern[0] == u'*')
    return NameMatches(pattern.substr(1), name) || (!name.empty() && NameMatches(pattern, name.substr(1)));
  if (name.empty() || (pattern[0] != u'?' && Folded(pattern[0]) != Folded(name[0]))) return false;
  return NameMatches(pattern.substr(1), name.substr(1));
}

// Fills `data` from the search's next entry; false at the end.
bool NextFound(sim::FolderSearch *search, LPWIN32_FIND_DATAA data) {
  if (search->next >= search->entries.size()) return false;
  const sim::FolderEntry &entry = search->entries[search->next++];
  std::memset(data, 0, sizeof *data);
  data->dwFileAttributes = entry.attributes;
  data->nFileSizeHigh = static_cast<DWORD>(entry.size >> 32);
  data->nFileSizeLow = static_cast<DWORD>(entry.size);
  std::string name = sim::Utf8ToAnsi(entry.name);
  std::memcpy(data->cFileName, name.c_str(), name.size() + 1);
  return true;
}

int CrtResult(BOOL succeeded) {
  if (succeeded) return 0;
  errno = ErrnoOf(M().process.lastError);
  return -1;
}

}  // namespace

// ---- Folders and drives ----

UINT GetWindowsDirectoryA(LPSTR buffer, UINT size) {
  return sim::CopyOut(sim::Utf8ToAnsi(M().profile.windowsDir), buffer, size);
}

UINT GetWindowsDirectoryW(LPWSTR buffer, UINT size) {
  return sim::CopyOutWide(sim::Utf8ToUtf16(M().profile.windowsDir), buffer, size);
}

// A 32-bit program on 64-bit Windows is told system32 too; the redirector
// sends its accesses there to syswow64.
UINT GetSystemDirectoryA(LPSTR buffer, UINT size) {
  return sim::CopyOut(sim::Utf8ToAnsi(M().profile.systemDir), buffer, size);
}

UINT GetSystemDirectoryW(LPWSTR buffer, UINT size) {
  return sim::CopyOutWide(sim::Utf8ToUtf16(M().profile.systemDir), buffer, size);
}

// The program's current directory is the folder it was started from until
// SetCurrentDirectoryA moves it.
DWORD GetCurrentDirectoryA(DWORD size, LPSTR buffer) {
  const sim::ProcessState &process = M().process;
  return sim::CopyOut(sim::Utf8ToAnsi(process.currentDir.empty() ? M().profile.appDir : process.currentDir), buffer,
                      size);
}

// A folder that exists becomes the current directory, spelled as on disk.
BOOL SetCurrentDirectoryA(LPCSTR path) {
  std::string folder;
  bool directory = false;
  uint32_t error = M().files.LocateObject(PathArgument(path), &folder, &directory);
  if (!error && !directory) error = ERROR_DIRECTORY;
  if (!error) M().process.currentDir = folder;
  return Succeeded(error);
}

// The Windows Temp folder (narrower than Windows, which gives the user's own
// temporary folder from TMP or TEMP).
DWORD GetTempPathA(DWORD size, LPSTR buffer) {
  return sim::CopyOut(sim::Utf8ToAnsi(M().profile.windowsDir + "\\Temp\\"), buffer, size);
}

// The type of a drive root such as "c:\" (or "c:"); any longer path is no
// root. A null root asks about the current drive. Only fixed and CD-ROM
// drives exist here.
UINT GetDriveTypeA(LPCSTR root) {
  const sim::Profile &profile = M().profile;
  std::string text = root ? root : profile.appDir.substr(0, 3);
  bool isRoot = text.size() >= 2 && text[1] == ':' &&
                (text.size() == 2 || (text.size() == 3 && (text[2] == '\\' || text[2] == '/')));
  if (!isRoot) return DRIVE_NO_ROOT_DIR;
  char letter = static_cast<char>(text[0] & ~0x20);
  if (letter >= 'A' && letter <= 'Z') {
    if (profile.fixedDrives.find(letter) != std::string::npos) return DRIVE_FIXED;
    if (profile.cdromDrives.find(letter) != std::string::npos) return DRIVE_CDROM;
  }
  return DRIVE_NO_ROOT_DIR;
}

// ---- Files ----

// Overlapped and template handles are not modelled. The security attributes
// are accepted and not applied (narrower than Windows: a new file takes what
// its folder passes down).
HANDLE CreateFileA(LPCSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security, DWORD disposition,
                   DWORD flags, HANDLE templateFile) {
  (void)security;
  (void)templateFile;
  uint32_t handle = 0;
  bool existed = false;
  uint32_t error = M().files.Open(PathArgument(path), {access, share, disposition, flags}, &handle, &existed);
  if (disposition != OPEN_EXISTING) Logged(error, "create", path);
  if (error) {
    sim::SetError(error);
    return INVALID_HANDLE_VALUE;
  }
  bool reported = existed && (disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS);
  sim::SetError(reported ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
  return ToHandle(handle);
}

// Synchronous only: the overlapped argument is ignored.
BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD count, LPDWORD read, void *overlapped) {
  (void)overlapped;
  uint32_t done = 0;
  uint32_t error = M().files.Read(FromHandle(file), buffer, count, &done);
  return Transferred(error, done, read);
}

// Synchronous only: the overlapped argument is ignored.
BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD count, LPDWORD written, void *overlapped) {
  (void)overlapped;
  uint32_t done = 0;
  uint32_t error = M().files.Write(FromHandle(file), buffer, count, &done);
  return Transferred(error, done, written);
}

// Cuts or extends the file at the handle's position.
BOOL SetEndOfFile(HANDLE file) { return Succeeded(M().files.SetEnd(FromHandle(file))); }

// Positions below 4 GB only: a high part must be null or zero.
DWORD SetFilePointer(HANDLE file, LONG distance, PLONG distanceHigh, DWORD method) {
  if (distanceHigh && *distanceHigh != 0) return sim::SetError(ERROR_INVALID_PARAMETER), INVALID_SET_FILE_POINTER;
  uint64_t position = 0;
  if (!Succeeded(M().files.Seek(FromHandle(file), distance, static_cast<int>(method), &position)))
    return INVALID_SET_FILE_POINTER;
  return static_cast<DWORD>(position);
}

// The attributes, size and a link count of 1 (narrower than Windows: no
// times, volume serial or file index).
BOOL GetFileInformationByHandle(HANDLE file, LPBY_HANDLE_FILE_INFORMATION information) {
  uint32_t attributes = 0;
  uint64_t size = 0;
  if (!Succeeded(M().files.HandleAttributes(FromHandle(file), &attributes))) return FALSE;
  M().files.Size(FromHandle(file), &size);
  std::memset(information, 0, sizeof *information);
  information->dwFileAttributes = attributes;
  information->nFileSizeHigh = static_cast<DWORD>(size >> 32);
  information->nFileSizeLow = static_cast<DWORD>(size);
  uint32_t links = 1;
  M().files.LinkCount(FromHandle(file), &links);
  information->nNumberOfLinks = links;
  return TRUE;
}

// Closes file handles; any other value is ERROR_INVALID_HANDLE.
// Mapping handles are addresses of their own; anything else is a file's.
BOOL CloseHandle(HANDLE handle) {
  auto &mappings = M().process.mappingHandles;
  for (auto it = mappings.begin(); it != mappings.end(); ++it) {
    if (reinterpret_cast<HANDLE>(it->get()) != handle) continue;
    mappings.erase(it);
    return TRUE;
  }
  return Succeeded(M().files.Close(FromHandle(handle)));
}

HANDLE OpenFileMappingA(DWORD, BOOL, LPCSTR name) {
  const std::string wanted = name ? sim::CodePageToUtf8(sim::AnsiCodePage(), name) : "";
  for (const std::string &mapping : M().profile.fileMappings) {
    if (mapping != wanted) continue;
    M().process.mappingHandles.push_back(std::make_unique<char>());
    return reinterpret_cast<HANDLE>(M().process.mappingHandles.back().get());
  }
  sim::SetError(ERROR_FILE_NOT_FOUND);
  return nullptr;
}

// The copy gets the source's attributes but the time of the copy (Windows
// keeps the source's last-write time).
BOOL CopyFileA(LPCSTR source, LPCSTR target, BOOL failIfExists) {
  if (!source || !target) return Succeeded(ERROR_INVALID_PARAMETER);
  uint32_t error = M().files.Copy(PathArgument(source), PathArgument(target), failIfExists != FALSE);
  if (!error) sim::SetError(ERROR_SUCCESS);
  return Logged(error, "copy", source, target);
}

// A file still open (with delete shared) keeps its name until the last
// close before Windows 10 version 1903, and loses it at once from then on.
BOOL DeleteFileA(LPCSTR path) { return Logged(M().files.Delete(PathArgument(path)), "delete", path); }

BOOL MoveFileA(LPCSTR from, LPCSTR to) {
  if (!from || !to) return Succeeded(ERROR_INVALID_PARAMETER);
  return Logged(M().files.Move(PathArgument(from), PathArgument(to)), "rename", from, to);
}

// MOVEFILE_REPLACE_EXISTING only; Windows 9x has no MoveFileEx.
BOOL MoveFileExA(LPCSTR from, LPCSTR to, DWORD flags) {
  if (M().profile.family != sim::Family::NT) return Succeeded(ERROR_CALL_NOT_IMPLEMENTED);
  if (!from || !to || (flags & ~MOVEFILE_REPLACE_EXISTING)) return Succeeded(ERROR_INVALID_PARAMETER);
  const bool replace = (flags & MOVEFILE_REPLACE_EXISTING) != 0;
  return Logged(M().files.Move(PathArgument(from), PathArgument(to), replace), "rename", from, to);
}

// The folder carries the DACL of the security attributes' descriptor
// (self-relative descriptors only, narrower than Windows).
BOOL CreateDirectoryA(LPCSTR path, LPSECURITY_ATTRIBUTES security) {
  std::string dacl;
  if (!sim::SecurityOfNewFolder(security ? security->lpSecurityDescriptor : nullptr, &dacl))
    return Logged(ERROR_INVALID_SECURITY_DESCR, "mkdir", path);
  const uint32_t error = M().files.CreateFolder(PathArgument(path), dacl);
  if (!error && dacl.empty() && M().profile.family == sim::Family::NT) sim::KeepInheritedDacl(M(), PathArgument(path));
  return Logged(error, "mkdir", path);
}

BOOL RemoveDirectoryA(LPCSTR path) { return Logged(M().files.RemoveFolder(PathArgument(path)), "rmdir", path); }

DWORD GetFileAttributesA(LPCSTR path) {
  uint32_t attributes = 0;
  if (!Succeeded(M().files.GetAttributes(PathArgument(path), &attributes))) return INVALID_FILE_ATTRIBUTES;
  return attributes;
}

// Keeps the read-only, hidden, system and archive bits; the others are
// accepted and dropped.
BOOL SetFileAttributesA(LPCSTR path, DWORD attributes) {
  return Logged(M().files.SetAttributes(PathArgument(path), attributes), "attributes", path);
}

// ---- Folder listings ----

// ERROR_FILE_NOT_FOUND when nothing in an existing folder matches.
HANDLE FindFirstFileA(LPCSTR pattern, LPWIN32_FIND_DATAA data) {
  std::u16string text = PathArgument(pattern);
  size_t cut = text.find_last_of(u"\\/");
  std::u16string folder = cut == std::u16string::npos ? u"." : text.substr(0, cut + 1);
  std::u16string_view names = std::u16string_view(text).substr(cut == std::u16string::npos ? 0 : cut + 1);
  std::vector<sim::FolderEntry> entries;
  if (!Succeeded(M().files.List(folder, &entries))) return INVALID_HANDLE_VALUE;
  auto search = std::make_unique<sim::FolderSearch>();
  for (sim::FolderEntry &entry : entries)
    if (NameMatches(names, sim::Utf8ToUtf16(entry.name)) && sim::Utf8ToAnsi(entry.name).size() < MAX_PATH)
      search->entries.push_back(std::move(entry));
  if (!NextFound(search.get(), data)) return sim::SetError(ERROR_FILE_NOT_FOUND), INVALID_HANDLE_VALUE;
  HANDLE handle = reinterpret_cast<HANDLE>(search.get());
  M().process.searches[handle] = std::move(search);
  return handle;
}

// ERROR_NO_MORE_FILES after the last entry.
BOOL FindNextFileA(HANDLE search, LPWIN32_FIND_DATAA data) {
  auto found = M().process.searches.find(search);
  if (found == M().process.searches.end()) return Succeeded(ERROR_INVALID_HANDLE);
  return Succeeded(NextFound(found->second.get(), data) ? 0 : ERROR_NO_MORE_FILES);
}

BOOL FindClose(HANDLE search) {
  return Succeeded(M().process.searches.erase(search) ? 0 : ERROR_INVALID_HANDLE);
}

// ---- The 16-bit compatible calls, which Windows builds on CreateFileA ----

HFILE _lopen(LPCSTR path, int mode) {
  static const DWORD kAccess[] = {GENERIC_READ, GENERIC_WRITE, GENERIC_READ | GENERIC_WRITE, 0};
  DWORD share;
  switch (mode & 0x70) {
    case OF_SHARE_EXCLUSIVE: share = 0; break;
    case kOfShareDenyWrite: share = FILE_SHARE_READ; break;
    case kOfShareDenyRead: share = FILE_SHARE_WRITE; break;
    default: share = FILE_SHARE_READ | FILE_SHARE_WRITE; break;  // compatibility mode and deny-none
  }
  HANDLE file = CreateFileA(path, kAccess[mode & 3], share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  return static_cast<HFILE>(reinterpret_cast<intptr_t>(file));
}

// Creates or truncates; only the read-only, hidden and system bits of
// `attributes` count.
HFILE _lcreat(LPCSTR path, int attributes) {
  DWORD kept = static_cast<DWORD>(attributes) &
               (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  HANDLE file = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            CREATE_ALWAYS, kept, nullptr);
  return static_cast<HFILE>(reinterpret_cast<intptr_t>(file));
}

UINT _lread(HFILE file, LPVOID buffer, UINT count) {
  DWORD read = 0;
  return ReadFile(FromHfile(file), buffer, count, &read, nullptr) ? read : static_cast<UINT>(HFILE_ERROR);
}

// A count of 0 cuts (or extends) the file at the current position.
UINT _lwrite(HFILE file, LPCSTR buffer, UINT count) {
  if (count == 0)
    return Succeeded(M().files.SetEnd(FromHandle(FromHfile(file)))) ? 0 : static_cast<UINT>(HFILE_ERROR);
  DWORD written = 0;
  return WriteFile(FromHfile(file), buffer, count, &written, nullptr) ? written : static_cast<UINT>(HFILE_ERROR);
}

LONG _llseek(HFILE file, LONG offset, int origin) {
  uint64_t position = 0;
  if (!Succeeded(M().files.Seek(FromHandle(FromHfile(file)), offset, origin, &position))) return HFILE_ERROR;
  return static_cast<LONG>(position);
}

HFILE _lclose(HFILE file) { return CloseHandle(FromHfile(file)) ? 0 : HFILE_ERROR; }

// ---- The C runtime: MSVCRT's remove, rename and _mkdir with its errno ----

int SimCrtRemove(const char *path) { return CrtResult(DeleteFileA(path)); }

// Never replaces an existing file (EEXIST), as MSVCRT's rename.
int SimCrtRename(const char *from, const char *to) { return CrtResult(MoveFileA(from, to)); }

// One level only: a missing parent gives ENOENT.
int SimCrtMkdir(const char *path) { return CrtResult(CreateDirectoryA(path, nullptr)); }

// ---- WOW64 file-system redirection, reached by name ----

namespace sim {

// Only a 32-bit program on 64-bit Windows can switch it; elsewhere the call
// fails with ERROR_INVALID_FUNCTION. `oldValue` receives the earlier state.
BOOL ExportWow64DisableWow64FsRedirection(PVOID *oldValue) {
  if (!M().profile.IsWow64()) return Succeeded(ERROR_INVALID_FUNCTION);
  bool &disabled = M().process.wow64RedirectionDisabled;
  if (oldValue) *oldValue = reinterpret_cast<PVOID>(static_cast<uintptr_t>(disabled));
  disabled = true;
  return TRUE;
}

BOOL ExportWow64RevertWow64FsRedirection(PVOID oldValue) {
  if (!M().profile.IsWow64()) return Succeeded(ERROR_INVALID_FUNCTION);
  M().process.wow64RedirectionDisabled = oldValue != nullptr;
  return TRUE;
}

}  // namespace sim
