// The wizard window's clicks: which rectangle a point hits, edges included,
// both mouse buttons alike, the choices fixed from the first confirm on, the
// quit button in every state, the close box pressed while the installation
// shows a message and on the finish screen, and the install screen the
// wizard comes back to when programs hold the input method.
#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <string>
#include <vector>


#include "common/program_state.h"
#include "package/package_data.h"
#include "package/working_buffer.h"
#include "shell/program_entry.h"
#include "simmachine/canvas.h"
#include "support/test_machine.h"
#include "wizard_fixture.h"
#include "ui/wizard_layout.h"

namespace {

using testing_support::ScopedMachine;

class WizardWindow : public testing::Test {
 protected:
  void SetUp() override { wizard_fixture::OpenWizard(*machine_); }

  void Click(UINT button, int x, int y) { SendMessageA(program.mainWindow, button, 0, MAKELPARAM(x, y)); }

  bool DestroyPosted() {
    for (const MSG &msg : machine_->user.queue)
      if (msg.hwnd == program.mainWindow && msg.message == WM_DESTROY) return true;
    return false;
  }

  // The install report's messages: with nothing installed the ending shows
  // the report where it would show its completion message.
  size_t ReportMessages() {
    size_t count = 0;
    for (const auto &box : machine_->events.OfKind("messagebox"))
      count += box.Field("text").rfind(u8"智能Qelvo汉字输入系统9.30版安装情况报告。", 0) == 0;
    return count;
  }

  ScopedMachine machine_;
};

sim::UserAction Action(sim::UserAction::Kind kind, int x = 0, int y = 0) {
  sim::UserAction action;
  action.kind = kind, action.x = x, action.y = y;
  return action;
}

// The IME chosen, then confirm on the intro, profile and install screens.
std::deque<sim::UserAction> ImeInstallClicks() {
  return {Action(sim::UserAction::Kind::kClick, 300, 225), Action(sim::UserAction::Kind::kClick, 90, 257),
          Action(sim::UserAction::Kind::kClick, 90, 257), Action(sim::UserAction::Kind::kClick, 90, 257)};
}

// OK in the skin dialog the installation shows.
sim::UserAction SkinDialogOk() {
  sim::UserAction action = Action(sim::UserAction::Kind::kDialogClick);
  action.controlId = 105;
  return action;
}

TEST_F(WizardWindow, RectanglesHoldTheirEdgesForBothButtons) {
  const struct {
    int x, y;
    int edition, interface, state;  // after the click, from Wubi, TSF, state 0
  } cases[] = {
      {160, 190, 1, 1, 0}, {255, 210, 1, 1, 0}, {256, 210, 0, 1, 0}, {159, 200, 0, 1, 0},
      {275, 215, 0, 0, 0}, {370, 235, 0, 0, 0}, {371, 235, 0, 1, 0}, {370, 236, 0, 1, 0},
      {40, 245, 0, 1, 1},  {140, 270, 0, 1, 1}, {141, 270, 0, 1, 0}, {40, 244, 0, 1, 0},
  };
  for (UINT button : {WM_LBUTTONDOWN, WM_RBUTTONDOWN}) {
    for (const auto &c : cases) {
      program.editionChoice = 0, program.interfaceChoice = 1, program.wizardState = 0;
      SetWizardLayout();
      Click(button, c.x, c.y);
      EXPECT_EQ(program.editionChoice, c.edition) << button << " at " << c.x << "," << c.y;
      EXPECT_EQ(program.interfaceChoice, c.interface) << button << " at " << c.x << "," << c.y;
      EXPECT_EQ(program.wizardState, c.state) << button << " at " << c.x << "," << c.y;
    }
  }
}

// The edition stays at its default, so that the client origin, which the
// emptied rectangles would hold with their edges, would pick Pinyin.
TEST_F(WizardWindow, ChoicesAreFixedFromTheFirstConfirmOn) {
  Click(WM_LBUTTONDOWN, 300, 225);
  Click(WM_LBUTTONDOWN, 90, 257);
  ASSERT_EQ(program.wizardState, 1);
  for (POINT p : {POINT{200, 200}, POINT{200, 225}, POINT{0, 0}}) {
    Click(WM_LBUTTONDOWN, p.x, p.y);
    EXPECT_EQ(program.editionChoice, 0) << p.x << "," << p.y;
    EXPECT_EQ(program.interfaceChoice, 0) << p.x << "," << p.y;
  }
  EXPECT_EQ(program.wizardState, 1);
  EXPECT_TRUE(IsWindowVisible(program.editFieldB) && IsWindowVisible(program.editFieldC) &&
              IsWindowVisible(program.editFieldD));
}

TEST_F(WizardWindow, QuitEndsEveryStateButTheInstallingOne) {
  for (int state : {0, 1, 6, 7, 8, 9}) {
    machine_->user.queue.clear();
    program.wizardState = state;
    const size_t endings = ReportMessages();
    Click(WM_RBUTTONDOWN, 360, 270);
    EXPECT_EQ(DestroyPosted(), state != 7) << "state " << state;
    // From state 8 on the quit button runs the ending with its message.
    EXPECT_EQ(ReportMessages() - endings, state >= 8 ? 1u : 0u) << "state " << state;
  }
  EXPECT_FALSE(machine_->files.Exists("C:\\Program Files\\morvak8\\vorlkelt.exe")) << "nothing installed";
}

TEST_F(WizardWindow, ConfirmOnTheFinishScreenFirstRepaintsThenEnds) {
  program.wizardState = 8;
  Click(WM_LBUTTONDOWN, 90, 257);
  EXPECT_EQ(program.wizardState, 9);
  EXPECT_FALSE(DestroyPosted());
  Click(WM_LBUTTONDOWN, 90, 257);
  EXPECT_TRUE(DestroyPosted());
}

// The close box pressed while the installation shows a message: the window
// stays, the installation runs to its end and the program then ends, its
// resources let go once.
TEST(WizardClose, CloseBoxWaitsForTheInstallationToEnd) {
  ScopedMachine machine;
  machine->process.packagePath = VOZ_PACKAGE_FILE;
  machine->profile.fileMappings = {"morvakkelt"};
  using Kind = sim::UserAction::Kind;
  machine->script.actions = ImeInstallClicks();
  machine->script.actions.push_back(SkinDialogOk());
  sim::UserAction close = Action(Kind::kClose);
  close.duringMessageBox = true;
  machine->script.actions.push_back(close);
  char commandLine[] = "";
  const int exitCode = WinMain(GetModuleHandleA(nullptr), nullptr, commandLine, SW_SHOWNORMAL);
  EXPECT_EQ(exitCode, 0);
  auto boxes = machine->events.OfKind("messagebox");
  ASSERT_GE(boxes.size(), 2u);
  EXPECT_EQ(boxes.front().Field("text"), u8"检测到内存中有智能Qelvo数据没有退出，请安装后重新启动机器再使用！");
  EXPECT_EQ(boxes.front().Field("answer"), "OK");
  EXPECT_EQ(machine->events.OfKind("close").size(), 1u);
  EXPECT_TRUE(machine->files.Exists("C:\\Program Files\\morvak8\\vorlkelt.exe")) << "the installation ran on";
  EXPECT_FALSE(HaveWorkingBuffer());
  EXPECT_EQ(carriedPackage.data, nullptr);
  EXPECT_TRUE(machine->process.memoryBlocks.empty()) << "the working buffer freed";
}

// On the finish screen of a 64-bit IME installation, where the finish timer
// has not run yet, the close box ends the program through the ending, as the
// quit button does: pressed while the installation held the window (it
// comes when the main loop reads messages again), or later. Pressed while a
// message of the installation is open it is held back, and the timer ends
// the program.
TEST(WizardClose, CloseBoxOnTheFinishScreenRunsTheEnding) {
  using Kind = sim::UserAction::Kind;
  sim::UserAction wait = Action(Kind::kWait);
  wait.ms = 500;
  sim::UserAction closeInBox = Action(Kind::kClose);
  closeInBox.duringMessageBox = true;
  const std::string installed = u8"安装完毕，如不能使用，请重新启动计算机！";
  const struct {
    const char *when;
    std::vector<sim::UserAction> close;
    std::vector<std::string> seen;  // the close, then the messages from it on
  } rows[] = {{"while the installation held the window", {Action(Kind::kClose)}, {"close main", installed}},
              {"after a while on the finish screen", {wait, Action(Kind::kClose)}, {"close main", installed}},
              {"while a message of the installation is open",
               {closeInBox},
               {"close messagebox", u8"检测到内存中有智能Qelvo数据没有退出，请安装后重新启动机器再使用！", installed}}};
  for (const auto &row : rows) {
    ScopedMachine machine;
    machine->process.packagePath = VOZ_PACKAGE_FILE;
    machine->profile.fileMappings = {"morvakkelt"};
    auto &actions = machine->script.actions;
    actions = ImeInstallClicks();
    const bool inBox = row.close[0].duringMessageBox;
    if (inBox) actions.insert(actions.end(), row.close.begin(), row.close.end());
    actions.push_back(SkinDialogOk());
    if (!inBox) actions.insert(actions.end(), row.close.begin(), row.close.end());
    char commandLine[] = "";
    EXPECT_EQ(WinMain(GetModuleHandleA(nullptr), nullptr, commandLine, SW_SHOWNORMAL), 0) << row.when;
    std::vector<std::string> seen;
    for (const sim::Event &event : machine->events.events()) {
      if (event.kind == "close") seen.push_back("close " + event.Field("loop"));
      else if (!seen.empty() && event.kind == "messagebox") seen.push_back(event.Field("text"));
    }
    EXPECT_EQ(seen, row.seen) << row.when;
  }
}

// Programs that hold the input method send the wizard back to the install
// screen, which shows its path again, not the empty progress bar the
// installation's start drew over it.
TEST(WizardConflicts, InstallScreenComesBackWithItsPath) {
  ScopedMachine machine;
  machine->process.packagePath = VOZ_PACKAGE_FILE;
  machine->profile.otherWindows = {{"Notepad", "notes"}, {"UIKELT", "", false, 1}};
  machine->script.actions = ImeInstallClicks();
  machine->script.actions.push_back(Action(sim::UserAction::Kind::kClick, 310, 257));
  char commandLine[] = "";
  ASSERT_EQ(WinMain(GetModuleHandleA(nullptr), nullptr, commandLine, SW_SHOWNORMAL), 0);
  ASSERT_EQ(machine->events.OfKind("messagebox").size(), 1u);
  EXPECT_EQ(program.wizardState, 6);
  // Right of the path's text, inside its row: the background, not the bar.
  EXPECT_EQ(sim::CanvasPixel(program.mainWindow, 360, 210),
            RGB(150 * 210 / 310, 255 * 210 / 310, 250 - 150 * 210 / 310));
  bool pathShown = false;
  for (const sim::DrawnText &text : sim::WindowCanvas(program.mainWindow)->texts)
    pathShown |= text.y == 196 && text.text.find("morvak8") != std::string::npos;
  EXPECT_TRUE(pathShown);
}

// The install screen's repaint hides the focus field, which leaves its place
// to be painted: the skin dialog's loop paints the working screen behind
// it. Before Vista the desktop keeps no picture of a covered window either,
// so every box and dialog that goes is painted over again.
TEST(WizardWorkingScreen, PaintedBehindTheDialogAndAgainAfterEachBoxBeforeVista) {
  std::map<std::string, int> workingScreens;
  for (const char *preset : {"winxp-x86", "win10-x64"}) {
    ScopedMachine machine(preset);
    machine->process.packagePath = VOZ_PACKAGE_FILE;
    machine->profile.fileMappings = {"morvakkelt"};
    machine->script.actions = ImeInstallClicks();
    machine->script.actions.push_back(SkinDialogOk());
    machine->user.paintObserver = [&](HWND, bool paintMessage) {
      workingScreens[preset] += paintMessage && program.wizardState == 7;
    };
    char commandLine[] = "";
    ASSERT_EQ(WinMain(GetModuleHandleA(nullptr), nullptr, commandLine, SW_SHOWNORMAL), 0) << preset;
  }
  EXPECT_GE(workingScreens["win10-x64"], 1);
  EXPECT_GT(workingScreens["winxp-x86"], workingScreens["win10-x64"]);
}

}  // namespace
