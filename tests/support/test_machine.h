// Test fixtures on the simulated Windows: a fresh machine of a preset in a
// folder of its own, installed as the machine the Win32 calls act on.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "simmachine/event_log.h"
#include "simmachine/machine.h"

namespace testing_support {

// The folder of this test process's files: $VOZ_TEST_TMP when set, else a
// new folder of its own under $TMPDIR (or /tmp), so that two runs side by
// side never touch each other's files. Made on first use; a folder made
// here is removed at exit when every test passed, and kept (and named on
// stderr) when one failed.
const std::filesystem::path &TestTempRoot();

// A folder for one test's machine, emptied first: <TestTempRoot>/<name>.
std::filesystem::path FreshFolder(const std::string &name);

// Creates a machine from `preset` in a fresh folder named after the running
// test, installs it and puts the program's state back to its start
// (ResetProgramState); uninstalls the machine when destroyed.
class ScopedMachine {
 public:
  explicit ScopedMachine(const std::string &preset = "win10-x64");
  ~ScopedMachine();
  sim::Machine &operator*() { return *machine_; }
  sim::Machine *operator->() { return machine_.get(); }
  sim::Machine *get() { return machine_.get(); }

 private:
  std::unique_ptr<sim::Machine> machine_;
};

// Runs setup-sim with the given arguments; returns its exit code and leaves
// what it printed in `output`.
int RunSetupSim(const std::string &arguments, std::string *output);

// The events a setup-sim run recorded in <root>/events.log. A line the
// simulation cannot have written fails the test.
sim::EventLog ReadEventLog(const std::filesystem::path &root);

}  // namespace testing_support
