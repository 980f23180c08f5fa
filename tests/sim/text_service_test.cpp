// The text service on simulated machines: the regsvr32 starts and their
// pauses, the final check of the module copies and of the registration, the
// categories it completes and the directory-check helper.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "registration/text_service.h"
#include "sim/ime_module_fixture.h"
#include "sim/registration_fixture.h"

namespace {

using ime_module_fixture::ModuleImage;
using registration_fixture::kTextService;
using registration_fixture::kTextServiceItems;
using registration_fixture::kTextServiceKey;
using registration_fixture::RegistrationMachine;

const std::string kCategories = kTextServiceKey + "\\Category\\Category\\";
const char kHelperCommand[] = "C:\\Windows\\system32\\runas.exe /trustlevel:0x20000 c:\\Progra~1\\morvak8\\vqjcdir";
const char kCaption[] = u8"智能Qelvo(Kelt五笔)安装: ";

// The modules installed and copied where the module deployment puts them.
void DeployModules(RegistrationMachine &machine) {
  const std::string installed = "C:\\Program Files\\morvak8\\";
  machine->files.WriteFile(installed + "vorlsrf.dll", ModuleImage(false));
  machine->files.WriteFile(installed + "vorlsrf6.dll", ModuleImage(true));
  if (machine->profile.Is64BitWindows()) {
    machine->files.WriteFile("C:\\Windows\\SysWOW64\\vorlsrf.dll", ModuleImage(false));
    machine->files.WriteFile("C:\\Windows\\System32\\vorlsrf6.dll", ModuleImage(true));
  } else {
    machine->files.WriteFile("C:\\Windows\\system32\\vorlsrf.dll", ModuleImage(false));
  }
}

std::vector<std::string> Sleeps(RegistrationMachine &machine) {
  std::vector<std::string> pauses;
  for (const auto &sleep : machine->events.OfKind("sleep")) pauses.push_back(sleep.Field("ms"));
  return pauses;
}

TEST(TextService, On32BitWindows7RegistersOnceAndChecksOnlyTheFileAtTheEnd) {
  RegistrationMachine machine("win7-x86", 1);
  DeployModules(machine);
  EXPECT_EQ(RegisterTextService(), 1);
  EXPECT_EQ(machine.Commands(),
            std::vector<std::string>{"C:\\Windows\\system32\\regsvr32.exe /s C:\\Windows\\system32\\vorlsrf.dll"});
  EXPECT_EQ(Sleeps(machine), std::vector<std::string>{"2000"});
  machine->registry.DeleteTree(kTextServiceKey);  // not looked at before Windows 10
  CheckTextServiceFiles();
  EXPECT_TRUE(machine.Messages().empty());
  EXPECT_EQ(machine.Commands().back(), kHelperCommand);
}

TEST(TextService, On64BitWindows10RegistersBothModulesWithAndWithoutRedirection) {
  RegistrationMachine machine("win10-x64", 1);
  DeployModules(machine);
  RegisterTextService();
  const std::string module32 = "C:\\Windows\\system32\\regsvr32.exe /s C:\\Windows\\syswow64\\vorlsrf.dll";
  const std::string module64 = "C:\\Windows\\system32\\regsvr32.exe /s C:\\Windows\\system32\\vorlsrf6.dll";
  EXPECT_EQ(machine.Commands(), (std::vector<std::string>{module32, module64, module32, module64}));
  EXPECT_EQ(Sleeps(machine), (std::vector<std::string>{"2000", "2000", "2000", "2000"}));
  std::vector<std::string> results;
  for (const auto &run : machine->events.OfKind("regsvr32")) results.push_back(run.Field("bits") + " " + run.Field("result"));
  EXPECT_EQ(results, (std::vector<std::string>{"32 registered", "32 module not found", "64 registered", "64 registered"}));
  EXPECT_FALSE(machine->process.wow64RedirectionDisabled);

  CheckTextServiceFiles();
  EXPECT_TRUE(machine.Messages().empty());
  for (const char *category : {"{046B8C80-1647-40F7-9B21-B93B81AABC1B}", "{364215D9-75BC-11D7-A6EF-00065B84435C}",
                               "{49D2F9CE-1F5E-11D7-A6D3-00065B84435C}", "{49D2F9CF-1F5E-11D7-A6D3-00065B84435C}",
                               "{CCF05DD7-4A87-11D7-A6E2-00065B84435C}"}) {
    EXPECT_TRUE(machine->registry.KeyExists(kCategories + category + "\\" + kTextService)) << category;
    EXPECT_TRUE(machine->registry.KeyExists(kTextServiceItems + category)) << category;
  }
  EXPECT_EQ(machine.Commands().back(), kHelperCommand);
}

TEST(TextService, OnWindows10AMissingCategoryKeyIsReportedWithItsCodeAndStopsTheCheck) {
  RegistrationMachine machine("win11-x64", 1);
  DeployModules(machine);
  RegisterTextService();
  machine->registry.DeleteTree(kTextServiceItems + "{25504FB4-7BAB-4BC1-9C69-CF81890F0EF5}");
  machine->events.Clear();
  CheckTextServiceFiles();
  EXPECT_EQ(machine.Messages(),
            std::vector<std::string>{kCaption + std::string(u8"系统32位dll文件没有挂接成功(err=2)！，请退出安装程序重新安装！")});
  EXPECT_FALSE(machine->registry.KeyExists(kTextServiceItems + "{046B8C80-1647-40F7-9B21-B93B81AABC1B}"));
  EXPECT_TRUE(machine.Commands().empty());
}

TEST(TextService, ACopyOfAnotherSizeIsReportedByNameAndStopsTheCheck) {
  RegistrationMachine machine("win10-x64", 1);
  DeployModules(machine);
  machine->files.WriteFile("C:\\Windows\\System32\\vorlsrf6.dll", "short");
  CheckTextServiceFiles();
  EXPECT_EQ(machine.Messages(),
            std::vector<std::string>{kCaption + std::string(u8"没有成功复制vorlsrf6.dll文件，请退出安装程序并手动删除该文件后重新安装！")});
  EXPECT_TRUE(machine.Commands().empty());
}

TEST(TextService, WithTheImeInterfaceTheFinalCheckOnlyStartsTheHelper) {
  RegistrationMachine machine("win10-x64", 0);
  CheckTextServiceFiles();
  EXPECT_TRUE(machine.Messages().empty());
  EXPECT_EQ(machine.Commands(), std::vector<std::string>{kHelperCommand});
}

TEST(TextService, CategoryKeysNeedTheirParent) {
  RegistrationMachine machine("win10-x64", 1);
  const std::string before = machine->registry.Export();
  AddTextServiceCategory("{046B8C80-1647-40F7-9B21-B93B81AABC1B}");
  CreateHklmSubkey("SOFTWARE\\Missing", "Child");
  EXPECT_EQ(machine->registry.Export(), before);
  EXPECT_EQ(TextServiceKeyExists("SOFTWARE\\Microsoft"), 1);
  EXPECT_EQ(TextServiceKeyExists("SOFTWARE\\Missing"), 0);
}

}  // namespace
