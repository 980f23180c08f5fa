// The simulated machine's files behind the paths file_paths.cpp resolves: the
// program's handles, the marks Windows keeps per file (attributes, other
// programs' opens, folders that refuse writes, write faults, links, deletes
// that wait) and the sharing rules between opens.
#include "simmachine/file_system.h"

#include "file_paths.h"
#include "ini_text.h"
#include "security_model.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "simmachine/code_page.h"
#include "simmachine/machine.h"
#include "simmachine/profile.h"
#include "simwin/kernel32.h"
#include "simwin/types.h"

namespace sim {
namespace {

namespace fs = std::filesystem;

constexpr uint32_t kErrorReadFault = 30;       // ERROR_READ_FAULT
constexpr uint32_t kErrorNegativeSeek = 131;   // ERROR_NEGATIVE_SEEK
constexpr uint32_t kErrorDirectory = 267;      // ERROR_DIRECTORY
constexpr unsigned kPosixDeleteBuild = 18362;  // Windows 10 version 1903
const char kJunctionKey[] = "junction";
const char kSymlinkKey[] = "symlink";
constexpr uint32_t kDeleteAccess = 0x00010000;  // DELETE
constexpr uint32_t kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// The attributes a file keeps; FILE_ATTRIBUTE_NORMAL only means "none of them".
constexpr uint32_t kKeptAttributes =
    FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;

// The rights that take part in sharing checks. They sit on the same bits as
// FILE_SHARE_READ, FILE_SHARE_WRITE and FILE_SHARE_DELETE.
constexpr uint32_t kRead = FILE_SHARE_READ, kWrite = FILE_SHARE_WRITE, kDelete = FILE_SHARE_DELETE;

uint32_t DataRights(uint32_t access) {
  uint32_t rights = 0;
  if (access & (GENERIC_READ | GENERIC_EXECUTE | GENERIC_ALL | 0x1u /* FILE_READ_DATA */ | 0x20u /* FILE_EXECUTE */))
    rights |= kRead;
  if (access & (GENERIC_WRITE | GENERIC_ALL | 0x2u /* FILE_WRITE_DATA */ | 0x4u /* FILE_APPEND_DATA */))
    rights |= kWrite;
  if (access & (kDeleteAccess | GENERIC_ALL)) rights |= kDelete;
  return rights;
}

// Two opens of one file get along when each one's share bits allow the
// other one's rights; an open without data rights never conflicts.
bool Compatible(uint32_t dataA, uint32_t shareA, uint32_t dataB, uint32_t shareB) {
  if (dataA == 0 || dataB == 0) return true;
  return (dataA & ~shareB) == 0 && (dataB & ~shareA) == 0;
}

// Another program's hold on a file as the sharing check sees it. The loader
// maps modules with FILE_SHARE_READ | FILE_SHARE_DELETE, which is why a
// loaded module can be renamed.
void HolderOf(InUse how, uint32_t *data, uint32_t *share) {
  *data = kRead;
  *share = how == InUse::OpenNoShareDelete ? FILE_SHARE_READ : FILE_SHARE_READ | FILE_SHARE_DELETE;
}

const char *InUseName(InUse how) {
  switch (how) {
    case InUse::OpenNoShareDelete: return "open-no-share-delete";
    case InUse::OpenShareDelete: return "open-share-delete";
    case InUse::LoadedModule: return "loaded-module";
  }
  return "";
}

bool InUseFromName(const std::string &name, InUse *how) {
  for (InUse candidate : {InUse::OpenNoShareDelete, InUse::OpenShareDelete, InUse::LoadedModule}) {
    if (name == InUseName(candidate)) return *how = candidate, true;
  }
  return false;
}

// Moves the marks at and below one path to another path.
template <typename Marks>
void MoveMarks(Marks *marks, const std::u16string &fromKey, const std::u16string &toKey, const std::string &fromPath,
               const std::string &toPath) {
  Marks moved;
  for (auto it = marks->begin(); it != marks->end();) {
    if (!IsAtOrBelow(it->first, fromKey)) {
      ++it;
      continue;
    }
    auto mark = it->second;
    mark.path = toPath + mark.path.substr(std::min(fromPath.size(), mark.path.size()));
    moved.emplace(toKey + it->first.substr(fromKey.size()), mark);
    it = marks->erase(it);
  }
  for (auto &entry : moved) (*marks)[entry.first] = entry.second;
}

template <typename Marks>
void EraseMarks(Marks *marks, const std::u16string &key) {
  for (auto it = marks->begin(); it != marks->end();) it = IsAtOrBelow(it->first, key) ? marks->erase(it) : ++it;
}

bool ParseNumber(const std::string &text, uint32_t *value) {
  if (text.empty()) return false;
  char *end = nullptr;
  unsigned long number = std::strtoul(text.c_str(), &end, 0);
  if (*end != '\0' || number > 0xFFFFFFFFul) return false;
  *value = static_cast<uint32_t>(number);
  return true;
}

// A DACL as machine.ini keeps it: "D:" and its entries in SDDL.
bool IsDaclText(const std::string &text) {
  Descriptor descriptor;
  return ParseSddl(text, nullptr, &descriptor) == 0 && descriptor.hasDacl;
}

std::string Hex(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", value);
  return text;
}

}  // namespace

// ---- Rights and sharing ----

// A folder listed as read-only, and, for a user without administrator rights
// on the NT family (XP included), the Windows, system and Program Files
// folders (their Temp folder excepted) refuse changes at and below them;
// Windows 9x lets everyone write everywhere. A drive's root cannot itself be
// deleted or renamed.
bool FileSystem::WriteProtected(const Location &location) const {
  if (location.parts.empty()) return true;
  std::u16string key = location.Key();
  for (const auto &folder : readOnlyFolders_)
    if (IsAtOrBelow(key, folder.first)) return true;
  if (profile_->administrator || profile_->family != Family::NT) return false;
  std::u16string temp = FolderKey(profile_->windowsDir + "\\Temp");
  if (key != temp && IsAtOrBelow(key, temp)) return false;
  for (const std::string *folder : {&profile_->windowsDir, &profile_->systemDir, &profile_->syswow64Dir,
                                    &profile_->programFilesDir, &profile_->programFilesX86Dir})
    if (IsAtOrBelow(key, FolderKey(*folder))) return true;
  return false;
}

uint32_t FileSystem::SharingError(const std::u16string &key, uint32_t data, uint32_t share) const {
  auto mark = inUse_.find(key);
  if (mark != inUse_.end()) {
    uint32_t holderData, holderShare;
    HolderOf(mark->second.value, &holderData, &holderShare);
    if (!Compatible(data, share, holderData, holderShare)) return ERROR_SHARING_VIOLATION;
  }
  for (const auto &entry : open_)
    if (entry.second.key == key && !Compatible(data, share, entry.second.data, entry.second.share))
      return ERROR_SHARING_VIOLATION;
  return 0;
}

// ---- Attributes ----

// A junction is a folder entry and a file link a file entry, both marked as
// reparse points (narrower than Windows: they keep no attributes of their own).
uint32_t FileSystem::StoredAttributes(const Location &location) const {
  if (location.reparse)
    return FILE_ATTRIBUTE_REPARSE_POINT | (location.directory ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE);
  auto stored = attributes_.find(location.Key());
  if (location.directory) return FILE_ATTRIBUTE_DIRECTORY | (stored != attributes_.end() ? stored->second.value : 0);
  uint32_t attributes = stored != attributes_.end() ? stored->second.value : FILE_ATTRIBUTE_ARCHIVE;
  return attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
}

void FileSystem::StoreAttributes(const Location &location, uint32_t attributes) {
  attributes &= kKeptAttributes;
  if (attributes == (location.directory ? 0 : FILE_ATTRIBUTE_ARCHIVE))
    attributes_.erase(location.Key());
  else
    attributes_[location.Key()] = {location.Path(), attributes};
}

// ---- Set-up and machine.ini ----

FileSystem::~FileSystem() {
  while (!open_.empty()) Close(open_.begin()->first);
}

void FileSystem::Attach(const Profile *profile, ProcessState *process, std::filesystem::path drives) {
  profile_ = profile;
  process_ = process;
  drives_ = std::move(drives);
}

std::string FileSystem::StateIni() const {
  std::ostringstream out;
  out << "[files]\n";
  for (const auto &entry : attributes_) out << "attributes = " << Hex(entry.second.value) << " " << entry.second.path << "\n";
  for (const auto &entry : inUse_) out << "in_use = " << InUseName(entry.second.value) << " " << entry.second.path << "\n";
  for (const auto &entry : readOnlyFolders_) out << "read_only_folder = " << entry.second.path << "\n";
  for (const auto &entry : shortWrites_) out << "short_write = " << entry.second.value << " " << entry.second.path << "\n";
  for (const auto &entry : crashWrites_) out << "crash_on_write = " << entry.second.path << "\n";
  for (const auto &entry : security_) out << "security = " << entry.second.value << " " << entry.second.path << "\n";
  for (const auto &entry : links_)
    out << (entry.second.value.folder ? kJunctionKey : kSymlinkKey) << " = " << entry.second.path << " | "
        << entry.second.value.target << "\n";
  // Only another program's hold outlives this program: its own handles close with it.
  for (const auto &entry : deletePending_)
    if (inUse_.count(entry.first)) out << "delete_pending = " << entry.second.path << "\n";
  return out.str();
}

bool FileSystem::LoadStateIni(const std::string &text, std::string *error) {
  attributes_.clear();
  inUse_.clear();
  readOnlyFolders_.clear();
  shortWrites_.clear();
  crashWrites_.clear();
  security_.clear();
  links_.clear();
  deletePending_.clear();
  bool loaded = ForEachIniEntry(text, "[files]", [&](const std::string &key, const std::string &value, int number) {
    if (LoadStateLine(key, value)) return true;
    *error = "line " + std::to_string(number) + " of [files]: " + key + " = " + value;
    return false;
  });
  // A delete that no other program's hold keeps waiting is done.
  std::vector<std::u16string> pending;
  for (const auto &entry : deletePending_) pending.push_back(entry.first);
  for (const auto &key : pending) FinishPendingDelete(key);
  return loaded;
}

// One "key = value" line of [files]: the value is a number, a kind or a DACL
// in SDDL, a blank and a path; for a read-only folder, a pending delete or a
// crash on write the path alone; for a junction, file link or hard link its
// path, " | " and the target.
bool FileSystem::LoadStateLine(const std::string &key, const std::string &value) {
  if (key == kJunctionKey || key == kSymlinkKey) return LoadLinkLine(value, key == kJunctionKey);
  if (key == "hardlink") return LoadHardLinkLine(value);
  bool pathOnly = key == "read_only_folder" || key == "delete_pending" || key == "crash_on_write";
  size_t blank = value.find(' ');
  std::string word = value.substr(0, blank);
  std::string path = pathOnly ? value : blank == std::string::npos ? "" : TrimBlanks(value.substr(blank));
  if (path.empty() || LocateHost(path).error) return false;
  uint32_t amount = 0;
  InUse how = InUse::OpenNoShareDelete;
  if (key == "read_only_folder")
    SetReadOnlyFolder(path);
  else if (key == "delete_pending" && LocateHost(path).exists)
    MarkDeletePending(LocateHost(path));
  else if (key == "attributes" && ParseNumber(word, &amount))
    SetAttributesOf(path, amount);
  else if (key == "in_use" && InUseFromName(word, &how))
    SetInUse(path, how);
  else if (key == "short_write" && ParseNumber(word, &amount))
    SetShortWrite(path, amount);
  else if (key == "crash_on_write")
    SetCrashOnWrite(path);
  else if (key == "security" && IsDaclText(word))
    SetSecurityOf(path, word);
  else
    return false;
  return true;
}

// "hardlink = NAME | FILE": NAME becomes a second name of the existing FILE.
// The host keeps the link, so the line is used up.
bool FileSystem::LoadHardLinkLine(const std::string &value) {
  size_t bar = value.find('|');
  if (bar == std::string::npos) return false;
  std::string path = TrimBlanks(value.substr(0, bar)), target = TrimBlanks(value.substr(bar + 1));
  if (path.empty() || LocateHost(path, false).error || !LocateHost(target).exists || IsDirectory(target))
    return false;
  SetHardLink(path, target);
  return true;
}

bool FileSystem::LoadLinkLine(const std::string &value, bool folder) {
  size_t bar = value.find('|');
  if (bar == std::string::npos) return false;
  std::string path = TrimBlanks(value.substr(0, bar)), target = TrimBlanks(value.substr(bar + 1));
  char16_t drive = 0;
  std::vector<std::u16string> names;
  if (path.empty() || LocateHost(path, false).error || ParsePath(Utf8ToUtf16(target), u"", &drive, &names))
    return false;
  SetLink(path, target, folder);
  return true;
}

// ---- The program's view ----

uint32_t FileSystem::Open(const std::u16string &path, const OpenRequest &request, uint32_t *handle, bool *existed) {
  return OpenLocation(Locate(path, true, !(request.flags & FILE_FLAG_OPEN_REPARSE_POINT)), request, handle, existed);
}

uint32_t FileSystem::OpenLocation(const Location &location, const OpenRequest &request, uint32_t *handle,
                                  bool *existed) {
  if (request.disposition < CREATE_NEW || request.disposition > TRUNCATE_EXISTING) return ERROR_INVALID_PARAMETER;
  if (location.error) return location.error;
  if (!location.parentExists) return ERROR_PATH_NOT_FOUND;
  if (deletePending_.count(location.Key())) return ERROR_ACCESS_DENIED;
  *existed = location.exists;
  uint32_t data = DataRights(request.access);
  uint32_t error = location.exists ? OpenExisting(location, request, data) : CreateNew(location, request);
  if (error) return error;
  return AddHandle(location, data, request.share, handle);
}

uint32_t FileSystem::OpenExisting(const Location &location, const OpenRequest &request, uint32_t data) {
  if (request.disposition == CREATE_NEW) return ERROR_FILE_EXISTS;
  bool truncates = request.disposition == CREATE_ALWAYS || request.disposition == TRUNCATE_EXISTING;
  // Windows 9x opens no folders at all.
  bool folderRefused = !(request.flags & FILE_FLAG_BACKUP_SEMANTICS) || truncates || profile_->family != Family::NT;
  if (location.directory && folderRefused) return ERROR_ACCESS_DENIED;
  if (truncates) data |= kWrite;
  // Narrower than Windows, which would overwrite the link file's own data.
  if (truncates && location.reparse) return ERROR_ACCESS_DENIED;
  uint32_t attributes = StoredAttributes(location);
  if ((data & (kWrite | kDelete)) && WriteProtected(location)) return ERROR_ACCESS_DENIED;
  if (!location.directory && (data & kWrite) && (attributes & FILE_ATTRIBUTE_READONLY)) return ERROR_ACCESS_DENIED;
  // Overwriting a hidden or system file must repeat those attributes.
  if (request.disposition == CREATE_ALWAYS &&
      (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM) & ~request.flags))
    return ERROR_ACCESS_DENIED;
  if (uint32_t error = SharingError(location.Key(), data, request.share)) return error;
  if (truncates) {
    std::error_code failure;
    fs::resize_file(location.host, 0, failure);
    if (failure) return ERROR_ACCESS_DENIED;
  }
  if (request.disposition == CREATE_ALWAYS) StoreAttributes(location, request.flags | FILE_ATTRIBUTE_ARCHIVE);
  return 0;
}

uint32_t FileSystem::CreateNew(const Location &location, const OpenRequest &request) {
  if (request.disposition == OPEN_EXISTING || request.disposition == TRUNCATE_EXISTING) return ERROR_FILE_NOT_FOUND;
  if (WriteProtected(location)) return ERROR_ACCESS_DENIED;
  int fd = open(location.host.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return ERROR_ACCESS_DENIED;
  close(fd);
  StoreAttributes(location, request.flags | FILE_ATTRIBUTE_ARCHIVE);
  return 0;
}

uint32_t FileSystem::AddHandle(const Location &location, uint32_t data, uint32_t share, uint32_t *handle) {
  OpenFile file{location.Key(), location.Path(), data, share, -1, 0, location.reparse};
  if (!location.directory && !location.reparse) {
    file.fd = open(location.host.c_str(), O_RDWR | O_CLOEXEC);
    if (file.fd < 0 && !(data & kWrite)) file.fd = open(location.host.c_str(), O_RDONLY | O_CLOEXEC);
    if (file.fd < 0) return ERROR_ACCESS_DENIED;
  }
  *handle = nextHandle_;
  nextHandle_ += 4;  // handle values are multiples of four, as on Windows
  open_.emplace(*handle, std::move(file));
  return 0;
}

FileSystem::OpenFile *FileSystem::Find(uint32_t handle) {
  auto it = open_.find(handle);
  return it == open_.end() ? nullptr : &it->second;
}

uint32_t FileSystem::Read(uint32_t handle, void *buffer, uint32_t count, uint32_t *done) {
  *done = 0;
  OpenFile *file = Find(handle);
  if (!file) return ERROR_INVALID_HANDLE;
  if (file->fd < 0) return ERROR_INVALID_FUNCTION;
  if (!(file->data & kRead)) return ERROR_ACCESS_DENIED;
  ssize_t got = pread(file->fd, buffer, count, static_cast<off_t>(file->position));
  if (got < 0) return kErrorReadFault;
  file->position += static_cast<uint64_t>(got);
  *done = static_cast<uint32_t>(got);
  return 0;
}

// A pending short-write fault lets this write put only its byte count on
// disk, as a disk that fills up does, and is used up by it. A pending crash
// raises its access violation before anything is written, and is used up.
uint32_t FileSystem::Write(uint32_t handle, const void *buffer, uint32_t count, uint32_t *done) {
  *done = 0;
  OpenFile *file = Find(handle);
  if (!file) return ERROR_INVALID_HANDLE;
  if (file->fd < 0) return ERROR_INVALID_FUNCTION;
  if (!(file->data & kWrite)) return ERROR_ACCESS_DENIED;
  if (count > 0 && crashWrites_.erase(file->key)) RaiseException(EXCEPTION_ACCESS_VIOLATION, 0, 0, nullptr);
  uint32_t allowed = count;
  auto fault = shortWrites_.find(file->key);
  if (fault != shortWrites_.end() && count > 0) {
    allowed = std::min(count, fault->second.value);
    shortWrites_.erase(fault);
  }
  ssize_t put = pwrite(file->fd, buffer, allowed, static_cast<off_t>(file->position));
  if (put < 0) return ERROR_DISK_FULL;
  file->position += static_cast<uint64_t>(put);
  *done = static_cast<uint32_t>(put);
  return *done < count ? ERROR_DISK_FULL : 0;
}

uint32_t FileSystem::Seek(uint32_t handle, int64_t offset, int origin, uint64_t *position) {
  OpenFile *file = Find(handle);
  if (!file) return ERROR_INVALID_HANDLE;
  uint64_t size = 0;
  Size(handle, &size);
  int64_t base;
  switch (origin) {
    case FILE_BEGIN: base = 0; break;
    case FILE_CURRENT: base = static_cast<int64_t>(file->position); break;
    case FILE_END: base = static_cast<int64_t>(size); break;
    default: return ERROR_INVALID_PARAMETER;
  }
  if (base + offset < 0) return kErrorNegativeSeek;
  *position = file->position = static_cast<uint64_t>(base + offset);
  return 0;
}

uint32_t FileSystem::SetEnd(uint32_t handle) {
  const OpenFile *file = Find(handle);
  if (!file) return ERROR_INVALID_HANDLE;
  if (file->fd < 0) return ERROR_INVALID_FUNCTION;
  if (!(file->data & kWrite)) return ERROR_ACCESS_DENIED;
  return ftruncate(file->fd, static_cast<off_t>(file->position)) == 0 ? 0 : ERROR_DISK_FULL;
}

uint32_t FileSystem::Size(uint32_t handle, uint64_t *size) const {
  auto it = open_.find(handle);
  if (it == open_.end()) return ERROR_INVALID_HANDLE;
  struct stat status {};
  int fd = it->second.fd;
  *size = (fd >= 0 && fstat(fd, &status) == 0) ? static_cast<uint64_t>(status.st_size) : 0;
  return 0;
}

uint32_t FileSystem::Close(uint32_t handle) {
  auto it = open_.find(handle);
  if (it == open_.end()) return ERROR_INVALID_HANDLE;
  if (it->second.fd >= 0) close(it->second.fd);
  std::u16string key = it->second.key;
  open_.erase(it);
  FinishPendingDelete(key);
  return 0;
}

// Narrower than Windows: no times, volume serial or file index.
uint32_t FileSystem::HandleAttributes(uint32_t handle, uint32_t *attributes) const {
  auto it = open_.find(handle);
  if (it == open_.end()) return ERROR_INVALID_HANDLE;
  *attributes = StoredAttributes(LocateHost(it->second.path, !it->second.reparse));
  return 0;
}

// As CopyFile does: the source opened for reading with all sharing, the
// target created or overwritten with the source's attributes.
uint32_t FileSystem::Copy(const std::u16string &from, const std::u16string &to, bool failIfExists) {
  Location source = Locate(from, true);
  uint32_t in = 0, out = 0;
  bool existed = false;
  uint32_t error = OpenLocation(source, {GENERIC_READ, kShareAll, OPEN_EXISTING, 0}, &in, &existed);
  if (error) return error;
  Location target = Locate(to, true);
  if (!failIfExists && target.exists && target.Key() == source.Key()) {
    error = ERROR_SHARING_VIOLATION;
  } else {
    uint32_t attributes = StoredAttributes(source) & kKeptAttributes;
    uint32_t disposition = failIfExists ? CREATE_NEW : CREATE_ALWAYS;
    error = OpenLocation(target, {GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, disposition, attributes}, &out,
                         &existed);
  }
  char buffer[65536];
  uint32_t got = 0, put = 0;
  while (!error && !(error = Read(in, buffer, sizeof buffer, &got)) && got > 0) error = Write(out, buffer, got, &put);
  Close(in);
  if (out) Close(out);
  return error;
}

uint32_t FileSystem::Delete(const std::u16string &path) {
  Location location;
  if (uint32_t error = LocateExisting(path, &location)) return error;
  if (location.directory || WriteProtected(location)) return ERROR_ACCESS_DENIED;
  std::u16string key = location.Key();
  if (uint32_t error = SharingError(key, kDelete, kShareAll)) return error;
  auto mark = inUse_.find(key);
  bool loaded = mark != inUse_.end() && mark->second.value == InUse::LoadedModule;
  if (loaded || (StoredAttributes(location) & FILE_ATTRIBUTE_READONLY)) return ERROR_ACCESS_DENIED;
  if (!PosixDelete() && HeldOpen(key)) return MarkDeletePending(location), 0;
  std::error_code failure;
  if (!location.reparse && !fs::remove(location.host, failure)) return ERROR_ACCESS_DENIED;
  ForgetPath(key);
  return 0;
}

// Renames within and across drives alike (narrower than Windows, which
// copies across drives and refuses to move a folder to another drive). With
// `replace` (MOVEFILE_REPLACE_EXISTING) a file, or a file link itself, under
// the new name gives way in one step, unless it is read-only, in use or a
// folder.
uint32_t FileSystem::Move(const std::u16string &from, const std::u16string &to, bool replace) {
  Location source;
  if (uint32_t error = LocateExisting(from, &source)) return error;
  if (WriteProtected(source)) return ERROR_ACCESS_DENIED;
  if (uint32_t error = SharingError(source.Key(), kDelete, kShareAll)) return error;
  Location target = Locate(to, true, false);
  if (target.error) return target.error;
  // A new spelling of the same name changes nothing here (Windows changes the case).
  if (target.exists && target.Key() == source.Key()) return 0;
  if (target.exists && !replace) return ERROR_ALREADY_EXISTS;
  if (!target.parentExists) return ERROR_PATH_NOT_FOUND;
  if (WriteProtected(target)) return ERROR_ACCESS_DENIED;
  if (target.exists) {
    if (uint32_t error = ReplaceableError(target)) return error;
    std::error_code ignored;
    if (target.reparse) fs::remove(target.host, ignored);
    ForgetPath(target.Key());
  }
  std::error_code failure;
  if (!source.reparse) fs::rename(source.host, target.host, failure);
  if (failure) return ERROR_ACCESS_DENIED;
  RenamePath(source, target);
  return 0;
}

// Why a file under the name a move replaces cannot give way; 0 when it can.
uint32_t FileSystem::ReplaceableError(const Location &target) const {
  if (target.directory || (StoredAttributes(target) & FILE_ATTRIBUTE_READONLY)) return ERROR_ACCESS_DENIED;
  auto mark = inUse_.find(target.Key());
  if (mark != inUse_.end() && mark->second.value == InUse::LoadedModule) return ERROR_ACCESS_DENIED;
  return SharingError(target.Key(), kDelete, kShareAll);
}

void FileSystem::SetHardLink(const std::string &windowsPath, const std::string &target) {
  const Location existing = LocateHost(target);
  const Location name = LocateHost(windowsPath, false);
  std::error_code failure;
  fs::create_directories(name.host.parent_path(), failure);
  fs::remove(name.host, failure);
  fs::create_hard_link(existing.host, name.host, failure);
}

uint32_t FileSystem::LinkCount(uint32_t handle, uint32_t *count) const {
  auto it = open_.find(handle);
  if (it == open_.end()) return ERROR_INVALID_HANDLE;
  struct stat status {};
  const int fd = it->second.fd;
  *count = fd >= 0 && fstat(fd, &status) == 0 ? static_cast<uint32_t>(status.st_nlink) : 1;
  return 0;
}

uint32_t FileSystem::CreateFolder(const std::u16string &path, const std::string &security) {
  Location location = Locate(path, true, false);
  if (location.error) return location.error;
  if (location.exists) return ERROR_ALREADY_EXISTS;
  if (!location.parentExists) return ERROR_PATH_NOT_FOUND;
  if (WriteProtected(location)) return ERROR_ACCESS_DENIED;
  std::error_code failure;
  if (!fs::create_directory(location.host, failure)) return ERROR_ACCESS_DENIED;
  attributes_.erase(location.Key());
  if (!security.empty()) security_[location.Key()] = {location.Path(), security};
  return 0;
}

uint32_t FileSystem::RemoveFolder(const std::u16string &path) {
  Location location;
  if (uint32_t error = LocateExisting(path, &location)) return error;
  if (!location.directory) return kErrorDirectory;
  if (WriteProtected(location)) return ERROR_ACCESS_DENIED;
  std::u16string key = location.Key();
  if (uint32_t error = SharingError(key, kDelete, kShareAll)) return error;
  if (StoredAttributes(location) & FILE_ATTRIBUTE_READONLY) return ERROR_ACCESS_DENIED;
  // A junction goes by itself, whatever its target holds.
  std::error_code failure;
  if (!location.reparse && !fs::is_empty(location.host, failure)) return ERROR_DIR_NOT_EMPTY;
  if (!location.reparse && !fs::remove(location.host, failure)) return ERROR_ACCESS_DENIED;
  ForgetPath(key);
  return 0;
}

uint32_t FileSystem::GetAttributes(const std::u16string &path, uint32_t *attributes) const {
  Location location;
  if (uint32_t error = LocateExisting(path, &location)) return error;
  *attributes = StoredAttributes(location);
  return 0;
}

uint32_t FileSystem::SetAttributes(const std::u16string &path, uint32_t attributes) {
  Location location;
  if (uint32_t error = LocateExisting(path, &location)) return error;
  if (WriteProtected(location)) return ERROR_ACCESS_DENIED;
  StoreAttributes(location, attributes);
  return 0;
}

uint32_t FileSystem::LocateObject(const std::u16string &path, std::string *windowsPath, bool *directory) const {
  Location location;
  if (uint32_t error = LocateExisting(path, &location, true)) return error;
  *windowsPath = location.Path();
  *directory = location.directory;
  return 0;
}

uint32_t FileSystem::List(const std::u16string &folder, std::vector<FolderEntry> *entries) const {
  Location location;
  // The folder is a path, not a file, however much of it is missing.
  if (uint32_t error = LocateExisting(folder, &location, true))
    return error == ERROR_FILE_NOT_FOUND ? ERROR_PATH_NOT_FOUND : error;
  if (!location.directory) return kErrorDirectory;
  std::vector<std::pair<std::u16string, FolderEntry>> found;
  std::error_code failure;
  for (const auto &item : fs::directory_iterator(location.host, failure)) {
    std::vector<std::u16string> names = location.parts;
    names.push_back(Utf8ToUtf16(item.path().filename().string()));
    Location child = Resolve(location.drive, names, false, 0);
    if (child.error || !child.exists) continue;
    FolderEntry entry{item.path().filename().string(), StoredAttributes(child), 0};
    if (!child.directory) entry.size = fs::file_size(item.path(), failure);
    found.emplace_back(child.Key(), entry);
  }
  std::sort(found.begin(), found.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
  entries->clear();
  if (!location.parts.empty())
    for (const char *dots : {".", ".."}) entries->push_back({dots, FILE_ATTRIBUTE_DIRECTORY, 0});
  for (const auto &item : found) entries->push_back(item.second);
  return 0;
}

uint32_t FileSystem::SetSecurity(const std::u16string &path, const std::string &security) {
  Location location;
  if (uint32_t error = LocateExisting(path, &location, true)) return error;
  if (WriteProtected(location)) return ERROR_ACCESS_DENIED;
  security_[location.Key()] = {location.Path(), security};
  return 0;
}

// A deleted file loses its attributes and its holders; handles the program
// still has on it no longer stand in the way of a new file of that name.
// Short-write and crash faults belong to the name and stay.
void FileSystem::ForgetPath(const std::u16string &key) {
  EraseMarks(&attributes_, key);
  EraseMarks(&inUse_, key);
  EraseMarks(&security_, key);
  EraseMarks(&links_, key);
  EraseMarks(&deletePending_, key);
  for (auto &entry : open_)
    if (IsAtOrBelow(entry.second.key, key)) entry.second.key.clear();
}

// Attributes, holders and the program's own handles follow a renamed file.
void FileSystem::RenamePath(const Location &from, const Location &to) {
  std::u16string fromKey = from.Key(), toKey = to.Key();
  std::string fromPath = from.Path(), toPath = to.Path();
  MoveMarks(&attributes_, fromKey, toKey, fromPath, toPath);
  MoveMarks(&inUse_, fromKey, toKey, fromPath, toPath);
  MoveMarks(&security_, fromKey, toKey, fromPath, toPath);
  MoveMarks(&links_, fromKey, toKey, fromPath, toPath);
  for (auto &entry : open_) {
    if (!IsAtOrBelow(entry.second.key, fromKey)) continue;
    entry.second.key = toKey + entry.second.key.substr(fromKey.size());
    entry.second.path = toPath + entry.second.path.substr(std::min(fromPath.size(), entry.second.path.size()));
  }
}

// Whether the program or another program still has the file open.
bool FileSystem::HeldOpen(const std::u16string &key) const {
  if (inUse_.count(key)) return true;
  return std::any_of(open_.begin(), open_.end(), [&](const auto &entry) { return entry.second.key == key; });
}

// Windows 10 version 1903 made DeleteFile remove the name at once (POSIX
// semantics); earlier Windows only marks the file for deletion.
bool FileSystem::PosixDelete() const {
  return profile_->family == Family::NT &&
         (profile_->major > 10 || (profile_->major == 10 && profile_->build >= kPosixDeleteBuild));
}

void FileSystem::MarkDeletePending(const Location &location) {
  deletePending_[location.Key()] = {location.Path(), true};
}

// The last holder of a file marked for deletion closed it: now it goes.
void FileSystem::FinishPendingDelete(const std::u16string &key) {
  auto pending = deletePending_.find(key);
  if (pending == deletePending_.end() || HeldOpen(key)) return;
  std::error_code failure;
  fs::remove(LocateHost(pending->second.path).host, failure);
  ForgetPath(key);
}

// ---- Host view ----

std::filesystem::path FileSystem::HostPath(const std::string &windowsPath) const { return LocateHost(windowsPath).host; }

bool FileSystem::Exists(const std::string &windowsPath) const {
  Location location = LocateHost(windowsPath);
  return !location.error && location.exists;
}

bool FileSystem::IsDirectory(const std::string &windowsPath) const {
  Location location = LocateHost(windowsPath);
  return !location.error && location.exists && location.directory;
}

bool FileSystem::ReadFile(const std::string &windowsPath, std::string *content) const {
  Location location = LocateHost(windowsPath);
  if (location.error || !location.exists || location.directory) return false;
  std::ifstream in(location.host, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  *content = text.str();
  return static_cast<bool>(in);
}

namespace {

void ThrowIfBad(uint32_t error, const std::string &windowsPath) {
  if (error) throw std::invalid_argument("not a Windows path the machine can name: " + windowsPath);
}

}  // namespace

void FileSystem::WriteFile(const std::string &windowsPath, const std::string &content) {
  Location location = LocateHost(windowsPath);
  ThrowIfBad(location.error, windowsPath);
  fs::create_directories(location.host.parent_path());
  std::ofstream out(location.host, std::ios::binary | std::ios::trunc);
  out << content;
  if (!out) throw std::runtime_error("cannot write " + location.host.string());
}

void FileSystem::MakeDirectories(const std::string &windowsPath) {
  Location location = LocateHost(windowsPath);
  ThrowIfBad(location.error, windowsPath);
  fs::create_directories(location.host);
}

std::vector<std::string> FileSystem::ListAllFiles() const {
  std::vector<std::string> files;
  std::error_code error;
  for (const auto &drive : fs::directory_iterator(drives_, error)) {
    std::string letter = drive.path().filename().string();
    for (const auto &entry : fs::recursive_directory_iterator(drive.path(), error)) {
      if (!entry.is_regular_file()) continue;
      std::string relative = fs::relative(entry.path(), drive.path()).string();
      std::replace(relative.begin(), relative.end(), '/', '\\');
      files.push_back(std::string(1, static_cast<char>(letter[0] & ~0x20)) + ":\\" + relative);
    }
  }
  std::sort(files.begin(), files.end());
  return files;
}

uint32_t FileSystem::AttributesOf(const std::string &windowsPath) const {
  Location location = LocateHost(windowsPath, false);
  return (!location.error && location.exists) ? StoredAttributes(location) : INVALID_FILE_ATTRIBUTES;
}

void FileSystem::SetAttributesOf(const std::string &windowsPath, uint32_t attributes) {
  Location location = LocateHost(windowsPath);
  ThrowIfBad(location.error, windowsPath);
  StoreAttributes(location, attributes);
}

void FileSystem::SetInUse(const std::string &windowsPath, InUse how) {
  Location location = LocateHost(windowsPath);
  ThrowIfBad(location.error, windowsPath);
  inUse_[location.Key()] = {location.Path(), how};
}

void FileSystem::ClearInUse(const std::string &windowsPath) {
  std::u16string key = LocateHost(windowsPath).Key();
  inUse_.erase(key);
  FinishPendingDelete(key);
}

bool FileSystem::IsInUse(const std::string &windowsPath, InUse *how) const {
  auto mark = inUse_.find(LocateHost(windowsPath).Key());
  if (mark == inUse_.end()) return false;
  *how = mark->second.value;
  return true;
}

std::string FileSystem::SecurityOf(const std::string &windowsPath) const {
  auto mark = security_.find(LocateHost(windowsPath).Key());
  return mark == security_.end() ? "" : mark->second.value;
}

void FileSystem::SetSecurityOf(const std::string &windowsPath, const std::string &security) {
  Location location = LocateHost(windowsPath);
  ThrowIfBad(location.error, windowsPath);
  security_[location.Key()] = {location.Path(), security};
}

void FileSystem::SetReadOnlyFolder(const std::string &windowsPath) {
  Location location = LocateHost(windowsPath);
  ThrowIfBad(location.error, windowsPath);
  readOnlyFolders_[location.Key()] = {location.Path(), true};
}

void FileSystem::SetShortWrite(const std::string &windowsPath, uint32_t bytes) {
  Location location = LocateHost(windowsPath);
  ThrowIfBad(location.error, windowsPath);
  shortWrites_[location.Key()] = {location.Path(), bytes};
}

void FileSystem::SetCrashOnWrite(const std::string &windowsPath) {
  Location location = LocateHost(windowsPath);
  ThrowIfBad(location.error, windowsPath);
  crashWrites_[location.Key()] = {location.Path(), true};
}

void FileSystem::SetLink(const std::string &windowsPath, const std::string &target, bool folder) {
  Location location = LocateHost(windowsPath, false);
  ThrowIfBad(location.error, windowsPath);
  links_[location.Key()] = {location.Path(), {target, folder}};
}

bool FileSystem::IsDeletePending(const std::string &windowsPath) const {
  return deletePending_.count(LocateHost(windowsPath).Key()) != 0;
}

}  // namespace sim
