// The uninstall entry and the auto-start entry in the machine's registry, as
// a 32-bit installer on 64-bit Windows and on 32-bit Windows writes them.
#include <string>

#include "common/install_dir.h"
#include "common/program_state.h"
#include "registration/autostart_entry.h"
#include "registration/uninstall_entry.h"
#include "support/test_machine.h"

namespace {

using testing_support::ScopedMachine;

const char kUninstall64[] = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const char kUninstall32[] = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const char kRun64[] = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run";

// A REG_SZ value as UTF-8.
std::string TextValue(sim::Machine &machine, const std::string &key, const std::string &name) {
  uint32_t type = 0;
  std::string data, text;
  EXPECT_TRUE(machine.registry.GetRaw(key, name, &type, &data)) << key << " " << name;
  EXPECT_EQ(type, static_cast<uint32_t>(REG_SZ));
  machine.registry.GetString(key, name, &text);
  return text;
}

TEST(WriteUninstallEntry, NamesTheUninstallerInTheWindowsDirectory) {
  ScopedMachine machine("win10-x64");
  WriteUninstallEntry();
  const std::string key = std::string(kUninstall64) + "\\vorlqwb8";
  EXPECT_EQ(TextValue(*machine, key, "DisplayName"), u8"智能Qelvo8");
  EXPECT_EQ(TextValue(*machine, key, "UninstallString"), "C:\\Windows\\vorldel8.exe");
  EXPECT_FALSE(machine->registry.KeyExists(std::string(kUninstall32) + "\\vorlqwb8"));
}

TEST(WriteUninstallEntry, WrittenTwiceLeavesOneEntry) {
  ScopedMachine machine("win7-x86");
  WriteUninstallEntry();
  WriteUninstallEntry();
  EXPECT_EQ(machine->registry.SubkeyNames(kUninstall32), std::vector<std::string>{"vorlqwb8"});
  EXPECT_EQ(machine->registry.ValueNames(std::string(kUninstall32) + "\\vorlqwb8"),
            (std::vector<std::string>{"DisplayName", "UninstallString"}));
}

TEST(WriteUninstallEntry, WritesNothingWithoutAdministratorRights) {
  ScopedMachine machine("win10-x64");
  machine->profile.administrator = false;
  WriteUninstallEntry();
  EXPECT_FALSE(machine->registry.KeyExists(std::string(kUninstall64) + "\\vorlqwb8"));
}

TEST(WriteAutostartEntry, ReplacesTheValueWithTheLastCommand) {
  ScopedMachine machine("win10-x64");
  WriteAutostartEntry("first vo");
  WriteAutostartEntry("second vo");
  EXPECT_EQ(machine->registry.ValueNames(kRun64), std::vector<std::string>{"vovqsjgl"});
  EXPECT_EQ(TextValue(*machine, kRun64, "vovqsjgl"), "second vo");
}

// The helper's path holds a blank: quoted, Windows starts the helper; not
// quoted, a planted C:\Program.exe would run at every logon.
TEST(WriteHelperAutostartEntry, QuotesTheHelperPathSoThatNoPlantedProgramRuns) {
  ScopedMachine machine("win10-x64");
  ComputeInstallDir();
  machine->files.WriteFile("C:\\Program.exe", "MZ planted");
  machine->files.WriteFile("C:\\Program Files\\morvak8\\vorlkelt.exe", "MZ helper");
  WriteHelperAutostartEntry();
  std::string command;
  ASSERT_TRUE(machine->registry.GetString(kRun64, "vovqsjgl", &command));
  EXPECT_EQ(command, "\"C:\\Program Files\\morvak8\\vorlkelt.exe\" vo");
  WinExec(command.c_str(), SW_SHOW);
  WinExec("C:\\Program Files\\morvak8\\vorlkelt.exe vo", SW_SHOW);
  const auto started = machine->events.OfKind("exec");
  ASSERT_EQ(started.size(), 2u);
  EXPECT_EQ(started[0].Field("program"), "C:\\Program Files\\morvak8\\vorlkelt.exe");
  EXPECT_EQ(started[1].Field("program"), "C:\\Program.exe");
}

}  // namespace
