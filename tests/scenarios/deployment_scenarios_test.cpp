// The windowless run (setup-sim -- setvosrf32) up to and including the
// deployment: the installation directory with its DACL and "filer\" folder,
// the IME modules in the system folders, the uninstaller, the uninstall and
// auto-start entries, the integrity commands, and a second run over the
// first. The run's IME registration may follow with the modules-only pass;
// the checks hold either way.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "support/test_machine.h"

namespace {

using testing_support::FreshFolder;
using testing_support::RunSetupSim;

const char kInstallDir[] = "C:\\Program Files\\morvak8\\";
const char kCurrentVersion[] = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion";

class WindowlessDeploymentTest : public ::testing::Test {
 protected:
  std::unique_ptr<sim::Machine> Run(const std::string &preset) {
    std::string output;
    EXPECT_EQ(RunSetupSim("--machine " + preset + " --root " + root_.string() + " -- setvosrf32", &output), 0)
        << output;
    EXPECT_NE(output.find("messages shown: 0"), std::string::npos) << output;
    return sim::Machine::Load(root_);
  }
  static std::string File(sim::Machine &machine, const std::string &path) {
    std::string content;
    EXPECT_TRUE(machine.files.ReadFile(path, &content)) << path;
    return content;
  }

  const std::filesystem::path root_ =
      FreshFolder(std::string("deploy-") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
};

TEST_F(WindowlessDeploymentTest, Windows10X64LeavesTheDirectoryAndSystemFoldersReady) {
  std::unique_ptr<sim::Machine> machine = Run("win10-x64");
  sim::Machine::Install(machine.get());
  const std::string install = kInstallDir;
  // 32-bit build into syswow64, 64-bit build into the native system folder.
  const std::string build64 = machine->files.Exists(install + "vorl640.ime") ? "vorl640.ime" : "morvak64.ime";
  const std::string build32 = machine->files.Exists(install + "vorl320.ime") ? "vorl320.ime" : "morvak4.ime";
  EXPECT_TRUE(File(*machine, "C:\\Windows\\System32\\morvak4.ime") == File(*machine, install + build64));
  EXPECT_TRUE(File(*machine, "C:\\Windows\\SysWOW64\\morvak4.ime") == File(*machine, install + build32));
  for (const char *name : {"csrf732.dll", "csrf764.dll", "vorlsrf.dll", "vorlsrf6.dll"})
    EXPECT_FALSE(machine->files.Exists(install + name)) << name;
  EXPECT_TRUE(File(*machine, "C:\\Windows\\vorldel8.exe") == File(*machine, install + "vorldel8.exe"));
  EXPECT_TRUE(machine->files.IsDirectory(install + "filer"));
  std::string value;
  EXPECT_TRUE(
      machine->registry.GetString(std::string(kCurrentVersion) + "\\Uninstall\\vorlqwb8", "UninstallString", &value));
  EXPECT_EQ(value, "C:\\Windows\\vorldel8.exe");
  EXPECT_TRUE(machine->registry.GetString(std::string(kCurrentVersion) + "\\Run", "vovqsjgl", &value));
  EXPECT_EQ(value, "\"C:\\Program Files\\morvak8\\vorlkelt.exe\" vo");
  const std::string dacl = machine->files.SecurityOf(install);
  EXPECT_NE(dacl.find("(A;OICI;FA;;;S-1-15-2-1)"), std::string::npos) << dacl;
  EXPECT_NE(dacl.find("(A;OICI;FA;;;S-1-5-21-"), std::string::npos) << dacl;
  // The integrity commands (twice in the driver, once more in each pass of
  // the deployment) all start the system's icacls.
  std::ifstream log(root_ / "events.log");
  std::string line;
  int started = 0, fromSystem = 0;
  while (std::getline(log, line)) {
    if (line.rfind("exec ", 0) != 0 || line.find("/SetIntegrityLevel Level: L") == std::string::npos) continue;
    ++started;
    fromSystem += line.find(" program=\"C:\\\\Windows\\\\system32\\\\icacls.exe\"") != std::string::npos;
  }
  EXPECT_GE(started, 4);
  EXPECT_EQ(fromSystem, started);
  sim::Machine::Install(nullptr);
}

// A second run finds everything in place: one uninstall entry, one
// auto-start value, the user once in the DACL, and no message.
TEST_F(WindowlessDeploymentTest, SecondRunOverTheFirstChangesNothingTwice) {
  Run("win10-x64");
  std::unique_ptr<sim::Machine> machine = Run("win10-x64");
  EXPECT_EQ(machine->registry.SubkeyNames(std::string(kCurrentVersion) + "\\Uninstall"),
            std::vector<std::string>{"vorlqwb8"});
  EXPECT_EQ(machine->registry.ValueNames(std::string(kCurrentVersion) + "\\Run"), std::vector<std::string>{"vovqsjgl"});
  const std::string dacl = machine->files.SecurityOf(kInstallDir);
  const std::string user = "(A;OICI;FA;;;S-1-5-21-";
  ASSERT_NE(dacl.find(user), std::string::npos) << dacl;
  EXPECT_EQ(dacl.find(user, dacl.find(user) + 1), std::string::npos) << dacl;
}

}  // namespace
