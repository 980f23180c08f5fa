// setup-sim on every preset: the wizard window's titles and the record files an
// interactive start leaves, and the windowless run's record (read from the
// shared installations of windowless_runs.h).
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "scenarios/windowless_runs.h"
#include "support/test_machine.h"

namespace {

using testing_support::FreshFolder;
using testing_support::ReadEventLog;
using testing_support::RunSetupSim;
using windowless_runs::FreshInstall;
using windowless_runs::Installation;
using windowless_runs::Reinstall;

std::string ReadHostFile(const std::filesystem::path &path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

struct StartCase {
  const char *preset;
  const char *title;  // UTF-8
  const char *windowsDir;
  const char *shownTitle = nullptr;  // the title window creation gives it instead, UTF-8
};

class InteractiveStartTest : public ::testing::TestWithParam<StartCase> {};

TEST_P(InteractiveStartTest, OpensTitledWindowAndWaitsForTheUser) {
  const StartCase &row = GetParam();
  std::filesystem::path root = FreshFolder(std::string("start-") + row.preset);
  std::string output;
  EXPECT_EQ(RunSetupSim("--machine " + std::string(row.preset) + " --root " + root.string(), &output), 3) << output;
  const sim::EventLog events = ReadEventLog(root);
  const std::vector<sim::Event> windows = events.OfKind("window");
  ASSERT_EQ(windows.size(), 1u) << events.Render();
  EXPECT_EQ(windows[0].Field("title"), row.title);
  EXPECT_EQ(windows[0].Field("class"), "installWClass");
  const std::vector<sim::Event> titles = events.OfKind("title");
  EXPECT_EQ(titles.empty() ? row.title : titles.back().Field("title"), row.shownTitle ? row.shownTitle : row.title);
  EXPECT_TRUE(events.OfKind("messagebox").empty()) << events.Render();
  // Only an installation writes the record of its directory, on every Windows.
  auto machine = sim::Machine::Load(root);
  EXPECT_FALSE(machine->files.Exists(std::string(row.windowsDir) + "\\vorlpat8.voh"));
  EXPECT_FALSE(machine->files.Exists("C:\\morvak8\\vorlpat8.voh"));
}

INSTANTIATE_TEST_SUITE_P(
    Presets, InteractiveStartTest,
    ::testing::Values(
        StartCase{"win98", u8"智能Qelvo系统安装32-os：32-0-10-0-50", "C:\\WINDOWS"},
        StartCase{"winxp-x86", u8"智能Qelvo系统安装32-os：32-0-10-0-51", "C:\\WINDOWS"},
        StartCase{"win7-x86", u8"智能Qelvo系统安装32-os：32-0-10-0-61", "C:\\Windows"},
        StartCase{"win7-x64", u8"智能Qelvo系统安装3264-os：64-1-10-0-61", "C:\\Windows"},
        StartCase{"win8-x64", u8"智能Qelvo系统安装3264-os：64-1-10-0-62", "C:\\Windows"},
        StartCase{"win10-x64", u8"智能Qelvo系统安装3264-os：64-1-10-1-62", "C:\\Windows"},
        StartCase{"win11-x64", u8"智能Qelvo系统安装3264-os：64-1-11-1-62", "C:\\Windows"},
        StartCase{"win7-x86-cp950", u8"智能Qelvo系统安装32-os：32-0-10-0-61", "C:\\Windows",
                  u8"智能Qelvo系統安裝"},
        StartCase{"win11-x64-cp950", u8"智能Qelvo系统安装3264-os：64-1-11-1-62", "C:\\Windows",
                  u8"智能Qelvo系統安裝"}),
    [](const ::testing::TestParamInfo<StartCase> &info) {
      std::string name = info.param.preset;
      for (char &c : name)
        if (c == '-') c = '_';
      return name;
    });

class WindowlessRunTest : public ::testing::TestWithParam<const char *> {};

TEST_P(WindowlessRunTest, EndsNormallyAndRecordsTheInstallationDirectory) {
  const Installation &machine = FreshInstall(GetParam());
  EXPECT_NE(machine.output.find("messages shown: 0"), std::string::npos) << machine.output;
  EXPECT_NE(machine.output.find("windows opened: 0"), std::string::npos) << machine.output;
  std::string record;
  ASSERT_TRUE(machine->files.ReadFile(machine->profile.windowsDir + "\\vorlpat8.voh", &record));
  EXPECT_EQ(record, "C:\\Program Files\\morvak8\\");
}

INSTANTIATE_TEST_SUITE_P(Presets, WindowlessRunTest,
                         ::testing::Values("win98", "winxp-x86", "win7-x86", "win7-x64", "win10-x64", "win11-x64",
                                           "win10-x64-cp950"),
                         [](const ::testing::TestParamInfo<const char *> &info) {
                           std::string name = info.param;
                           for (char &c : name)
                             if (c == '-') c = '_';
                           return name;
                         });

TEST(SetupSim, MachineWithoutRightsShowsTheProbeMessageAndInstallsNothing) {
  std::filesystem::path root = FreshFolder("setup-sim-no-rights");
  std::string output;
  ASSERT_EQ(RunSetupSim("--machine win10-x64 --root " + root.string(), &output), 3) << output;
  std::string ini = ReadHostFile(root / "machine.ini");
  ini.replace(ini.find("administrator = 1"), 17, "administrator = 0");
  std::ofstream(root / "machine.ini", std::ios::binary | std::ios::trunc) << ini;
  std::filesystem::remove(root / "drives" / "c" / "Windows" / "vorlpat8.voh");
  ASSERT_EQ(RunSetupSim("--root " + root.string() + " -- setvosrf32", &output), 0) << output;
  EXPECT_NE(output.find(u8"messages shown: 1\n  [OK -> OK] 智能Qelvo: 本安装程序需要以管理员权限运行"), std::string::npos)
      << output;
  auto machine = sim::Machine::Load(root);
  EXPECT_FALSE(machine->files.Exists("C:\\Windows\\vorlpat8.voh"));
  EXPECT_FALSE(machine->files.Exists("C:\\Program Files\\morvak8"));
}

TEST(SetupSim, SecondRunContinuesFromTheSavedMachine) {
  const Installation &second = Reinstall("win10-x64");
  EXPECT_NE(second.output.find("machine: win10-x64"), std::string::npos) << second.output;
  std::string output;
  EXPECT_EQ(RunSetupSim("--machine win7-x64 --root " + second.root.string(), &output), 2) << output;
}

TEST(SetupSim, BadUsageIsRefusedWithAReason) {
  std::string output;
  EXPECT_EQ(RunSetupSim("--machine win10-x64", &output), 2);
  EXPECT_NE(output.find("--root DIR is required"), std::string::npos) << output;
  std::filesystem::path root = FreshFolder("setup-sim-bad-preset");
  EXPECT_EQ(RunSetupSim("--machine win12 --root " + root.string(), &output), 2);
  EXPECT_NE(output.find("unknown machine preset: win12"), std::string::npos) << output;
  EXPECT_EQ(RunSetupSim("--answer maybe --root " + root.string(), &output), 2);
}

// A package that cannot be read stops setup-sim before the machine is made;
// the program never runs as a build without its resource.
TEST(SetupSim, UnreadablePackageIsRefusedBeforeTheRun) {
  const std::filesystem::path folder = FreshFolder("setup-sim-unreadable-package");
  const struct {
    std::filesystem::path package;
    const char *problem;
  } rows[] = {{folder / "missing.voz", "no such file"}, {folder, "not a file"}};
  for (const auto &row : rows) {
    const std::filesystem::path root = folder / "machine";
    std::string output;
    EXPECT_EQ(RunSetupSim("--root " + root.string() + " --package " + row.package.string() + " -- setvosrf32", &output),
              2)
        << output;
    EXPECT_NE(output.find("--package " + row.package.string() + ": " + row.problem), std::string::npos) << output;
    EXPECT_FALSE(std::filesystem::exists(root / "machine.ini")) << row.package;
  }
}

}  // namespace
