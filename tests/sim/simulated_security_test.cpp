// The simulated machine's security calls, modelled on Windows: the SDDL
// conversion with Windows' tolerance of blanks, icacls listings derived from
// the DACL the program gave a folder, the command interpreter's pipe, and
// DACLs that persist with the machine.
#include <string>

#include "security/directory_access.h"
#include "security_fixtures.h"
#include "support/test_machine.h"

namespace {

using security_fixtures::DaclOf;
using security_fixtures::EntriesOf;
using security_fixtures::Entry;
using security_fixtures::PipeOutput;
using testing_support::ScopedMachine;

const char kDirectorySddl[] = "D: (A;OICI;GA;;;AC) (A;OICI;GRGWGX;;;AU) (A;OICI;GA;;;BA) ";
const int kOiCi = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE;
const char kFolder[] = "C:\\Program Files\\morvak8";

std::vector<Entry> ConvertedDacl(const char *sddl) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  EXPECT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, &descriptor, nullptr));
  BOOL present = FALSE, defaulted = TRUE;
  PACL dacl = nullptr;
  EXPECT_TRUE(GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted));
  EXPECT_TRUE(present);
  std::vector<Entry> entries = EntriesOf(dacl);
  LocalFree((HLOCAL)descriptor);
  return entries;
}

// Windows skips the blanks between the entries (Wine keeps only the first).
TEST(SimulatedSddl, BlanksBetweenEntriesKeepAllThree) {
  ScopedMachine machine("win10-x64");
  EXPECT_EQ(
      ConvertedDacl(kDirectorySddl),
      (std::vector<Entry>{{ACCESS_ALLOWED_ACE_TYPE, kOiCi, GENERIC_ALL, "S-1-15-2-1"},
                          {ACCESS_ALLOWED_ACE_TYPE, kOiCi, GENERIC_READ | GENERIC_WRITE | GENERIC_EXECUTE, "S-1-5-11"},
                          {ACCESS_ALLOWED_ACE_TYPE, kOiCi, GENERIC_ALL, "S-1-5-32-544"}}));
}

struct SddlCase {
  const char *sddl;
  DWORD error;  // 0 for success
  size_t entries;
};

class SimulatedSddlTest : public ::testing::TestWithParam<SddlCase> {};

// Rows as the Windows API answers them (Samba's SDDL tests were run against it).
TEST_P(SimulatedSddlTest, AcceptsWhatWindowsAccepts) {
  ScopedMachine machine("win10-x64");
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  SetLastError(0xdeadbeef);
  BOOL converted =
      ConvertStringSecurityDescriptorToSecurityDescriptorA(GetParam().sddl, SDDL_REVISION_1, &descriptor, nullptr);
  EXPECT_EQ(converted, GetParam().error == 0) << GetParam().sddl;
  if (!converted) {
    EXPECT_EQ(GetLastError(), GetParam().error) << GetParam().sddl;
    return;
  }
  BOOL present = FALSE, defaulted = FALSE;
  PACL dacl = nullptr;
  GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted);
  EXPECT_EQ(EntriesOf(dacl).size(), GetParam().entries) << GetParam().sddl;
  LocalFree((HLOCAL)descriptor);
}

INSTANTIATE_TEST_SUITE_P(Rows, SimulatedSddlTest,
                         ::testing::Values(SddlCase{"D:P(A;;GA;;;BA) (A;;GX;;;AU)", 0, 2},
                                           SddlCase{"  D:(A;;GA;;;WD)  ", 0, 1}, SddlCase{"D:(A;;GA;;;WD )", 0, 1},
                                           SddlCase{"D:(a; ;ga;;;wd)", 0, 1}, SddlCase{"O:BAG:SYD:", 0, 0},
                                           SddlCase{"D:(A;;GA ;;;WD)", ERROR_INVALID_ACL, 0},
                                           SddlCase{"D:(A;;GA;;;S-1-5-11 )", ERROR_INVALID_ACL, 0},
                                           SddlCase{"D:(A;;GA;;;XX)", ERROR_INVALID_ACL, 0},
                                           SddlCase{"D :(A;;GA;;;WD)", ERROR_INVALID_PARAMETER, 0}));

// "AC" names all application packages from Windows 8 on; Windows 7 has none.
TEST(SimulatedSddl, ApplicationPackagesNeedWindows8) {
  for (const char *preset : {"win7-x64", "win8-x64"}) {
    ScopedMachine machine(preset);
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    SetLastError(0xdeadbeef);
    const BOOL converted =
        ConvertStringSecurityDescriptorToSecurityDescriptorA(kDirectorySddl, SDDL_REVISION_1, &descriptor, nullptr);
    EXPECT_EQ(converted, std::string(preset) == "win8-x64") << preset;
    if (!converted) {
      EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_ACL));
    }
    LocalFree((HLOCAL)descriptor);
  }
}

// What icacls prints is read from the DACL: the path as given, entries
// indented under it, inherited ones marked (I).
TEST(SimulatedIcacls, ListsTheDaclTheFolderCarries) {
  ScopedMachine machine("win10-x64");
  ASSERT_EQ(CreateInstallDirectory(kFolder), 1);
  ASSERT_EQ(GrantUserFullAccess(kFolder), 1);
  const std::string listing = PipeOutput("C:\\Windows\\System32\\icacls.exe C:\\Progra~1\\morvak8");
  const std::string indent(std::string("C:\\Progra~1\\morvak8 ").size(), ' ');
  EXPECT_EQ(listing.rfind("C:\\Progra~1\\morvak8 DESKTOP-SIM\\user:(OI)(CI)(F)\n", 0), 0u) << listing;
  for (const char *line :
       {security_fixtures::kAppPackagesFullLine, "NT AUTHORITY\\Authenticated Users:(OI)(CI)(RX,W)",
        "NT SERVICE\\TrustedInstaller:(I)(CI)(IO)(F)",
        "APPLICATION PACKAGE AUTHORITY\\ALL APPLICATION PACKAGES:(I)(RX)", "BUILTIN\\Users:(I)(OI)(CI)(IO)(GR,GE)"})
    EXPECT_NE(listing.find("\n" + indent + line + "\n"), std::string::npos) << line << "\n" << listing;
  EXPECT_NE(listing.find("\n\nSuccessfully processed 1 files; Failed processing 0 files\n"), std::string::npos);
}

// A path icacls cannot find is only counted on standard output; text mode
// turns its CR LF into one newline, binary mode keeps it.
TEST(SimulatedPipe, TextModeTurnsLineEndsIntoNewlinesAndBinaryKeepsThem) {
  ScopedMachine machine("win10-x64");
  const std::string command = "C:\\Windows\\System32\\icacls.exe C:\\none";
  EXPECT_EQ(PipeOutput(command), "Successfully processed 0 files; Failed processing 1 files\n");
  EXPECT_EQ(PipeOutput(command, "rb"), "Successfully processed 0 files; Failed processing 1 files\r\n");
  const auto pipes = machine->events.OfKind("pipe");
  ASSERT_EQ(pipes.size(), 2u);
  EXPECT_EQ(pipes[0].Field("program"), "C:\\Windows\\System32\\icacls.exe");
}

// The DACL belongs to the folder: it moves with a rename, goes with a
// deletion and is kept in machine.ini.
TEST(SimulatedSecurity, DaclFollowsTheFolderAndPersists) {
  ScopedMachine machine("win10-x64");
  ASSERT_EQ(CreateInstallDirectory(kFolder), 1);
  const std::vector<Entry> created = DaclOf(kFolder);
  ASSERT_TRUE(MoveFileA(kFolder, "C:\\Program Files\\moved"));
  EXPECT_EQ(DaclOf("C:\\Program Files\\moved"), created);
  machine->Save();
  std::unique_ptr<sim::Machine> loaded = sim::Machine::Load(machine->root());
  EXPECT_EQ(loaded->files.SecurityOf("C:\\Program Files\\moved"),
            machine->files.SecurityOf("C:\\Program Files\\moved"));
  ASSERT_TRUE(RemoveDirectoryA("C:\\Program Files\\moved"));
  ASSERT_EQ(_mkdir("C:\\Program Files\\moved"), 0);
  EXPECT_NE(DaclOf("C:\\Program Files\\moved"), created);
}

}  // namespace
