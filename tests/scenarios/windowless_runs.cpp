#include "scenarios/windowless_runs.h"

#include <gtest/gtest.h>

#include <map>

#include "support/test_machine.h"

namespace windowless_runs {

using testing_support::FreshFolder;
using testing_support::ReadEventLog;
using testing_support::RunSetupSim;

Installation RunWindowless(const std::filesystem::path &root, const std::string &preset, int exitCode) {
  Installation run;
  run.root = root;
  const std::string machine = preset.empty() ? "" : "--machine " + preset + " ";
  EXPECT_EQ(RunSetupSim(machine + "--root " + root.string() + " -- setvosrf32", &run.output), 0) << run.output;
  EXPECT_NE(run.output.find("program: ended, exit code " + std::to_string(exitCode) + "\n"), std::string::npos)
      << run.output;
  run.machine = sim::Machine::Load(root);
  run.events = ReadEventLog(root);
  return run;
}

const Installation &FreshInstall(const std::string &preset) {
  static std::map<std::string, Installation> runs;
  auto found = runs.find(preset);
  if (found == runs.end())
    found = runs.emplace(preset, RunWindowless(FreshFolder("install-" + preset), preset)).first;
  return found->second;
}

const Installation &Reinstall(const std::string &preset) {
  static std::map<std::string, Installation> runs;
  auto found = runs.find(preset);
  if (found == runs.end()) {
    const std::filesystem::path root = FreshFolder("reinstall-" + preset);
    std::filesystem::copy(FreshInstall(preset).root, root, std::filesystem::copy_options::recursive);
    found = runs.emplace(preset, RunWindowless(root)).first;
  }
  return found->second;
}

std::vector<std::string> Fields(const Installation &run, const std::string &kind, const std::string &field) {
  std::vector<std::string> values;
  for (const sim::Event &event : run.events.OfKind(kind)) values.push_back(event.Field(field));
  return values;
}

}  // namespace windowless_runs
