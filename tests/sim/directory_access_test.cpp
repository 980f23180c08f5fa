// Opening the installation directory: its creation with the DACL for
// application packages, the user's grant, the integrity commands and the
// check of the icacls listing, on simulated machines.
#include "security/directory_access.h"

#include <cstring>
#include <filesystem>
#include <string>

#include "common/install_dir.h"
#include "common/program_state.h"
#include "security/command_capture.h"
#include "security_fixtures.h"
#include "support/test_machine.h"

namespace {

using security_fixtures::DaclOf;
using security_fixtures::Entry;
using testing_support::ScopedMachine;

const char kDirectory[] = "C:\\Program Files\\morvak8\\";
const int kOiCi = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE;

bool HasEntry(const std::vector<Entry> &dacl, const std::string &sid, int flags, DWORD mask) {
  for (const Entry &entry : dacl)
    if (entry.sid == sid && entry.flags == flags && entry.mask == mask) return true;
  return false;
}

size_t CountFor(const std::vector<Entry> &dacl, const std::string &sid) {
  size_t count = 0;
  for (const Entry &entry : dacl) count += entry.sid == sid;
  return count;
}

std::vector<std::string> Commands(sim::Machine &machine, const char *kind) {
  std::vector<std::string> commands;
  for (const sim::Event &event : machine.events.OfKind(kind)) commands.push_back(event.Field("command"));
  return commands;
}

TEST(CreateInstallDirectory, CreatesTheDirectoryWithTheApplicationPackageEntries) {
  ScopedMachine machine("win10-x64");
  EXPECT_EQ(CreateInstallDirectory(kDirectory), 1);
  const std::vector<Entry> dacl = DaclOf(kDirectory);
  EXPECT_TRUE(HasEntry(dacl, security_fixtures::kAppPackagesSid, kOiCi, FILE_ALL_ACCESS));
  EXPECT_TRUE(HasEntry(dacl, security_fixtures::kAuthenticatedUsersSid, kOiCi, 0x1201BF));
  EXPECT_TRUE(HasEntry(dacl, security_fixtures::kAdministratorsSid, kOiCi, FILE_ALL_ACCESS));
}

TEST(CreateInstallDirectory, ExistingDirectoryKeepsItsDacl) {
  ScopedMachine machine("win10-x64");
  ASSERT_EQ(_mkdir(kDirectory), 0);
  const std::vector<Entry> before = DaclOf(kDirectory);
  EXPECT_EQ(CreateInstallDirectory(kDirectory), 0);
  EXPECT_EQ(DaclOf(kDirectory), before);
}

// Windows 7 has no application packages: the descriptor cannot be made and
// nothing is created.
TEST(CreateInstallDirectory, CreatesNothingBeforeWindows8) {
  ScopedMachine machine("win7-x64");
  EXPECT_EQ(CreateInstallDirectory(kDirectory), 0);
  EXPECT_FALSE(machine->files.Exists(kDirectory));
}

// The grant goes first and a second one adds to it; setting the DACL brings
// in, behind the explicit entries, what Program Files passes down.
TEST(GrantUserFullAccess, AddsTheUserOnceOnTopOfWhatIsThere) {
  ScopedMachine machine("win10-x64");
  ASSERT_EQ(CreateInstallDirectory(kDirectory), 1);
  EXPECT_EQ(GrantUserFullAccess(kDirectory), 1);
  EXPECT_EQ(GrantUserFullAccess(kDirectory), 1);
  const std::vector<Entry> dacl = DaclOf(kDirectory);
  ASSERT_GT(dacl.size(), 4u);
  EXPECT_EQ(dacl[0], (Entry{ACCESS_ALLOWED_ACE_TYPE, kOiCi, FILE_ALL_ACCESS, security_fixtures::kUserSid}));
  EXPECT_EQ(CountFor(dacl, security_fixtures::kUserSid), 1u);
  EXPECT_EQ(dacl[1], (Entry{ACCESS_ALLOWED_ACE_TYPE, kOiCi, FILE_ALL_ACCESS, security_fixtures::kAppPackagesSid}));
  for (size_t i = 4; i < dacl.size(); ++i) EXPECT_TRUE(dacl[i].flags & INHERITED_ACE) << dacl[i];
  EXPECT_TRUE(HasEntry(dacl, security_fixtures::kAppPackagesSid, INHERITED_ACE, 0x1200A9));
}

TEST(GrantUserFullAccess, FailsWithoutTheDirectoryOrTheRights) {
  ScopedMachine machine("win10-x64");
  EXPECT_EQ(GrantUserFullAccess(kDirectory), 0);
  ASSERT_EQ(_mkdir(kDirectory), 0);
  const std::vector<Entry> before = DaclOf(kDirectory);
  machine->profile.administrator = false;
  EXPECT_EQ(GrantUserFullAccess(kDirectory), 0);
  EXPECT_EQ(DaclOf(kDirectory), before);
}

// The driver's step leaves what the access check then reads through icacls.
TEST(PrepareInstallDirectory, MakesTheDirectoryTheGrantAndTheFilerFolderThatIcaclsShows) {
  ScopedMachine machine("win10-x64");
  ComputeInstallDir();
  PrepareInstallDirectory();
  EXPECT_TRUE(machine->files.IsDirectory(std::string(kDirectory) + "filer"));
  EXPECT_TRUE(HasEntry(DaclOf(kDirectory), security_fixtures::kUserSid, kOiCi, FILE_ALL_ACCESS));
  EXPECT_EQ(AppPackagesHaveFullAccess(), 1);
  EXPECT_EQ(Commands(*machine, "pipe"),
            std::vector<std::string>{"C:\\Windows\\system32\\icacls.exe C:\\Progra~1\\morvak8"});
}

// Where the Program Files folder has another name the short name is another
// folder's: the commands name the directory itself, and the check reads the
// access the driver's step gave it, not a missing folder's.
TEST(PrepareInstallDirectory, ElsewhereTheCommandsNameTheDirectoryItself) {
  ScopedMachine machine("win10-x64");
  machine->profile.programFilesX86Dir = "C:\\Program Files of mine";
  ASSERT_EQ(_mkdir("C:\\Program Files of mine"), 0);
  ComputeInstallDir();
  PrepareInstallDirectory();
  SetLowIntegrityLevel();
  EXPECT_EQ(AppPackagesHaveFullAccess(), 1);
  EXPECT_EQ(Commands(*machine, "pipe"),
            std::vector<std::string>{"C:\\Windows\\system32\\icacls.exe \"C:\\Program Files of mine\\morvak8\""});
  EXPECT_EQ(Commands(*machine, "exec"),
            (std::vector<std::string>{
                "C:\\Windows\\system32\\icacls.exe \"C:\\Program Files of mine\\morvak8\" /SetIntegrityLevel Level: L",
                "C:\\Windows\\system32\\icacls.exe C:\\Program Files of mine\\morvak8 /SetIntegrityLevel Level: L"}));
}

// Both commands name the fixed directory, the first one quoted, and icacls by
// its full path: a planted icacls.exe beside the installer is not run.
TEST(SetLowIntegrityLevel, StartsTheSystemsIcaclsTwice) {
  ScopedMachine machine("win10-x64");
  machine->files.WriteFile("C:\\Users\\user\\Downloads\\icacls.exe", "MZ planted");
  ComputeInstallDir();
  SetLowIntegrityLevel();
  const auto started = machine->events.OfKind("exec");
  ASSERT_EQ(started.size(), 2u);
  EXPECT_EQ(started[0].Field("command"),
            "C:\\Windows\\system32\\icacls.exe \"c:\\Progra~1\\morvak8\" /SetIntegrityLevel Level: L");
  EXPECT_EQ(started[1].Field("command"),
            "C:\\Windows\\system32\\icacls.exe c:\\Progra~1\\morvak8 /SetIntegrityLevel Level: L");
  for (const sim::Event &event : started) {
    EXPECT_EQ(event.Field("program"), "C:\\Windows\\system32\\icacls.exe");
    EXPECT_EQ(event.Field("show"), "5");
  }
}

// The threat the full path closes: a bare name finds the planted program
// first.
TEST(SetLowIntegrityLevel, BareToolNameWouldRunAPlantedProgram) {
  ScopedMachine machine("win10-x64");
  machine->files.WriteFile("C:\\Users\\user\\Downloads\\icacls.exe", "MZ planted");
  WinExec("icacls.exe c:\\Progra~1\\morvak8", SW_SHOW);
  EXPECT_EQ(machine->events.OfKind("exec").at(0).Field("program"), "C:\\Users\\user\\Downloads\\icacls.exe");
}

// A directory made with default security only inherits read and execute.
TEST(AppPackagesHaveFullAccess, DirectoryWithDefaultSecurityHasNone) {
  ScopedMachine machine("win10-x64");
  ASSERT_EQ(_mkdir(kDirectory), 0);
  EXPECT_EQ(AppPackagesHaveFullAccess(), 0);
}

TEST(AppPackagesHaveFullAccess, NoneWhenIcaclsIsMissingOrCannotBeStarted) {
  ScopedMachine machine("win10-x64");
  ComputeInstallDir();
  PrepareInstallDirectory();
  for (const char *icacls : {"C:\\Windows\\System32\\icacls.exe", "C:\\Windows\\SysWOW64\\icacls.exe"})
    ASSERT_EQ(std::filesystem::remove_all(machine->files.HostPath(icacls)), 1u);
  EXPECT_EQ(AppPackagesHaveFullAccess(), 0);
  ASSERT_TRUE(DeleteFileA("C:\\Windows\\system32\\cmd.exe"));
  char output[kCapturedOutputSize] = "earlier output";
  EXPECT_EQ(RunAndCapture("C:\\Windows\\system32\\icacls.exe C:\\", output, sizeof output), 0);
  EXPECT_STREQ(output, "");
}

// A listing of more than the buffer holds is cut, terminated, and never
// written past the end (AddressSanitizer watches the buffer).
TEST(RunAndCapture, OutputBeyondTheBufferIsCut) {
  ScopedMachine machine("win10-x64");
  machine->files.MakeDirectories(kDirectory);
  std::string many = "D:";
  for (int i = 0; i < 400; ++i) many += "(A;OICI;FA;;;S-1-5-21-1-2-3-" + std::to_string(1000 + i) + ")";
  machine->files.SetSecurityOf(kDirectory, many);
  char output[100];
  std::memset(output, 'x', sizeof output);
  EXPECT_EQ(RunAndCapture("C:\\Windows\\system32\\icacls.exe C:\\Progra~1\\morvak8", output, sizeof output), 1);
  EXPECT_EQ(std::strlen(output), sizeof output - 1);
  char whole[kCapturedOutputSize];
  EXPECT_EQ(RunAndCapture("C:\\Windows\\system32\\icacls.exe C:\\Progra~1\\morvak8", whole, sizeof whole), 1);
  EXPECT_EQ(std::strlen(whole), static_cast<size_t>(kCapturedOutputSize - 1));
  EXPECT_EQ(std::string(whole).rfind("C:\\Progra~1\\morvak8 S-1-5-21-1-2-3-1000:(OI)(CI)(F)\n", 0), 0u);
}

}  // namespace
