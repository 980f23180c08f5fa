// The deployment step with the built package on simulated machines: which
// module builds end up in the system directories and in the installation
// directory for each interface, Windows and code page, the uninstaller and
// its entry, and what the user is asked and told.
#include <string>
#include <vector>

#include "deployment_fixtures.h"
#include "package/version_patch.h"
#include "package/working_buffer.h"

namespace {

using deployment_fixtures::DeploymentMachine;
using deployment_fixtures::PatchedPayloadFile;
using deployment_fixtures::PayloadFile;

const char *const kImeModules[] = {"vorl320.ime", "vorl321.ime",  "vorl640.ime", "vorl641.ime",
                                   "morvak4.ime", "morvak64.ime", "morvak32.ime"};

// What a full TSF pass leaves: system file -> payload file it holds, and the
// builds that are gone from or stay in the installation directory.
struct TsfCase {
  const char *preset;
  std::vector<std::pair<const char *, const char *>> copies;
  std::vector<const char *> gone;
  std::vector<const char *> kept;
};

class TsfDeploymentTest : public ::testing::TestWithParam<TsfCase> {};

TEST_P(TsfDeploymentTest, CopiesTheBuildsForThisWindows) {
  DeploymentMachine machine(GetParam().preset, 1);
  RunDeploymentPass(kFullPass);
  EXPECT_TRUE(machine.MessageTexts().empty());
  for (const auto &copy : GetParam().copies)
    EXPECT_TRUE(machine.File(copy.first) == PayloadFile(copy.second)) << copy.first;
  for (const char *name : GetParam().gone) EXPECT_FALSE(machine.IsInstalled(name)) << name;
  for (const char *name : GetParam().kept) EXPECT_TRUE(machine.IsInstalled(name)) << name;
  for (const char *name : kImeModules) EXPECT_FALSE(machine.IsInstalled(name)) << name;
  EXPECT_TRUE(machine.File("C:\\Windows\\vorldel8.exe") == PayloadFile("vorldel8.exe"));
}

INSTANTIATE_TEST_SUITE_P(Windows, TsfDeploymentTest,
                         ::testing::Values(TsfCase{"win10-x64",
                                                   {{"C:\\Windows\\SysWOW64\\vorlsrf.dll", "vosrf10.dll"},
                                                    {"C:\\Windows\\System32\\vorlsrf6.dll", "vosrf610.dll"},
                                                    {"C:\\Program Files\\morvak8\\vorlsrf.dll", "vosrf10.dll"}},
                                                   {"csrf732.dll", "csrf764.dll", "vosrf10.dll", "vosrf610.dll"},
                                                   {}},
                                           TsfCase{"win11-x64",
                                                   {{"C:\\Windows\\SysWOW64\\vorlsrf.dll", "vorlsrf.dll"},
                                                    {"C:\\Windows\\System32\\vorlsrf6.dll", "vorlsrf6.dll"}},
                                                   {"csrf732.dll", "csrf764.dll"},
                                                   {"vosrf10.dll", "vosrf610.dll"}},
                                           TsfCase{"win7-x86",
                                                   {{"C:\\Windows\\System32\\vorlsrf.dll", "csrf732.dll"},
                                                    {"C:\\Program Files\\morvak8\\vorlsrf6.dll", "csrf764.dll"}},
                                                   {"csrf732.dll", "csrf764.dll"},
                                                   {"vosrf10.dll", "vosrf610.dll"}}),
                         [](const ::testing::TestParamInfo<TsfCase> &info) {
                           std::string name = info.param.preset;
                           for (char &c : name)
                             if (c == '-') c = '_';
                           return name;
                         });

// Code page 950 takes the traditional builds, patched to 9.3; the
// modules-only pass then puts the package's own IME modules in their place
// and removes the four builds.
TEST(ImeDeployment, TraditionalBuildsThroughBothPasses) {
  DeploymentMachine machine("win10-x64-cp950", 0);
  RunDeploymentPass(kFullPass);
  EXPECT_TRUE(machine.MessageTexts().empty());
  EXPECT_TRUE(machine.File("C:\\Windows\\SysWOW64\\morvak4.ime") == PatchedPayloadFile("vorl321.ime"));
  EXPECT_TRUE(machine.File("C:\\Windows\\System32\\morvak4.ime") == PatchedPayloadFile("vorl641.ime"));
  EXPECT_NE(PatchedPayloadFile("vorl321.ime"), PayloadFile("vorl321.ime"));
  for (const char *name : {"csrf732.dll", "csrf764.dll", "vorlsrf.dll", "vorlsrf6.dll"})
    EXPECT_FALSE(machine.IsInstalled(name)) << name;
  EXPECT_EQ(progress.total, 64);
  EXPECT_EQ(progress.step, 3);

  RunDeploymentPass(kModulesOnlyPass);
  EXPECT_TRUE(machine.MessageTexts().empty());
  EXPECT_TRUE(machine.File("C:\\Windows\\SysWOW64\\morvak4.ime") == PayloadFile("morvak4.ime"));
  EXPECT_TRUE(machine.File("C:\\Windows\\System32\\morvak4.ime") == PayloadFile("morvak64.ime"));
  for (const char *name : {"vorl320.ime", "vorl321.ime", "vorl640.ime", "vorl641.ime"})
    EXPECT_FALSE(machine.IsInstalled(name)) << name;
  EXPECT_TRUE(machine.IsInstalled("morvak4.ime"));
}

TEST(ImeDeployment, SimplifiedBuildOn32BitWindowsGoesToTheSystemDirectory) {
  DeploymentMachine machine("win7-x86", 0);
  RunDeploymentPass(kFullPass);
  EXPECT_TRUE(machine.File("C:\\Windows\\System32\\morvak4.ime") == PatchedPayloadFile("vorl320.ime"));
  EXPECT_TRUE(machine.MessageTexts().empty());
}

// The running input method's module is moved aside; a module another program
// holds open stays and the user is told, and the step goes on.
TEST(ImeDeployment, TargetsInUseAreMovedAsideOrReported) {
  DeploymentMachine machine("win10-x64", 0);
  machine->files.WriteFile("C:\\Windows\\SysWOW64\\morvak4.ime", "running");
  machine->files.SetInUse("C:\\Windows\\SysWOW64\\morvak4.ime", sim::InUse::LoadedModule);
  machine->files.WriteFile("C:\\Windows\\System32\\morvak4.ime", "held open");
  machine->files.SetInUse("C:\\Windows\\System32\\morvak4.ime", sim::InUse::OpenNoShareDelete);
  RunDeploymentPass(kFullPass);
  EXPECT_TRUE(machine.File("C:\\Windows\\SysWOW64\\morvak4.ime") == PatchedPayloadFile("vorl320.ime"));
  EXPECT_EQ(machine.File("C:\\Windows\\SysWOW64\\morvak2.ime"), "running");
  EXPECT_EQ(machine.File("C:\\Windows\\System32\\morvak4.ime"), "held open");
  const std::string attempt =
      u8"没有成功复制C:\\Windows\\system32\\morvak4.ime文件，请退出安装程序并手动删除该文件后重新安装！";
  EXPECT_EQ(machine.MessageTexts(),
            (std::vector<std::string>{attempt, attempt,
                                      u8"没有成功复制morvak4.ime文件，请退出安装程序并手动删除该文件后重新安装！"}));
  EXPECT_TRUE(machine.File("C:\\Windows\\vorldel8.exe") == PayloadFile("vorldel8.exe"));
}

TEST(Deployment, WritesTheUninstallEntryAndRestoresPhraseLists) {
  DeploymentMachine machine("win10-x64", 0);
  RunDeploymentPass(kFullPass);
  std::string command;
  EXPECT_TRUE(machine->registry.GetString(
      "HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\vorlqwb8",
      "UninstallString", &command));
  EXPECT_EQ(command, "C:\\Windows\\vorldel8.exe");
  EXPECT_EQ(machine.Installed("vorlcyzk.dat"), machine.Installed("vorlcyzk.bak"));
  EXPECT_FALSE(machine.IsInstalled("vorlpyck.dat"));     // the package has no vorlpyck.bak
  EXPECT_EQ(machine->events.OfKind("exec").size(), 2u);  // the integrity commands
}

TEST(Deployment, IncompleteUnpackingIsReportedAndTheStepGoesOn) {
  DeploymentMachine machine("win10-x64", 1);
  FreeWorkingBuffer();
  userDataBackup.state = 1;
  RunDeploymentPass(kFullPass);
  const std::vector<std::string> texts = machine.MessageTexts();
  ASSERT_FALSE(texts.empty());
  EXPECT_EQ(texts[0], u8"文件解压不完整，请到智能Qelvo网站www.qelvo.com重新下载安装。");
  EXPECT_EQ(machine->events.OfKind("messagebox")[0].Field("caption"), deployment_fixtures::kCopyCaption);
  EXPECT_EQ(userDataBackup.state, 1);  // not asked
  EXPECT_TRUE(machine->files.Exists("C:\\Windows\\vorldel8.exe") == false);
}

struct KeepDataCase {
  const char *previous;
  bool answer;
  const char *question;
  int backupState;
};

class KeepEarlierDataTest : public ::testing::TestWithParam<KeepDataCase> {};

TEST_P(KeepEarlierDataTest, AskedOnlyAfterABackup) {
  DeploymentMachine machine("win10-x64", 1);
  SetPreviousInstallation(GetParam().previous);
  userDataBackup.state = 1;
  machine->script.yesNoAnswers.push_back(GetParam().answer);
  RunDeploymentPass(kFullPass);
  const auto boxes = machine->events.OfKind("messagebox");
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].Field("text"), GetParam().question);
  EXPECT_EQ(boxes[0].Field("caption"), u8"智能Qelvo安装");
  EXPECT_EQ(userDataBackup.state, GetParam().backupState);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, KeepEarlierDataTest,
    ::testing::Values(KeepDataCase{"C:\\Program Files\\morvak8\\", true,
                                   u8"检测到安装目录下有智能Qelvo以前的词组等数据文件，是否保留？", 2},
                      KeepDataCase{"D:\\morvak8\\", false, u8"检测到有智能Qelvo以前的词组等数据文件，是否保留？", 1},
                      // the comparison is case-sensitive
                      KeepDataCase{"c:\\Program Files\\morvak8\\", true,
                                   u8"检测到有智能Qelvo以前的词组等数据文件，是否保留？", 2}));

// PatchVersionText on files: rewritten in place, length kept; a file longer
// than it reads is left whole.
TEST(PatchVersionText, RewritesInPlaceAndLeavesLongFilesWhole) {
  DeploymentMachine machine("win10-x64", 0);
  const std::string module = PayloadFile("vorl320.ime");
  machine->files.WriteFile("C:\\m.ime", module);
  PatchVersionText("C:\\m.ime");
  EXPECT_TRUE(machine.File("C:\\m.ime") == PatchedPayloadFile("vorl320.ime"));

  std::string longer = module + std::string(kVersionPatchLimit + 1 - module.size(), 'x');
  machine->files.WriteFile("C:\\long.ime", longer);
  PatchVersionText("C:\\long.ime");
  EXPECT_TRUE(machine.File("C:\\long.ime") == longer);

  machine->files.WriteFile("C:\\exact.ime", longer.substr(0, kVersionPatchLimit));
  PatchVersionText("C:\\exact.ime");
  EXPECT_TRUE(machine.File("C:\\exact.ime") ==
              PatchedPayloadFile("vorl320.ime") + longer.substr(module.size(), kVersionPatchLimit - module.size()));

  PatchVersionText("C:\\none.ime");
  EXPECT_FALSE(machine->files.Exists("C:\\none.ime"));
  FreeWorkingBuffer();
  machine->files.WriteFile("C:\\m.ime", module);
  PatchVersionText("C:\\m.ime");
  EXPECT_TRUE(machine.File("C:\\m.ime") == module);
}

}  // namespace
