// Windows path rules over host folders: drive letters, '\' and '/', "." and
// "..", relative paths, names that match up to case, 8.3 short names, WOW64
// redirection of system32, and the junctions and file links a path passes.
#include "file_paths.h"

#include <dirent.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>

#include "simmachine/code_page.h"
#include "simmachine/file_system.h"
#include "simmachine/process_state.h"
#include "simmachine/profile.h"
#include "simwin/types.h"

namespace sim {
namespace {

namespace fs = std::filesystem;

constexpr uint32_t kErrorInvalidName = 123;           // ERROR_INVALID_NAME
constexpr uint32_t kErrorCantResolveFilename = 1921;  // ERROR_CANT_RESOLVE_FILENAME
// Windows gives up on a path after this many reparse points (a loop of junctions).
constexpr int kMaxReparseDepth = 63;

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

}  // namespace

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

namespace {

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

// Whether a junction or file link (keyed by its upper-case path) lies on the
// path with the upper-case `key`, or is the path itself.
template <typename Links>
bool LinkOnPath(const Links &links, const std::u16string &key) {
  for (const auto &link : links) {
    const std::u16string &at = link.first;
    if (key.compare(0, at.size(), at) == 0 && (key.size() == at.size() || key[at.size()] == u'\\')) return true;
  }
  return false;
}

// A profile folder (an absolute path without short names) taken apart;
// false when the profile has no such folder.
bool ParseFolder(const std::string &folder, char16_t *drive, std::vector<std::u16string> *names) {
  return !folder.empty() && ParsePath(Utf8ToUtf16(folder), u"", drive, names) == 0;
}

}  // namespace

std::u16string FolderKey(const std::string &folder) {
  char16_t drive = 0;
  std::vector<std::u16string> names;
  return ParseFolder(folder, &drive, &names) ? KeyOf(drive, names) : u"";
}

bool IsAtOrBelow(const std::u16string &key, const std::u16string &folder) {
  if (folder.empty() || key.compare(0, folder.size(), folder) != 0) return false;
  return key.size() == folder.size() || key[folder.size()] == u'\\';
}

namespace {

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
bool FindShortName(const std::set<std::string> &entries, const std::u16string &alias, std::u16string *found) {
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

// The names in a host folder, sorted. A name that is not there costs a
// look at every name in its folder, and the program asks for many such
// names in a folder of hundreds. So each folder read is watched: the kernel
// queues a report of each name made, removed or renamed in it as the change
// is made (by this process or any other), and the reports are applied
// before the names are used again. The names belong to the folder the path
// named when they were read, which is checked each time, as a folder above
// may have been renamed (which reports nothing here) and another made in
// its place. A folder that cannot be watched is read each time.
class FolderNames {
 public:
  FolderNames() : watch_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {}
  const std::set<std::string> &Of(const fs::path &folder) {
    TakeReports();
    struct stat status {};
    if (::stat(folder.c_str(), &status) != 0) return scratch_ = {};
    auto known = folders_.find(folder.native());
    if (known != folders_.end() && known->second.device == status.st_dev && known->second.inode == status.st_ino)
      return known->second.names;
    if (known != folders_.end()) Forget(known->second.watch);
    // Watched before it is read: a report of a change the reading saw too
    // leaves the names as they are.
    const int watch = watch_ < 0 ? -1 : inotify_add_watch(watch_, folder.c_str(), kChanges);
    if (watch < 0) return scratch_ = Read(folder);
    Forget(watch);  // the same folder, read under another path
    paths_[watch] = folder.native();
    Folder &entry = folders_[folder.native()];
    entry = {status.st_dev, status.st_ino, watch, Read(folder)};
    return entry.names;
  }

 private:
  struct Folder {
    dev_t device;
    ino_t inode;
    int watch;
    std::set<std::string> names;
  };

  static const uint32_t kChanges = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE_SELF |
                                   IN_MOVE_SELF | IN_ONLYDIR;

  static std::set<std::string> Read(const fs::path &folder) {
    std::set<std::string> names;
    DIR *listing = opendir(folder.c_str());
    if (!listing) return names;
    while (const dirent *entry = readdir(listing))
      if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) names.insert(entry->d_name);
    closedir(listing);
    return names;
  }

  // Drops the names read under a watch; the watch stays.
  void Forget(int watch) {
    auto path = paths_.find(watch);
    if (path == paths_.end()) return;
    folders_.erase(path->second);
    paths_.erase(path);
  }

  void Apply(const inotify_event &event) {
    auto path = paths_.find(event.wd);
    if (path == paths_.end()) return;
    if (event.mask & (IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED)) {
      if (event.mask & IN_MOVE_SELF) inotify_rm_watch(watch_, event.wd);
      Forget(event.wd);
      return;
    }
    auto folder = folders_.find(path->second);
    if (folder == folders_.end() || event.len == 0) return;
    if (event.mask & (IN_CREATE | IN_MOVED_TO)) folder->second.names.insert(event.name);
    if (event.mask & (IN_DELETE | IN_MOVED_FROM)) folder->second.names.erase(event.name);
  }

  // Applies every report queued so far; forgets all names when reports were lost.
  void TakeReports() {
    alignas(inotify_event) char buffer[16384];
    ssize_t length;
    while (watch_ >= 0 && (length = read(watch_, buffer, sizeof buffer)) > 0) {
      for (ssize_t at = 0; at < length;) {
        const inotify_event *event = reinterpret_cast<const inotify_event *>(buffer + at);
        at += ssize_t(sizeof(inotify_event) + event->len);
        if (event->mask & IN_Q_OVERFLOW) {
          folders_.clear();
          paths_.clear();
        } else {
          Apply(*event);
        }
      }
    }
  }

  int watch_;
  std::map<std::string, Folder> folders_;  // by path, while watched
  std::map<int, std::string> paths_;       // by watch
  std::set<std::string> scratch_;          // of a folder that cannot be watched
};

// The entry of a host folder that a Windows name names: the name itself, the
// same name up to ASCII case, or the long name of an 8.3 alias.
bool FindEntry(const fs::path &folder, const std::u16string &name, std::u16string *found) {
  std::error_code error;
  if (fs::exists(folder / Utf16ToUtf8(name), error)) return *found = name, true;
  static FolderNames folderNames;
  const std::set<std::string> &entries = folderNames.Of(folder);
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

// Paths under system32 go to syswow64 for a 32-bit program on 64-bit
// Windows, and windows\Sysnative reaches the real system32.
void RedirectForWow64(const Profile &profile, char16_t *drive, std::vector<std::u16string> *names) {
  if (!profile.IsWow64()) return;
  std::u16string key = KeyOf(*drive, *names);
  char16_t to = 0;
  std::vector<std::u16string> base;
  size_t depth = 0;
  if (IsAtOrBelow(key, FolderKey(profile.windowsDir) + u"\\SYSNATIVE")) {
    ParseFolder(profile.windowsDir, &to, &base);
    depth = base.size() + 1;
    if (!ParseFolder(profile.systemDir, &to, &base)) return;
  } else if (IsAtOrBelow(key, FolderKey(profile.systemDir))) {
    ParseFolder(profile.systemDir, &to, &base);
    depth = base.size();
    std::vector<std::u16string> rest(names->begin() + static_cast<std::ptrdiff_t>(depth), names->end());
    if (ExemptFromRedirection(rest, profile) || !ParseFolder(profile.syswow64Dir, &to, &base)) return;
  } else {
    return;
  }
  base.insert(base.end(), names->begin() + static_cast<std::ptrdiff_t>(depth), names->end());
  *drive = to;
  *names = std::move(base);
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
  // A path that exists spelled just as written, with no junction or link on
  // it, is what the walk below finds too; one look at the host tells it.
  if (!names.empty() && !LinkOnPath(links_, KeyOf(drive, names))) {
    fs::path host = location.host;
    for (const auto &name : names) host /= Utf16ToUtf8(name);
    const fs::file_status status = fs::status(host, error);
    if (fs::exists(status)) {
      location.host = std::move(host);
      location.parts = names;
      location.parentExists = location.exists = true;
      location.directory = fs::is_directory(status);
      return location;
    }
  }
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
  const std::string &current = process_->currentDir.empty() ? profile_->appDir : process_->currentDir;
  location.error = ParsePath(path, Utf8ToUtf16(current), &drive, &names);
  if (location.error) return location;
  if (redirect && !process_->wow64RedirectionDisabled) RedirectForWow64(*profile_, &drive, &names);
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

}  // namespace sim
