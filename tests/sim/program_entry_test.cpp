// Start of the program on simulated machines: the administrator probe, the
// Windows detection, the DLL search restriction and the wizard window.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/install_dir.h"
#include "common/os_detection.h"
#include "common/program_state.h"
#include "shell/admin_probe.h"
#include "shell/dll_search.h"
#include "shell/main_window.h"
#include "shell/program_entry.h"
#include "shell/windowless_run.h"
#include "simmachine/canvas.h"
#include "support/test_machine.h"

namespace {

using testing_support::ScopedMachine;

std::string FileText(sim::Machine &machine, const std::string &path) {
  std::string content;
  machine.files.ReadFile(path, &content);
  return content;
}

// WinMain on the current machine; an interactive run stops at the message
// loop because no click is scripted.
int RunProgram(const char *commandLine, bool *stopped) {
  char line[64];
  strcpy(line, commandLine);
  *stopped = false;
  try {
    return WinMain(GetModuleHandleA(nullptr), nullptr, line, SW_SHOWNORMAL);
  } catch (const sim::ScriptExhausted &) {
    *stopped = true;
    return -1;
  }
}

// The probe leaves the record of the earlier installation as it was: a run
// that ends before installing (a quit, a crash) must not lose the folder
// that holds the user's data.
TEST(AdministratorProbe, PassesWithRightsAndLeavesTheRecordAsItWas) {
  ScopedMachine machine("win10-x64");
  machine->files.WriteFile("C:\\Windows\\vorlpat8.voh", "D:\\Old\\morvak8\\");
  DetectWindows();
  ComputeInstallDir();
  const std::vector<std::string> files = machine->files.ListAllFiles();
  EXPECT_EQ(ProbeAdministrator(), 0);
  EXPECT_STREQ(previousInstallRecord, "D:\\Old\\morvak8\\");
  EXPECT_STREQ(installDir, "C:\\Program Files\\morvak8\\");
  EXPECT_EQ(FileText(*machine, "C:\\Windows\\vorlpat8.voh"), "D:\\Old\\morvak8\\");
  EXPECT_EQ(machine->files.ListAllFiles(), files);
}

TEST(AdministratorProbe, FailsWithoutRights) {
  ScopedMachine machine("win7-x64");
  machine->profile.administrator = false;
  DetectWindows();
  ComputeInstallDir();
  EXPECT_NE(ProbeAdministrator(), 0);
  EXPECT_FALSE(machine->files.Exists("C:\\Windows\\vorlpat8.voh"));
}

TEST(AdministratorProbe, FailsWhenRecordCannotBeOverwrittenAndHoldsEarlierDirectory) {
  ScopedMachine machine("win10-x64");
  machine->files.WriteFile("C:\\Windows\\vorlpat8.voh", "D:\\Old\\morvak8\\");
  ASSERT_TRUE(SetFileAttributesA("C:\\Windows\\vorlpat8.voh", FILE_ATTRIBUTE_READONLY));
  DetectWindows();
  ComputeInstallDir();
  EXPECT_NE(ProbeAdministrator(), 0);
  EXPECT_EQ(FileText(*machine, "C:\\Windows\\vorlpat8.voh"), "D:\\Old\\morvak8\\");
}

TEST(AdministratorProbe, IsSkippedOnWindows5AndTouchesNoRecord) {
  ScopedMachine machine("winxp-x86");
  machine->profile.administrator = false;
  machine->files.WriteFile("C:\\WINDOWS\\vorlpat8.voh", "D:\\Old\\morvak8\\");
  DetectWindows();
  ComputeInstallDir();
  EXPECT_EQ(ProbeAdministrator(), 0);
  EXPECT_STREQ(previousInstallRecord, "D:\\Old\\morvak8\\");
  EXPECT_EQ(FileText(*machine, "C:\\WINDOWS\\vorlpat8.voh"), "D:\\Old\\morvak8\\");
  EXPECT_FALSE(machine->files.Exists("C:\\morvak8\\vorlpat8.voh"));
}

TEST(AdministratorProbe, FirstInstallationLeavesPreviousRecordEmpty) {
  ScopedMachine machine("win11-x64");
  DetectWindows();
  ComputeInstallDir();
  EXPECT_EQ(ProbeAdministrator(), 0);
  EXPECT_STREQ(previousInstallRecord, "");
}

struct DetectionCase {
  const char *preset;
  int is64;
  int osMajor;
  int version;
  int bitness;
  int wow64;
  int windows10;
  int windows11;
};

class WindowsDetectionTest : public ::testing::TestWithParam<DetectionCase> {};

TEST_P(WindowsDetectionTest, ReportsWhatTheSystemAdmitsTo) {
  const DetectionCase &row = GetParam();
  ScopedMachine machine(row.preset);
  DetectWindows();
  EXPECT_EQ(windowsFacts.is64BitWindows, row.is64);
  EXPECT_EQ(windowsFacts.windows9xFamily, std::string(row.preset) == "win98");
}

// The one detection at start leaves every fact, whichever run follows.
TEST_P(WindowsDetectionTest, DetectWindowsFillsEveryFact) {
  const DetectionCase &row = GetParam();
  ScopedMachine machine(row.preset);
  DetectWindows();
  const WindowsFacts &facts = windowsFacts;
  EXPECT_EQ(facts.codePage, 936);
  EXPECT_EQ(std::vector<int>({facts.osMajorVersion, facts.versionNumber, facts.bitness, facts.wow64, facts.windows10,
                              facts.windows11}),
            std::vector<int>({row.osMajor, row.version, row.bitness, row.wow64, row.windows10, row.windows11}));
  const std::string syswow64 = machine->profile.windowsDir + "\\syswow64";
  EXPECT_STREQ(facts.syswow64Path, row.osMajor >= 6 ? syswow64.c_str() : "");
}

INSTANTIATE_TEST_SUITE_P(
    Presets, WindowsDetectionTest,
    ::testing::Values(DetectionCase{"win98", 0, 0, 50, 32, 0, 0, 0}, DetectionCase{"winxp-x86", 0, 5, 51, 32, 0, 0, 0},
                      DetectionCase{"win7-x86", 0, 6, 61, 32, 0, 0, 0}, DetectionCase{"win7-x64", 1, 6, 61, 64, 1, 0, 0},
                      DetectionCase{"win8-x64", 1, 6, 62, 64, 1, 0, 0}, DetectionCase{"win10-x64", 1, 6, 62, 64, 1, 1, 0},
                      DetectionCase{"win11-x64", 1, 6, 62, 64, 1, 1, 1}),
    [](const ::testing::TestParamInfo<DetectionCase> &info) {
      std::string name = info.param.preset;
      for (char &c : name)
        if (c == '-') c = '_';
      return name;
    });

TEST(WindowsDetection, Windows11WithoutRightsReadsNoBuildNumber) {
  // The build number's key is opened for full access, which HKLM refuses to
  // a user without rights: Windows 11 then passes for Windows 10.
  ScopedMachine machine("win11-x64");
  machine->profile.administrator = false;
  DetectWindows();
  EXPECT_EQ(windowsFacts.windows10, 1);
  EXPECT_EQ(windowsFacts.windows11, 0);
}

TEST(DllSearch, IsRestrictedBeforeTheFirstLibraryIsLoaded) {
  for (const char *preset : {"win7-x86", "win10-x64", "winxp-x86"}) {
    ScopedMachine machine(preset);
    bool stopped;
    RunProgram("", &stopped);
    EXPECT_TRUE(machine->process.dllSearchRestricted) << preset;
    // XP loads nothing by name at start; the others load ntdll for the version.
    for (const auto &library : machine->events.OfKind("library")) EXPECT_EQ(library.Field("search"), "system32") << preset;
  }
  ScopedMachine machine("win10-x64");
  bool stopped;
  RunProgram("", &stopped);
  EXPECT_FALSE(machine->events.OfKind("library").empty());
}

TEST(DllSearch, OldSystemsWithoutRestrictionCallsAreLeftAsTheyAre) {
  ScopedMachine machine("win98");
  RestrictDllSearch();
  EXPECT_FALSE(machine->process.dllSearchRestricted);
}

// The windowless run's exit code tells a deployment script that nothing was
// installed; the wizard's is the Part's 0.
TEST(ProgramEntry, MissingRightsShowTheMessageAndEndInBothRunModes) {
  for (const char *commandLine : {"", "setvosrf32"}) {
    ScopedMachine machine("win10-x64");
    machine->profile.administrator = false;
    bool stopped;
    EXPECT_EQ(RunProgram(commandLine, &stopped), commandLine[0] ? kExitNoAdministratorRights : 0);
    EXPECT_FALSE(stopped);
    auto boxes = machine->events.OfKind("messagebox");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].Field("caption"), u8"智能Qelvo");
    EXPECT_EQ(boxes[0].Field("text"),
              u8"本安装程序需要以管理员权限运行，请退出后重新以管理员权限运行。（运行方式为：用鼠标右键点击安装程序，"
              u8"在弹出菜单中点击“以管理员身份运行”）");
    EXPECT_EQ(boxes[0].Field("buttons"), "OK");
    EXPECT_TRUE(machine->events.OfKind("window").empty());
  }
}

// A deployment runs it on the user's desktop: it asks for no device
// context, so no progress bar lands on the screen.
TEST(ProgramEntry, WindowlessRunOpensNoWindowDrawsNothingAndWritesTheRecord) {
  ScopedMachine machine("win10-x64");
  program.interfaceChoice = 0;  // its value at process start
  machine->process.packagePath = VOZ_PACKAGE_FILE;
  bool stopped;
  EXPECT_EQ(RunProgram("/S SETVOSRF32", &stopped), 0);
  EXPECT_FALSE(stopped);
  EXPECT_EQ(program.runMode, kRunModeWindowless);
  EXPECT_EQ(program.interfaceChoice, 0);
  EXPECT_TRUE(machine->events.OfKind("window").empty());
  EXPECT_EQ(sim::DeviceContextsRequested(), 0);
  EXPECT_TRUE(machine->events.OfKind("messagebox").empty());
  EXPECT_EQ(FileText(*machine, "C:\\Windows\\vorlpat8.voh"), "C:\\Program Files\\morvak8\\");
}

TEST(ProgramEntry, RegvoWordKeepsTheRunInteractive) {
  for (const char *commandLine : {"regvo32 setvosrf32", "setvosrf32 regvo32=C:\\x\\"}) {
    ScopedMachine machine("win10-x64");
    bool stopped;
    RunProgram(commandLine, &stopped);
    EXPECT_TRUE(stopped) << commandLine;
    EXPECT_EQ(program.runMode, kRunModeWizard);
    EXPECT_EQ(machine->events.OfKind("window").size(), 1u);
  }
}

TEST(ProgramEntry, SecondInstanceEndsAtOnce) {
  ScopedMachine machine("win10-x64");
  char line[] = "";
  EXPECT_EQ(WinMain(GetModuleHandleA(nullptr), GetModuleHandleA(nullptr), line, SW_SHOWNORMAL), 0);
  EXPECT_TRUE(machine->events.OfKind("window").empty());
}

TEST(MainWindow, IsCentredAsIfThreeHundredHighWithFourHiddenEditFields) {
  ScopedMachine machine("win10-x64");
  machine->profile.screenWidth = 1024;
  machine->profile.screenHeight = 768;
  bool stopped;
  RunProgram("", &stopped);
  ASSERT_TRUE(stopped);
  auto windows = machine->events.OfKind("window");
  ASSERT_EQ(windows.size(), 1u);
  EXPECT_EQ(windows[0].Field("class"), "installWClass");
  EXPECT_EQ(windows[0].Field("x"), "312");
  EXPECT_EQ(windows[0].Field("y"), "234");
  EXPECT_EQ(windows[0].Field("width"), "400");
  EXPECT_EQ(windows[0].Field("height"), "310");
  EXPECT_EQ(program.interfaceChoice, 1);
  const struct {
    HWND field;
    int x, y;
  } fields[] = {{program.editFieldA, 120, 195},
                {program.editFieldB, 130, 195},
                {program.editFieldC, 130, 165},
                {program.editFieldD, 130, 135}};
  for (const auto &expected : fields) {
    SimWindow *field = machine->user.Find(expected.field);
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(field->className, "EDIT");
    EXPECT_EQ(field->parent, program.mainWindow);
    EXPECT_EQ(field->style, 0x40080000u);
    EXPECT_FALSE(field->visible);
    EXPECT_EQ(field->x, expected.x);
    EXPECT_EQ(field->y, expected.y);
    EXPECT_EQ(field->width, 230);
    EXPECT_EQ(field->height, 20);
    EXPECT_EQ(field->title, u" ");
  }
  EXPECT_TRUE(IsWindowVisible(program.mainWindow));
}

}  // namespace
