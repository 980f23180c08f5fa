// Other programs' windows on the simulated machine: configured in
// machine.ini, found by class, recording the copy-data sent to them, and the
// faulting window that raises an access violation in the sender.
#include <gtest/gtest.h>

#include <string>

#include "platform/win32.h"
#include "simmachine/structured_exception.h"
#include "support/test_machine.h"

namespace {

using testing_support::ScopedMachine;

void AddWindow(sim::Machine &machine, const std::string &className, bool faults) {
  sim::OtherWindow window;
  window.className = className;
  window.faults = faults;
  machine.profile.otherWindows.push_back(window);
}

LRESULT SendCopyData(HWND window, ULONG_PTR id, const char *data, DWORD size) {
  COPYDATASTRUCT copy = {id, size, const_cast<char *>(data)};
  return SendMessageA(window, WM_COPYDATA, 0, (LPARAM)&copy);
}

TEST(OtherProgramWindows, AreFoundByClassAndRecordTheCopyDataTheyReceive) {
  ScopedMachine machine;
  AddWindow(*machine, u8"智能Qelvo输入法", false);
  EXPECT_EQ(FindWindowA("STATKELT", NULL), nullptr);
  HWND server = FindWindowA("智能Qelvo输入法", NULL);
  ASSERT_NE(server, nullptr);
  EXPECT_TRUE(IsWindow(server));
  EXPECT_EQ(SendCopyData(server, 7, "AB\0C", 4), TRUE);
  auto received = machine->events.OfKind("copydata");
  ASSERT_EQ(received.size(), 1u);
  EXPECT_EQ(received[0].Field("window"), u8"智能Qelvo输入法");
  EXPECT_EQ(received[0].Field("dwData"), "7");
  EXPECT_EQ(received[0].Field("cbData"), "4");
  EXPECT_EQ(received[0].Field("data"), "41420043");
  EXPECT_TRUE(machine->events.OfKind("window").empty());
}

TEST(OtherProgramWindows, AFaultingOneRaisesAnAccessViolationInTheSender) {
  ScopedMachine machine;
  AddWindow(*machine, "UIKELT", true);
  HWND window = FindWindowA("uikelt", NULL);
  ASSERT_NE(window, nullptr);
  try {
    SendCopyData(window, 1, "x", 1);
    ADD_FAILURE() << "no fault";
  } catch (const sim::StructuredException &fault) {
    EXPECT_EQ(fault.code(), EXCEPTION_ACCESS_VIOLATION);
  }
  auto faults = machine->events.OfKind("exception");
  ASSERT_EQ(faults.size(), 1u);
  EXPECT_EQ(faults[0].Field("code"), "0xC0000005");
  EXPECT_TRUE(machine->events.OfKind("copydata").empty());
}

TEST(OtherProgramWindows, KeepTheirLinesInMachineIni) {
  sim::Profile profile;
  sim::OtherWindow server, faulting;
  server.className = u8"智能Qelvo输入法";
  faulting.className = "UIKELT";
  faulting.title = "Kelt";
  faulting.faults = true;
  profile.otherWindows = {server, faulting};
  const std::string ini = sim::ProfileToIni(profile);
  EXPECT_NE(ini.find("[windows]\nwindow = " + server.className + " | \nwindow = UIKELT | Kelt | faults\n"),
            std::string::npos);
  sim::Profile loaded;
  std::string error;
  ASSERT_TRUE(sim::ProfileFromIni(ini, &loaded, &error)) << error;
  ASSERT_EQ(loaded.otherWindows.size(), 2u);
  EXPECT_EQ(loaded.otherWindows[0].className, server.className);
  EXPECT_FALSE(loaded.otherWindows[0].faults);
  EXPECT_EQ(loaded.otherWindows[1].title, "Kelt");
  EXPECT_TRUE(loaded.otherWindows[1].faults);
  EXPECT_FALSE(sim::ProfileFromIni("[windows]\nwindow = A | B | crashes\n", &loaded, &error));
  EXPECT_NE(error.find("line 2"), std::string::npos);
}

}  // namespace
