// The system tools the program starts, on the simulated machine: regsvr32
// registering the text service in the registry view of its own bitness, and
// runas starting a command at a trust level.
#include <gtest/gtest.h>

#include <string>

#include "platform/win32.h"
#include "sim/ime_module_fixture.h"
#include "sim/registration_fixture.h"
#include "support/test_machine.h"

namespace {

using ime_module_fixture::ModuleImage;
using registration_fixture::kTextService;
using registration_fixture::kTextServiceItems;
using testing_support::ScopedMachine;

const std::string kKeyboardItem = kTextServiceItems + "{34745C63-B2F0-4784-8B67-5E12C8701A31}";

std::string Server(sim::Machine &machine, const std::string &classes) {
  std::string module;
  machine.registry.GetString("HKEY_LOCAL_MACHINE\\SOFTWARE\\" + classes + "\\CLSID\\" + kTextService + "\\InprocServer32",
                             "", &module);
  return module;
}

std::string LastResult(sim::Machine &machine) {
  auto runs = machine.events.OfKind("regsvr32");
  return runs.empty() ? "<none>" : runs.back().Field("bits") + " " + runs.back().Field("result");
}

void PlaceTextServiceModules(sim::Machine &machine) {
  machine.files.WriteFile("C:\\Windows\\SysWOW64\\vorlsrf.dll", ModuleImage(false));
  machine.files.WriteFile("C:\\Windows\\System32\\vorlsrf6.dll", ModuleImage(true));
}

TEST(Regsvr32, FromA32BitProgramRegistersThe32BitModuleInThe32BitView) {
  ScopedMachine machine("win10-x64");
  PlaceTextServiceModules(*machine);
  WinExec("C:\\Windows\\system32\\regsvr32.exe /s C:\\Windows\\syswow64\\vorlsrf.dll", SW_SHOW);
  EXPECT_EQ(LastResult(*machine), "32 registered");
  EXPECT_EQ(Server(*machine, "Classes\\Wow6432Node"), "C:\\Windows\\syswow64\\vorlsrf.dll");
  EXPECT_EQ(Server(*machine, "Classes"), "");
  EXPECT_TRUE(machine->registry.KeyExists(kKeyboardItem));  // the TIP key is shared by both views
  WinExec("C:\\Windows\\system32\\regsvr32.exe /s C:\\Windows\\system32\\vorlsrf6.dll", SW_SHOW);
  EXPECT_EQ(LastResult(*machine), "32 module not found");  // redirected to syswow64, where it is not
}

TEST(Regsvr32, WithoutRedirectionRunsThe64BitToolWhichHandsOn32BitModules) {
  ScopedMachine machine("win10-x64");
  PlaceTextServiceModules(*machine);
  machine->process.wow64RedirectionDisabled = true;
  WinExec("C:\\Windows\\system32\\regsvr32.exe /s C:\\Windows\\system32\\vorlsrf6.dll", SW_SHOW);
  EXPECT_EQ(LastResult(*machine), "64 registered");
  EXPECT_EQ(Server(*machine, "Classes"), "C:\\Windows\\system32\\vorlsrf6.dll");
  WinExec("C:\\Windows\\system32\\regsvr32.exe /s C:\\Windows\\syswow64\\vorlsrf.dll", SW_SHOW);
  EXPECT_EQ(LastResult(*machine), "64 registered");
  EXPECT_EQ(Server(*machine, "Classes\\Wow6432Node"), "C:\\Windows\\syswow64\\vorlsrf.dll");
}

TEST(Regsvr32, RegistersNothingForAMissingForeignOrMismatchedModule) {
  ScopedMachine machine("win7-x86");
  machine->files.WriteFile("C:\\Windows\\system32\\other.dll", ModuleImage(false));
  machine->files.WriteFile("C:\\Windows\\system32\\vorlsrf6.dll", ModuleImage(true));
  const std::string before = machine->registry.Export();
  WinExec("C:\\Windows\\system32\\regsvr32.exe /s C:\\Windows\\system32\\vorlsrf.dll", SW_SHOW);
  EXPECT_EQ(LastResult(*machine), "32 module not found");
  WinExec("C:\\Windows\\system32\\regsvr32.exe /s C:\\Windows\\system32\\other.dll", SW_SHOW);
  EXPECT_EQ(LastResult(*machine), "32 nothing registered");
  WinExec("C:\\Windows\\system32\\regsvr32.exe /s C:\\Windows\\system32\\vorlsrf6.dll", SW_SHOW);
  EXPECT_EQ(LastResult(*machine), "32 module not loadable");
  EXPECT_EQ(machine->registry.Export(), before);
}

TEST(Runas, StartsTheCommandWithItsTrustLevel) {
  ScopedMachine machine("win10-x64");
  machine->files.WriteFile("C:\\Program Files\\morvak8\\vqjcdir.exe", "MZ QELVO-DEMO-HELPER-STUB");
  EXPECT_GT(WinExec("C:\\Windows\\system32\\runas.exe /trustlevel:0x20000 c:\\Progra~1\\morvak8\\vqjcdir", SW_SHOW),
            31u);
  auto started = machine->events.OfKind("runas");
  ASSERT_EQ(started.size(), 1u);
  EXPECT_EQ(started[0].Field("command"), "c:\\Progra~1\\morvak8\\vqjcdir");
  EXPECT_EQ(started[0].Field("trustlevel"), "0x20000");
  EXPECT_EQ(started[0].Field("program"), "c:\\Progra~1\\morvak8\\vqjcdir.exe");
  std::string log;
  ASSERT_TRUE(machine->files.ReadFile("C:\\Program Files\\morvak8\\helper-log.txt", &log));
  EXPECT_EQ(log, "vqjcdir.exe\r\n");
}

}  // namespace
