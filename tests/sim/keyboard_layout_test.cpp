// The keyboard-layout registration on simulated machines: the IMM32 call,
// the manual entry (reused, renamed or numbered above the others, however
// many there are), the preload list in both registry layouts, and the
// messages of its failures.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "registration/keyboard_layout.h"
#include "registration/preload_list.h"
#include "sim/ime_module_fixture.h"
#include "sim/registration_fixture.h"

namespace {

using registration_fixture::kLayouts;
using registration_fixture::kUserPreload;
using registration_fixture::kUserPreload9x;
using registration_fixture::RegistrationMachine;

const std::string kAdministratorText = u8"在WIN2000和WIN NT系统中安装本软件时，需要以系统管理员身份才能安装成功！";

void AddEntry(RegistrationMachine &machine, const std::string &id, const std::string &layoutText) {
  machine->registry.SetString(kLayouts + id, "Layout Text", layoutText);
}

TEST(InstallImeModule, AnswersWhetherImm32ReturnedALayout) {
  RegistrationMachine machine("win10-x64");
  EXPECT_EQ(InstallImeModule(), 0);
  ime_module_fixture::PlaceImeModule(*machine);
  EXPECT_EQ(InstallImeModule(), 1);
  auto installs = machine->events.OfKind("imm_install");
  ASSERT_EQ(installs.size(), 2u);
  EXPECT_EQ(installs[1].Field("file"), "C:\\Windows\\system32\\morvak4.ime");
  EXPECT_EQ(installs[1].Field("text"), u8"智能Qelvo输入平台I");
  EXPECT_EQ(machine.Text(kLayouts + "E0200804", "Ime File"), "MORVAK4.IME");
}

struct NewIdCase {
  const char *preset;
  bool withoutImes;
  const char *id;
  const char *preload;
};

// Test listings name a row by this.
void PrintTo(const NewIdCase &row, std::ostream *out) { *out << row.preset << " " << row.id; }

class NewLayoutEntry : public ::testing::TestWithParam<NewIdCase> {};

TEST_P(NewLayoutEntry, IsNumberedAboveTheOthersAndJoinsThePreloadList) {
  RegistrationMachine machine(GetParam().preset);
  if (GetParam().withoutImes) machine.RemoveImeLayouts();
  EXPECT_EQ(RegisterKeyboardLayout(), 0);
  const std::string entry = kLayouts + GetParam().id;
  const bool traditional = machine->profile.oemCodePage == 950;
  EXPECT_EQ(machine.Text(entry, "IME file"), "MORVAK4.IME");
  EXPECT_EQ(machine.Text(entry, "layout file"), "kbdus.dll");
  EXPECT_EQ(machine.Text(entry, "layout text"), traditional ? u8"智能Qelvo輸入平台I" : u8"智能Qelvo输入平台I");
  EXPECT_EQ(machine.PreloadList(kUserPreload), GetParam().preload);
  EXPECT_TRUE(machine.Messages().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Machines, NewLayoutEntry,
    ::testing::Values(NewIdCase{"win10-x64", true, "E0010804", "1=00000804,2=e0010804"},
                      NewIdCase{"win10-x64-cp950", true, "E0010404", "1=00000404,2=e0010404"},
                      NewIdCase{"win10-x64", false, "E00A0804", "1=00000804,2=e00a0804"},
                      NewIdCase{"winxp-x86", false, "E00F0804", "1=00000804,2=E00E0804,3=E0010804,4=E0040804,5=e00f0804"},
                      NewIdCase{"win7-x86-cp950", false, "E00F0404", "1=00000404,2=e00f0404"}));

TEST(ManualLayoutEntry, AboveALargestIdOfAnotherLanguageTakesTheOwnLanguagePart) {
  RegistrationMachine machine("win7-x64");
  AddEntry(machine, "E0210409", "Other");
  RegisterKeyboardLayout();
  EXPECT_EQ(machine.Text(kLayouts + "E0220804", "Ime File"), "MORVAK4.IME");
}

TEST(ManualLayoutEntry, OfAnEarlierInstallationIsReusedWhateverFollowsTheDisplayName) {
  for (const char *text : {u8"智能Qelvo输入平台I", u8"智能Qelvo输入平台 V5"}) {
    RegistrationMachine machine("win10-x64");
    AddEntry(machine, "E0200804", text);
    machine->registry.SetString(kLayouts + "E0200804", "Layout Display Name", "kept");
    RegisterKeyboardLayout();
    EXPECT_EQ(machine.Text(kLayouts + "E0200804", "layout text"), u8"智能Qelvo输入平台I") << text;
    EXPECT_EQ(machine.Text(kLayouts + "E0200804", "Layout Display Name"), "kept");
    EXPECT_FALSE(machine->registry.KeyExists(kLayouts + "E0210804"));
  }
}

TEST(ManualLayoutEntry, OfAnotherLanguageIsDeletedAndWrittenWithTheOwnLanguagePart) {
  RegistrationMachine machine("win10-x64");
  AddEntry(machine, "E0200404", u8"智能Qelvo输入平台I");
  machine->registry.SetString(kLayouts + "E0200404", "Layout Display Name", "gone");
  RegisterKeyboardLayout();
  EXPECT_FALSE(machine->registry.KeyExists(kLayouts + "E0200404"));
  EXPECT_EQ(machine.Text(kLayouts + "E0200804", "IME file"), "MORVAK4.IME");
  EXPECT_EQ(machine.Text(kLayouts + "E0200804", "Layout Display Name"), "<missing>");
}

TEST(ManualLayoutEntry, OfTwoCarryingTheDisplayNameTheOneEnumeratedLastIsReused) {
  RegistrationMachine machine("win10-x64");
  AddEntry(machine, "E0200804", u8"智能Qelvo输入平台 old");
  AddEntry(machine, "E0210804", u8"智能Qelvo输入平台 older");
  RegisterKeyboardLayout();
  EXPECT_EQ(machine.Text(kLayouts + "E0210804", "layout text"), u8"智能Qelvo输入平台I");
  EXPECT_EQ(machine.Text(kLayouts + "E0200804", "layout text"), u8"智能Qelvo输入平台 old");
}

TEST(ManualLayoutEntry, EntriesThatCannotBeReadNeitherMatchNorRaiseTheLargestId) {
  RegistrationMachine machine("win10-x64");
  machine->registry.SetString(kLayouts + "E0700804", "Layout File", "no text");
  machine->registry.SetString(kLayouts + "E0710804", "Layout Text", std::string(250, 'x'));
  RegisterKeyboardLayout();
  EXPECT_EQ(machine.Text(kLayouts + "E00A0804", "Ime File"), "MORVAK4.IME");
}

// More entries than the name table holds, collected in reverse enumeration
// order: 400 names that count for nothing fill the table first, the largest
// id and the product's entry come in the second table's worth, and 300 small
// ids after them in the third.
TEST(ManualLayoutEntry, BeyondTheNameTableIsStillFoundAndCounted) {
  RegistrationMachine machine("win10-x64");
  char id[16];
  for (int i = 0; i < 400; ++i) {
    std::snprintf(id, sizeof id, "G%03X", i);
    AddEntry(machine, id, "Other");
  }
  for (int i = 0; i < 16; ++i) {
    std::snprintf(id, sizeof id, "F0%02X0409", i);
    AddEntry(machine, id, "Other");
  }
  for (int i = 0; i < 300; ++i) {
    std::snprintf(id, sizeof id, "0A%06X", i);
    AddEntry(machine, id, "Other");
  }
  AddEntry(machine, "E0200804", u8"智能Qelvo输入平台I");
  RegisterKeyboardLayout();
  EXPECT_EQ(machine.Text(kLayouts + "E0200804", "Ime File"), "MORVAK4.IME");
  machine->registry.DeleteTree(kLayouts + "E0200804");
  RegisterKeyboardLayout();
  EXPECT_EQ(machine.Text(kLayouts + "F0100804", "Ime File"), "MORVAK4.IME");
}

TEST(ManualLayoutEntry, WithNoIdLeftAboveTheLargestSaysSoAndWritesNothing) {
  RegistrationMachine machine("win10-x64");
  AddEntry(machine, "FFFF0409", "Other");
  const std::string before = machine->registry.Export();
  EXPECT_EQ(RegisterKeyboardLayout(), 1);
  EXPECT_EQ(machine->registry.Export(), before);
  EXPECT_EQ(machine.Messages(), std::vector<std::string>{u8"智能Qelvo(Kelt五笔): "
                                                         u8"系统中已没有空余的键盘布局编号，智能Qelvo输入平台没有注册成功！"});
}

// Entries whose layout text cannot be read are not counted, so the new id
// can be one of them; and an earlier entry renamed to the own language part
// can meet another input method's entry. Either is another input method's
// registration: the id steps up past it, and it stays as it was.
TEST(ManualLayoutEntry, NewIdStepsOverEntriesThatWereNotCounted) {
  RegistrationMachine machine("win10-x64");
  machine->registry.SetString(kLayouts + "E00A0804", "Ime File", "OTHER.IME");
  machine->registry.SetString(kLayouts + "E00B0804", "Ime File", "THIRD.IME");
  EXPECT_EQ(RegisterKeyboardLayout(), 0);
  EXPECT_EQ(machine.Text(kLayouts + "E00C0804", "IME file"), "MORVAK4.IME");
  EXPECT_EQ(machine.Text(kLayouts + "E00A0804", "Ime File"), "OTHER.IME");
  EXPECT_EQ(machine.Text(kLayouts + "E00A0804", "layout text"), "<missing>");
}

TEST(ManualLayoutEntry, RenamedEarlierEntryStepsOverAnotherInputMethod) {
  RegistrationMachine machine("win10-x64");
  AddEntry(machine, "E0200404", u8"智能Qelvo输入平台I");
  machine->registry.SetString(kLayouts + "E0200804", "Ime File", "OTHER.IME");
  EXPECT_EQ(RegisterKeyboardLayout(), 0);
  EXPECT_EQ(machine.Text(kLayouts + "E0210804", "IME file"), "MORVAK4.IME");
  EXPECT_EQ(machine.Text(kLayouts + "E0200804", "Ime File"), "OTHER.IME");
  EXPECT_EQ(machine.Text(kLayouts + "E0200804", "layout text"), "<missing>");
}

TEST(ManualLayoutEntry, OnWindows98GoesIntoANewPreloadSubkeyInUpperCase) {
  RegistrationMachine machine("win98");
  EXPECT_EQ(RegisterKeyboardLayout(), 0);
  EXPECT_EQ(machine.Text(kLayouts + "E0060804", "layout file"), "kbdus.kbd");
  EXPECT_EQ(machine.Text(kUserPreload9x + "4", ""), "E0060804");
}

struct PreloadCase {
  const char *name;
  std::vector<std::string> before;
  const char *after;
};

// Test listings name a row by this.
void PrintTo(const PreloadCase &row, std::ostream *out) { *out << row.name; }

class PreloadAddition : public ::testing::TestWithParam<PreloadCase> {};

TEST_P(PreloadAddition, FollowsTheListItMeets) {
  RegistrationMachine machine("win7-x86");
  machine->registry.DeleteTree(kUserPreload);
  machine->registry.CreateKey(kUserPreload);
  for (size_t i = 0; i < GetParam().before.size(); ++i)
    machine->registry.SetString(kUserPreload, std::to_string(i + 1), GetParam().before[i]);
  EXPECT_EQ(AddLayoutToPreloadList("E0200804"), 0);
  std::string list = machine.PreloadList(kUserPreload);
  if (GetParam().before.size() == 49) list = list.substr(list.rfind(",49="));
  EXPECT_EQ(list, GetParam().after);
}

INSTANTIATE_TEST_SUITE_P(
    Lists, PreloadAddition,
    ::testing::Values(PreloadCase{"AlreadyThere", {"00000804", "e0200804"}, "1=00000804,2=e0200804"},
                      PreloadCase{"ThereInUpperCase", {"00000804", "E0200804"}, "1=00000804,2=E0200804"},
                      PreloadCase{"OtherLanguagePart", {"00000804", "e0200404"}, "1=00000804,2=e0200804"},
                      PreloadCase{"Empty", {}, "1=e0200804"},
                      PreloadCase{"AllTaken", std::vector<std::string>(49, "00000409"), ",49=e0200804"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(RegistrationFailure, WithoutTheKeyboardLayoutKeyShowsTheAdministratorMessage) {
  RegistrationMachine machine("win10-x64");
  machine->registry.DeleteTree(kLayouts.substr(0, kLayouts.size() - 1));
  EXPECT_EQ(RegisterKeyboardLayout(), 1);
  EXPECT_EQ(machine.Messages(), std::vector<std::string>{u8"智能Qelvo: " + kAdministratorText});
}

TEST(RegistrationFailure, OnWindows98NamesTheStepThatFailed) {
  RegistrationMachine machine("win98");
  machine->registry.DeleteTree(kLayouts.substr(0, kLayouts.size() - 1));
  EXPECT_EQ(RegisterKeyboardLayout(), 1);
  machine->registry.CreateKey(kLayouts.substr(0, kLayouts.size() - 1));
  machine->registry.DeleteTree("HKEY_CURRENT_USER\\keyboard layout");
  EXPECT_EQ(RegisterKeyboardLayout(), 1);
  EXPECT_EQ(machine.Messages(), (std::vector<std::string>{u8"智能Qelvo: Software open error1003",
                                                          u8"智能Qelvo(Kelt五笔): Software open error2003"}));
  EXPECT_EQ(machine.Text(kLayouts + "E0010804", "IME file"), "MORVAK4.IME");
}

TEST(RegistrationFailure, WithoutRightsTheEntryCannotBeMade) {
  RegistrationMachine machine("win7-x64");
  AddEntry(machine, "E0200404", u8"智能Qelvo输入平台I");
  machine->profile.administrator = false;
  EXPECT_EQ(RegisterKeyboardLayout(), 1);
  ASSERT_EQ(machine.Messages().size(), 1u);
  EXPECT_EQ(machine.Messages()[0], u8"智能Qelvo(Kelt五笔): " + kAdministratorText);
  EXPECT_TRUE(machine->registry.KeyExists(kLayouts + "E0200404"));  // full access to it was refused too
}

}  // namespace
