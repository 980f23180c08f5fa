// A crash of the program: inside the installation the stage code is shown
// and the process ends there; in the finish timer's work, which runs
// without the guard, the process ends without a word.
#include <gtest/gtest.h>

#include <string>

#include "common/program_state.h"
#include "simmachine/structured_exception.h"
#include "support/test_machine.h"
#include "wizard_fixture.h"

namespace {

using testing_support::ScopedMachine;

const char kInstallDir[] = "C:\\Program Files\\morvak8\\";

// The kinds of the events after the first of `kind`.
std::vector<std::string> KindsAfter(const sim::EventLog &log, const std::string &kind) {
  std::vector<std::string> kinds;
  bool seen = false;
  for (const auto &event : log.events()) {
    if (seen) kinds.push_back(event.kind);
    seen = seen || event.kind == kind;
  }
  return kinds;
}

void CrashDuringExtraction(const char *preset);

// The package extraction crashes at a dictionary it writes (under the name
// it has until it is whole): the user sees the stage code under the setup
// caption, readable on a machine of either code page, and nothing of the
// installation after that write happens.
TEST(CrashGuard, CrashDuringExtractionShowsTheStageCodeAndEndsTheProgramThere) {
  for (const char *preset : {"win10-x64", "win10-x64-cp950"}) {
    SCOPED_TRACE(preset);
    CrashDuringExtraction(preset);
  }
}

void CrashDuringExtraction(const char *preset) {
  const std::filesystem::path root = testing_support::FreshFolder(std::string("crash-during-extraction-") + preset);
  {
    auto machine = sim::Machine::CreateFromPreset(preset, root);
    machine->files.SetCrashOnWrite(std::string(kInstallDir) + "vorlcyzk.vo~");
    machine->Save();
  }
  std::string output;
  ASSERT_EQ(testing_support::RunSetupSim("--root " + root.string() + " --click 90,257 --click 90,257 --click 90,257",
                                         &output),
            4)
      << output;
  EXPECT_NE(output.find("program: crashed (exception 0xC0000005)"), std::string::npos) << output;
  const sim::EventLog log = testing_support::ReadEventLog(root);
  auto boxes = log.OfKind("messagebox");
  ASSERT_EQ(boxes.size(), 1u) << output;
  EXPECT_EQ(boxes[0].Field("caption"), u8"智能Qelvo(Kelt五笔)安装");
  EXPECT_EQ(boxes[0].Field("text"), u8"智能Qelvo安装错误Err=10042");
  EXPECT_EQ(KindsAfter(log, "exception"), std::vector<std::string>{"messagebox"});
  EXPECT_TRUE(log.OfKind("dialog").empty()) << output;
  auto machine = sim::Machine::Load(root);
  EXPECT_FALSE(machine->files.Exists(std::string(kInstallDir) + "vorlpyck.voh"));
  EXPECT_FALSE(machine->files.Exists(std::string(kInstallDir) + "install.voh"));
}

// The finish timer's work crashes while it copies the 32-bit module: no
// message, no end requested; the fault leaves the window procedure as it
// leaves a process on Windows.
TEST(CrashGuard, FinishTimerWorkCrashesWithoutTheGuard) {
  ScopedMachine machine("win10-x64");
  wizard_fixture::OpenWizard(*machine);
  machine->files.WriteFile(std::string(kInstallDir) + "morvak4.ime", "module");
  machine->files.SetCrashOnWrite("C:\\Windows\\SysWOW64\\morvak4.ime");
  machine->events.Clear();
  EXPECT_THROW(SendMessageA(program.mainWindow, WM_TIMER, 2, 0), sim::StructuredException);
  EXPECT_EQ(KindsAfter(machine->events, "exception"), std::vector<std::string>{});
  EXPECT_TRUE(machine->events.OfKind("messagebox").empty());
  for (const MSG &msg : machine->user.queue) EXPECT_NE(msg.message, static_cast<UINT>(WM_DESTROY));
}

}  // namespace
