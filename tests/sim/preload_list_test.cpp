// The preload handling on simulated machines: finding the product's layout in
// the user's list, moving it behind the default on Windows 5 and earlier, the
// default-input-method check with its messages and swap, and the product's
// position in the TSF sort order.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "registration/preload_list.h"
#include "registration/text_service.h"
#include "sim/ime_module_fixture.h"
#include "sim/registration_fixture.h"

namespace {

using registration_fixture::kDefaultPreload;
using registration_fixture::kLayouts;
using registration_fixture::kUserPreload;
using registration_fixture::kUserPreload9x;
using registration_fixture::RegistrationMachine;

const char kCaption[] = u8"智能Qelvo安装: ";
const std::string kDefaultText =
    kCaption + std::string(u8"　　你以前安装的智能Qelvo为系统默认输入法，请设置为系统非默认输入法后，重新启动机器才能安装新版本的智能Qelvo！");
const std::string kQuestion = kCaption + std::string(u8"是否设置智能Qelvo为系统非默认输入法？");
const std::string kRestart = kCaption + std::string(u8"请重新启动机器后安装智能Qelvo！");

// The product's keyboard-layout entry and the given NT lists for the user
// and the default profile.
void SetNtLists(RegistrationMachine &machine, const std::vector<std::string> &ids) {
  machine->registry.SetString(kLayouts + "E0010804", "Layout Text", u8"智能Qelvo输入平台I");
  for (const std::string &key : {kUserPreload, kDefaultPreload}) {
    machine->registry.DeleteTree(key);
    for (size_t i = 0; i < ids.size(); ++i) machine->registry.SetString(key, std::to_string(i + 1), ids[i]);
  }
}

TEST(FindOwnPreloadEntry, FindsTheFirstPositionWhoseLayoutTextIsTheProducts) {
  RegistrationMachine machine("win10-x64");
  SetNtLists(machine, {"00000804", "E0010804", "e0010804"});
  EXPECT_EQ(FindOwnPreloadEntry(), 1);
  EXPECT_EQ(preloadList.ownPosition, 2);
  EXPECT_EQ(preloadList.ownEntryFound, 4);
  EXPECT_EQ(preloadList.count, 3);
  EXPECT_STREQ(preloadList.table[2], "e0010804");
}

TEST(FindOwnPreloadEntry, CountsAListOf49PositionsAsEmpty) {
  RegistrationMachine machine("win10-x64");
  SetNtLists(machine, std::vector<std::string>(49, "E0010804"));
  EXPECT_EQ(FindOwnPreloadEntry(), 0);
  EXPECT_EQ(preloadList.count, 0);
  SetNtLists(machine, std::vector<std::string>(48, "E0010804"));
  EXPECT_EQ(FindOwnPreloadEntry(), 1);
  EXPECT_EQ(preloadList.count, 48);
}

TEST(FindOwnPreloadEntry, StopsAtAnIdTooLongForItsTableEntry) {
  RegistrationMachine machine("win10-x64");
  SetNtLists(machine, {"00000804", "0000000000000804", "E0010804"});
  EXPECT_EQ(FindOwnPreloadEntry(), 0);
  EXPECT_EQ(preloadList.count, 1);
}

TEST(FindOwnPreloadEntry, NeverFindsTheBig5LayoutText) {
  RegistrationMachine machine("winxp-x86-cp950");
  SetNtLists(machine, {"00000404", "E0010404"});
  machine->registry.SetString(kLayouts + "E0010404", "Layout Text", u8"智能Qelvo輸入平台I");
  EXPECT_EQ(FindOwnPreloadEntry(), 0);
}

struct MoveCase {
  const char *name;
  const char *preset;
  std::vector<std::string> before;
  const char *after;
};

// Test listings name a row by this.
void PrintTo(const MoveCase &row, std::ostream *out) { *out << row.name; }

class MoveToSecond : public ::testing::TestWithParam<MoveCase> {};

TEST_P(MoveToSecond, RewritesTheUserAndDefaultListsOnlyWhenItMoves) {
  RegistrationMachine machine(GetParam().preset);
  SetNtLists(machine, GetParam().before);
  FindOwnPreloadEntry();
  MoveOwnEntryToSecond();
  EXPECT_EQ(machine.PreloadList(kUserPreload), GetParam().after);
  EXPECT_EQ(machine.PreloadList(kDefaultPreload), GetParam().after);
}

INSTANTIATE_TEST_SUITE_P(
    Lists, MoveToSecond,
    ::testing::Values(MoveCase{"FourthToSecond", "winxp-x86", {"00000804", "00000409", "00000411", "e0010804"},
                               "1=00000804,2=e0010804,3=00000409,4=00000411"},
                      MoveCase{"AlreadySecond", "winxp-x86", {"00000804", "E0010804", "00000409"},
                               "1=00000804,2=E0010804,3=00000409"},
                      MoveCase{"OnlyTwo", "winxp-x86", {"00000409", "e0010804"}, "1=00000409,2=e0010804"},
                      MoveCase{"NeverOnWindows7", "win7-x86", {"00000804", "00000409", "00000411", "e0010804"},
                               "1=00000804,2=00000409,3=00000411,4=e0010804"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(MoveToSecond, OnWindows98RewritesThePositionSubkeys) {
  RegistrationMachine machine("win98");
  machine->registry.SetString(kLayouts + "E0060804", "layout text", u8"智能Qelvo输入平台I");
  machine->registry.SetString(kUserPreload9x + "4", "", "E0060804");
  FindOwnPreloadEntry();
  MoveOwnEntryToSecond();
  std::vector<std::string> list;
  for (const char *position : {"1", "2", "3", "4"}) list.push_back(machine.Text(kUserPreload9x + position, ""));
  EXPECT_EQ(list, (std::vector<std::string>{"00000804", "E0060804", "E0010804", "E0040804"}));
}

TEST(MoveEntryToSecond, ShiftsThePositionsBetweenDownByOne) {
  char table[kMaxPreloadPositions][kPreloadIdSize] = {"a", "b", "c", "d", "e"};
  MoveEntryToSecond(table, 4);
  EXPECT_STREQ(table[0], "a");
  EXPECT_STREQ(table[1], "d");
  EXPECT_STREQ(table[2], "b");
  EXPECT_STREQ(table[3], "c");
  EXPECT_STREQ(table[4], "e");
  MoveEntryToSecond(table, 2);
  MoveEntryToSecond(table, 50);
  EXPECT_STREQ(table[1], "d");
}

TEST(CheckDefaultInputMethod, LetsTheInstallationGoOnBehindAnotherDefault) {
  RegistrationMachine machine("win10-x64");
  SetNtLists(machine, {"00000804", "e0010804"});
  EXPECT_EQ(CheckDefaultInputMethod(), 1);
  EXPECT_TRUE(machine.Messages().empty());
}

TEST(CheckDefaultInputMethod, RefusesTheOnlyInputMethod) {
  RegistrationMachine machine("win10-x64");
  SetNtLists(machine, {"e0010804"});
  EXPECT_EQ(CheckDefaultInputMethod(), 0);
  EXPECT_EQ(machine.Messages(),
            std::vector<std::string>{kCaption + std::string(u8"　　你以前安装的智能Qelvo为系统默认输入法，并且是系统安装的唯一输入法，"
                                                            u8"请通过微软的输入法管理器增加英文输入法，并将智能Qelvo输入法设置为系统非默认输入法后，"
                                                            u8"重新启动机器才能安装新版本的智能Qelvo！")});
}

TEST(CheckDefaultInputMethod, OnYesSwapsTheFirstTwoForTheUserAndTheDefaultProfile) {
  RegistrationMachine machine("winxp-x86");
  SetNtLists(machine, {"e0010804", "00000409"});
  machine->script.yesNoAnswers = {true};
  EXPECT_EQ(CheckDefaultInputMethod(), 0);
  EXPECT_EQ(machine.Messages(), (std::vector<std::string>{kDefaultText, kQuestion, kRestart}));
  EXPECT_EQ(machine.PreloadList(kUserPreload), "1=00000409,2=e0010804");
  EXPECT_EQ(machine.PreloadList(kDefaultPreload), "1=00000409,2=e0010804");
}

TEST(CheckDefaultInputMethod, OnNoChangesNothing) {
  RegistrationMachine machine("winxp-x86");
  SetNtLists(machine, {"e0010804", "00000409"});
  machine->script.yesNoAnswers = {false};
  EXPECT_EQ(CheckDefaultInputMethod(), 0);
  EXPECT_EQ(machine.Messages(), (std::vector<std::string>{kDefaultText, kQuestion}));
  EXPECT_EQ(machine.PreloadList(kUserPreload), "1=e0010804,2=00000409");
}

TEST(CheckDefaultInputMethod, On64BitWindowsAsksNothingAndWritesNothing) {
  RegistrationMachine machine("win7-x64");
  SetNtLists(machine, {"e0010804", "00000409"});
  EXPECT_EQ(CheckDefaultInputMethod(), 0);
  EXPECT_EQ(machine.Messages(), std::vector<std::string>{kDefaultText});
  EXPECT_EQ(machine.PreloadList(kUserPreload), "1=e0010804,2=00000409");
}

TEST(CheckDefaultInputMethod, RefusesWhenTheThreadTypesWithTheProduct) {
  RegistrationMachine machine("win10-x64");
  ime_module_fixture::PlaceImeModule(*machine);
  machine->registry.SetString(kLayouts + "E0200804", "Ime File", "MORVAK4.IME");
  machine->profile.keyboardLayout = "E0200804";
  EXPECT_EQ(CheckDefaultInputMethod(), 0);
  EXPECT_EQ(machine.Messages(),
            std::vector<std::string>{kCaption + std::string(u8"　　你以前安装的Kelt五笔为系统默认输入法，请通过微软的输入法管理器将Kelt五笔输入法"
                                                            u8"设置为系统非默认输入法后，重新启动机器才能安装新版本的Kelt五笔！")});
}

const char kSortOrder[] =
    "HKEY_CURRENT_USER\\SOFTWARE\\Microsoft\\CTF\\SortOrder\\AssemblyItem\\0x00000804\\"
    "{34745C63-B2F0-4784-8B67-5E12C8701A31}\\";

void AddSortOrderEntry(RegistrationMachine &machine, const char *name, const char *classId) {
  machine->registry.SetString(std::string(kSortOrder) + name, "CLSID", classId);
  machine->registry.SetString(std::string(kSortOrder) + name, "profile", "{00000000-0000-0000-0000-000000000000}");
  machine->registry.SetDword(std::string(kSortOrder) + name, "KeyboardLayout", 0);
}

TEST(FindTextServiceInSortOrder, GivesThePositionBehindTheSystemsTextServices) {
  RegistrationMachine machine("win10-x64");
  EXPECT_EQ(FindTextServiceInSortOrder(), 0);
  AddSortOrderEntry(machine, "00000002", "{65653599-5030-4C0F-8871-83F6AFDE5098}");
  EXPECT_EQ(FindTextServiceInSortOrder(), 3);
}

TEST(FindTextServiceInSortOrder, IsNothingWhenAnEntryBeforeCannotBeRead) {
  RegistrationMachine machine("win10-x64");
  AddSortOrderEntry(machine, "00000002", "{65653599-5030-4C0F-8871-83F6AFDE5098}");
  machine->registry.DeleteTree(std::string(kSortOrder) + "00000001");
  machine->registry.SetString(std::string(kSortOrder) + "00000001", "CLSID", "{6A498709-E00B-4C45-A018-8F9E4081AE40}");
  EXPECT_EQ(FindTextServiceInSortOrder(), 0);
  machine->registry.DeleteTree(kSortOrder);
  EXPECT_EQ(FindTextServiceInSortOrder(), 0);
}

TEST(FindTextServiceInSortOrder, ComparesTheClassIdWithCase) {
  RegistrationMachine machine("win10-x64");
  AddSortOrderEntry(machine, "00000002", "{65653599-5030-4c0f-8871-83f6afde5098}");
  EXPECT_EQ(FindTextServiceInSortOrder(), 0);
}

}  // namespace
