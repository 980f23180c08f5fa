// The install driver as a whole on a simulated machine: the stage codes it
// sets, in order, and the progress it leaves, for both interfaces; and the
// TSF branch from the package to the registered text service.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/install_driver.h"
#include "shell/stage_code.h"
#include "sim/deployment_fixtures.h"
#include "common/progress.h"

namespace {

// Every stage code the program sets, through the stage hook: the order of
// the codes is seen even where one overwrites the other with nothing in
// between.
std::vector<int> stageCodesSet;
void RecordStage(int code) { stageCodesSet.push_back(code); }

using deployment_fixtures::DeploymentMachine;
using deployment_fixtures::PayloadFile;

const int kPackageEntries = 188;

// The running input-method server's window, which gets the stop request.
void StartServerWindow(DeploymentMachine &machine) {
  sim::OtherWindow window;
  window.className = u8"智能Qelvo输入法";
  machine->profile.otherWindows.push_back(window);
}

struct DriverCase {
  const char *name;
  int interface;  // 1 TSF, 0 IME
  bool serverRunning;
  std::vector<int> stageCodes;
  int progressStep, progressTotal;
};

void PrintTo(const DriverCase &row, std::ostream *out) { *out << row.name; }

class InstallDriverStages : public ::testing::TestWithParam<DriverCase> {};

// Both start from the confirm sequence's 0 of 110. The IME path's module
// deployment counts against 64 and starts from 0 again in its modules-only
// pass: 3 steps of that pass and 3 of the driver. The TSF path keeps 110 and
// adds every package entry, 9 steps of the full pass and 4 of the driver.
TEST_P(InstallDriverStages, SetsTheCodesInOrderAndLeavesTheProgress) {
  const DriverCase &row = GetParam();
  DeploymentMachine machine("win10-x64", row.interface);
  if (row.serverRunning) StartServerWindow(machine);
  stageCodesSet.clear();
  SetStageHook(RecordStage);
  EXPECT_EQ(RunInstallDriver(), 1);
  EXPECT_EQ(stageCodesSet, row.stageCodes);
  EXPECT_STREQ(stageCode.text, "智能Qelvo安装错误Err=10044");
  EXPECT_EQ(progress.step, row.progressStep);
  EXPECT_EQ(progress.total, row.progressTotal);
  EXPECT_TRUE(machine.MessageTexts().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Interfaces, InstallDriverStages,
    ::testing::Values(
        DriverCase{"ime_server_running", 0, true,
                   {10041, 100411, 100412, 100413, 100414, 100415, 10042, 10043, 10044}, 3, 64},
        DriverCase{"tsf_no_server", 1, false,
                   {10041, 100411, 100413, 100414, 100415, 10042, 10043, 10044}, kPackageEntries + 13, 110}),
    [](const auto &info) { return std::string(info.param.name); });

// TSF on 64-bit Windows 10: the Windows 10 builds under the module names in
// both system folders, where the registration that follows finds them; no
// IME module, no keyboard layout and no 64-bit IME helper; the auto-start
// entry as in every run without the wizard.
TEST(InstallDriverTsf, DeploysAndRegistersTheTextServiceInsteadOfTheIme) {
  DeploymentMachine machine("win10-x64", 1);
  ASSERT_EQ(RunInstallDriver(), 1);
  EXPECT_TRUE(machine.File("C:\\Windows\\SysWOW64\\vorlsrf.dll") == PayloadFile("vosrf10.dll"));
  EXPECT_TRUE(machine.File("C:\\Windows\\System32\\vorlsrf6.dll") == PayloadFile("vosrf610.dll"));
  for (const char *folder : {"C:\\Windows\\System32\\", "C:\\Windows\\SysWOW64\\"})
    EXPECT_FALSE(machine->files.Exists(std::string(folder) + "morvak4.ime")) << folder;
  EXPECT_TRUE(machine->events.OfKind("imm_install").empty());
  std::vector<std::string> results;
  for (const auto &run : machine->events.OfKind("regsvr32")) results.push_back(run.Field("bits") + " " + run.Field("result"));
  EXPECT_EQ(results, (std::vector<std::string>{"32 registered", "32 module not found", "64 registered", "64 registered"}));
  for (const auto &exec : machine->events.OfKind("exec"))
    EXPECT_EQ(exec.Field("command").find("setupw64.exe"), std::string::npos) << exec.Field("command");
  std::string autostart;
  EXPECT_TRUE(machine->registry.GetString(
      "HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Run", "vovqsjgl", &autostart));
  EXPECT_EQ(autostart, "\"C:\\Program Files\\morvak8\\vorlkelt.exe\" vo");
  EXPECT_TRUE(machine.MessageTexts().empty());
}

}  // namespace
