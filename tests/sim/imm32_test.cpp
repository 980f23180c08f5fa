// The simulated IMM32 and keyboard-layout queries as the program meets them:
// ImmInstallIMEW writing the layout entry itself as Windows does, its
// failures, the description of an IME layout and the thread's layout.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/win32.h"
#include "sim/ime_module_fixture.h"
#include "support/test_machine.h"

namespace {

using ime_module_fixture::ModuleImage;
using ime_module_fixture::PlaceImeModule;
using testing_support::ScopedMachine;

const char kLayouts[] = "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\Keyboard Layouts\\";
const char kPreload[] = "HKEY_CURRENT_USER\\Keyboard Layout\\Preload";
const WCHAR kImePath[] = L"C:\\Windows\\system32\\morvak4.ime";

std::string Text(sim::Machine &machine, const std::string &key, const std::string &name) {
  std::string value;
  return machine.registry.GetString(key, name, &value) ? value : "<missing>";
}

uint32_t IdOf(HKL layout) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(layout)); }

HKL Install() { return ImmInstallIMEW(kImePath, L"智能Qelvo输入平台I"); }

TEST(ImmInstall, WritesTheEntryAboveTheSystemsImesAndAddsItToThePreloadList) {
  ScopedMachine machine("win10-x64");
  PlaceImeModule(*machine);
  HKL layout = Install();
  EXPECT_EQ(IdOf(layout), 0xE0200804u);
  const std::string entry = std::string(kLayouts) + "E0200804";
  EXPECT_EQ(Text(*machine, entry, "Ime File"), "MORVAK4.IME");
  EXPECT_EQ(Text(*machine, entry, "Layout Text"), u8"智能Qelvo输入平台I");
  EXPECT_EQ(Text(*machine, entry, "Layout File"), "KBDUS.DLL");
  EXPECT_EQ(Text(*machine, kPreload, "1"), "00000804");
  EXPECT_EQ(Text(*machine, kPreload, "2"), "E0200804");
  auto installs = machine->events.OfKind("imm_install");
  ASSERT_EQ(installs.size(), 1u);
  EXPECT_EQ(installs[0].Field("layout"), "E0200804");
}

TEST(ImmInstall, AgainReusesTheEntryOfTheSameModuleAndItsPreloadPosition) {
  ScopedMachine machine("win7-x86");
  PlaceImeModule(*machine);
  ASSERT_EQ(IdOf(Install()), 0xE0200804u);
  EXPECT_EQ(IdOf(ImmInstallIMEW(L"C:\\Windows\\system32\\MORVAK4.IME", L"other text")), 0xE0200804u);
  EXPECT_EQ(Text(*machine, std::string(kLayouts) + "E0200804", "Layout Text"), "other text");
  EXPECT_EQ(machine->registry.ValueNames(kPreload).size(), 2u);
}

TEST(ImmInstall, NumbersAnotherModuleAboveTheHighestImeLayout) {
  ScopedMachine machine("win10-x64");
  machine->registry.SetString(std::string(kLayouts) + "E0230409", "Ime File", "OTHER.IME");
  PlaceImeModule(*machine);
  EXPECT_EQ(IdOf(Install()), 0xE0240804u);
}

struct FailureCase {
  const char *name;
  const char *preset;
  void (*arrange)(sim::Machine &);
  DWORD error;
};

// Test listings name a row by this.
void PrintTo(const FailureCase &row, std::ostream *out) { *out << row.name; }

const FailureCase kFailures[] = {
    {"ProfileSaysItFails", "win10-x64", [](sim::Machine &m) { m.profile.imeInstallFails = true; }, 0xdeadbeef},
    {"ModuleMissing", "win10-x64", [](sim::Machine &m) { m.files.Delete(u"C:\\Windows\\SysWOW64\\morvak4.ime"); },
     ERROR_FILE_NOT_FOUND},
    {"ModuleWithoutVersionResource", "win10-x64", [](sim::Machine &m) { PlaceImeModule(m, ModuleImage(false, u"")); },
     ERROR_BAD_FORMAT},
    {"NoAdministratorRights", "win7-x64", [](sim::Machine &m) { m.profile.administrator = false; },
     ERROR_ACCESS_DENIED},
    {"Windows98HasOnlyTheAnsiCall", "win98", [](sim::Machine &) {}, ERROR_CALL_NOT_IMPLEMENTED},
};

class ImmInstallFailure : public ::testing::TestWithParam<FailureCase> {};

TEST_P(ImmInstallFailure, ReturnsNoLayoutAndWritesNothing) {
  ScopedMachine machine(GetParam().preset);
  PlaceImeModule(*machine);
  GetParam().arrange(*machine);
  const std::string before = machine->registry.Export();
  SetLastError(0xdeadbeef);
  EXPECT_EQ(Install(), nullptr);
  EXPECT_EQ(GetLastError(), GetParam().error);
  EXPECT_EQ(machine->registry.Export(), before);
  ASSERT_EQ(machine->events.OfKind("imm_install").size(), 1u);
  EXPECT_EQ(machine->events.OfKind("imm_install")[0].Field("layout"), "");
}

INSTANTIATE_TEST_SUITE_P(Cases, ImmInstallFailure, ::testing::ValuesIn(kFailures),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(ImmDescription, OfAnImeLayoutIsItsModulesFileDescriptionCutToTheBuffer) {
  ScopedMachine machine("win10-x64");
  PlaceImeModule(*machine);
  HKL layout = Install();
  char text[64];
  memset(text, 'x', sizeof text);
  const UINT length = ImmGetDescriptionA(layout, text, 50);
  EXPECT_STREQ(text, "智能Qelvo输入平台 V6.7");
  EXPECT_EQ(length, strlen("智能Qelvo输入平台 V6.7"));
  memset(text, 'x', sizeof text);
  EXPECT_EQ(ImmGetDescriptionA(layout, text, 5), 4u);
  EXPECT_STREQ(text, "智能");
  EXPECT_EQ(text[5], 'x');
}

TEST(ImmDescription, OfALayoutThatIsNoImeIsNothingAndLeavesTheBuffer) {
  ScopedMachine machine("win10-x64");
  char text[16] = "00000804";
  EXPECT_EQ(ImmGetDescriptionA(GetKeyboardLayout(0), text, 16), 0u);
  EXPECT_STREQ(text, "00000804");
}

TEST(ThreadLayout, IsTheUsersFirstPreloadEntryUnlessTheProfileNamesOne) {
  ScopedMachine machine("win10-x64");
  char name[KL_NAMELENGTH];
  EXPECT_EQ(IdOf(GetKeyboardLayout(0)), 0x08040804u);
  ASSERT_TRUE(GetKeyboardLayoutNameA(name));
  EXPECT_STREQ(name, "00000804");
  machine->profile.keyboardLayout = "e0200804";
  EXPECT_EQ(IdOf(GetKeyboardLayout(0)), 0xE0200804u);
  ASSERT_TRUE(GetKeyboardLayoutNameA(name));
  EXPECT_STREQ(name, "E0200804");
}

TEST(ThreadLayout, OnWindows98ComesFromThePreloadSubkey) {
  ScopedMachine machine("win98-cp950");
  machine->registry.SetString("HKEY_CURRENT_USER\\keyboard layout\\preload\\1", "", "00000404");
  EXPECT_EQ(IdOf(GetKeyboardLayout(0)), 0x04040404u);
}

}  // namespace
