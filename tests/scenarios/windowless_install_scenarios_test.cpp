// The windowless installation ("setvosrf32") through setup-sim on every
// Windows the program distinguishes, asserting the final machine: the files
// in the installation directory and the system folders, the keyboard-layout
// entry, the preload lists, the uninstall, auto-start and user-agent entries,
// the commands started and the messages; then a reinstallation, a machine
// whose IMM32 installer fails and one without administrator rights. The
// installation of each preset and the reinstallation are the shared runs of
// windowless_runs.h.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scenarios/windowless_runs.h"
#include "support/test_machine.h"

namespace {

using testing_support::FreshFolder;
using windowless_runs::Fields;
using windowless_runs::FreshInstall;
using windowless_runs::Installation;
using windowless_runs::Reinstall;
using windowless_runs::RunWindowless;

const std::string kInstallDir = windowless_runs::kInstallDir;
const std::string kLayouts = "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\Keyboard Layouts\\";
const std::string kUserPreload = "HKEY_CURRENT_USER\\Keyboard Layout\\Preload";
const std::string kDefaultPreload = "HKEY_USERS\\.DEFAULT\\Keyboard Layout\\Preload";
const std::string kHelper64Command = "\"C:\\Program Files\\morvak8\\setupw64.exe\" regvo32=C:\\Program Files\\morvak8\\";

std::string PresetName(const std::string &preset) {
  std::string name = preset;
  for (char &c : name)
    if (c == '-') c = '_';
  return name;
}

// A machine of `preset` saved in a fresh folder, changed by `change` first.
std::filesystem::path PrepareMachine(const std::string &name, const std::string &preset,
                                     void (*change)(sim::Machine &)) {
  std::filesystem::path root = FreshFolder(name);
  auto machine = sim::Machine::CreateFromPreset(preset, root);
  change(*machine);
  machine->Save();
  return root;
}

std::string Text(const sim::Machine &machine, const std::string &key, const std::string &name) {
  std::string value;
  return machine.registry.GetString(key, name, &value) ? value : "<missing>";
}

std::string NtPreload(const sim::Machine &machine, const std::string &key) {
  std::string list;
  for (const std::string &name : machine.registry.ValueNames(key))
    list += (list.empty() ? "" : ",") + name + "=" + Text(machine, key, name);
  return list;
}

std::string Preload9x(const sim::Machine &machine) {
  std::string list;
  const std::string key = "HKEY_CURRENT_USER\\keyboard layout\\preload";
  for (const std::string &name : machine.registry.SubkeyNames(key))
    list += (list.empty() ? "" : ",") + name + "=" + Text(machine, key + "\\" + name, "");
  return list;
}

std::string FileContent(const sim::Machine &machine, const std::string &path) {
  std::string content;
  return machine.files.ReadFile(path, &content) ? content : "<missing " + path + ">";
}

// The registry view a 32-bit program writes HKLM\SOFTWARE keys into.
std::string Software(const sim::Machine &machine) {
  return machine.profile.Is64BitWindows() ? "HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\" : "HKEY_LOCAL_MACHINE\\SOFTWARE\\";
}

void ExpectProgramEntries(const sim::Machine &machine) {
  const std::string currentVersion = Software(machine) + "Microsoft\\Windows\\CurrentVersion\\";
  EXPECT_EQ(Text(machine, currentVersion + "Uninstall\\vorlqwb8", "DisplayName"), u8"智能Qelvo8");
  EXPECT_EQ(Text(machine, currentVersion + "Uninstall\\vorlqwb8", "UninstallString"),
            machine.profile.windowsDir + "\\vorldel8.exe");
  EXPECT_EQ(Text(machine, currentVersion + "Run", "vovqsjgl"), "\"C:\\Program Files\\morvak8\\vorlkelt.exe\" vo");
  EXPECT_EQ(Text(machine, currentVersion + "Internet Settings\\User Agent\\Post Platform", "kelt8800"), "");
}

// `copy` holds the bytes of the installed file `installed`.
void ExpectCopy(const sim::Machine &machine, const std::string &copy, const char *installed) {
  std::string copied, original;
  ASSERT_TRUE(machine.files.ReadFile(copy, &copied)) << copy;
  ASSERT_TRUE(machine.files.ReadFile(kInstallDir + installed, &original)) << installed;
  EXPECT_TRUE(copied == original) << copy << " differs from " << installed;
}

// No command names a bare program: each starts with a full path, quoted
// when it holds a blank.
void ExpectFullProgramPaths(const Installation &installed) {
  for (const std::string &command : Fields(installed, "exec", "command")) {
    const bool quoted = command[0] == '"';
    EXPECT_EQ(command.substr(quoted ? 2 : 1, 2), ":\\") << command;
    EXPECT_TRUE(quoted || command.substr(0, command.find(' ')).find("Program Files") == std::string::npos) << command;
  }
}

struct InstallCase {
  const char *preset;
  const char *moduleFolder;        // the 32-bit IME module's copy
  const char *nativeModuleFolder;  // the 64-bit one's, on 64-bit Windows
  const char *layoutId;
  const char *userPreload;
  const char *defaultPreload;  // NT
};

// Test listings name a row by this.
void PrintTo(const InstallCase &row, std::ostream *out) { *out << row.preset; }

class WindowlessInstall : public ::testing::TestWithParam<InstallCase> {};

TEST_P(WindowlessInstall, LeavesTheWholeInstallationAndShowsNothing) {
  const InstallCase &row = GetParam();
  const Installation &machine = FreshInstall(row.preset);
  const sim::Profile &profile = machine->profile;
  EXPECT_TRUE(Fields(machine, "messagebox", "text").empty());
  EXPECT_TRUE(Fields(machine, "window", "title").empty());

  for (const char *file : {"vorlkelt.exe", "setupw64.exe", "vqjcdir.exe", "morvak88.exe", "vorldel8.exe"})
    EXPECT_TRUE(machine->files.Exists(kInstallDir + file)) << file;
  for (const char *build : {"vorl320.ime", "vorl640.ime", "vorlsrf.dll", "vorlsrf6.dll"})
    EXPECT_FALSE(machine->files.Exists(kInstallDir + build)) << build;
  ExpectCopy(*machine, std::string(row.moduleFolder) + "\\morvak4.ime", "morvak4.ime");
  if (row.nativeModuleFolder) ExpectCopy(*machine, std::string(row.nativeModuleFolder) + "\\morvak4.ime", "morvak64.ime");
  ExpectCopy(*machine, profile.windowsDir + "\\vorldel8.exe", "vorldel8.exe");

  const std::string entry = kLayouts + row.layoutId;
  EXPECT_EQ(Text(*machine, entry, "Ime File"), "MORVAK4.IME");
  EXPECT_EQ(Text(*machine, entry, "Layout Text"), u8"智能Qelvo输入平台I");
  if (profile.family == sim::Family::Win9x) {
    EXPECT_EQ(Preload9x(*machine), row.userPreload);
  } else {
    EXPECT_EQ(NtPreload(*machine, kUserPreload), row.userPreload);
    EXPECT_EQ(NtPreload(*machine, kDefaultPreload), row.defaultPreload);
  }
  ExpectProgramEntries(*machine);

  const bool x64 = profile.Is64BitWindows();
  std::vector<std::string> helpers;
  for (const std::string &command : Fields(machine, "exec", "command"))
    if (command.find("setupw64.exe") != std::string::npos) helpers.push_back(command);
  EXPECT_EQ(helpers, x64 ? std::vector<std::string>{kHelper64Command} : std::vector<std::string>{});
  EXPECT_EQ(FileContent(*machine, kInstallDir + "helper-log.txt"),
            x64 ? "setupw64.exe regvo32=C:\\Program Files\\morvak8\\\r\n" : "<missing " + kInstallDir + "helper-log.txt>");
  ExpectFullProgramPaths(machine);
}

INSTANTIATE_TEST_SUITE_P(
    Presets, WindowlessInstall,
    ::testing::Values(
        // Windows 98 has no ImmInstallIMEW: the entry is made by hand and moved behind the default.
        InstallCase{"win98", "C:\\WINDOWS\\SYSTEM", nullptr, "E0060804", "1=00000804,2=E0060804,3=E0010804,4=E0040804",
                    ""},
        // On XP the entry IMM32 appended moves to the second place, for the default profile too.
        InstallCase{"winxp-x86", "C:\\WINDOWS\\system32", nullptr, "E0200804",
                    "1=00000804,2=E0200804,3=E00E0804,4=E0010804,5=E0040804",
                    "1=00000804,2=E0200804,3=E00E0804,4=E0010804,5=E0040804"},
        InstallCase{"win7-x86", "C:\\Windows\\system32", nullptr, "E0200804", "1=00000804,2=E0200804", "1=00000804"},
        InstallCase{"win7-x64", "C:\\Windows\\SysWOW64", "C:\\Windows\\system32", "E0200804", "1=00000804,2=E0200804",
                    "1=00000804"},
        InstallCase{"win10-x64", "C:\\Windows\\SysWOW64", "C:\\Windows\\system32", "E0200804", "1=00000804,2=E0200804",
                    "1=00000804"},
        InstallCase{"win11-x64", "C:\\Windows\\SysWOW64", "C:\\Windows\\system32", "E0200804", "1=00000804,2=E0200804",
                    "1=00000804"},
        // The module's own language decides IMM32's id; the user's list is the traditional one.
        InstallCase{"win10-x64-cp950", "C:\\Windows\\SysWOW64", "C:\\Windows\\system32", "E0200804",
                    "1=00000404,2=E0200804", "1=00000404"}),
    [](const auto &info) { return PresetName(info.param.preset); });

TEST(WindowlessReinstall, ReusesTheLayoutAndKeepsOneOfEachEntry) {
  const Installation &machine = Reinstall("win10-x64");
  EXPECT_TRUE(Fields(machine, "messagebox", "text").empty());
  std::vector<std::string> products;
  for (const std::string &id : machine->registry.SubkeyNames(kLayouts.substr(0, kLayouts.size() - 1)))
    if (Text(*machine, kLayouts + id, "Layout Text") == u8"智能Qelvo输入平台I") products.push_back(id);
  EXPECT_EQ(products, std::vector<std::string>{"E0200804"});
  EXPECT_EQ(NtPreload(*machine, kUserPreload), "1=00000804,2=E0200804");
  const std::string currentVersion = Software(*machine) + "Microsoft\\Windows\\CurrentVersion\\";
  EXPECT_EQ(machine->registry.SubkeyNames(currentVersion + "Uninstall"), std::vector<std::string>{"vorlqwb8"});
  EXPECT_EQ(machine->registry.ValueNames(currentVersion + "Run"), std::vector<std::string>{"vovqsjgl"});
  // The earlier server executable was moved aside before the new one came.
  EXPECT_TRUE(machine->files.Exists(kInstallDir + "morvak82.exe"));
  EXPECT_TRUE(machine->files.Exists(kInstallDir + "morvak88.exe"));
  ExpectProgramEntries(*machine);
}

TEST(WindowlessInstallWithoutImm32, RegistersTheLayoutByHandAboveTheExistingOnes) {
  auto machine = RunWindowless(
      PrepareMachine("imm-fails-win10-x64", "win10-x64", [](sim::Machine &m) { m.profile.imeInstallFails = true; }));
  EXPECT_TRUE(Fields(machine, "messagebox", "text").empty());
  EXPECT_EQ(Fields(machine, "imm_install", "layout"), std::vector<std::string>{""});
  EXPECT_EQ(Text(*machine, kLayouts + "E00A0804", "IME file"), "MORVAK4.IME");
  EXPECT_EQ(Text(*machine, kLayouts + "E00A0804", "layout file"), "kbdus.dll");
  EXPECT_EQ(NtPreload(*machine, kUserPreload), "1=00000804,2=e00a0804");
  ExpectProgramEntries(*machine);
}

TEST(WindowlessInstallWithoutImm32, OnAMachineWithoutImesTakesE0010804) {
  auto machine = RunWindowless(PrepareMachine("imm-fails-no-imes-win7-x86", "win7-x86", [](sim::Machine &m) {
    m.profile.imeInstallFails = true;
    const std::string layouts = kLayouts.substr(0, kLayouts.size() - 1);
    for (const std::string &id : m.registry.SubkeyNames(layouts))
      if (id[0] == 'E') m.registry.DeleteTree(kLayouts + id);
  }));
  EXPECT_EQ(Text(*machine, kLayouts + "E0010804", "layout text"), u8"智能Qelvo输入平台I");
  EXPECT_EQ(NtPreload(*machine, kUserPreload), "1=00000804,2=e0010804");
}

// The Program Files folder of a Chinese Windows may have a Chinese name,
// which the program receives in GBK; it installs there as anywhere else. The
// folders are only named in the profile, as an edit of machine.ini does.
TEST(WindowlessInstallInChineseProgramFiles, InstallsThereWithoutAMessage) {
  auto machine = RunWindowless(PrepareMachine("chinese-program-files-win10-x64", "win10-x64", [](sim::Machine &m) {
    m.profile.programFilesDir = u8"C:\\程序文件";
    m.profile.programFilesX86Dir = u8"C:\\程序文件 (x86)";
  }));
  const std::string installDir = u8"C:\\程序文件\\morvak8\\";
  EXPECT_TRUE(Fields(machine, "messagebox", "text").empty());
  for (const char *file : {"vorlkelt.exe", "setupw64.exe", "morvak4.ime", "morvak88.exe"})
    EXPECT_TRUE(machine->files.Exists(installDir + file)) << file;
  EXPECT_EQ(FileContent(*machine, machine->profile.windowsDir + "\\vorlpat8.voh"), "C:\\程序文件\\morvak8\\");
  EXPECT_EQ(Text(*machine, Software(*machine) + "Microsoft\\Windows\\CurrentVersion\\Run", "vovqsjgl"),
            u8"C:\\程序文件\\morvak8\\vorlkelt.exe vo");
}

TEST(WindowlessInstallWithoutRights, ShowsTheProbeMessageAndChangesNothing) {
  std::filesystem::path root = PrepareMachine("no-rights-win7-x86", "win7-x86",
                                              [](sim::Machine &m) { m.profile.administrator = false; });
  const std::string registryBefore = sim::Machine::Load(root)->registry.Export();
  auto machine = RunWindowless(root, "", 2);
  EXPECT_EQ(Fields(machine, "messagebox", "text"),
            std::vector<std::string>{u8"本安装程序需要以管理员权限运行，请退出后重新以管理员权限运行。（运行方式为：用鼠标右键点击安"
                                     u8"装程序，在弹出菜单中点击“以管理员身份运行”）"});
  EXPECT_EQ(machine->registry.Export(), registryBefore);
  EXPECT_FALSE(machine->files.Exists("C:\\Program Files\\morvak8"));
  EXPECT_FALSE(machine->files.Exists("C:\\Windows\\system32\\morvak4.ime"));
  EXPECT_TRUE(Fields(machine, "exec", "command").empty());
}

}  // namespace
