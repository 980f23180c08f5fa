// The simulated machine's files: Windows path rules over host folders, the
// marks Windows keeps per file (attributes, other programs' opens, folders
// that refuse writes, write faults) and the sharing rules between opens.
#include "simmachine/file_system.h"

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
constexpr uint32_t kErrorInvalidName = 123;    // ERROR_INVALID_NAME
constexpr uint32_t kErrorDirectory = 267;      // ERROR_DIRECTORY
constexpr uint32_t kErrorCantResolveFilename = 1921;  // ERROR_CANT_RESOLVE_FILENAME
// Windows gives up on a path after this many reparse points (a loop of junctions).
constexpr int kMaxReparseDepth = 63;
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

// ---- Path text ----

bool IsSeparator(char16_t c) { return c == u'\\' || c == u'/'; }
bool IsLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }

// Appends the names of `text` to `names`, applying "." and "..", skipping
// repeated separators and dropping the trailing dots and blanks that Windows
// drops from every name.
uint32_t AppendNames(std::u16string_view text, std::vector<std::u16string> *names) {
  static const std::u16string_view kInvalid = u"<>:\"|?*";
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = start;
    while (end < text.size() && !IsSeparator(text[end])) ++end;
    std::u16string name(text.substr(start, end - start));
    start = end + 1;
    if (name == u"..") {
      if (!names->empty()) names->pop_back();
      continue;
    }
    while (!name.empty() && (name.back() == u'.' || name.back() == u' ')) name.pop_back();
    if (name.empty()) continue;
    for (char16_t c : name)
      if (c < 0x20 || kInvalid.find(c) != std::u16string_view::npos) return kErrorInvalidName;
    names->push_back(std::move(name));
  }
  return 0;
}

// The drive and names of a Windows path. A relative path, or one without a
// drive, goes from `current` (an absolute path; empty when parsing the
// current directory itself). UNC and device paths name nothing here.
uint32_t ParsePath(std::u16string_view text, std::u16string_view current, char16_t *drive,
                   std::vector<std::u16string> *names) {
  if (text.empty()) return ERROR_PATH_NOT_FOUND;
  if (text.size() >= 2 && IsSeparator(text[0]) && IsSeparator(text[1])) return ERROR_PATH_NOT_FOUND;
  bool hasDrive = text.size() >= 2 && text[1] == u':';
  if (hasDrive && !IsLetter(text[0])) return kErrorInvalidName;
  names->clear();
  if (current.empty()) {
    if (!hasDrive) return ERROR_PATH_NOT_FOUND;
  } else if (uint32_t error = ParsePath(current, u"", drive, names)) {
    return error;
  }
  if (hasDrive) {
    char16_t letter = UpcaseChar(text[0]);
    if (letter != *drive) names->clear();
    *drive = letter;
    text.remove_prefix(2);
  }
  if (!text.empty() && IsSeparator(text[0])) names->clear();
  return AppendNames(text, names);
}

bool IsFixedDrive(const Profile &profile, char16_t drive) {
  for (char letter : profile.fixedDrives)
    if (UpcaseChar(static_cast<unsigned char>(letter)) == drive) return true;
  return false;
}

std::u16string AsciiToUtf16(const std::string &text) { return std::u16string(text.begin(), text.end()); }

// The key of every mark: the Windows path in upper case.
std::u16string KeyOf(char16_t drive, const std::vector<std::u16string> &parts) {
  std::u16string key{drive, u':'};
  for (const auto &part : parts) key += u'\\' + part;
  return Upcase(key);
}

// A profile folder (an absolute path without short names) taken apart;
// false when the profile has no such folder.
bool ParseFolder(const std::string &folder, char16_t *drive, std::vector<std::u16string> *names) {
  return !folder.empty() && ParsePath(Utf8ToUtf16(folder), u"", drive, names) == 0;
}

std::u16string FolderKey(const std::string &folder) {
  char16_t drive = 0;
  std::vector<std::u16string> names;
  return ParseFolder(folder, &drive, &names) ? KeyOf(drive, names) : u"";
}

bool IsAtOrBelow(const std::u16string &key, const std::u16string &folder) {
  if (folder.empty() || key.compare(0, folder.size(), folder) != 0) return false;
  return key.size() == folder.size() || key[folder.size()] == u'\\';
}

// ---- Names on the host ----

// Whether a host name (UTF-8) and a Windows name are the same up to ASCII case.
bool SameName(const std::string &host, const std::u16string &name) {
  bool ascii = std::all_of(host.begin(), host.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  if (!ascii) return EqualNoCase(Utf8ToUtf16(host), name);
  if (host.size() != name.size()) return false;
  for (size_t i = 0; i < host.size(); ++i)
    if (UpcaseChar(static_cast<char16_t>(host[i])) != UpcaseChar(name[i])) return false;
  return true;
}

bool IsShortNameChar(char16_t c) {
  static const std::u16string_view kPunctuation = u"!#$%&'()-@^_`{}~";
  return c >= 0x80 || (c >= u'0' && c <= u'9') || IsLetter(c) || kPunctuation.find(c) != std::u16string_view::npos;
}

// The base and extension of a name; a leading dot does not start an extension.
void SplitExtension(std::u16string_view name, std::u16string_view *base, std::u16string_view *extension) {
  size_t dot = name.rfind(u'.');
  if (dot == std::u16string_view::npos || dot == 0) dot = name.size();
  *base = name.substr(0, dot);
  *extension = dot < name.size() ? name.substr(dot + 1) : std::u16string_view();
}

// A name that is already a valid 8.3 name gets no alias.
bool NeedsShortName(std::u16string_view name) {
  std::u16string_view base, extension;
  SplitExtension(name, &base, &extension);
  if (base.empty() || base.size() > 8 || extension.size() > 3) return true;
  return !std::all_of(base.begin(), base.end(), IsShortNameChar) ||
         !std::all_of(extension.begin(), extension.end(), IsShortNameChar);
}

// Up to `length` characters of a name part as they appear in its alias:
// blanks and dots dropped, characters 8.3 names cannot hold made '_', upper case.
std::u16string ShortPart(std::u16string_view part, size_t length) {
  std::u16string out;
  for (char16_t c : part) {
    if (out.size() == length) break;
    if (c == u' ' || c == u'.') continue;
    out += IsShortNameChar(c) ? UpcaseChar(c) : u'_';
  }
  return out;
}

// The long name in `entries` that `alias` (such as PROGRA~2) stands for.
// Aliases are numbered among the names that share a basis, in the order of
// their upper-case names (narrower than Windows, which numbers them in the
// order they were made and hashes past ~4; the usual install order gives
// "Program Files" ~1 and "Program Files (x86)" ~2 either way).
bool FindShortName(const std::vector<std::string> &entries, const std::u16string &alias, std::u16string *found) {
  if (alias.find(u'~') == std::u16string::npos) return false;
  std::vector<std::u16string> names;
  for (const auto &entry : entries) {
    std::u16string name = Utf8ToUtf16(entry);
    if (NeedsShortName(name)) names.push_back(name);
  }
  std::sort(names.begin(), names.end(),
            [](const std::u16string &a, const std::u16string &b) { return Upcase(a) < Upcase(b); });
  std::map<std::u16string, unsigned> used;
  std::u16string wanted = Upcase(alias);
  for (const auto &name : names) {
    std::u16string_view base, extension;
    SplitExtension(name, &base, &extension);
    std::u16string shortBase = ShortPart(base, 6), shortExtension = ShortPart(extension, 3);
    unsigned number = ++used[shortBase + u'.' + shortExtension];
    std::u16string candidate = shortBase + u'~' + AsciiToUtf16(std::to_string(number));
    if (!shortExtension.empty()) candidate += u'.' + shortExtension;
    if (candidate == wanted) return *found = name, true;
  }
  return false;
}

// The entry of a host folder that a Windows name names: the name itself, the
// same name up to ASCII case, or the long name of an 8.3 alias.
bool FindEntry(const fs::path &folder, const std::u16string &name, std::u16string *found) {
  std::error_code error;
  if (fs::exists(folder / Utf16ToUtf8(name), error)) return *found = name, true;
  std::vector<std::string> entries;
  for (const auto &entry : fs::directory_iterator(folder, error)) entries.push_back(entry.path().filename().string());
  std::sort(entries.begin(), entries.end());
  for (const auto &entry : entries)
    if (SameName(entry, name)) return *found = Utf8ToUtf16(entry), true;
  return FindShortName(entries, name, found);
}

// The WOW64 redirector leaves these folders of system32 alone.
bool ExemptFromRedirection(const std::vector<std::u16string> &rest, const Profile &profile) {
  if (rest.empty()) return false;
  std::u16string first = Upcase(rest[0]);
  if (first == u"CATROOT" || first == u"CATROOT2" || first == u"LOGFILES" || first == u"SPOOL") return true;
  // Windows 7 added driverstore to the exempt folders.
  if (first == u"DRIVERSTORE") return profile.major > 6 || (profile.major == 6 && profile.minor >= 1);
  return first == u"DRIVERS" && rest.size() > 1 && Upcase(rest[1]) == u"ETC";
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

// ---- Locations ----

std::u16string FileSystem::Location::Key() const { return KeyOf(drive, parts); }

std::string FileSystem::Location::Path() const {
  std::u16string path{drive, u':'};
  for (const auto &part : parts) path += u'\\' + part;
  if (parts.empty()) path += u'\\';
  return Utf16ToUtf8(path);
}

FileSystem::Location FileSystem::Resolve(char16_t drive, const std::vector<std::u16string> &names, bool follow,
                                         int depth) const {
  Location location;
  location.drive = drive;
  location.host = drives_ / std::string(1, static_cast<char>(drive - u'A' + 'a'));
  std::error_code error;
  // A fixed drive's folder is made when first reached, so that a profile can
  // gain drives after the machine was laid out.
  if (IsFixedDrive(*profile_, drive)) fs::create_directories(location.host, error);
  bool folder = fs::is_directory(location.host, error);
  bool found = folder;
  location.parentExists = folder;
  for (size_t index = 0; index < names.size(); ++index) {
    location.parentExists = folder;
    if (folder && ReachLink(names, index, follow, depth, &location)) return location;
    std::u16string onDisk = names[index];
    found = folder && FindEntry(location.host, names[index], &onDisk);
    location.host /= Utf16ToUtf8(onDisk);
    location.parts.push_back(onDisk);
    folder = found && fs::is_directory(location.host, error);
  }
  location.exists = found;
  location.directory = folder;
  return location;
}

// A junction or file link at names[index], below the folder `location`
// holds: the link itself when it ends the path and is not followed, else
// whatever its target and the rest of the names reach. Keys then name the
// target, so that the target's marks and rights apply, as Windows checks
// the object the reparse leads to.
bool FileSystem::ReachLink(const std::vector<std::u16string> &names, size_t index, bool follow, int depth,
                           Location *location) const {
  auto link = links_.find(location->Key() + u'\\' + Upcase(names[index]));
  if (link == links_.end()) return false;
  if (index + 1 == names.size() && !follow) {
    const std::string &path = link->second.path;
    std::string name = path.substr(path.rfind('\\') + 1);
    location->host /= name;
    location->parts.push_back(Utf8ToUtf16(name));
    location->exists = location->reparse = true;
    location->directory = link->second.value.folder;
    return true;
  }
  char16_t drive = 0;
  std::vector<std::u16string> target;
  if (depth >= kMaxReparseDepth) {
    location->error = kErrorCantResolveFilename;
  } else if (ParsePath(Utf8ToUtf16(link->second.value.target), u"", &drive, &target) == 0) {
    target.insert(target.end(), names.begin() + static_cast<std::ptrdiff_t>(index) + 1, names.end());
    *location = Resolve(drive, target, follow, depth + 1);
  } else {
    location->error = ERROR_PATH_NOT_FOUND;
  }
  return true;
}

// The WOW64 redirector works on the path as the program wrote it, before
// any junction on it is followed.
FileSystem::Location FileSystem::Locate(const std::u16string &path, bool redirect, bool follow) const {
  char16_t drive = 0;
  std::vector<std::u16string> names;
  Location location;
  location.error = ParsePath(path, Utf8ToUtf16(profile_->appDir), &drive, &names);
  if (location.error) return location;
  if (redirect) Redirected(&drive, &names);
  return Resolve(drive, names, follow, 0);
}

// An object that must exist: "file not found" when only its last part is
// missing, "path not found" when a folder on the way is, "access denied"
// for a file whose delete waits for its holders.
uint32_t FileSystem::LocateExisting(const std::u16string &path, Location *location, bool follow) const {
  *location = Locate(path, true, follow);
  if (location->error) return location->error;
  if (!location->exists) return location->parentExists ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
  if (deletePending_.count(location->Key())) return ERROR_ACCESS_DENIED;
  return 0;
}

FileSystem::Location FileSystem::LocateHost(const std::string &windowsPath, bool follow) const {
  return Locate(Utf8ToUtf16(windowsPath), false, follow);
}

// Paths under system32 go to syswow64 for a 32-bit program on 64-bit
// Windows, and windows\Sysnative reaches the real system32.
bool FileSystem::Redirected(char16_t *drive, std::vector<std::u16string> *names) const {
  if (!profile_->IsWow64() || process_->wow64RedirectionDisabled) return false;
  std::u16string key = KeyOf(*drive, *names);
  char16_t to = 0;
  std::vector<std::u16string> base;
  size_t depth = 0;
  if (IsAtOrBelow(key, FolderKey(profile_->windowsDir) + u"\\SYSNATIVE")) {
    ParseFolder(profile_->windowsDir, &to, &base);
    depth = base.size() + 1;
    if (!ParseFolder(profile_->systemDir, &to, &base)) return false;
  } else if (IsAtOrBelow(key, FolderKey(profile_->systemDir))) {
    ParseFolder(profile_->systemDir, &to, &base);
    depth = base.size();
    std::vector<std::u16string> rest(names->begin() + static_cast<std::ptrdiff_t>(depth), names->end());
    if (ExemptFromRedirection(rest, *profile_) || !ParseFolder(profile_->syswow64Dir, &to, &base)) return false;
  } else {
    return false;
  }
  base.insert(base.end(), names->begin() + static_cast<std::ptrdiff_t>(depth), names->end());
  *drive = to;
  *names = std::move(base);
  return true;
}

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
// in SDDL, a blank and a path; for a read-only folder or a pending delete
// the path alone; for a junction or file link its path, " | " and the target.
bool FileSystem::LoadStateLine(const std::string &key, const std::string &value) {
  if (key == kJunctionKey || key == kSymlinkKey) return LoadLinkLine(value, key == kJunctionKey);
  bool pathOnly = key == "read_only_folder" || key == "delete_pending";
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
  else if (key == "security" && IsDaclText(word))
    SetSecurityOf(path, word);
  else
    return false;
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
// disk, as a disk that fills up does, and is used up by it.
uint32_t FileSystem::Write(uint32_t handle, const void *buffer, uint32_t count, uint32_t *done) {
  *done = 0;
  OpenFile *file = Find(handle);
  if (!file) return ERROR_INVALID_HANDLE;
  if (file->fd < 0) return ERROR_INVALID_FUNCTION;
  if (!(file->data & kWrite)) return ERROR_ACCESS_DENIED;
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
// copies across drives and refuses to move a folder to another drive).
uint32_t FileSystem::Move(const std::u16string &from, const std::u16string &to) {
  Location source;
  if (uint32_t error = LocateExisting(from, &source)) return error;
  if (WriteProtected(source)) return ERROR_ACCESS_DENIED;
  if (uint32_t error = SharingError(source.Key(), kDelete, kShareAll)) return error;
  Location target = Locate(to, true, false);
  if (target.error) return target.error;
  // A new spelling of the same name changes nothing here (Windows changes the case).
  if (target.exists) return target.Key() == source.Key() ? 0 : ERROR_ALREADY_EXISTS;
  if (!target.parentExists) return ERROR_PATH_NOT_FOUND;
  if (WriteProtected(target)) return ERROR_ACCESS_DENIED;
  std::error_code failure;
  if (!source.reparse) fs::rename(source.host, target.host, failure);
  if (failure) return ERROR_ACCESS_DENIED;
  RenamePath(source, target);
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

uint32_t FileSystem::SetSecurity(const std::u16string &path, const std::string &security) {
  Location location;
  if (uint32_t error = LocateExisting(path, &location, true)) return error;
  if (WriteProtected(location)) return ERROR_ACCESS_DENIED;
  security_[location.Key()] = {location.Path(), security};
  return 0;
}

// A deleted file loses its attributes and its holders; handles the program
// still has on it no longer stand in the way of a new file of that name.
// Short-write faults belong to the name and stay.
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

void FileSystem::SetLink(const std::string &windowsPath, const std::string &target, bool folder) {
  Location location = LocateHost(windowsPath, false);
  ThrowIfBad(location.error, windowsPath);
  links_[location.Key()] = {location.Path(), {target, folder}};
}

bool FileSystem::IsDeletePending(const std::string &windowsPath) const {
  return deletePending_.count(LocateHost(windowsPath).Key()) != 0;
}

}  // namespace sim
