// The simulated file system as the program meets it through KERNEL32 and the
// C runtime: Windows path rules, files in use, folders that refuse writes,
// WOW64 redirection, attributes kept in machine.ini, and write faults.
#include <fcntl.h>
#include <stdio.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/win32.h"
#include "simmachine/structured_exception.h"
#include "support/test_machine.h"

namespace {

using testing_support::ScopedMachine;

// Creates (or truncates) a file through the program's own call and writes `content`.
void Create(const char *path, const std::string &content = "data") {
  HFILE file = _lcreat(path, 0);
  ASSERT_NE(file, HFILE_ERROR) << path << " error " << GetLastError();
  ASSERT_EQ(_lwrite(file, content.data(), static_cast<UINT>(content.size())), content.size());
  ASSERT_EQ(_lclose(file), 0);
}

std::string Content(sim::Machine &machine, const std::string &path) {
  std::string content;
  EXPECT_TRUE(machine.files.ReadFile(path, &content)) << path;
  return content;
}

typedef BOOL (*DisableRedirection)(PVOID *);
typedef BOOL (*RevertRedirection)(PVOID);

template <typename F>
F Kernel32Export(const char *name) {
  return reinterpret_cast<F>(reinterpret_cast<void *>(GetProcAddress(GetModuleHandleA("kernel32"), name)));
}

// The last error a failed call left, with a sentinel set before it.
#define EXPECT_FAILS_WITH(call, error)  \
  do {                                  \
    SetLastError(0xdeadbeef);           \
    EXPECT_FALSE(call);                 \
    EXPECT_EQ(GetLastError(), (DWORD)(error)); \
  } while (0)

TEST(FileSystemPaths, NamesMatchWithoutCaseAcrossSeparatorsAndDots) {
  ScopedMachine machine;
  Create("C:\\Users\\user\\Downloads\\Mixed.Txt", "abc");
  EXPECT_EQ(GetFileAttributesA("c:/USERS//user/./Downloads/x/../mixed.TXT"), (DWORD)FILE_ATTRIBUTE_ARCHIVE);
  EXPECT_EQ(GetFileAttributesA("C:\\Users\\user\\Downloads\\mixed.txt. "), (DWORD)FILE_ATTRIBUTE_ARCHIVE);
  EXPECT_TRUE(machine->files.HostPath("C:\\users\\USER\\downloads\\MIXED.txt").filename() == "Mixed.Txt");
  Create("c:\\users\\user\\downloads\\MIXED.TXT", "new");  // the same file, not a second one
  EXPECT_EQ(Content(*machine, "C:\\Users\\user\\Downloads\\Mixed.Txt"), "new");
}

// Renames on the host (the simulation's C runtime takes the name rename).
void HostRename(const std::filesystem::path &from, const std::filesystem::path &to) {
  ASSERT_EQ(renameat(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str()), 0) << from;
}

// A name asked for in another case is looked up among the folder's names,
// which are kept between calls: what changes on the host in between, even
// a folder above renamed away and another made in its place, is seen.
TEST(FileSystemPaths, NamesChangedOnTheHostBetweenCallsAreSeen) {
  ScopedMachine machine;
  machine->files.MakeDirectories("C:\\a\\t");
  Create("C:\\a\\t\\Mixed.txt");
  EXPECT_NE(GetFileAttributesA("c:\\A\\T\\MIXED.TXT"), INVALID_FILE_ATTRIBUTES);
  const std::filesystem::path folder = machine->files.HostPath("C:\\a\\t");
  HostRename(folder / "Mixed.txt", folder / "Other.txt");
  EXPECT_EQ(GetFileAttributesA("c:\\A\\T\\MIXED.TXT"), INVALID_FILE_ATTRIBUTES);
  EXPECT_NE(GetFileAttributesA("c:\\A\\T\\OTHER.TXT"), INVALID_FILE_ATTRIBUTES);
  // C:\a goes elsewhere, and a new C:\a\t takes the place of the folder read.
  HostRename(folder.parent_path(), folder.parent_path().parent_path() / "moved");
  std::filesystem::create_directories(folder);
  std::ofstream(folder / "Fresh.txt") << "new";
  EXPECT_EQ(GetFileAttributesA("c:\\A\\T\\OTHER.TXT"), INVALID_FILE_ATTRIBUTES);
  EXPECT_NE(GetFileAttributesA("c:\\A\\T\\FRESH.TXT"), INVALID_FILE_ATTRIBUTES);
  std::filesystem::remove_all(folder / "Fresh.txt");
  EXPECT_EQ(GetFileAttributesA("c:\\A\\T\\FRESH.TXT"), INVALID_FILE_ATTRIBUTES);
}

TEST(FileSystemPaths, RelativePathsStartFromTheSetupFolder) {
  ScopedMachine machine;  // started from C:\Users\user\Downloads
  Create("here.voh");
  Create("..\\up.voh");
  Create("\\rooted.voh");
  Create("C:same-drive.voh");
  EXPECT_TRUE(machine->files.Exists("C:\\Users\\user\\Downloads\\here.voh"));
  EXPECT_TRUE(machine->files.Exists("C:\\Users\\user\\up.voh"));
  EXPECT_TRUE(machine->files.Exists("C:\\rooted.voh"));
  EXPECT_TRUE(machine->files.Exists("C:\\Users\\user\\Downloads\\same-drive.voh"));
}

TEST(FileSystemPaths, ShortNamesReachTheProgramFilesFolders) {
  ScopedMachine machine;
  machine->files.MakeDirectories("C:\\ProgramData");
  machine->files.WriteFile("C:\\Program Files\\a.txt", "64");
  machine->files.WriteFile("C:\\Program Files (x86)\\a.txt", "32");
  machine->files.WriteFile("C:\\ProgramData\\a.txt", "data");
  EXPECT_EQ(Content(*machine, "c:\\progra~1\\a.txt"), "64");
  EXPECT_EQ(Content(*machine, "C:\\PROGRA~2\\a.txt"), "32");
  EXPECT_EQ(Content(*machine, "C:\\PROGRA~3\\a.txt"), "data");
  EXPECT_FALSE(machine->files.Exists("C:\\PROGRA~4"));
  // The program creates its folder through the alias; the long name gets it.
  ASSERT_EQ(SimCrtMkdir("c:\\Progra~1\\morvak8"), 0);
  EXPECT_TRUE(machine->files.IsDirectory("C:\\Program Files\\morvak8"));
}

TEST(FileSystemPaths, ChineseNamesGoThroughTheAnsiCodePage) {
  ScopedMachine machine;
  Create("C:\\Windows\\Temp\\智能.txt");  // GBK bytes in the program
  EXPECT_TRUE(machine->files.Exists(u8"C:\\Windows\\Temp\\智能.txt"));
}

TEST(FileSystemPaths, AMissingDriveOrFolderIsPathNotFound) {
  ScopedMachine machine;
  EXPECT_FAILS_WITH(DeleteFileA("Q:\\none.txt"), ERROR_PATH_NOT_FOUND);
  EXPECT_FAILS_WITH(_lcreat("C:\\none\\new.txt", 0) != HFILE_ERROR, ERROR_PATH_NOT_FOUND);
}

// What another program's hold on a file lets this program do.
struct InUseRow {
  sim::InUse how;
  DWORD deleteError;  // 0: the delete works
  DWORD renameError;
  DWORD overwriteError;
};

class FileSystemInUse : public ::testing::TestWithParam<InUseRow> {};

TEST_P(FileSystemInUse, DeleteRenameAndOverwriteFollowWindows) {
  const InUseRow &row = GetParam();
  ScopedMachine machine;
  const char *held = "C:\\Windows\\Temp\\held.ime";
  Create(held, "old");
  Create("C:\\Windows\\Temp\\new.ime", "new");
  machine->files.SetInUse(held, row.how);

  SetLastError(0);
  EXPECT_FALSE(CopyFileA("C:\\Windows\\Temp\\new.ime", held, FALSE));
  EXPECT_EQ(GetLastError(), row.overwriteError);
  EXPECT_FAILS_WITH(_lcreat(held, 0) != HFILE_ERROR, row.overwriteError);
  EXPECT_EQ(Content(*machine, held), "old");
  HFILE reader = _lopen(held, OF_READ);  // reading is always shared
  EXPECT_NE(reader, HFILE_ERROR);
  _lclose(reader);

  SetLastError(0);
  EXPECT_EQ(MoveFileA(held, "C:\\Windows\\Temp\\aside.ime") != FALSE, row.renameError == 0);
  EXPECT_EQ(GetLastError(), row.renameError);
  const char *now = row.renameError ? held : "C:\\Windows\\Temp\\aside.ime";
  SetLastError(0);
  EXPECT_EQ(DeleteFileA(now) != FALSE, row.deleteError == 0);
  EXPECT_EQ(GetLastError(), row.deleteError);
  EXPECT_EQ(machine->files.Exists(now), row.deleteError != 0);
}

INSTANTIATE_TEST_SUITE_P(Kinds, FileSystemInUse,
                         ::testing::Values(InUseRow{sim::InUse::OpenNoShareDelete, 32, 32, 32},
                                           InUseRow{sim::InUse::OpenShareDelete, 0, 0, 32},
                                           InUseRow{sim::InUse::LoadedModule, 5, 0, 32}));

TEST(FileSystemInUseMark, FollowsARenamedModuleAndFreesTheOldName) {
  ScopedMachine machine;
  Create("C:\\Windows\\Temp\\morvak4.ime");
  machine->files.SetInUse("C:\\Windows\\Temp\\morvak4.ime", sim::InUse::LoadedModule);
  ASSERT_EQ(SimCrtRename("C:\\Windows\\Temp\\morvak4.ime", "C:\\Windows\\Temp\\morvak2.ime"), 0);
  sim::InUse how;
  ASSERT_TRUE(machine->files.IsInUse("C:\\Windows\\Temp\\MORVAK2.IME", &how));
  EXPECT_EQ(how, sim::InUse::LoadedModule);
  EXPECT_FALSE(machine->files.IsInUse("C:\\Windows\\Temp\\morvak4.ime", &how));
  EXPECT_FAILS_WITH(DeleteFileA("C:\\Windows\\Temp\\morvak2.ime"), ERROR_ACCESS_DENIED);
  Create("C:\\Windows\\Temp\\morvak4.ime", "fresh");
}

TEST(FileSystemInUseMark, ReadOnlyFileRefusesDeleteAndOverwriteButNotRename) {
  ScopedMachine machine;
  Create("C:\\Windows\\Temp\\ro.dat", "keep");
  Create("C:\\Windows\\Temp\\other.dat");
  ASSERT_TRUE(SetFileAttributesA("C:\\Windows\\Temp\\ro.dat", FILE_ATTRIBUTE_READONLY));
  EXPECT_FAILS_WITH(DeleteFileA("C:\\Windows\\Temp\\ro.dat"), ERROR_ACCESS_DENIED);
  EXPECT_FAILS_WITH(_lcreat("C:\\Windows\\Temp\\ro.dat", 0) != HFILE_ERROR, ERROR_ACCESS_DENIED);
  EXPECT_FAILS_WITH(CopyFileA("C:\\Windows\\Temp\\other.dat", "C:\\Windows\\Temp\\ro.dat", FALSE), ERROR_ACCESS_DENIED);
  EXPECT_TRUE(MoveFileA("C:\\Windows\\Temp\\ro.dat", "C:\\Windows\\Temp\\ro2.dat"));
  EXPECT_EQ(GetFileAttributesA("C:\\Windows\\Temp\\ro2.dat"), (DWORD)FILE_ATTRIBUTE_READONLY);
}

TEST(FileSystemSharing, AReaderThatSharesOnlyReadingKeepsWritersOut) {
  ScopedMachine machine;
  const char *path = "C:\\Windows\\Temp\\shared.dat";
  Create(path);
  HANDLE reader = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(reader, INVALID_HANDLE_VALUE);
  EXPECT_FAILS_WITH(_lopen(path, OF_WRITE) != HFILE_ERROR, ERROR_SHARING_VIOLATION);
  EXPECT_TRUE(CloseHandle(reader));
  EXPECT_FAILS_WITH(CloseHandle(reader), ERROR_INVALID_HANDLE);
  HFILE writer = _lopen(path, OF_WRITE);
  EXPECT_NE(writer, HFILE_ERROR);
  _lclose(writer);
}

// Whether a deleted file that is still open keeps its name, per Windows
// version: until Windows 10 version 1903 it does, until the last close.
struct DeletePendingRow {
  const char *preset;
  unsigned build;  // 0: the preset's own
  bool pending;
};

class FileSystemDeletePending : public ::testing::TestWithParam<DeletePendingRow> {};

TEST_P(FileSystemDeletePending, ShareDeleteLetsTheFileGoWhileOpen) {
  const DeletePendingRow &row = GetParam();
  ScopedMachine machine(row.preset);
  if (row.build) machine->profile.build = row.build;
  const char *path = "C:\\Windows\\Temp\\going.dat";
  Create(path, "12345");
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(DeleteFileA(path));
  EXPECT_EQ(machine->files.Exists(path), row.pending);
  if (row.pending) {
    EXPECT_FAILS_WITH(_lcreat(path, 0) != HFILE_ERROR, ERROR_ACCESS_DENIED);
    EXPECT_EQ(GetFileAttributesA(path), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_ACCESS_DENIED);
    EXPECT_FAILS_WITH(DeleteFileA(path), ERROR_ACCESS_DENIED);
  } else {
    Create(path, "new");  // the name is free again
  }
  char buffer[8] = {};
  DWORD read = 0;
  EXPECT_TRUE(ReadFile(file, buffer, sizeof buffer, &read, nullptr));
  EXPECT_EQ(std::string(buffer, read), "12345");
  CloseHandle(file);
  if (row.pending) {
    EXPECT_FALSE(machine->files.Exists(path));  // the last close ends the delete
    Create(path, "after");
  }
  EXPECT_EQ(Content(*machine, path), row.pending ? "after" : "new");
}

INSTANTIATE_TEST_SUITE_P(Versions, FileSystemDeletePending,
                         ::testing::Values(DeletePendingRow{"winxp-x86", 0, true},
                                           DeletePendingRow{"win7-x64", 0, true},
                                           DeletePendingRow{"win8-x64", 0, true},
                                           DeletePendingRow{"win10-x64", 17763, true},
                                           DeletePendingRow{"win10-x64", 18362, false},
                                           DeletePendingRow{"win10-x64", 0, false},
                                           DeletePendingRow{"win11-x64", 0, false}));

TEST(FileSystemDeletePendingMark, AnotherProgramsHoldKeepsTheNameUntilItCloses) {
  ScopedMachine machine("win7-x64");
  const char *path = "C:\\Windows\\Temp\\held.ime";
  Create(path, "old");
  Create("C:\\Windows\\Temp\\new.ime", "new");
  machine->files.SetInUse(path, sim::InUse::OpenShareDelete);
  EXPECT_TRUE(DeleteFileA(path));
  std::string error;
  ASSERT_TRUE(machine->files.LoadStateIni(machine->files.StateIni(), &error)) << error;
  EXPECT_TRUE(machine->files.IsDeletePending(path));
  EXPECT_FAILS_WITH(CopyFileA("C:\\Windows\\Temp\\new.ime", path, FALSE), ERROR_ACCESS_DENIED);
  machine->files.ClearInUse(path);
  EXPECT_FALSE(machine->files.Exists(path));
  EXPECT_FALSE(machine->files.IsDeletePending(path));
  Create(path, "new");
  // Without the hold in machine.ini nothing keeps the delete waiting.
  ASSERT_TRUE(machine->files.LoadStateIni(std::string("[files]\ndelete_pending = ") + path + "\n", &error)) << error;
  EXPECT_FALSE(machine->files.Exists(path));
}

TEST(FileSystemProtection, ReadOnlyFolderRefusesEveryChange) {
  ScopedMachine machine;
  machine->files.WriteFile("C:\\Locked\\old.dat", "old");
  machine->files.WriteFile("C:\\Open\\free.dat", "free");
  machine->files.SetReadOnlyFolder("c:\\locked");
  EXPECT_FAILS_WITH(_lcreat("C:\\Locked\\new.dat", 0) != HFILE_ERROR, ERROR_ACCESS_DENIED);
  EXPECT_FAILS_WITH(_lopen("C:\\Locked\\old.dat", OF_READWRITE) != HFILE_ERROR, ERROR_ACCESS_DENIED);
  EXPECT_FAILS_WITH(DeleteFileA("C:\\Locked\\old.dat"), ERROR_ACCESS_DENIED);
  EXPECT_FAILS_WITH(MoveFileA("C:\\Locked\\old.dat", "C:\\Open\\old.dat"), ERROR_ACCESS_DENIED);
  EXPECT_FAILS_WITH(MoveFileA("C:\\Open\\free.dat", "C:\\Locked\\free.dat"), ERROR_ACCESS_DENIED);
  EXPECT_FAILS_WITH(CreateDirectoryA("C:\\Locked\\sub", nullptr), ERROR_ACCESS_DENIED);
  EXPECT_FAILS_WITH(SetFileAttributesA("C:\\Locked\\old.dat", FILE_ATTRIBUTE_ARCHIVE), ERROR_ACCESS_DENIED);
  HFILE reader = _lopen("C:\\Locked\\old.dat", OF_READ);
  EXPECT_NE(reader, HFILE_ERROR);
  _lclose(reader);
  EXPECT_EQ(Content(*machine, "C:\\Locked\\old.dat"), "old");
}

// Where a user without administrator rights may write, per Windows version.
struct ProtectionRow {
  const char *preset;
  const char *path;
  bool writable;
};

class FileSystemNonAdmin : public ::testing::TestWithParam<ProtectionRow> {};

TEST_P(FileSystemNonAdmin, SystemFoldersRefuseWritesOnTheNtFamily) {
  const ProtectionRow &row = GetParam();
  ScopedMachine machine(row.preset);
  machine->profile.administrator = false;
  SetLastError(0);
  HFILE file = _lcreat(row.path, 0);
  EXPECT_EQ(file != HFILE_ERROR, row.writable) << row.path;
  EXPECT_EQ(GetLastError(), row.writable ? 0u : (DWORD)ERROR_ACCESS_DENIED);
  if (file != HFILE_ERROR) _lclose(file);
}

INSTANTIATE_TEST_SUITE_P(
    Folders, FileSystemNonAdmin,
    ::testing::Values(ProtectionRow{"win10-x64", "C:\\Windows\\vorlpat8.voh", false},
                      ProtectionRow{"win10-x64", "C:\\Program Files (x86)\\x.dll", false},
                      ProtectionRow{"win10-x64", "C:\\PROGRA~1\\x.dll", false},
                      ProtectionRow{"win10-x64", "C:\\Windows\\SysWOW64\\x.dll", false},
                      ProtectionRow{"win10-x64", "C:\\Windows\\Temp\\x.tmp", true},
                      ProtectionRow{"win10-x64", "C:\\Users\\user\\x.txt", true},
                      ProtectionRow{"win7-x86", "C:\\Windows\\system32\\x.dll", false},
                      ProtectionRow{"winxp-x86", "C:\\WINDOWS\\vorlpat8.voh", false},
                      ProtectionRow{"winxp-x86", "C:\\WINDOWS\\system32\\x.dll", false},
                      ProtectionRow{"winxp-x86", "C:\\Program Files\\x.dll", false},
                      ProtectionRow{"winxp-x86", "C:\\WINDOWS\\Temp\\x.tmp", true},
                      ProtectionRow{"win98", "C:\\WINDOWS\\vorlpat8.voh", true},
                      ProtectionRow{"win98", "C:\\WINDOWS\\SYSTEM\\x.dll", true}));

TEST(FileSystemWow64, System32GoesToSysWow64UntilRedirectionIsOff) {
  ScopedMachine machine("win10-x64");  // a 32-bit program on 64-bit Windows
  Create("C:\\Windows\\System32\\vorlsrf.dll", "32-bit");
  EXPECT_EQ(Content(*machine, "C:\\Windows\\SysWOW64\\vorlsrf.dll"), "32-bit");
  EXPECT_FALSE(machine->files.Exists("C:\\Windows\\System32\\vorlsrf.dll"));

  auto disable = Kernel32Export<DisableRedirection>("Wow64DisableWow64FsRedirection");
  auto revert = Kernel32Export<RevertRedirection>("Wow64RevertWow64FsRedirection");
  ASSERT_TRUE(disable && revert);
  PVOID old = reinterpret_cast<PVOID>(0x55);
  ASSERT_TRUE(disable(&old));
  EXPECT_EQ(old, nullptr);
  Create("c:\\windows\\system32\\vorlsrf6.dll", "64-bit");
  ASSERT_TRUE(revert(old));
  EXPECT_EQ(Content(*machine, "C:\\Windows\\System32\\vorlsrf6.dll"), "64-bit");
  EXPECT_EQ(GetFileAttributesA("C:\\Windows\\System32\\vorlsrf6.dll"), INVALID_FILE_ATTRIBUTES);

  Create("C:\\Windows\\Sysnative\\native.dll", "native");
  EXPECT_TRUE(machine->files.Exists("C:\\Windows\\System32\\native.dll"));
  machine->files.MakeDirectories("C:\\Windows\\System32\\drivers\\etc");
  Create("C:\\Windows\\System32\\drivers\\etc\\hosts", "exempt");
  EXPECT_TRUE(machine->files.Exists("C:\\Windows\\System32\\drivers\\etc\\hosts"));

  char system[MAX_PATH];
  EXPECT_EQ(GetSystemDirectoryA(system, sizeof system), strlen("C:\\Windows\\system32"));
  EXPECT_STREQ(system, "C:\\Windows\\system32");
}

TEST(FileSystemWow64, A64BitProgramIsNeverRedirected) {
  ScopedMachine machine("win10-x64");
  machine->profile.processBits = 64;
  Create("C:\\Windows\\System32\\vorlsrf6.dll");
  EXPECT_TRUE(machine->files.Exists("C:\\Windows\\System32\\vorlsrf6.dll"));
  PVOID old = nullptr;
  EXPECT_FAILS_WITH(Kernel32Export<DisableRedirection>("Wow64DisableWow64FsRedirection")(&old),
                    ERROR_INVALID_FUNCTION);
}

// The attributes of what a handle has open.
DWORD HandleAttributes(HANDLE handle) {
  BY_HANDLE_FILE_INFORMATION information;
  EXPECT_TRUE(GetFileInformationByHandle(handle, &information));
  return information.dwFileAttributes;
}

const DWORD kJunctionAttributes = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;

// A 32-bit program on 64-bit Windows: the redirector sees only the path as
// written, so a junction into system32 reaches the real system32.
TEST(FileSystemLinks, AJunctionLeadsToItsTargetAndIsAReparsePointItself) {
  ScopedMachine machine("win10-x64");
  machine->files.SetLink("C:\\morvak8", "C:\\Windows\\System32", true);
  EXPECT_EQ(GetFileAttributesA("c:\\MORVAK8"), kJunctionAttributes);
  Create("C:\\morvak8\\through.dat", "x");
  EXPECT_EQ(Content(*machine, "C:\\Windows\\System32\\through.dat"), "x");
  EXPECT_FALSE(machine->files.Exists("C:\\Windows\\SysWOW64\\through.dat"));

  HANDLE link = CreateFileA("C:\\morvak8", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  ASSERT_NE(link, INVALID_HANDLE_VALUE);
  EXPECT_EQ(HandleAttributes(link), kJunctionAttributes);
  EXPECT_FAILS_WITH(MoveFileA("C:\\morvak8", "C:\\moved"), ERROR_SHARING_VIOLATION);
  CloseHandle(link);
  HANDLE target = CreateFileA("C:\\morvak8", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  ASSERT_NE(target, INVALID_HANDLE_VALUE);
  EXPECT_EQ(HandleAttributes(target), (DWORD)FILE_ATTRIBUTE_DIRECTORY);
  CloseHandle(target);

  EXPECT_FAILS_WITH(DeleteFileA("C:\\morvak8"), ERROR_ACCESS_DENIED);
  EXPECT_TRUE(RemoveDirectoryA("C:\\morvak8"));  // the junction goes, not what it led to
  EXPECT_EQ(Content(*machine, "C:\\Windows\\System32\\through.dat"), "x");
  EXPECT_EQ(GetFileAttributesA("C:\\morvak8"), INVALID_FILE_ATTRIBUTES);
}

TEST(FileSystemLinks, WhatAJunctionReachesKeepsItsOwnRights) {
  ScopedMachine machine("win10-x64");
  machine->profile.administrator = false;
  machine->files.SetLink("C:\\morvak8", "C:\\Windows\\System32", true);
  EXPECT_FAILS_WITH(_lcreat("C:\\morvak8\\x.dll", 0) != HFILE_ERROR, ERROR_ACCESS_DENIED);
  EXPECT_TRUE(RemoveDirectoryA("C:\\morvak8"));  // the user's own junction is his to remove
}

TEST(FileSystemLinks, OpenReparsePointOpensAFileLinkItself) {
  ScopedMachine machine;
  const char *link = "C:\\Users\\user\\link.dat";
  machine->files.SetLink(link, "C:\\Windows\\Temp\\target.dat", false);
  HANDLE file = CreateFileA(link, GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_ALREADY_EXISTS);
  EXPECT_EQ(HandleAttributes(file), (DWORD)(FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_REPARSE_POINT));
  CloseHandle(file);
  EXPECT_FALSE(machine->files.Exists("C:\\Windows\\Temp\\target.dat"));
  Create(link, "through");  // followed, a missing target is made
  EXPECT_EQ(Content(*machine, "C:\\Windows\\Temp\\target.dat"), "through");
  EXPECT_TRUE(DeleteFileA(link));
  EXPECT_EQ(Content(*machine, "C:\\Windows\\Temp\\target.dat"), "through");
}

TEST(FileSystemLinks, ALoopOfJunctionsNamesNothing) {
  ScopedMachine machine;
  machine->files.SetLink("C:\\a", "C:\\b", true);
  machine->files.SetLink("C:\\b", "C:\\a", true);
  EXPECT_FAILS_WITH(_lcreat("C:\\a\\x.dat", 0) != HFILE_ERROR, 1921 /* ERROR_CANT_RESOLVE_FILENAME */);
}

TEST(FileSystemState, MarksSurviveMachineIni) {

  ScopedMachine machine;
  machine->files.WriteFile("C:\\Windows\\Temp\\hidden.dat", "h");
  machine->files.WriteFile("C:\\Windows\\Temp\\held.ime", "m");
  ASSERT_TRUE(SetFileAttributesA("C:\\Windows\\Temp\\hidden.dat", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY));
  machine->files.SetInUse("C:\\Windows\\Temp\\held.ime", sim::InUse::LoadedModule);
  machine->files.SetReadOnlyFolder("C:\\Program Files (x86)");
  machine->files.SetShortWrite("C:\\Windows\\Temp\\short.dat", 3);
  machine->files.SetCrashOnWrite("C:\\Windows\\Temp\\crash.dat");
  machine->files.SetLink("C:\\morvak8", "C:\\Windows\\System32", true);
  machine->files.SetLink("C:\\Users\\user\\link.dat", "C:\\Windows\\Temp\\short.dat", false);
  std::string saved = machine->files.StateIni();

  std::string error;
  ASSERT_TRUE(machine->files.LoadStateIni("", &error)) << error;
  EXPECT_EQ(GetFileAttributesA("C:\\Windows\\Temp\\hidden.dat"), (DWORD)FILE_ATTRIBUTE_ARCHIVE);
  ASSERT_TRUE(machine->files.LoadStateIni("[machine]\nmajor = 10\n\n" + saved, &error)) << error;
  EXPECT_EQ(machine->files.StateIni(), saved);
  EXPECT_EQ(GetFileAttributesA("C:\\Windows\\Temp\\hidden.dat"),
            (DWORD)(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY));
  EXPECT_FAILS_WITH(DeleteFileA("C:\\Windows\\Temp\\held.ime"), ERROR_ACCESS_DENIED);
  EXPECT_FAILS_WITH(CreateDirectoryA("C:\\Program Files (x86)\\morvak8", nullptr), ERROR_ACCESS_DENIED);
  EXPECT_EQ(GetFileAttributesA("C:\\morvak8"), kJunctionAttributes);
  EXPECT_EQ(GetFileAttributesA("C:\\Users\\user\\link.dat"),
            (DWORD)(FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_REPARSE_POINT));

  EXPECT_FALSE(machine->files.LoadStateIni("[files]\nin_use = stuck C:\\x\n", &error));
  EXPECT_FALSE(machine->files.LoadStateIni("[files]\njunction = C:\\x | nowhere\n", &error));
  EXPECT_NE(error.find("line 2 of [files]"), std::string::npos) << error;
}

TEST(FileSystemFaults, ShortWriteLeavesAPartFileAndReportsADiskFull) {
  ScopedMachine machine;
  machine->files.SetShortWrite("C:\\Windows\\Temp\\cut.dat", 4);
  HFILE file = _lcreat("C:\\Windows\\Temp\\cut.dat", 0);
  ASSERT_NE(file, HFILE_ERROR);
  SetLastError(0);
  EXPECT_EQ(_lwrite(file, "0123456789", 10), (UINT)HFILE_ERROR);
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_DISK_FULL);
  EXPECT_EQ(_lwrite(file, "ab", 2), 2u);  // the fault is used up
  _lclose(file);
  EXPECT_EQ(Content(*machine, "C:\\Windows\\Temp\\cut.dat"), "0123ab");
}

TEST(FileSystemFaults, CrashOnWriteFaultsOnceBeforeWritingAnything) {
  ScopedMachine machine;
  Create("C:\\Windows\\Temp\\crash.dat", "old");
  machine->files.SetCrashOnWrite("C:\\Windows\\Temp\\crash.dat");
  HFILE file = _lopen("C:\\Windows\\Temp\\crash.dat", OF_WRITE);
  ASSERT_NE(file, HFILE_ERROR);
  EXPECT_THROW(_lwrite(file, "new", 3), sim::StructuredException);
  EXPECT_EQ(Content(*machine, "C:\\Windows\\Temp\\crash.dat"), "old");
  EXPECT_EQ(_lwrite(file, "ab", 2), 2u);  // the fault is used up
  _lclose(file);
  EXPECT_EQ(Content(*machine, "C:\\Windows\\Temp\\crash.dat"), "abd");
  EXPECT_EQ(machine->events.OfKind("exception").size(), 1u);
}

// The rest of CreateFileA, folders and the C runtime is pinned by the
// conformance checks, which also run on the simulated machine.
TEST(FileSystemCalls, OverwritingAHiddenFileMustRepeatHidden) {
  ScopedMachine machine;
  const char *path = "C:\\Windows\\Temp\\hidden.dat";
  Create(path, "abc");
  ASSERT_TRUE(SetFileAttributesA(path, FILE_ATTRIBUTE_HIDDEN));
  EXPECT_FAILS_WITH(_lcreat(path, 0) != HFILE_ERROR, ERROR_ACCESS_DENIED);
  HFILE file = _lcreat(path, FILE_ATTRIBUTE_HIDDEN);
  ASSERT_NE(file, HFILE_ERROR);
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_ALREADY_EXISTS);
  _lclose(file);
  EXPECT_EQ(Content(*machine, path), "");
  EXPECT_FAILS_WITH(RemoveDirectoryA(path), 267);  // ERROR_DIRECTORY
}

TEST(FileSystemCalls, CrtMkdirMakesOneLevel) {
  ScopedMachine machine;
  errno = 0;
  EXPECT_EQ(SimCrtMkdir("C:\\new\\deeper"), -1);
  EXPECT_EQ(errno, ENOENT);
  EXPECT_EQ(SimCrtMkdir("C:\\new"), 0);
  EXPECT_EQ(SimCrtMkdir("C:\\new\\deeper"), 0);
}

TEST(FileSystemCalls, DrivesAndFoldersComeFromTheProfile) {
  ScopedMachine machine;
  machine->profile.fixedDrives = "CE";
  EXPECT_EQ(GetDriveTypeA("e:\\"), (UINT)DRIVE_FIXED);
  EXPECT_EQ(GetDriveTypeA("D:\\"), (UINT)DRIVE_CDROM);
  EXPECT_EQ(GetDriveTypeA("g:\\"), (UINT)DRIVE_NO_ROOT_DIR);
  char small[4] = "xyz";
  EXPECT_EQ(GetWindowsDirectoryA(small, sizeof small), strlen("C:\\Windows") + 1);  // the size needed
  EXPECT_STREQ(small, "xyz");
}

}  // namespace
