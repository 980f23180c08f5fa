// The server preparation on simulated machines: the stop request the running
// input-method server receives, the fault guard around it, and the server's
// executable moved aside, with the stage codes on the way.
#include <gtest/gtest.h>

#include <string>

#include "common/install_dir.h"
#include "common/program_state.h"
#include "shell/server_preparation.h"
#include "shell/stage_code.h"
#include "support/test_machine.h"

namespace {

using testing_support::ScopedMachine;

const char kServer[] = "C:\\Program Files\\morvak8\\morvak88.exe";
const char kAside[] = "C:\\Program Files\\morvak8\\morvak82.exe";

// The running server, its window of the given behaviour, and its executable
// loaded so that it can only be renamed.
void StartServer(sim::Machine &machine, bool faults) {
  sim::OtherWindow window;
  window.className = u8"智能Qelvo输入法";
  window.faults = faults;
  machine.profile.otherWindows.push_back(window);
  machine.files.WriteFile(kServer, "server");
  machine.files.SetInUse(kServer, sim::InUse::LoadedModule);
}

std::string StopRequestHex() {
  std::string block = "56515352463D32";  // "VQSRF=2"
  return block + std::string(2 * (80 - 7), '0');
}

TEST(ServerPreparation, SendsTheStopRequestWaitsAndMovesTheServerAside) {
  ScopedMachine machine("win10-x64");
  ComputeInstallDir();
  StartServer(*machine, false);
  PrepareRunningServer();
  auto requests = machine->events.OfKind("copydata");
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].Field("dwData"), "3599");
  EXPECT_EQ(requests[0].Field("cbData"), "80");
  EXPECT_EQ(requests[0].Field("data"), StopRequestHex());
  ASSERT_EQ(machine->events.OfKind("sleep").size(), 1u);
  EXPECT_EQ(machine->events.OfKind("sleep")[0].Field("ms"), "50");
  EXPECT_FALSE(machine->files.Exists(kServer));
  EXPECT_TRUE(machine->files.Exists(kAside));
  EXPECT_STREQ(stageCode.text, "智能Qelvo安装错误Err=100415");
}

TEST(ServerPreparation, WithoutARunningServerOnlyWaitsAndFindsNothingToMove) {
  ScopedMachine machine("winxp-x86");
  ComputeInstallDir();
  PrepareRunningServer();
  EXPECT_TRUE(machine->events.OfKind("copydata").empty());
  EXPECT_EQ(machine->events.OfKind("sleep").size(), 1u);
  EXPECT_STREQ(stageCode.text, "智能Qelvo安装错误Err=100415");
}

TEST(ServerPreparation, SwallowsAFaultWhileNotifyingAndGoesOnAtTheExecutable) {
  ScopedMachine machine("win10-x64");
  ComputeInstallDir();
  StartServer(*machine, true);
  PrepareRunningServer();
  ASSERT_EQ(machine->events.OfKind("exception").size(), 1u);
  EXPECT_TRUE(machine->events.OfKind("sleep").empty());
  EXPECT_TRUE(machine->files.Exists(kAside));
  EXPECT_STREQ(stageCode.text, "智能Qelvo安装错误Err=100415");
}

}  // namespace
