// Interactive installations through the wizard on every simulated Windows,
// with both editions and both interfaces, and a reinstallation keeping the
// data on each: the messages in order, the edition and module files, the
// skin and the exit code. Run whole against the release build; the
// sanitized build runs one installation per Windows (the Wubi/TSF rows).
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "shell/program_entry.h"
#include "simmachine/machine.h"
#include "support/program_state_reset.h"
#include "support/test_machine.h"
#include "support/user_actions.h"

namespace {

const char kInstalled[] = u8"安装完毕，如不能使用，请重新启动计算机！";
const char kKeepQuestion[] = u8"检测到安装目录下有智能Qelvo以前的词组等数据文件，是否保留？";
const char kDir[] = "C:\\Program Files\\morvak8\\";

struct Row {
  const char *preset;
  bool pinyin;
  bool tsf;
};

std::string Name(const testing::TestParamInfo<Row> &info) {
  std::string name = std::string(info.param.preset) + (info.param.pinyin ? "_Pinyin" : "_Wubi") +
                     (info.param.tsf ? "_Tsf" : "_Ime");
  for (char &c : name)
    if (c == '-') c = '_';
  return name;
}

std::vector<Row> Rows() {
  static const std::vector<std::string> presets = sim::PresetNames();
  std::vector<Row> rows;
  for (const std::string &preset : presets)
    for (bool pinyin : {false, true})
      for (bool tsf : {true, false}) rows.push_back({preset.c_str(), pinyin, tsf});
  return rows;
}

using testing_support::Click;

class InteractiveMatrix : public testing::TestWithParam<Row> {
 protected:
  // The choices of the row, then confirm on the intro, profile and install
  // screens and OK in the skin dialog (when it shows).
  std::vector<sim::UserAction> Walk() {
    std::vector<sim::UserAction> actions;
    if (GetParam().pinyin) actions.push_back(Click(200, 200));
    if (!GetParam().tsf) actions.push_back(Click(300, 225));
    for (int i = 0; i < 3; ++i) actions.push_back(Click(90, 257));
    sim::UserAction ok;
    ok.kind = sim::UserAction::Kind::kDialogClick, ok.controlId = 105;
    actions.push_back(ok);
    return actions;
  }

  // One run of the program on the machine kept in `root`; the message box
  // texts in order.
  std::vector<std::string> RunProgram(const std::filesystem::path &root, const std::vector<bool> &answers, int *exitCode) {
    std::unique_ptr<sim::Machine> machine = std::filesystem::exists(root / "machine.ini")
                                                ? sim::Machine::Load(root)
                                                : sim::Machine::CreateFromPreset(GetParam().preset, root);
    machine->process.packagePath = VOZ_PACKAGE_FILE;
    for (const auto &action : Walk()) machine->script.actions.push_back(action);
    for (bool answer : answers) machine->script.yesNoAnswers.push_back(answer);
    sim::Machine::Install(machine.get());
    testing_support::ResetProgramState();
    char commandLine[] = "";
    *exitCode = -1;
    try {
      *exitCode = WinMain(GetModuleHandleA(nullptr), nullptr, commandLine, SW_SHOWNORMAL);
    } catch (const sim::ScriptExhausted &e) {
      ADD_FAILURE() << "the run stopped: " << e.what();
    }
    testing_support::ResetProgramState();
    std::vector<std::string> texts;
    for (const auto &box : machine->events.OfKind("messagebox")) texts.push_back(box.Field("text"));
    machine->Save();
    sim::Machine::Install(nullptr);
    return texts;
  }

  std::string Read(const std::filesystem::path &root, const std::string &windowsPath) {
    std::unique_ptr<sim::Machine> machine = sim::Machine::Load(root);
    std::string content;
    machine->files.ReadFile(windowsPath, &content);
    return content;
  }
};

TEST_P(InteractiveMatrix, InstallsAndReinstallsKeepingTheData) {
  const Row &row = GetParam();
  const std::filesystem::path root = testing_support::FreshFolder(Name({row, 0}));
  int exitCode = 0;
  EXPECT_EQ(RunProgram(root, {}, &exitCode), std::vector<std::string>{kInstalled});
  EXPECT_EQ(exitCode, 0);
  EXPECT_EQ(Read(root, std::string(kDir) + "wbpybz.voh"), std::string(row.pinyin ? "VOWBPYBZ=1" : "VOWBPYBZ=0") + '\0');
  EXPECT_FALSE(Read(root, std::string(kDir) + "vobmp8.voh").empty()) << "the skin";
  // The interface's module where Windows loads it.
  const std::unique_ptr<sim::Machine> installed = sim::Machine::Load(root);
  const std::string system = installed->profile.systemDir + "\\";
  const bool wide = installed->profile.nativeArchitecture == 9;
  EXPECT_TRUE(installed->files.Exists(system + (row.tsf ? (wide ? "vorlsrf6.dll" : "vorlsrf.dll") : "morvak4.ime")))
      << system;
  // The user's own words, then a reinstallation that keeps them.
  installed->files.WriteFile(std::string(kDir) + "vorldwdw.txt", "the user's own words");
  installed->Save();
  const std::vector<std::string> messages = RunProgram(root, {true}, &exitCode);
  ASSERT_EQ(messages.size(), 3u);
  EXPECT_EQ(messages[0], kKeepQuestion);
  EXPECT_EQ(messages[1].rfind(u8"成功恢复了", 0), 0u) << messages[1];
  EXPECT_EQ(messages[2], kInstalled);
  EXPECT_EQ(exitCode, 0);
  EXPECT_EQ(Read(root, std::string(kDir) + "vorldwdw.txt"), "the user's own words");
}

INSTANTIATE_TEST_SUITE_P(Presets, InteractiveMatrix, testing::ValuesIn(Rows()), Name);

}  // namespace
