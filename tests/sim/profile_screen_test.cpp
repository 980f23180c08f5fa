// The user profile screen on simulated machines: the fields loaded from an
// earlier installation, stored into the profile record within their limits,
// the move to the install screen, and the checks of a run without the wizard.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "common/install_dir.h"
#include "common/program_state.h"
#include "shell/main_window.h"
#include "shell/profile_step.h"
#include "simmachine/code_page.h"
#include "support/test_machine.h"
#include "ui/profile_screen.h"

namespace {

using testing_support::ScopedMachine;

const std::string kProfileFile = "C:\\Program Files\\morvak8\\voyhgl0.dat";

class ProfileScreen : public ::testing::Test {
 protected:
  ProfileScreen() {
    std::memset(program.profileRecord, 0, sizeof program.profileRecord);
    program.wizardState = 0;
    program.wizardModeFlag = 1;
    ComputeInstallDir();
    RegisterMainWindowClass(GetModuleHandleA(nullptr));
    CreateMainWindow(GetModuleHandleA(nullptr), SW_SHOWNORMAL);
  }
  ~ProfileScreen() override { program.wizardModeFlag = 0; }
  std::string Text(HWND field) {
    char text[64] = "";
    GetWindowTextA(field, text, sizeof text);
    return text;
  }
  std::string Record(int offset, int length) {
    return std::string(reinterpret_cast<char *>(program.profileRecord) + offset, length);
  }
  ScopedMachine machine_{"win10-x64"};
};

TEST(ValidatePhoneNumber, TakesElevenDigitsFromOneEighteenDigitsOrAPrefixedNumber) {
  struct Row {
    const char *text;
    int valid;
  };
  for (const Row &row : {Row{"12345678901", 1}, Row{"123456789012345678", 1}, Row{"w1234567", 1}, Row{"W12345678", 1},
                         Row{"w12345678901234567", 1}, Row{"22345678901", 0}, Row{"w1234567890", 0},
                         Row{"1234567", 0}, Row{"1234567890123456789", 0}, Row{"1234567890a", 0},
                         Row{"12345678", 0}, Row{"w123456", 0}, Row{"", 0}})
    EXPECT_EQ(ValidatePhoneNumber(row.text), row.valid) << row.text;
}

// A reinstallation: name and number come back, the password never does, and
// every byte the fields do not write keeps the earlier file's value.
TEST_F(ProfileScreen, ReinstallationShowsTheEarlierProfileAndKeepsItsOtherBytes) {
  std::string earlier(492, 'x');
  earlier.replace(0, 3, std::string("Li\0", 3));
  earlier.replace(50, 12, std::string("13912345678\0", 12));
  earlier.replace(392, 7, std::string("secret\0", 7));
  machine_->files.WriteFile(kProfileFile, earlier);
  LoadProfile();
  EXPECT_EQ(Text(program.editFieldC), "Li");
  EXPECT_EQ(Text(program.editFieldD), "13912345678");
  EXPECT_EQ(Text(program.editFieldB), "");
  ConfirmProfile();
  EXPECT_EQ(program.wizardState, 1);
  SetWindowTextA(program.editFieldC, "A name of twenty ch.");
  SetWindowTextA(program.editFieldB, "twelve chars");
  ConfirmProfile();
  EXPECT_EQ(program.wizardState, 6);
  EXPECT_FALSE(IsWindow(program.editFieldB) || IsWindow(program.editFieldC) || IsWindow(program.editFieldD));
  std::string stored;
  ASSERT_TRUE(machine_->files.ReadFile(kProfileFile, &stored));
  std::string expected = earlier;
  expected.replace(0, 14, std::string("A name of twe\0", 14));
  expected.replace(188, 4, std::string(4, '\0'));
  expected.replace(392, 10, std::string("twelve ch\0", 10));
  EXPECT_EQ(stored, expected);
}

// The installation directory does not exist before the first installation:
// the profile is kept in the record and written by the install sequence.
TEST_F(ProfileScreen, FirstInstallationEmptiesTheFieldsAndWritesNoFileYet) {
  SetWindowTextA(program.editFieldC, "old text");
  LoadProfile();
  EXPECT_EQ(Text(program.editFieldC) + Text(program.editFieldD) + Text(program.editFieldB), "");
  ConfirmProfile();
  SetWindowTextA(program.editFieldD, "12345678901");
  ConfirmProfile();
  EXPECT_EQ(program.wizardState, 6);
  EXPECT_FALSE(machine_->files.Exists(kProfileFile));
  EXPECT_EQ(Record(50, 12), std::string("12345678901\0", 12));
}

// A field cut at its byte limit keeps whole characters only, on both
// double-byte code pages: with an odd number of bytes before the cut it
// falls inside a character, with an even one after a trail byte (Big5 and
// GBK trail bytes can take lead-byte values). An earlier file that holds
// half a character shows without it.
TEST(ProfileLimits, FieldsCutAtTheirLimitKeepWholeCharactersOnly) {
  struct Row {
    const char *typed, *name, *password;  // the name and phone store as `name`
  };
  const Row rows[] = {{u8"歐陽張三李四王五", u8"歐陽張三李四", u8"歐陽張三"},
                      {u8"a歐陽張三李四王五", u8"a歐陽張三李四", u8"a歐陽張三"}};
  for (const char *preset : {"win10-x64", "win10-x64-cp950"}) {
    const unsigned codePage = std::string(preset).find("cp950") != std::string::npos ? 950 : 936;
    auto bytes = [codePage](const char *utf8) { return sim::Utf8ToCodePage(codePage, utf8); };
    for (const Row &row : rows) {
      ScopedMachine machine(preset);
      std::memset(program.profileRecord, 0, sizeof program.profileRecord);
      program.wizardModeFlag = 1;
      RegisterMainWindowClass(GetModuleHandleA(nullptr));
      CreateMainWindow(GetModuleHandleA(nullptr), SW_SHOWNORMAL);
      const std::string typed = bytes(row.typed);
      for (HWND field : {program.editFieldB, program.editFieldC, program.editFieldD})
        SetWindowTextA(field, typed.c_str());
      program.wizardState = 1;
      ConfirmProfile();
      const char *record = reinterpret_cast<const char *>(program.profileRecord);
      EXPECT_EQ(std::string(record + kProfileNameOffset), bytes(row.name)) << preset << " " << row.typed;
      EXPECT_EQ(std::string(record + kProfilePhoneOffset), bytes(row.name)) << preset << " " << row.typed;
      EXPECT_EQ(std::string(record + kProfilePasswordOffset), bytes(row.password)) << preset << " " << row.typed;
    }
    ScopedMachine machine(preset);
    ComputeInstallDir();
    RegisterMainWindowClass(GetModuleHandleA(nullptr));
    CreateMainWindow(GetModuleHandleA(nullptr), SW_SHOWNORMAL);
    const std::string cut = bytes(u8"歐陽張三李四王五").substr(0, 13);
    machine->files.WriteFile(kProfileFile, cut + std::string(492 - cut.size(), '\0'));
    LoadProfile();
    char shown[64] = "";
    GetWindowTextA(program.editFieldC, shown, sizeof shown);
    EXPECT_EQ(shown, bytes(u8"歐陽張三李四")) << preset;
  }
  program.wizardModeFlag = 0;
}

TEST_F(ProfileScreen, WithoutTheWizardAWrongNumberOrPasswordKeepsTheProfileScreen) {
  program.wizardModeFlag = 0;
  program.wizardState = 1;
  SetWindowTextA(program.editFieldD, "22345678901");
  SetWindowTextA(program.editFieldB, "123456");
  ConfirmProfile();
  SetWindowTextA(program.editFieldD, "13912345678");
  SetWindowTextA(program.editFieldB, "12345");
  ConfirmProfile();
  EXPECT_EQ(program.wizardState, 1);
  SetWindowTextA(program.editFieldB, "123456");
  ConfirmProfile();
  EXPECT_EQ(program.wizardState, 6);
  const auto boxes = machine_->events.OfKind("messagebox");
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].Field("text"), u8"请正确输入你的手机号码！");
  EXPECT_EQ(boxes[1].Field("text"), u8"请输入6数位你自己的管理密码，并请记住你的密码！");
}

}  // namespace
