// The windowless run (setup-sim -- setvosrf32) up to and including the
// deployment: the installation directory with its DACL and "filer\" folder,
// the IME modules in the system folders, the uninstaller, the uninstall and
// auto-start entries, the integrity commands, and a second run over the
// first. The run's IME registration ends with the modules-only pass, so the
// system folders hold the package's own IME modules and the code-page builds
// are gone. Both runs are the shared ones of windowless_runs.h.
#include <gtest/gtest.h>

#include <string>

#include "scenarios/windowless_runs.h"

namespace {

using windowless_runs::FreshInstall;
using windowless_runs::Installation;
using windowless_runs::Reinstall;

const std::string kInstallDir = windowless_runs::kInstallDir;
const char kCurrentVersion[] = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion";

std::string File(const Installation &run, const std::string &path) {
  std::string content;
  EXPECT_TRUE(run->files.ReadFile(path, &content)) << path;
  return content;
}

TEST(WindowlessDeployment, Windows10X64LeavesTheDirectoryAndSystemFoldersReady) {
  const Installation &machine = FreshInstall("win10-x64");
  EXPECT_NE(machine.output.find("messages shown: 0"), std::string::npos) << machine.output;
  // The modules-only pass copies the 64-bit module into the native system
  // folder and the 32-bit one into syswow64, and deletes the builds.
  EXPECT_TRUE(File(machine, "C:\\Windows\\System32\\morvak4.ime") == File(machine, kInstallDir + "morvak64.ime"));
  EXPECT_TRUE(File(machine, "C:\\Windows\\SysWOW64\\morvak4.ime") == File(machine, kInstallDir + "morvak4.ime"));
  for (const char *name : {"vorl320.ime", "vorl640.ime", "csrf732.dll", "csrf764.dll", "vorlsrf.dll", "vorlsrf6.dll"})
    EXPECT_FALSE(machine->files.Exists(kInstallDir + name)) << name;
  EXPECT_TRUE(File(machine, "C:\\Windows\\vorldel8.exe") == File(machine, kInstallDir + "vorldel8.exe"));
  EXPECT_TRUE(machine->files.IsDirectory(kInstallDir + "filer"));
  std::string value;
  EXPECT_TRUE(
      machine->registry.GetString(std::string(kCurrentVersion) + "\\Uninstall\\vorlqwb8", "UninstallString", &value));
  EXPECT_EQ(value, "C:\\Windows\\vorldel8.exe");
  EXPECT_TRUE(machine->registry.GetString(std::string(kCurrentVersion) + "\\Run", "vovqsjgl", &value));
  EXPECT_EQ(value, "\"C:\\Program Files\\morvak8\\vorlkelt.exe\" vo");
  const std::string dacl = machine->files.SecurityOf(kInstallDir);
  EXPECT_NE(dacl.find("(A;OICI;FA;;;S-1-15-2-1)"), std::string::npos) << dacl;
  EXPECT_NE(dacl.find("(A;OICI;FA;;;S-1-5-21-"), std::string::npos) << dacl;
  // The integrity level is set three times (the driver after its second
  // grant, and each deployment pass on Windows 6 and later), each time with
  // the quoted and the unquoted command, all from the system's icacls.
  int started = 0, fromSystem = 0;
  for (const sim::Event &exec : machine.events.OfKind("exec")) {
    if (exec.Field("command").find("/SetIntegrityLevel Level: L") == std::string::npos) continue;
    ++started;
    fromSystem += exec.Field("program") == "C:\\Windows\\system32\\icacls.exe";
  }
  EXPECT_EQ(started, 6);
  EXPECT_EQ(fromSystem, started);
}

// A second run finds everything in place: one uninstall entry, one
// auto-start value, the user once in the DACL, and no message.
TEST(WindowlessDeployment, SecondRunOverTheFirstChangesNothingTwice) {
  const Installation &machine = Reinstall("win10-x64");
  EXPECT_NE(machine.output.find("messages shown: 0"), std::string::npos) << machine.output;
  EXPECT_EQ(machine->registry.SubkeyNames(std::string(kCurrentVersion) + "\\Uninstall"),
            std::vector<std::string>{"vorlqwb8"});
  EXPECT_EQ(machine->registry.ValueNames(std::string(kCurrentVersion) + "\\Run"), std::vector<std::string>{"vovqsjgl"});
  const std::string dacl = machine->files.SecurityOf(kInstallDir);
  const std::string user = "(A;OICI;FA;;;S-1-5-21-";
  ASSERT_NE(dacl.find(user), std::string::npos) << dacl;
  EXPECT_EQ(dacl.find(user, dacl.find(user) + 1), std::string::npos) << dacl;
}

}  // namespace
