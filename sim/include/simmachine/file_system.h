// The simulated machine's files: drives mapped to host folders under
// <root>/drives/<letter>, reached through Windows path rules (drive letters,
// '\' and '/', case-insensitive names, 8.3 short names such as PROGRA~1, the
// current directory), with attributes, files in use as Windows treats them,
// folders that cannot be written, WOW64 file-system redirection, junctions
// and file links, files whose delete waits for their last holder, injected
// write faults and crashes and the DACL each file or folder carries.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace sim {

struct Profile;
struct ProcessState;

// How another program holds a file.
enum class InUse {
  OpenNoShareDelete,  // held open without FILE_SHARE_DELETE: no delete, rename or overwrite
  OpenShareDelete,    // held open with FILE_SHARE_DELETE: rename and delete work, overwrite fails
  LoadedModule,       // a loaded DLL or IME: no delete or overwrite (access denied), rename works
};

// One entry of a folder listing: its name spelled as on disk (UTF-8), its
// FILE_ATTRIBUTE_* and its size in bytes (0 for a folder).
struct FolderEntry {
  std::string name;
  uint32_t attributes = 0;
  uint64_t size = 0;
};

// What CreateFileA asks for: the Win32 access mask (GENERIC_*, DELETE), the
// FILE_SHARE_* bits, the disposition (CREATE_NEW ... TRUNCATE_EXISTING) and
// the FILE_ATTRIBUTE_* and FILE_FLAG_BACKUP_SEMANTICS bits.
struct OpenRequest {
  uint32_t access = 0;
  uint32_t share = 0;
  uint32_t disposition = 0;
  uint32_t flags = 0;
};

class FileSystem {
 public:
  FileSystem() = default;
  ~FileSystem();  // closes the host files behind handles the program left open
  FileSystem(const FileSystem &) = delete;
  FileSystem &operator=(const FileSystem &) = delete;

  // Binds the file system to its machine. `drives` is <root>/drives; the
  // folder of each of the profile's fixed drives is made there when a path
  // first reaches it.
  void Attach(const Profile *profile, ProcessState *process, std::filesystem::path drives);

  // machine.ini section text ([files]) describing files in use, read-only
  // folders, attributes, faults, DACLs, junctions, file links and deletes
  // that wait for a holder; and back. Paths in it are Windows paths. A
  // "hardlink" line is done at load and not written back: the host keeps it.
  std::string StateIni() const;
  bool LoadStateIni(const std::string &text, std::string *error);

  // ---- The program's view, behind the simulated Win32 calls. Paths are
  // UTF-16 Windows paths; WOW64 redirection applies unless the process
  // turned it off. Each call answers a Win32 error code, 0 on success, and
  // changes nothing when it fails. ----

  // Opens or creates a file (or, with FILE_FLAG_BACKUP_SEMANTICS, a folder).
  // A junction or file link on the way is followed, the last one only without
  // FILE_FLAG_OPEN_REPARSE_POINT. `existed` tells whether the file was there
  // before, for the ERROR_ALREADY_EXISTS that CREATE_ALWAYS and OPEN_ALWAYS
  // leave behind.
  uint32_t Open(const std::u16string &path, const OpenRequest &request, uint32_t *handle, bool *existed);
  // Reads or writes at the handle's position and moves it on; `done` is the
  // byte count moved, also when a short-write fault cuts a write
  // (ERROR_DISK_FULL).
  uint32_t Read(uint32_t handle, void *buffer, uint32_t count, uint32_t *done);
  uint32_t Write(uint32_t handle, const void *buffer, uint32_t count, uint32_t *done);
  // Moves the position (origin FILE_BEGIN, FILE_CURRENT or FILE_END).
  uint32_t Seek(uint32_t handle, int64_t offset, int origin, uint64_t *position);
  // Cuts or extends the file at the handle's position (SetEndOfFile).
  uint32_t SetEnd(uint32_t handle);
  uint32_t Size(uint32_t handle, uint64_t *size) const;
  // FILE_ATTRIBUTE_* of what the handle has open (GetFileInformationByHandle):
  // FILE_ATTRIBUTE_REPARSE_POINT for a junction or link opened itself.
  uint32_t HandleAttributes(uint32_t handle, uint32_t *attributes) const;
  // How many names the file the handle has open goes by (hard links); 1 for
  // a folder or a link opened itself.
  uint32_t LinkCount(uint32_t handle, uint32_t *count) const;
  // ERROR_INVALID_HANDLE for a value that is not an open file handle.
  uint32_t Close(uint32_t handle);

  // The calls below name a junction or file link itself at the end of a path
  // (as Windows opens it with FILE_OPEN_REPARSE_POINT), except Copy,
  // LocateObject and SetSecurity, which follow it. A file whose delete waits
  // for its last holder answers ERROR_ACCESS_DENIED to every call but
  // CreateFolder and a Move onto it (ERROR_ALREADY_EXISTS: the name is taken).
  uint32_t Copy(const std::u16string &from, const std::u16string &to, bool failIfExists);
  // Windows before 10 version 1903 (build 18362) keeps a deleted file that
  // is still open under its name until the last handle, the program's or
  // another program's, closes; from that build on the name is free at once.
  uint32_t Delete(const std::u16string &path);
  // `replace`: a file already under the new name gives way (MoveFileEx's
  // MOVEFILE_REPLACE_EXISTING).
  uint32_t Move(const std::u16string &from, const std::u16string &to, bool replace = false);
  // A new folder carries `security` (SDDL of its DACL), or with "" none of
  // its own.
  uint32_t CreateFolder(const std::u16string &path, const std::string &security = "");
  uint32_t RemoveFolder(const std::u16string &path);
  uint32_t GetAttributes(const std::u16string &path, uint32_t *attributes) const;
  uint32_t SetAttributes(const std::u16string &path, uint32_t attributes);
  // The existing file or folder a path names, as its Windows path spelled as
  // on disk ("C:\" for a drive root), and whether it is a folder.
  uint32_t LocateObject(const std::u16string &path, std::string *windowsPath, bool *directory) const;
  // The entries of an existing folder, as FindFirstFileA lists them: "." and
  // ".." first unless it is a drive root, then the names in upper-case order
  // (NTFS order for the names the program meets). ERROR_DIRECTORY for a file.
  // Narrower than Windows: a junction or link recorded in machine.ini without
  // a host entry is not listed.
  uint32_t List(const std::u16string &folder, std::vector<FolderEntry> *entries) const;
  // Gives an existing file or folder the DACL `security` (SDDL);
  // ERROR_ACCESS_DENIED where the user may not change it.
  uint32_t SetSecurity(const std::u16string &path, const std::string &security);

  // ---- Host view, for the harness and tests. Windows paths are UTF-8 here. ----

  // The host path a Windows path names, following the same rules as the
  // program's calls (without WOW64 redirection). Missing trailing components
  // keep their spelling.
  std::filesystem::path HostPath(const std::string &windowsPath) const;
  bool Exists(const std::string &windowsPath) const;
  bool IsDirectory(const std::string &windowsPath) const;
  // Content of a file, or false if it cannot be read.
  bool ReadFile(const std::string &windowsPath, std::string *content) const;
  // Creates or replaces a file, making missing folders.
  void WriteFile(const std::string &windowsPath, const std::string &content);
  void MakeDirectories(const std::string &windowsPath);
  // Relative Windows paths ("C\Windows\vorlpat8.voh" style, with the drive
  // letter first) of every file on every drive, sorted.
  std::vector<std::string> ListAllFiles() const;

  // FILE_ATTRIBUTE_* as GetFileAttributesA gives them (of a junction or link
  // itself), INVALID_FILE_ATTRIBUTES (0xFFFFFFFF) for a missing path; and
  // setting them without any check.
  uint32_t AttributesOf(const std::string &windowsPath) const;
  void SetAttributesOf(const std::string &windowsPath, uint32_t attributes);

  void SetInUse(const std::string &windowsPath, InUse how);
  // The other program closes the file; a delete that waited for it ends.
  void ClearInUse(const std::string &windowsPath);
  // Whether another program holds the file, and how.
  bool IsInUse(const std::string &windowsPath, InUse *how) const;
  // The SDDL of the DACL a file or folder carries of its own; "" when it has
  // none and takes what its folder passes down.
  std::string SecurityOf(const std::string &windowsPath) const;
  void SetSecurityOf(const std::string &windowsPath, const std::string &security);
  // Files and folders in this folder, and the folder itself, cannot be
  // created, written, deleted or renamed (ERROR_ACCESS_DENIED).
  void SetReadOnlyFolder(const std::string &windowsPath);
  // The next write into this file stops after `bytes` bytes (a full disk).
  void SetShortWrite(const std::string &windowsPath, uint32_t bytes);
  // The program's next write of data into this file faults: the simulated
  // call raises an access violation (RaiseException), as a program that
  // crashes at that write, and the file keeps what it held before.
  void SetCrashOnWrite(const std::string &windowsPath);
  // Makes `windowsPath` a reparse point that leads to `target` (a Windows
  // path, which need not exist): a junction (`folder`, a folder entry) or a
  // file symbolic link. Any user may replace a folder he can delete with a
  // junction; the target's own rights apply to what is reached through it.
  void SetLink(const std::string &windowsPath, const std::string &target, bool folder);
  // Makes `windowsPath` a second name (hard link) of the existing file
  // `target`: writing through either name changes both, deleting one leaves
  // the other. An ordinary user may make one to a file he cannot read.
  void SetHardLink(const std::string &windowsPath, const std::string &target);
  // Whether the file was deleted and waits for its last holder to close it.
  bool IsDeletePending(const std::string &windowsPath) const;

 private:
  // A Windows path taken apart and looked up on the host.
  struct Location {
    uint32_t error = 0;                 // why the path names nothing (ERROR_PATH_NOT_FOUND, ERROR_INVALID_NAME)
    char16_t drive = 0;                 // upper-case letter
    std::vector<std::u16string> parts;  // existing names spelled as on disk, missing ones as given
    std::filesystem::path host;
    bool parentExists = false;          // every folder above the last part exists
    bool exists = false;
    bool directory = false;
    bool reparse = false;               // the last part is a junction or file link, not followed

    std::u16string Key() const;         // upper-case Windows path: the key of every mark
    std::string Path() const;           // Windows path in UTF-8
  };

  // One handle the program holds.
  struct OpenFile {
    std::u16string key;   // empty once the file was deleted under the handle
    std::string path;
    uint32_t data = 0;    // read, write and delete rights (DataRights)
    uint32_t share = 0;
    int fd = -1;          // -1 for a folder or a link opened itself
    uint64_t position = 0;
    bool reparse = false;  // a junction or link opened itself
  };

  // A junction or file link: where it leads, and whether it is a folder entry.
  struct Link {
    std::string target;
    bool folder = false;
  };

  // A mark that belongs to one path: the path as written to machine.ini and
  // the value.
  template <typename T>
  struct Mark {
    std::string path;
    T value;
  };

  bool LoadStateLine(const std::string &key, const std::string &value);
  bool LoadLinkLine(const std::string &value, bool folder);
  bool LoadHardLinkLine(const std::string &value);
  uint32_t ReplaceableError(const Location &target) const;
  Location Locate(const std::u16string &path, bool redirect, bool follow = true) const;
  Location LocateHost(const std::string &windowsPath, bool follow = true) const;
  uint32_t LocateExisting(const std::u16string &path, Location *location, bool follow = false) const;
  Location Resolve(char16_t drive, const std::vector<std::u16string> &names, bool follow, int depth) const;
  bool ReachLink(const std::vector<std::u16string> &names, size_t index, bool follow, int depth,
                 Location *location) const;
  bool WriteProtected(const Location &location) const;
  uint32_t SharingError(const std::u16string &key, uint32_t data, uint32_t share) const;
  uint32_t StoredAttributes(const Location &location) const;
  void StoreAttributes(const Location &location, uint32_t attributes);
  uint32_t OpenLocation(const Location &location, const OpenRequest &request, uint32_t *handle, bool *existed);
  uint32_t OpenExisting(const Location &location, const OpenRequest &request, uint32_t data);
  uint32_t CreateNew(const Location &location, const OpenRequest &request);
  uint32_t AddHandle(const Location &location, uint32_t data, uint32_t share, uint32_t *handle);
  OpenFile *Find(uint32_t handle);
  void ForgetPath(const std::u16string &key);
  void RenamePath(const Location &from, const Location &to);
  bool HeldOpen(const std::u16string &key) const;
  bool PosixDelete() const;
  void MarkDeletePending(const Location &location);
  void FinishPendingDelete(const std::u16string &key);

  const Profile *profile_ = nullptr;
  ProcessState *process_ = nullptr;
  std::filesystem::path drives_;
  std::map<std::u16string, Mark<uint32_t>> attributes_;  // only attributes that differ from the default
  std::map<std::u16string, Mark<InUse>> inUse_;
  std::map<std::u16string, Mark<bool>> readOnlyFolders_;
  std::map<std::u16string, Mark<uint32_t>> shortWrites_;
  std::map<std::u16string, Mark<bool>> crashWrites_;
  std::map<std::u16string, Mark<std::string>> security_;
  std::map<std::u16string, Mark<Link>> links_;
  std::map<std::u16string, Mark<bool>> deletePending_;
  std::map<uint32_t, OpenFile> open_;
  uint32_t nextHandle_ = 0x100;
};

}  // namespace sim
